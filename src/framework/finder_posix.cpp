// CFileFind over POSIX directory calls, with Windows' wildcard rules: "*"
// and "?" only in the last component, everything else literal,
// case-sensitive as the file system is.
#include <dirent.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "file_find.h"
#include "os_path.h"
#include "wildcard.h"

namespace {

bool HasWildcard(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

bool IsDotEntry(const char* name) {
  return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

}  // namespace

CFileFind::CFileFind() = default;
CFileFind::~CFileFind() = default;

int CFileFind::FindFile(const char* path, unsigned int /*flags*/) {
  const std::string osPath = OsPath(path);
  if (osPath.empty()) return 0;

  const size_t slash = osPath.rfind('/');
  const std::string pattern =
      slash == std::string::npos ? osPath : osPath.substr(slash + 1);
  if (!HasWildcard(pattern)) {
    // The entry counts, as it does through a wildcard and on Windows: a
    // symbolic link whose target is missing is found too.
    struct stat info;
    return lstat(osPath.c_str(), &info) == 0 ? 1 : 0;
  }

  std::string directory = ".";
  if (slash != std::string::npos)
    directory = slash == 0 ? "/" : osPath.substr(0, slash);
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return 0;
  int found = 0;
  while (found == 0) {
    const struct dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    if (!IsDotEntry(entry->d_name) &&
        MatchesWildcard(entry->d_name, pattern.c_str())) {
      found = 1;
    }
  }
  closedir(dir);
  return found;
}
