#include <windows.h>

#include <direct.h>

#include "check/file_probe.h"

namespace {

std::string Joined(const std::string& directory, const char* name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  return directory + (last == '\\' || last == '/' || last == ':' ? "" : "\\") +
         name;
}

// Opens without changing anything; INVALID_HANDLE_VALUE when refused.
HANDLE OpenExisting(const std::string& path, DWORD access, DWORD flags) {
  return CreateFileA(path.c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, flags, nullptr);
}

}  // namespace

PathKind CFileProbe::Kind(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return GetLastError() == ERROR_ACCESS_DENIED ? PathKind::kDenied
                                                 : PathKind::kMissing;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kDirectory
                                                 : PathKind::kFile;
}

bool CFileProbe::List(const std::string& directory,
                      std::vector<std::string>& names) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(Joined(directory, "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return true;
}

bool CFileProbe::MayCreateIn(const std::string& directory) {
  // Asking for the right to add a file opens the directory and leaves it
  // as it is.
  HANDLE dir = OpenExisting(directory.empty() ? "." : directory, FILE_ADD_FILE,
                            FILE_FLAG_BACKUP_SEMANTICS);
  if (dir == INVALID_HANDLE_VALUE) return false;
  CloseHandle(dir);
  return true;
}

bool CFileProbe::MayAppendTo(const std::string& file) {
  HANDLE handle = OpenExisting(file, FILE_APPEND_DATA, 0);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

bool CFileProbe::Size(const std::string& file, uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) {
    return false;
  }
  size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool CFileProbe::ModifiedTime(const std::string& file, int64_t& seconds) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) {
    return false;
  }
  // 100-ns steps since 1601.
  const uint64_t ticks =
      (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
      data.ftLastWriteTime.dwLowDateTime;
  seconds = static_cast<int64_t>(ticks / 10000000u) - 11644473600LL;
  return true;
}

bool CFileProbe::ChangeDirectory(const std::string& directory) {
  return _chdir(directory.c_str()) == 0;
}

std::string CFileProbe::RootDirectory() { return "\\"; }
const char* CFileProbe::Separators() { return "\\/:"; }
bool CFileProbe::NamesIgnoreCase() { return true; }
