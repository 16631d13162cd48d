// A scratch registry key for tests, made and removed by the test itself:
// below HKEY_CURRENT_USER on Windows, in a temporary store file on POSIX.
#ifndef QUILLSPUR_TESTS_REGISTRY_FIXTURE_H
#define QUILLSPUR_TESTS_REGISTRY_FIXTURE_H

#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest();
  ~RegistryTest() override;
  void SetUp() override;
  void TearDown() override;

  // The scratch key's path below Root(); it does not exist at first.
  const std::string& Key() const { return m_strKey; }
  HKEY Root() const { return HKEY_CURRENT_USER; }
  // A path below the scratch key, for a second key.
  std::string SubKey(const char* name) const { return m_strKey + "\\" + name; }

  // Direct registry access, past any cache. Put creates the key.
  void Put(const char* name, DWORD type, const std::string& data,
           const std::string& key = std::string());
  void PutText(const char* name, const std::string& text);
  // False when the value is missing.
  bool Get(const char* name, DWORD& type, std::string& data) const;
  DWORD CountValues() const;
  void Remove(const char* name);
  bool KeyExists(const std::string& key) const;
  // Makes HKEY_LOCAL_MACHINE a scratch key of this test until TearDown, so
  // that a test of the product's own key never touches the machine's.
  void IsolateLocalMachine();

 private:
  struct Platform;  // what one platform needs to make and drop the key
  std::unique_ptr<Platform> m_platform;
  std::string m_strKey;
};

#endif
