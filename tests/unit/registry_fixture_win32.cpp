// On Windows the scratch key is a key of its own below HKEY_CURRENT_USER,
// removed with everything below it when the test ends.
#include <stdio.h>

#include "registry_fixture.h"

struct RegistryTest::Platform {};

namespace {

std::string ScratchName() {
  static int serial = 0;
  char name[64];
  snprintf(name, sizeof name, "Software\\QuillspurTest-%lu-%d",
           static_cast<unsigned long>(GetCurrentProcessId()), ++serial);
  return name;
}

}  // namespace

RegistryTest::RegistryTest()
    : m_platform(new Platform), m_strKey(ScratchName()) {}

RegistryTest::~RegistryTest() = default;

void RegistryTest::SetUp() { RegDeleteTreeA(Root(), m_strKey.c_str()); }

void RegistryTest::TearDown() {
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  RegDeleteTreeA(Root(), m_strKey.c_str());
}

void RegistryTest::IsolateLocalMachine() {
  HKEY scratch = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(Root(), SubKey("LocalMachine").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &scratch, nullptr));
  // The system keeps its own reference to the key.
  ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, scratch));
  RegCloseKey(scratch);
}
