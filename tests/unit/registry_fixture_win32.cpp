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

void RegistryTest::TearDown() { RegDeleteTreeA(Root(), m_strKey.c_str()); }
