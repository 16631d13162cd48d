#include "registry_fixture.h"

#include <mbstring.h>

#include <vector>

namespace {

// Opens the key for the test's own direct access.
HKEY OpenRaw(HKEY root, const std::string& key, REGSAM access) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, access, &handle) != ERROR_SUCCESS) {
    return nullptr;
  }
  return handle;
}

}  // namespace

void RegistryTest::Put(const char* name, DWORD type, const std::string& data,
                       const std::string& key) {
  HKEY handle = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(Root(), (key.empty() ? m_strKey : key).c_str(), 0,
                            nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &handle,
                            nullptr));
  EXPECT_EQ(ERROR_SUCCESS,
            RegSetValueExA(handle, name, 0, type,
                           reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())));
  RegCloseKey(handle);
}

void RegistryTest::PutText(const char* name, const std::string& text) {
  Put(name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

bool RegistryTest::Get(const char* name, DWORD& type, std::string& data) const {
  HKEY handle = OpenRaw(Root(), m_strKey, KEY_QUERY_VALUE);
  if (handle == nullptr) return false;
  bool found = false;
  std::vector<BYTE> buffer(70000);
  char found_name[16384];
  for (DWORD index = 0; !found; ++index) {
    DWORD nameLength = sizeof found_name;
    DWORD size = static_cast<DWORD>(buffer.size());
    if (RegEnumValueA(handle, index, found_name, &nameLength, nullptr, &type,
                      buffer.data(), &size) != ERROR_SUCCESS) {
      break;
    }
    found = _mbsicmp(reinterpret_cast<const unsigned char*>(found_name),
                     reinterpret_cast<const unsigned char*>(name)) == 0;
    if (found) data.assign(reinterpret_cast<const char*>(buffer.data()), size);
  }
  RegCloseKey(handle);
  return found;
}

DWORD RegistryTest::CountValues() const {
  HKEY handle = OpenRaw(Root(), m_strKey, KEY_QUERY_VALUE);
  DWORD count = 0;
  if (handle == nullptr) return 0;
  RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   &count, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(handle);
  return count;
}

void RegistryTest::Remove(const char* name) {
  HKEY handle = OpenRaw(Root(), m_strKey, KEY_SET_VALUE);
  ASSERT_NE(nullptr, handle);
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(handle, name));
  RegCloseKey(handle);
}

bool RegistryTest::KeyExists(const std::string& key) const {
  HKEY handle = OpenRaw(Root(), key, KEY_QUERY_VALUE);
  if (handle != nullptr) RegCloseKey(handle);
  return handle != nullptr;
}
