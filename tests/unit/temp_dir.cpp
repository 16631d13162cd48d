#include "temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/code_page.h"

namespace fs = std::filesystem;

namespace {

// Names in tests are the program's: "\" separators, Windows-1252. On disk
// they are UTF-8 on both builds, as Windows (and Wine) name them.
fs::path Below(const std::string& base, std::string name) {
  for (char& c : name) {
    if (c == '\\') c = static_cast<char>(fs::path::preferred_separator);
  }
  return fs::path(base) / fs::u8path(Cp1252ToUtf8(name));
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
  std::string path = m_path + static_cast<char>(fs::path::preferred_separator);
  for (const char c : name) {
    path += c == '\\' ? static_cast<char>(fs::path::preferred_separator) : c;
  }
  return path;
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
