#include "temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace {

// Names in tests use "\" as the program's paths do; the file system here
// may want "/".
fs::path Below(const std::string& base, std::string name) {
  for (char& c : name) {
    if (c == '\\') c = static_cast<char>(fs::path::preferred_separator);
  }
  return fs::path(base) / name;
}

}  // namespace

TempDir::TempDir() {
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path candidate =
        base / ("quillspur-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      m_path = candidate.string();
      break;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(m_path, ignored);
}

std::string TempDir::File(const std::string& name) const {
  return Below(m_path, name).string();
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  const fs::path path = Below(m_path, name);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream in(Below(m_path, name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

bool TempDir::Exists(const std::string& name) const {
  return fs::exists(Below(m_path, name));
}

void TempDir::MakeDir(const std::string& name) const {
  fs::create_directories(Below(m_path, name));
}
