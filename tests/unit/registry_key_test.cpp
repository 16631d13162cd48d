#include <ctype.h>
#include <string.h>

#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "registry_fixture.h"

namespace {

const DWORD kReadWrite = KEY_QUERY_VALUE | KEY_SET_VALUE;

std::string Dword(BYTE b0, BYTE b1, BYTE b2, BYTE b3) {
  const char bytes[4] = {static_cast<char>(b0), static_cast<char>(b1),
                         static_cast<char>(b2), static_cast<char>(b3)};
  return std::string(bytes, 4);
}

}  // namespace

using CRegistryKeyTest = RegistryTest;

TEST_F(CRegistryKeyTest, CreatesAMissingKeyOnlyWithCreateFlag) {
  CRegistryKey plain(0);
  EXPECT_FALSE(plain.Open(Key().c_str(), Root(), kReadWrite, false));
  EXPECT_EQ(nullptr, plain.m_hKey);
  EXPECT_FALSE(KeyExists(Key()));

  CRegistryKey creating(RKF_CREATE);
  EXPECT_TRUE(creating.Open(Key().c_str(), Root(), kReadWrite, false));
  EXPECT_NE(nullptr, creating.m_hKey);
  EXPECT_TRUE(creating.m_values.empty());
  EXPECT_TRUE(KeyExists(Key()));
  EXPECT_EQ(0u, CountValues());
}

TEST_F(CRegistryKeyTest, LoadsTheFourSupportedTypesWithinTheBuffers) {
  struct Case {
    const char* name;
    DWORD type;
    std::string data;
    bool loaded;
  };
  const Case cases[] = {
      /* 0 */ {"Text", REG_SZ, std::string("C:\\Apps\0", 8), true},
      /* 1 */ {"Number", REG_DWORD, Dword(1, 2, 0, 0), true},
      /* 2 */ {"Bytes", REG_BINARY, std::string(2048, 'b'), true},
      /* 3 */ {"TooLong", REG_BINARY, std::string(2049, 'b'), false},
      /* 4 */ {"List", REG_MULTI_SZ, std::string("a\0b\0\0", 5), true},
      /* 5 */ {"Expand", REG_EXPAND_SZ, std::string("%TEMP%\0", 7), false},
      /* 6 */ {"None", REG_NONE, std::string("x", 1), false},
      /* 7 */ {"BigEndian", REG_DWORD_BIG_ENDIAN, Dword(0, 0, 0, 1), false},
      /* 8 */ {"Quad", 11, std::string(8, '\1'), false},
      /* 9 */ {"EmptyBytes", REG_BINARY, std::string(), false},  // no data
  };
  for (const Case& c : cases) Put(c.name, c.type, c.data);
  const std::string longest(259, 'n');
  const std::string tooLong(260, 'n');
  PutText(longest.c_str(), "fits");
  PutText(tooLong.c_str(), "does not fit");

  CRegistryKey key(0);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    const CRegistryValue* value = key.FindOrAddValue(c.name);
    EXPECT_EQ(c.loaded, value->m_bHasData && value->m_dwType != REG_NONE)
        << "case " << i << ": " << c.name;
  }
  EXPECT_EQ(513u, key.FindOrAddValue("Number")->m_dwValue);
  EXPECT_STREQ("C:\\Apps", key.FindOrAddValue("Text")->GetAsString());
  EXPECT_EQ(2048u, key.FindOrAddValue("Bytes")->m_binary.size());
  EXPECT_TRUE(key.FindOrAddValue(longest.c_str())->m_bHasData);
  EXPECT_FALSE(key.FindOrAddValue(tooLong.c_str())->m_bHasData);
}

TEST_F(CRegistryKeyTest, FindsValuesInAnyLetterCaseAndAddsOnlyToTheCache) {
  PutText("Path", "D:\\Apps");
  CRegistryKey key(RKF_CREATE);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), kReadWrite, false));
  CRegistryValue* path = key.FindOrAddValue("pATH");
  EXPECT_STREQ("Path", path->m_pszName);
  EXPECT_STREQ("D:\\Apps", path->GetAsString());

  CRegistryValue* added = key.FindOrAddValue("Fresh");
  EXPECT_FALSE(added->m_bHasData);
  EXPECT_EQ(static_cast<DWORD>(REG_NONE), added->m_dwType);
  EXPECT_EQ(added, key.FindOrAddValue("FRESH"));
  EXPECT_EQ(2u, key.m_values.size());
  EXPECT_EQ(1u, CountValues());
}

TEST_F(CRegistryKeyTest,
       ReopeningInOtherCaseKeepsTheCacheAnotherPathEmptiesIt) {
  PutText("Path", "old");
  CRegistryKey key(0);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  CRegistryValue* path = key.FindOrAddValue("Path");
  key.FindOrAddValue("CacheOnly");
  PutText("Path", "new");
  Remove("Path");  // a value gone from the registry stays in the cache
  PutText("Other", "x");

  std::string upper = Key();
  for (char& c : upper)
    c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  ASSERT_TRUE(key.Open(upper.c_str(), Root(), KEY_QUERY_VALUE, false));
  EXPECT_EQ(path, key.FindOrAddValue("PATH"));
  EXPECT_STREQ("old", path->GetAsString());
  EXPECT_EQ(3u, key.m_values.size());

  PutText("Path", "newest");
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  EXPECT_STREQ("newest", key.FindOrAddValue("Path")->GetAsString());
  EXPECT_EQ(3u, key.m_values.size());

  Put("Value", REG_SZ, std::string("y", 2), SubKey("Other"));
  ASSERT_TRUE(
      key.Open(SubKey("Other").c_str(), Root(), KEY_QUERY_VALUE, false));
  ASSERT_EQ(1u, key.m_values.size());
  EXPECT_STREQ("Value", key.m_values[0]->m_pszName);
}

TEST_F(CRegistryKeyTest, FailedOpenOfAnotherPathLeavesAnEmptyCache) {
  PutText("Path", "x");
  CRegistryKey key(0);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  EXPECT_FALSE(
      key.Open(SubKey("Missing").c_str(), Root(), KEY_QUERY_VALUE, false));
  EXPECT_TRUE(key.m_values.empty());
  EXPECT_EQ(nullptr, key.m_hKey);
  EXPECT_FALSE(key.FindOrAddValue("Path")->m_bHasData);
}

TEST_F(CRegistryKeyTest, LoadOfAKeyWithoutValuesKeepsTheCache) {
  CRegistryKey key(RKF_CREATE);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), kReadWrite, false));
  CRegistryValue* value = key.FindOrAddValue("Kept");
  EXPECT_TRUE(key.LoadValues());
  ASSERT_EQ(1u, key.m_values.size());
  EXPECT_EQ(value, key.m_values[0]);
}

TEST_F(CRegistryKeyTest, AutoCloseKeyHoldsNoHandleBetweenAccesses) {
  PutText("Path", "before");
  CRegistryKey key(RKF_AUTO_CLOSE | RKF_CREATE);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  EXPECT_EQ(nullptr, key.m_hKey);
  CRegistryValue* path = key.FindOrAddValue("Path");
  EXPECT_STREQ("before", path->GetAsString());

  path->SetString("after");
  EXPECT_EQ(nullptr, key.m_hKey);
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(Get("Path", type, data));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(std::string("after", 6), data);
}

TEST_F(CRegistryKeyTest, FirstOpenOfAnAutoCloseKeyCanReadWhateverWasAsked) {
  PutText("Path", "x");
  struct {
    DWORD flags;
    DWORD mask;
    bool loaded;
  } const cases[] = {
      {0, KEY_SET_VALUE, false},  // the mask as given: no listing of values
      {RKF_AUTO_CLOSE, KEY_SET_VALUE, true},  // opened with 5 all the same
      {RKF_AUTO_CLOSE | RKF_CREATE, KEY_SET_VALUE, true},
  };
  for (const auto& c : cases) {
    CRegistryKey key(c.flags);
    key.Open(Key().c_str(), Root(), c.mask, false);
    EXPECT_EQ(c.loaded, key.FindOrAddValue("Path")->m_bHasData)
        << "flags " << static_cast<unsigned>(c.flags);
  }
}

TEST_F(CRegistryKeyTest, RefreshReloadsBeforeEveryReadAsText) {
  PutText("Path", "one");
  CRegistryKey refreshing(RKF_REFRESH | RKF_AUTO_CLOSE);
  CRegistryKey plain(0);
  ASSERT_TRUE(refreshing.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  ASSERT_TRUE(plain.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  PutText("Path", "two");
  EXPECT_STREQ("two", refreshing.FindOrAddValue("Path")->GetAsString());
  EXPECT_EQ(nullptr, refreshing.m_hKey);
  EXPECT_STREQ("one", plain.FindOrAddValue("Path")->GetAsString());
}

TEST_F(CRegistryKeyTest, NeverOpenedAutoCloseKeyCachesWithoutWriting) {
  CRegistryKey key(RKF_AUTO_CLOSE);
  CRegistryValue* value = key.FindOrAddValue("Path");
  EXPECT_FALSE(key.EnsureOpen(KEY_SET_VALUE));
  EXPECT_STREQ("x", value->SetString("x")->GetAsString());
  EXPECT_TRUE(value->m_bHasData);
}
