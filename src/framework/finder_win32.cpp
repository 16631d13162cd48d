// CFileFind over FindFirstFileA. The entries "." and ".." that Windows lists
// for a pattern do not count, so "dir\*" needs a real entry in dir.
#include <windows.h>

#include "framework/file_find.h"
#include "framework/wildcard.h"

namespace {

bool LastComponentHasWildcard(const char* path) {
  const char* last = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') last = p + 1;
  }
  return HasWildcard(last);
}

}  // namespace

CFileFind::CFileFind() = default;
CFileFind::~CFileFind() = default;

int CFileFind::FindFile(const char* path, unsigned int /*flags*/) {
  if (path == nullptr || *path == '\0') return 0;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path, &data);
  if (search == INVALID_HANDLE_VALUE) return 0;
  const bool pattern = LastComponentHasWildcard(path);
  int found = 0;
  do {
    if (!pattern || !IsDotEntry(data.cFileName)) found = 1;
  } while (found == 0 && FindNextFileA(search, &data));
  FindClose(search);
  return found;
}
