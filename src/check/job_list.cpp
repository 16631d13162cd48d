#include "job_list.h"

#include <unordered_map>

#include "afx_string_array.h"
#include "file_find.h"
#include "file_probe.h"
#include "ini_file.h"
#include "job_file_scan.h"
#include "job_rules.h"
#include "os_path.h"

namespace {

std::string Folded(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

// The profile functions' reading of a scanned value.
std::string Unquoted(const std::string& value) {
  const bool quoted = value.size() > 1 &&
                      (value[0] == '"' || value[0] == '\'') &&
                      value.back() == value[0];
  return quoted ? value.substr(1, value.size() - 2) : value;
}

std::string FirstValue(const ScannedBlock* block, const char* key) {
  if (block == nullptr) return std::string();
  for (const ScannedKey& k : block->keys) {
    if (SameProfileName(k.name, key)) return Unquoted(k.value);
  }
  return std::string();
}

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
  CJobFileScan scan;
  scan.Scan(bytes);
  std::unordered_map<std::string, const ScannedBlock*> first;
  for (const ScannedBlock& block : scan.m_blocks) {
    first.emplace(Folded(block.name), &block);
  }
  CIniFile ini;
  ini.SetFileName(profilePath);
  m_nDelay = ReadDelay(ini);
  CStringArray sections;
  ini.GetSectionNames(&sections);
  for (int i = 0; i < sections.GetSize(); ++i) {
    const CString name = sections.GetAt(i);
    if (IsGlobalSection(name)) continue;
    const auto found = first.find(Folded(std::string(name)));
    const ScannedBlock* block = found == first.end() ? nullptr : found->second;
    m_jobs.push_back(ListedJob{std::string(name), FirstValue(block, kCheckKey),
                               FirstValue(block, kRunKey)});
  }
  return true;
}
