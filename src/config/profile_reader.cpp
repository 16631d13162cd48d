#include "profile_reader.h"

CProfileReader::~CProfileReader() = default;

DWORD CProfileReader::ReadString(LPCSTR section, LPCSTR key,
                                 LPCSTR defaultValue, LPSTR buffer, DWORD size,
                                 LPCSTR fileName) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size,
                                  fileName);
}

DWORD CProfileReader::ReadSectionNames(LPSTR buffer, DWORD size,
                                       LPCSTR fileName) {
  return GetPrivateProfileSectionNamesA(buffer, size, fileName);
}

CProfileReader& CProfileReader::System() {
  static CProfileReader reader;
  return reader;
}
