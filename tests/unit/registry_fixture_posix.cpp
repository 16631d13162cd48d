// On POSIX the scratch key lives in a store file of its own, named to the
// registry layer through QUILLSPUR_REGISTRY.
#include <stdlib.h>

#include "registry_fixture.h"
#include "temp_dir.h"

struct RegistryTest::Platform {
  TempDir dir;
};

RegistryTest::RegistryTest()
    : m_platform(new Platform), m_strKey("Software\\QuillspurTest") {}

RegistryTest::~RegistryTest() = default;

void RegistryTest::SetUp() {
  setenv("QUILLSPUR_REGISTRY", m_platform->dir.File("registry.reg").c_str(), 1);
}

void RegistryTest::TearDown() { unsetenv("QUILLSPUR_REGISTRY"); }

// The store of this test holds every root, HKEY_LOCAL_MACHINE included.
void RegistryTest::IsolateLocalMachine() {}
