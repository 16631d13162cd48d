// Write-through of the setters to the registry, and what a load takes from
// data that do not fill their type.
#include <string.h>

#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "registry_fixture.h"

namespace {

const DWORD kReadWrite = KEY_QUERY_VALUE | KEY_SET_VALUE;

}  // namespace

using CRegistryValueWriteTest = RegistryTest;

TEST_F(CRegistryValueWriteTest, SettersWriteThroughWithTheirTypeCode) {
  CRegistryKey key(RKF_CREATE);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), kReadWrite, false));
  const DWORD number = 0x01020304;
  key.FindOrAddValue("Number")->SetDword(number);
  const std::string longText(3000, 't');
  EXPECT_EQ(2047u, strlen(key.FindOrAddValue("Text")
                              ->SetString(longText.c_str())
                              ->GetAsString()));
  CRegistryValue* list = key.FindOrAddValue("List");
  list->SetMultiString(reinterpret_cast<const BYTE*>("a\0b\0\0"), 5, false);
  // Write-only: the registry gets the data, the cache keeps its list.
  list->SetMultiString(reinterpret_cast<const BYTE*>("c\0\0"), 3, true);
  EXPECT_STREQ("a", list->GetAsString());
  key.FindOrAddValue("Bytes")->SetBinary(reinterpret_cast<const BYTE*>("AB\0C"),
                                         4);
  // Write-only on a value of another type: written as a list, cached as before.
  CRegistryValue* seven = key.FindOrAddValue("Seven");
  const DWORD sevenNumber = 7;
  seven->SetDword(sevenNumber)
      ->SetMultiString(reinterpret_cast<const BYTE*>("z\0\0"), 3, true);
  EXPECT_STREQ("7", seven->GetAsString());

  struct Expected {
    const char* name;
    DWORD type;
    std::string data;
  };
  const Expected expected[] = {
      /* 0 */ {"Number", REG_DWORD, std::string("\x04\x03\x02\x01", 4)},
      /* 1 */ {"Text", REG_SZ, longText + '\0'},  // written whole
      /* 2 */ {"List", REG_MULTI_SZ, std::string("c\0\0", 3)},
      /* 3 */ {"Bytes", REG_BINARY, std::string("AB\0C", 4)},
      /* 4 */ {"Seven", REG_MULTI_SZ, std::string("z\0\0", 3)},
  };
  for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Get(expected[i].name, type, data)) << "case " << i;
    EXPECT_EQ(expected[i].type, type) << "case " << i;
    EXPECT_EQ(expected[i].data, data) << "case " << i;
  }
}

TEST_F(CRegistryValueWriteTest, EmptyBinaryChangesNothing) {
  PutText("Path", "kept");
  CRegistryKey key(0);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), kReadWrite, false));
  CRegistryValue* path = key.FindOrAddValue("Path");
  path->SetBinary(reinterpret_cast<const BYTE*>(""), 0);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), path->m_dwType);
  CRegistryValue* fresh = key.FindOrAddValue("Fresh");
  fresh->SetBinary(reinterpret_cast<const BYTE*>(""), 0);
  EXPECT_FALSE(fresh->m_bHasData);
  EXPECT_EQ(1u, CountValues());
}

TEST_F(CRegistryValueWriteTest, NoWriteWhileLoadingOrWithoutWriteAccess) {
  PutText("Path", "registry");
  CRegistryKey loading(RKF_LOADING);
  ASSERT_TRUE(loading.Open(Key().c_str(), Root(), kReadWrite, false));
  loading.FindOrAddValue("Path")->SetString("loading");
  CRegistryKey readOnly(0);
  ASSERT_TRUE(readOnly.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  CRegistryValue* value = readOnly.FindOrAddValue("Path");
  value->SetString("refused");
  EXPECT_STREQ("refused", value->GetAsString());  // the cache keeps it

  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(Get("Path", type, data));
  EXPECT_EQ(std::string("registry", 9), data);
}

TEST_F(CRegistryValueWriteTest, ShortOrUnterminatedDataStayWithinWhatWasRead) {
  Put("Short", REG_DWORD, std::string("\x07\x08", 2));
  Put("NoNul", REG_SZ, std::string("abcd", 4));
  Put("NoNulLong", REG_SZ, std::string(2047, 'x'));
  Put("Bytes", REG_BINARY, std::string(2048, 'A'));
  CRegistryKey key(0);
  ASSERT_TRUE(key.Open(Key().c_str(), Root(), KEY_QUERY_VALUE, false));
  EXPECT_STREQ("2055", key.FindOrAddValue("Short")->GetAsString());
  EXPECT_STREQ("abcd", key.FindOrAddValue("NoNul")->GetAsString());
  EXPECT_EQ(std::string(2047, 'x'),
            key.FindOrAddValue("NoNulLong")->GetAsString());
  // 2048 bytes read as text: cut to 2047 so that the NUL fits the buffer.
  EXPECT_EQ(std::string(2047, 'A'), key.FindOrAddValue("Bytes")->GetAsString());
}
