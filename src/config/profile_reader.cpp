#include "config/profile_reader.h"

#include <new>

namespace {

// Out of memory, a call returns 0 and an empty buffer, as for an empty value;
// only its last error tells. The error is cleared before each call, so that
// the one found after it is the call's own.
void ThrowIfOutOfMemory() {
  const DWORD error = GetLastError();
  if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY)
    throw std::bad_alloc();
}

}  // namespace

CProfileReader::~CProfileReader() = default;

DWORD CProfileReader::ReadString(LPCSTR section, LPCSTR key,
                                 LPCSTR defaultValue, LPSTR buffer, DWORD size,
                                 LPCSTR fileName) {
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetPrivateProfileStringA(section, key, defaultValue,
                                                buffer, size, fileName);
  ThrowIfOutOfMemory();
  return length;
}

DWORD CProfileReader::ReadSectionNames(LPSTR buffer, DWORD size,
                                       LPCSTR fileName) {
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetPrivateProfileSectionNamesA(buffer, size, fileName);
  ThrowIfOutOfMemory();
  return length;
}

CProfileReader& CProfileReader::System() {
  static CProfileReader reader;
  return reader;
}
