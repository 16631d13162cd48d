#include "job_list.h"

#include <unordered_map>

#include "file_find.h"
#include "file_probe.h"
#include "ini_file.h"
#include "job_file_scan.h"
#include "job_rules.h"
#include "os_path.h"
#include "text_encoding.h"

namespace {

std::string Folded(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The profile functions' reading of a scanned value.
std::string_view Unquoted(std::string_view value) {
  const bool quoted = value.size() > 1 &&
                      (value[0] == '"' || value[0] == '\'') &&
                      value.back() == value[0];
  return quoted ? value.substr(1, value.size() - 2) : value;
}

bool IsKey(std::string_view name, const char* key) {
  return SameProfileName(std::string(name), key);
}

// A section header as met, and the keys of its first block.
struct Block {
  std::string_view name;
  size_t first = 0;  // the block whose keys count for this name
  bool hasCheck = false;
  bool hasRun = false;
  std::string_view check;
  std::string_view run;
};

}  // namespace

CJobList::CJobList()
    : m_nDelay(kDefaultDelay), m_bHasModified(false), m_nModified(0) {}
CJobList::~CJobList() = default;

bool CJobList::Load(const std::string& jobFile, std::string& reason) {
  CFileFind finder;
  if (!finder.FindFile(jobFile.c_str(), 0)) {
    reason = "no file or directory matches " + jobFile;
    return false;
  }
  const CString profilePath = ProfilePathFor(jobFile.c_str());
  const std::string osPath = OsPath(profilePath);
  std::string bytes;
  if (!CFileProbe::Read(osPath, bytes, reason)) {
    reason = "the job file " + std::string(profilePath) + " cannot be read (" +
             reason + ")";
    return false;
  }
  m_bHasModified = CFileProbe::ModifiedTime(osPath, m_nModified);
  std::vector<Block> blocks;
  std::unordered_map<std::string, size_t> first;
  // Read as the profile functions read it: a marked or UTF-8 file decoded.
  const std::string text = DecodeText(bytes, DetectTextEncoding(bytes));
  CJobFileScan::Lex(text, [&](const ScanEvent& e) {
    if (e.section) {
      const size_t index = blocks.size();
      Block block;
      block.name = e.name;
      block.first = first.emplace(Folded(e.name), index).first->second;
      blocks.push_back(block);
      return;
    }
    // Keys count in the first block of a section, the first of a name.
    if (blocks.empty() || blocks.back().first != blocks.size() - 1) return;
    Block& block = blocks.back();
    if (!block.hasCheck && e.name.size() == 5 && IsKey(e.name, kCheckKey)) {
      block.hasCheck = true;
      block.check = Unquoted(e.value);
    } else if (!block.hasRun && e.name.size() == 3 && IsKey(e.name, kRunKey)) {
      block.hasRun = true;
      block.run = Unquoted(e.value);
    }
  });
  CIniFile ini;
  ini.SetFileName(profilePath);
  m_nDelay = ReadDelay(ini);
  // The sections as the profile functions list them, in file order and
  // each time it stands: a nameless one is not listed.
  m_jobs.reserve(blocks.size());
  for (const Block& block : blocks) {
    if (block.name.empty() ||
        (block.name.size() == 9 &&
         IsGlobalSection(std::string(block.name).c_str()))) {
      continue;
    }
    const Block& values = blocks[block.first];
    m_jobs.push_back(ListedJob{std::string(block.name),
                               std::string(values.check),
                               std::string(values.run)});
  }
  return true;
}
