#include "counting_reader.h"

CCountingReader::CCountingReader() : m_nReads(0) {}
CCountingReader::~CCountingReader() = default;

DWORD CCountingReader::ReadString(LPCSTR section, LPCSTR key,
                                  LPCSTR defaultValue, LPSTR buffer, DWORD size,
                                  LPCSTR fileName) {
  ++m_nReads;
  return CProfileReader::ReadString(section, key, defaultValue, buffer, size,
                                    fileName);
}

DWORD CCountingReader::ReadSectionNames(LPSTR buffer, DWORD size,
                                        LPCSTR fileName) {
  ++m_nReads;
  return CProfileReader::ReadSectionNames(buffer, size, fileName);
}
