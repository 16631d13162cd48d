// CIniFile: read access to one INI file through the profile functions. It
// holds nothing but the file's name; every read goes to the file afresh, so
// edits made while the program runs are seen by the next read. Memory that
// runs out, here or in the platform, makes a read throw std::bad_alloc: no
// value or list is ever cut short or empty for want of it.
#ifndef QUILLSPUR_CONFIG_INI_FILE_H
#define QUILLSPUR_CONFIG_INI_FILE_H

#include <windows.h>

#include <string_view>

#include "config/profile_reader.h"
#include "framework/afx_string.h"
#include "framework/afx_string_array.h"

class CIniFile {
 public:
  CIniFile();
  explicit CIniFile(CProfileReader& reader);
  virtual ~CIniFile();
  CIniFile(const CIniFile&) = delete;
  CIniFile& operator=(const CIniFile&) = delete;

  // Holds a copy of name; null empties a held name but keeps its storage.
  void SetFileName(const char* name);
  // The value, or defaultValue ("" when null), in a new buffer that the
  // caller releases with delete[]. Null section or key: no read of the file.
  char* GetStringAlloc(const char* section, const char* key,
                       const char* defaultValue);
  // Places at most count bytes of the value in buffer (NUL-terminated only
  // when shorter than count) and returns how many; with a null buffer,
  // returns the value's full length.
  int GetString(const char* section, const char* key, char* buffer, DWORD count,
                const char* defaultValue);
  CString GetString(const char* section, const char* key,
                    const char* defaultValue);
  // strtoul of the first 64 bytes of the value in NormalizeRadix(radix);
  // defaultValue when the value is empty or missing.
  int GetInt(const char* section, const char* key, int defaultValue, int radix);
  // With a buffer: the platform's section list, as it returns it. Without:
  // the size a buffer needs for the whole list, plus one.
  DWORD GetSectionNames(char* buffer, DWORD size);
  // Empties names, then appends every section name in file order.
  void GetSectionNames(CStringArray* names);

 private:
  CProfileReader& m_reader;
  char* m_pszFileName;
};

// Calls callback(string, context) for each string of a NUL-separated list
// that ends with an empty string. 1 when the end was reached, else 0.
int EnumStringList(const char* list, int (*callback)(const char*, void*),
                   void* context);
// Appends string to the CStringArray behind array; 1 to go on, 0 on null.
int AddToStringArray(const char* string, void* array);
// 2, 8 and 16 as they are; every other radix means 10.
int NormalizeRadix(int radix);
// What GetInt makes of a value as the profile functions read it: strtoul
// of its first 64 bytes in NormalizeRadix(radix); defaultValue when it is
// empty.
int IntFromProfileValue(std::string_view value, int defaultValue, int radix);

#endif
