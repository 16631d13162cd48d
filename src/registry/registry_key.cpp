#include "registry/registry_key.h"

#include <mbstring.h>
#include <string.h>

#include <new>

#include "registry/registry_value.h"

namespace {

// Buffer sizes of a load: values with longer names or data are skipped.
const DWORD kNameBufferSize = 260;
const DWORD kDataBufferSize = 2048;

const unsigned char* Bytes(const char* text) {
  return reinterpret_cast<const unsigned char*>(text);
}

// A REG_DWORD from up to four little-endian bytes; missing bytes count as 0.
DWORD LittleEndianDword(const BYTE* data, DWORD size) {
  DWORD value = 0;
  for (DWORD i = 0; i < size && i < 4; ++i) {
    value |= static_cast<DWORD>(data[i]) << (8 * i);
  }
  return value;
}

// The registry's out of memory is ours too: a key or value left unread for
// want of memory must not look like one that is not there.
LONG ThrowIfOutOfMemory(LONG result) {
  if (result == ERROR_NOT_ENOUGH_MEMORY || result == ERROR_OUTOFMEMORY)
    throw std::bad_alloc();
  return result;
}

}  // namespace

CRegistryKey::CRegistryKey(DWORD flags)
    : m_hKey(nullptr),
      m_nFlags(flags),
      m_hRootKey(nullptr),
      m_pszSubKey(nullptr) {}

CRegistryKey::~CRegistryKey() {
  Close();
  DeleteValues();
  delete[] m_pszSubKey;
}

bool CRegistryKey::Open(const char* subKey, HKEY root, DWORD access,
                        bool reopen) {
  if (!reopen) {
    StorePath(subKey);
    m_hRootKey = root;
  }
  Close();
  const DWORD mask = AccessFor(access, reopen);
  LONG result;
  if (m_nFlags & RKF_CREATE) {
    result = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             mask, nullptr, &m_hKey, nullptr);
  } else {
    result = RegOpenKeyExA(root, subKey, 0, mask, &m_hKey);
  }
  if (ThrowIfOutOfMemory(result) != ERROR_SUCCESS) {
    m_hKey = nullptr;
    return false;
  }
  return reopen || LoadValues();
}

bool CRegistryKey::EnsureOpen(DWORD access) {
  if (m_hKey != nullptr || !(m_nFlags & RKF_AUTO_CLOSE)) return true;
  // A key that was never opened has nothing to reopen.
  if (m_pszSubKey == nullptr) return false;
  return Open(m_pszSubKey, m_hRootKey, access, true);
}

void CRegistryKey::Close() {
  if (m_hKey == nullptr) return;
  RegCloseKey(m_hKey);
  m_hKey = nullptr;
}

void CRegistryKey::CloseIfAutoClose() {
  if (m_nFlags & RKF_AUTO_CLOSE) Close();
}

bool CRegistryKey::LoadValues() {
  const DWORD savedFlags = m_nFlags;
  const bool autoClose = (savedFlags & RKF_AUTO_CLOSE) != 0;
  if (autoClose && !EnsureOpen(KEY_QUERY_VALUE)) return false;
  if (m_hKey == nullptr) return false;
  DWORD count = 0;
  if (ThrowIfOutOfMemory(RegQueryInfoKeyA(
          m_hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
          nullptr, nullptr, nullptr, nullptr)) != ERROR_SUCCESS) {
    return false;
  }
  // One byte more than the registry may fill, so that a text without its
  // NUL still ends within the buffer.
  std::vector<BYTE> data(kDataBufferSize + 1);
  char name[kNameBufferSize];
  m_nFlags = (m_nFlags | RKF_LOADING) & ~static_cast<DWORD>(RKF_AUTO_CLOSE);
  // However the load ends, also when memory runs out: the flags as they were,
  // and an auto-close key closed.
  struct Restore {
    CRegistryKey& key;
    DWORD flags;
    ~Restore() {
      key.m_nFlags = flags;
      key.CloseIfAutoClose();
    }
  } restore{*this, savedFlags};
  if (m_values.capacity() < count) m_values.reserve(count);
  for (DWORD index = 0; index < count; ++index) {
    DWORD nameLength = kNameBufferSize;
    DWORD dataLength = kDataBufferSize;
    DWORD type = REG_NONE;
    name[0] = '\0';
    if (ThrowIfOutOfMemory(RegEnumValueA(m_hKey, index, name, &nameLength,
                                         nullptr, &type, data.data(),
                                         &dataLength)) != ERROR_SUCCESS) {
      continue;
    }
    CacheEnumerated(name, type, data.data(), dataLength);
  }
  return true;
}

bool CRegistryKey::NameLess::operator()(const std::string& a,
                                        const std::string& b) const {
  return _mbsicmp(Bytes(a.c_str()), Bytes(b.c_str())) < 0;
}

CRegistryValue* CRegistryKey::FindOrAddValue(const char* name) {
  const auto found = m_index.find(name);
  if (found != m_index.end()) return found->second;
  CRegistryValue* value = new CRegistryValue(this);
  m_values.push_back(value);
  m_index.emplace(name, value);
  // The whole name, however long, so that it always keeps its NUL.
  const size_t size = strlen(name) + 1;
  value->m_pszName = new char[size];
  _mbsnbcpy(reinterpret_cast<unsigned char*>(value->m_pszName), Bytes(name),
            size);
  return value;
}

void CRegistryKey::StorePath(const char* subKey) {
  if (m_pszSubKey != nullptr &&
      _mbsicmp(Bytes(m_pszSubKey), Bytes(subKey)) == 0) {
    return;
  }
  if (m_pszSubKey != nullptr) DeleteValues();
  delete[] m_pszSubKey;
  const size_t size = strlen(subKey) + 1;
  m_pszSubKey = new char[size];
  memcpy(m_pszSubKey, subKey, size);
}

void CRegistryKey::DeleteValues() {
  for (CRegistryValue* value : m_values) delete value;
  m_values.clear();
  m_index.clear();
}

DWORD CRegistryKey::AccessFor(DWORD access, bool reopen) const {
  if ((m_nFlags & RKF_AUTO_CLOSE) && !reopen) {
    return KEY_QUERY_VALUE | KEY_CREATE_SUB_KEY;
  }
  if (m_nFlags & RKF_CREATE) return access | KEY_CREATE_SUB_KEY;
  return access;
}

void CRegistryKey::CacheEnumerated(const char* name, DWORD type, BYTE* data,
                                   DWORD size) {
  switch (type) {
    case REG_SZ:
      // data has a spare byte behind its size for this NUL: a text that
      // came without one ends where the registry's data end.
      data[size] = 0;
      FindOrAddValue(name)->SetString(reinterpret_cast<const char*>(data));
      break;
    case REG_BINARY:
      FindOrAddValue(name)->SetBinary(data, size);
      break;
    case REG_DWORD: {
      const DWORD number = LittleEndianDword(data, size);
      FindOrAddValue(name)->SetDword(number);
      break;
    }
    case REG_MULTI_SZ:
      FindOrAddValue(name)->SetMultiString(data, size, false);
      break;
    default:
      break;  // other types are not cached
  }
}
