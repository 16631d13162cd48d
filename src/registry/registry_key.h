// CRegistryKey: one registry key, named by a root key and a sub-key path,
// with a cache of its values of the types REG_SZ, REG_BINARY, REG_DWORD and
// REG_MULTI_SZ. Values set through the cache are written through to the key.
#ifndef QUILLSPUR_REGISTRY_REGISTRY_KEY_H
#define QUILLSPUR_REGISTRY_REGISTRY_KEY_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

class CRegistryValue;

// Flag bits of CRegistryKey::m_nFlags, fixed at construction.
enum : DWORD {
  RKF_CREATE = 1,      // Open creates a missing key, with KEY_CREATE_SUB_KEY
  RKF_AUTO_CLOSE = 2,  // the handle is held only for each single access
  RKF_REFRESH = 4,     // every read as text reloads all values first
  RKF_LOADING = 8      // set during LoadValues: no write-back, no reload
};

class CRegistryKey {
 public:
  explicit CRegistryKey(DWORD flags);
  virtual ~CRegistryKey();
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  // Opens (with RKF_CREATE: creates) root\subKey and, unless reopening,
  // loads its values. Another path, compared without regard to case,
  // empties the cache first. True when opened and, unless reopening, loaded.
  bool Open(const char* subKey, HKEY root, DWORD access, bool reopen);
  // Reopens a closed RKF_AUTO_CLOSE key with the access; true at once for
  // every other key.
  bool EnsureOpen(DWORD access);
  void Close();
  void CloseIfAutoClose();
  // Reads every value of a supported type into the cache; values are never
  // removed. False when the key is not open or its value count is unknown.
  bool LoadValues();
  // The cached value of this name in any letter case, else a new empty one
  // that exists only in the cache until a setter writes it. Never null.
  CRegistryValue* FindOrAddValue(const char* name);

  // The values read these fields directly, as the key and its values
  // belong together.
  HKEY m_hKey;
  DWORD m_nFlags;
  HKEY m_hRootKey;
  char* m_pszSubKey;
  std::vector<CRegistryValue*> m_values;

 private:
  // Orders names as FindOrAddValue matches them, without regard to case.
  struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };

  void StorePath(const char* subKey);
  void DeleteValues();
  DWORD AccessFor(DWORD access, bool reopen) const;
  // data must have one writable byte behind its size.
  void CacheEnumerated(const char* name, DWORD type, BYTE* data, DWORD size);

  // m_values by name, so that loading a large key finds each name at once.
  std::map<std::string, CRegistryValue*, NameLess> m_index;
};

#endif
