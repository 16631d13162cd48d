// CFileFind over POSIX directory calls, with Windows' wildcard rules: "*"
// and "?" only in the last component, everything else literal,
// case-sensitive as the file system is. The path is cleaned up as Win32
// does; the match runs in Windows-1252, on a name decoded when it is UTF-8
// and taken as its bytes otherwise.
#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "file_find.h"
#include "code_page.h"
#include "path_cleanup.h"
#include "wildcard.h"

namespace {

bool EntryMatches(const char* name, const char* pattern) {
  const std::string_view bytes(name);
  if (HasHighByte(bytes) && IsUtf8(bytes))
    return MatchesWildcard(Utf8ToCp1252(bytes).c_str(), pattern);
  return MatchesWildcard(name, pattern);
}

}  // namespace

CFileFind::CFileFind() = default;
CFileFind::~CFileFind() = default;

int CFileFind::FindFile(const char* path, unsigned int /*flags*/) {
  if (path == nullptr || *path == '\0') return 0;
  const std::string cleaned = CleanWin32Path(path);
  // As on Windows, a name ending in a separator finds nothing.
  if (cleaned.back() == '/') return 0;

  const size_t slash = cleaned.rfind('/');
  const std::string pattern =
      slash == std::string::npos ? cleaned : cleaned.substr(slash + 1);
  if (!HasWildcard(pattern)) {
    // The entry counts, as it does through a wildcard and on Windows: a
    // symbolic link whose target is missing is found too.
    struct stat info;
    return lstat(SystemName(cleaned).c_str(), &info) == 0 ? 1 : 0;
  }

  std::string directory = ".";
  if (slash != std::string::npos)
    directory = slash == 0 ? "/" : SystemName(cleaned.substr(0, slash));
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return 0;
  int found = 0;
  try {
    while (found == 0) {
      const struct dirent* entry = readdir(dir);
      if (entry == nullptr) break;
      if (!IsDotEntry(entry->d_name) &&
          EntryMatches(entry->d_name, pattern.c_str())) {
        found = 1;
      }
    }
  } catch (...) {
    // Out of memory goes on to the caller; the directory stream does not.
    closedir(dir);
    throw;
  }
  closedir(dir);
  return found;
}
