// CRegistryValue: one named value of a CRegistryKey, cached with its type and
// data. Setters called outside a load write the data through to the key.
#ifndef QUILLSPUR_REGISTRY_REGISTRY_VALUE_H
#define QUILLSPUR_REGISTRY_REGISTRY_VALUE_H

#include <windows.h>

#include <string>
#include <vector>

class CRegistryKey;

// Size of the text buffer, its terminating NUL included.
const DWORD kRegistryTextSize = 2048;

class CRegistryValue {
 public:
  explicit CRegistryValue(CRegistryKey* key);
  virtual ~CRegistryValue();
  CRegistryValue(const CRegistryValue&) = delete;
  CRegistryValue& operator=(const CRegistryValue&) = delete;

  // The text buffer of kRegistryTextSize bytes, allocated on first use.
  char* EnsureBuffer();
  // Caches the text (cut to 2047 characters) and writes it whole.
  CRegistryValue* SetString(const char* text);
  CRegistryValue* SetDword(const DWORD& value);
  // Size 0 changes nothing at all.
  void SetBinary(const BYTE* data, DWORD size);
  // Parses a REG_MULTI_SZ image into the string list, unless writeOnly;
  // writes the data as given either way.
  void SetMultiString(const BYTE* data, DWORD size, bool writeOnly);
  // The value as NUL-terminated text in the text buffer: the text, the
  // number in decimal, the bytes up to the first NUL, or the first string.
  char* GetAsString();
  // Writes the string list as a REG_MULTI_SZ image into buffer, cut to
  // fit and always ending in NULs within length bytes.
  char* JoinMultiString(char* buffer, DWORD length);

  // The owning key reads and sets these fields directly, as do the callers
  // that ask whether a value was found (m_bHasData).
  char* m_pszName;
  DWORD m_dwType;
  CRegistryKey* m_pKey;
  bool m_bHasData;
  DWORD m_dwValue;
  char* m_pszBuffer;
  std::vector<BYTE> m_binary;
  std::vector<std::string> m_strings;

 private:
  void WriteBack(DWORD type, const BYTE* data, DWORD size);
  void ReloadIfRefreshing();
  // The key is open for access, reopened first if it opens on demand.
  bool IsKeyUsable(DWORD access);
  void ParseMultiString(const BYTE* data, DWORD size);
  // JoinMultiString without the reload.
  char* JoinList(char* buffer, DWORD length);
};

#endif
