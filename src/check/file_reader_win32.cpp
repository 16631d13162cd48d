#include <windows.h>

#include <algorithm>

#include "check/file_reader.h"

CFileReader::CFileReader() : m_nHandle(-1), m_bAtEnd(false) {}

CFileReader::~CFileReader() {
  if (m_nHandle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_nHandle));
}

bool CFileReader::Open(const std::string& file, std::string& reason) {
  HANDLE handle =
      CreateFileA(file.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    reason = GetLastError() == ERROR_ACCESS_DENIED ? "access denied"
                                                   : "cannot be opened";
    return false;
  }
  m_nHandle = reinterpret_cast<intptr_t>(handle);
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    reason = "not a regular file";
    return false;
  }
  return true;
}

bool CFileReader::Read(char* at, size_t size, size_t& got,
                       std::string& reason) {
  got = 0;
  if (m_bAtEnd) return true;
  const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
  DWORD read = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(m_nHandle), at, want, &read,
                nullptr)) {
    reason = "cannot be read";
    return false;
  }
  got = read;
  m_bAtEnd = read < want;
  return true;
}

bool CFileReader::ReadAll(std::string& bytes, std::string& reason) {
  const HANDLE handle = reinterpret_cast<HANDLE>(m_nHandle);
  // Straight into the string, a byte more than its size so that the end
  // shows without another read; a file that grows meanwhile grows it.
  LARGE_INTEGER size;
  const size_t start = bytes.size();
  size_t used = start;
  bytes.resize(
      used +
      (GetFileSizeEx(handle, &size) ? static_cast<size_t>(size.QuadPart) : 0) +
      1);
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() + 65536);
    const DWORD want =
        static_cast<DWORD>(std::min<size_t>(bytes.size() - used, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(handle, &bytes[used], want, &got, nullptr)) {
      bytes.resize(start);
      reason = "cannot be read";
      return false;
    }
    if (got == 0) break;
    used += got;
  }
  bytes.resize(used);
  return true;
}
