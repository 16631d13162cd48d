#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "allocation_seam.h"
#include "registry/install_path.h"
#include "registry_fixture.h"

namespace {

const char kKey[] = "Software\\KESTRAN\\LORVANTIS";
const char kBelow[] = "\\htdocs\\LORVANTIS\\lorvantis_php\\log";

// The product's key, made afresh with at most one value in it, below an
// HKEY_LOCAL_MACHINE that belongs to the test.
class ProductKey : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    IsolateLocalMachine();
  }

  static void Reset(const char* name, DWORD type, const std::string& data) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
    HKEY key = nullptr;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr,
                                 REG_OPTION_NON_VOLATILE,
                                 KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                                 nullptr));
    if (name != nullptr) {
      RegSetValueExA(key, name, 0, type,
                     reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
    }
    RegCloseKey(key);
  }
};

}  // namespace

TEST(CInstallPath, LogDirectoryHasOneBackslashAtTheJoint) {
  struct {
    const char* install;
    const char* expected;
  } const cases[] = {
      {"D:\\Apps", "D:\\Apps\\htdocs\\LORVANTIS\\lorvantis_php\\log"},
      {"D:\\Apps\\", "D:\\Apps\\htdocs\\LORVANTIS\\lorvantis_php\\log"},
      {"/srv/app/",
       "/srv/app/\\htdocs\\LORVANTIS\\lorvantis_php\\log"},  // only "\" counts
      {"\\", "\\htdocs\\LORVANTIS\\lorvantis_php\\log"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.expected, CInstallPath::LogDirectoryBelow(c.install))
        << c.install;
  }
}

TEST_F(ProductKey, PathIsReadInEveryStateOfTheRegistry) {
  const std::string dword("\x2A\x00\x00\x00", 4);
  struct {
    const char* name;  // null: the key holds no value
    DWORD type;
    std::string data;
    std::string install;  // expected installation directory
  } const cases[] = {
      /* 0 */ {nullptr, REG_SZ, "", ""},
      /* 1 */ {"Path", REG_SZ, std::string("D:\\Apps\0", 8), "D:\\Apps"},
      /* 2 */ {"PATH", REG_SZ, std::string("D:\\Apps\0", 8), "D:\\Apps"},
      /* 3 */ {"Path", REG_SZ, std::string("\0", 1), ""},
      /* 4 */ {"Path", REG_EXPAND_SZ, std::string("D:\\Apps\0", 8), ""},
      /* 5 */ {"Path", REG_DWORD, dword, "42"},
      /* 6 */
      {"Path", REG_MULTI_SZ, std::string("D:\\A\0D:\\B\0\0", 11), "D:\\A"},
      /* 7 */ {"Path", REG_BINARY, std::string("AB\0C", 4), "AB"},
      /* 8 */ {"Path", REG_BINARY, std::string(), ""},
      /* 9 */ {"Path", REG_SZ, std::string(3000, 'x') + '\0', ""},  // too long
                                                                    // to load
      /* 10 */ {"Other", REG_SZ, std::string("D:\\Apps\0", 8), ""},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    Reset(cases[i].name, cases[i].type, cases[i].data);
    CInstallPath path;
    const std::string expected =
        cases[i].install.empty() ? "" : cases[i].install + kBelow;
    EXPECT_STREQ(expected.c_str(), path.GetLogDirectory()) << "case " << i;
    EXPECT_EQ(cases[i].install.empty() ? 0 : 1, path.Read()) << "case " << i;
  }
}

TEST_F(ProductKey, AMissingKeyIsCreatedEmpty) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
  CInstallPath path;
  EXPECT_STREQ("", path.GetLogDirectory());
  HKEY key = nullptr;
  ASSERT_EQ(0,
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key));
  DWORD values = 99;
  EXPECT_EQ(0, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, &values, nullptr, nullptr,
                                nullptr, nullptr));
  EXPECT_EQ(0u, values);
  RegCloseKey(key);
}

// Start-up's read of the registry with each of its allocations failing in
// turn, the real registry's calls included on Windows: Path is read whole or
// the read throws, never read short or as empty.
TEST_F(ProductKey, EachFailedAllocationOfTheReadThrowsOrReadsPathWhole) {
  Reset("Path", REG_SZ, std::string("D:\\Apps\0", 8));
  const std::string expected = std::string("D:\\Apps") + kBelow;
  CInstallPath path;
  const unsigned long before = seams::AllocationCount();
  path.Read();
  const unsigned long total = seams::AllocationCount() - before;
  ASSERT_GT(total, 0u) << "operator new is not the seam's";
  for (unsigned long n = 1; n <= total + 1; ++n) {
    seams::FailAllocation(n);
    try {
      EXPECT_EQ(1, path.Read()) << "allocation " << n;
      EXPECT_STREQ(expected.c_str(), path.GetLogDirectory())
          << "allocation " << n;
    } catch (const std::bad_alloc&) {
    }
    seams::FailAllocation(0);
  }
}
