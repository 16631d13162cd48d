#include <errno.h>
#include <dirent.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "check/file_probe.h"

PathKind CFileProbe::Kind(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    if (errno == EACCES) return PathKind::kDenied;
    // A dangling symbolic link is an entry all the same.
    if (lstat(path.c_str(), &info) == 0) return PathKind::kOther;
    return PathKind::kMissing;
  }
  if (S_ISDIR(info.st_mode)) return PathKind::kDirectory;
  return S_ISREG(info.st_mode) ? PathKind::kFile : PathKind::kOther;
}

bool CFileProbe::List(const std::string& directory,
                      std::vector<std::string>& names) {
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return false;
  while (const struct dirent* entry = readdir(dir)) {
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
      names.push_back(entry->d_name);
    }
  }
  closedir(dir);
  return true;
}

bool CFileProbe::MayCreateIn(const std::string& directory) {
  return access(directory.c_str(), W_OK | X_OK) == 0;
}

bool CFileProbe::MayAppendTo(const std::string& file) {
  return access(file.c_str(), W_OK) == 0;
}

bool CFileProbe::Size(const std::string& file, uint64_t& size) {
  struct stat info;
  if (stat(file.c_str(), &info) != 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool CFileProbe::ModifiedTime(const std::string& file, int64_t& seconds) {
  struct stat info;
  if (stat(file.c_str(), &info) != 0) return false;
  seconds = static_cast<int64_t>(info.st_mtime);
  return true;
}

bool CFileProbe::ChangeDirectory(const std::string& directory) {
  return chdir(directory.c_str()) == 0;
}

std::string CFileProbe::RootDirectory() { return "/"; }
const char* CFileProbe::Separators() { return "/"; }
bool CFileProbe::NamesIgnoreCase() { return false; }
