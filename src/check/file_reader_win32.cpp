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
