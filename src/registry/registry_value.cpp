#include "registry/registry_value.h"

#include <mbstring.h>
#include <stdio.h>
#include <string.h>

#include "registry/registry_key.h"

namespace {

unsigned char* Bytes(char* text) {
  return reinterpret_cast<unsigned char*>(text);
}

const unsigned char* Bytes(const char* text) {
  return reinterpret_cast<const unsigned char*>(text);
}

}  // namespace

CRegistryValue::CRegistryValue(CRegistryKey* key)
    : m_pszName(nullptr),
      m_dwType(REG_NONE),
      m_pKey(key),
      m_bHasData(false),
      m_dwValue(0),
      m_pszBuffer(nullptr) {}

CRegistryValue::~CRegistryValue() {
  delete[] m_pszName;
  delete[] m_pszBuffer;
}

char* CRegistryValue::EnsureBuffer() {
  if (m_pszBuffer == nullptr) {
    m_pszBuffer = new char[kRegistryTextSize];
    m_pszBuffer[0] = '\0';
  }
  return m_pszBuffer;
}

CRegistryValue* CRegistryValue::SetString(const char* text) {
  EnsureBuffer();
  m_dwType = REG_SZ;
  _mbsnbcpy(Bytes(m_pszBuffer), Bytes(text), kRegistryTextSize);
  // A longer text is cached cut, but still with its NUL.
  m_pszBuffer[kRegistryTextSize - 1] = '\0';
  WriteBack(REG_SZ, reinterpret_cast<const BYTE*>(text),
            static_cast<DWORD>(strlen(text) + 1));
  return this;
}

CRegistryValue* CRegistryValue::SetDword(const DWORD& value) {
  m_dwType = REG_DWORD;
  m_dwValue = value;
  // Little-endian whatever the host, as the registry stores it.
  const BYTE bytes[4] = {
      static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
      static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  WriteBack(REG_DWORD, bytes, sizeof bytes);
  return this;
}

void CRegistryValue::SetBinary(const BYTE* data, DWORD size) {
  if (size == 0) return;
  m_dwType = REG_BINARY;
  WriteBack(REG_BINARY, data, size);
  // Through a copy: data may point into m_binary itself.
  std::vector<BYTE> bytes(data, data + size);
  m_binary.swap(bytes);
}

void CRegistryValue::SetMultiString(const BYTE* data, DWORD size,
                                    bool writeOnly) {
  if (!writeOnly) {
    m_dwType = REG_MULTI_SZ;
    ParseMultiString(data, size);
  }
  WriteBack(REG_MULTI_SZ, data, size);
}

char* CRegistryValue::GetAsString() {
  ReloadIfRefreshing();
  EnsureBuffer();
  switch (m_dwType) {
    case REG_BINARY: {
      // At most 2047 bytes, so that the NUL stays within the buffer.
      DWORD count = static_cast<DWORD>(m_binary.size());
      if (count > kRegistryTextSize - 1) count = kRegistryTextSize - 1;
      _mbsnbcpy(Bytes(m_pszBuffer), m_binary.data(), count);
      m_pszBuffer[count] = '\0';
      break;
    }
    case REG_DWORD:
      (void)snprintf(m_pszBuffer, kRegistryTextSize, "%lu",
                     static_cast<unsigned long>(m_dwValue));
      break;
    case REG_MULTI_SZ:
      JoinList(m_pszBuffer, kRegistryTextSize);  // reloaded above already
      break;
    default:
      break;  // a REG_SZ text is already there; no data is the empty text
  }
  return m_pszBuffer;
}

char* CRegistryValue::JoinMultiString(char* buffer, DWORD length) {
  if (m_dwType != REG_MULTI_SZ) {
    if (length > 0) buffer[0] = '\0';
    return buffer;
  }
  ReloadIfRefreshing();
  return JoinList(buffer, length);
}

char* CRegistryValue::JoinList(char* buffer, DWORD length) {
  if (length == 0) return buffer;
  DWORD offset = 0;
  for (const std::string& text : m_strings) {
    if (offset >= length) break;
    const DWORD size = static_cast<DWORD>(text.size() + 1);
    const DWORD room = length - offset;
    _mbsnbcpy(Bytes(buffer + offset), Bytes(text.c_str()),
              size < room ? size : room);
    offset += size;
  }
  if (offset < length) {
    buffer[offset] = '\0';
  } else {
    // Cut to fit: the image still ends in two NULs (one in a 1-byte buffer).
    buffer[length - 1] = '\0';
    if (length >= 2) buffer[length - 2] = '\0';
  }
  return buffer;
}

void CRegistryValue::WriteBack(DWORD type, const BYTE* data, DWORD size) {
  const bool loading = (m_pKey->m_nFlags & RKF_LOADING) != 0;
  if (!loading && m_pszName != nullptr && IsKeyUsable(KEY_SET_VALUE)) {
    RegSetValueExA(m_pKey->m_hKey, m_pszName, 0, type, data, size);
  }
  m_pKey->CloseIfAutoClose();
  m_bHasData = true;
}

void CRegistryValue::ReloadIfRefreshing() {
  const DWORD flags = m_pKey->m_nFlags;
  if (!(flags & RKF_REFRESH) || (flags & RKF_LOADING) || m_pszName == nullptr) {
    return;
  }
  if (IsKeyUsable(KEY_QUERY_VALUE)) m_pKey->LoadValues();
}

bool CRegistryValue::IsKeyUsable(DWORD access) {
  // EnsureOpen reopens an auto-close key and passes any other as it is, so
  // the handle then tells: a closed key of another kind is not usable.
  return m_pKey->EnsureOpen(access) && m_pKey->m_hKey != nullptr;
}

void CRegistryValue::ParseMultiString(const BYTE* data, DWORD size) {
  m_strings.clear();
  if (size <= 2) return;
  const DWORD end = data[size - 1] == 0 ? size - 1 : size;
  DWORD start = 0;
  for (DWORD i = 0; i < end; ++i) {
    if (data[i] != 0) continue;
    m_strings.emplace_back(reinterpret_cast<const char*>(data + start),
                           i - start);
    start = i + 1;
  }
}
