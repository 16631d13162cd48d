// CProfileReader: the one door through which CIniFile reaches the Windows
// profile functions. Tests derive from it to count and shape the reads.
// The platform's readers throw std::bad_alloc when the call ran out of
// memory, which it reports only through its last error.
#ifndef QUILLSPUR_CONFIG_PROFILE_READER_H
#define QUILLSPUR_CONFIG_PROFILE_READER_H

#include <windows.h>

class CProfileReader {
 public:
  virtual ~CProfileReader();
  // GetPrivateProfileStringA.
  virtual DWORD ReadString(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                           LPSTR buffer, DWORD size, LPCSTR fileName);
  // GetPrivateProfileSectionNamesA.
  virtual DWORD ReadSectionNames(LPSTR buffer, DWORD size, LPCSTR fileName);

  // The reader that goes to the platform.
  static CProfileReader& System();
};

#endif
