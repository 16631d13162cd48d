// A value's text and string list, on a key that was never opened, so that
// the setters only cache.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "registry/registry_key.h"
#include "registry/registry_value.h"

namespace {

const BYTE* Bytes(const std::string& data) {
  return reinterpret_cast<const BYTE*>(data.data());
}

std::string Image(const char* bytes, size_t size) {
  return std::string(bytes, size);
}

}  // namespace

TEST(CRegistryValue, ParsesAndJoinsMultiStrings) {
  struct Case {
    std::string data;
    std::vector<std::string> list;
    std::string joined;
  };
  const Case cases[] = {
      /* 0 */ {Image("one\0\0two\0\0", 10),
               {"one", "", "two"},
               Image("one\0\0two\0\0", 10)},
      /* 1 */ {Image("a\0b\0", 4), {"a"}, Image("a\0\0", 3)},  // no closing NUL
      /* 2 */ {Image("a\0b\0\0", 5), {"a", "b"}, Image("a\0b\0\0", 5)},
      /* 3 */ {Image("ab\0", 3), {}, Image("\0", 1)},
      /* 4 */ {Image("ab\0\0", 4), {"ab"}, Image("ab\0\0", 4)},
      /* 5 */ {Image("\0\0", 2), {}, Image("\0", 1)},  // 2 bytes or less
      /* 6 */ {Image("x\0", 2), {}, Image("\0", 1)},
      /* 7 */ {Image("a\0bc", 4), {"a"}, Image("a\0\0", 3)},  // piece without
                                                              // NUL
      /* 8 */ {Image("\0\0\0", 3), {"", ""}, Image("\0\0\0", 3)},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    CRegistryKey key(0);
    CRegistryValue* value = key.FindOrAddValue("List");
    value->SetMultiString(Bytes(cases[i].data),
                          static_cast<DWORD>(cases[i].data.size()), false);
    EXPECT_EQ(cases[i].list, value->m_strings) << "case " << i;
    char buffer[32];
    memset(buffer, 'z', sizeof buffer);
    value->JoinMultiString(buffer, sizeof buffer);
    EXPECT_EQ(cases[i].joined, std::string(buffer, cases[i].joined.size()))
        << "case " << i;
  }
}

TEST(CRegistryValue, JoinCutsToTheBufferAndEndsInNuls) {
  struct Case {
    DWORD length;
    std::string joined;  // the whole buffer, then one canary byte
  };
  const Case cases[] = {
      /* 0 */ {11, Image("one\0two\0\0", 9) + "zz"},  // room to spare
      /* 1 */ {9, Image("one\0two\0\0", 9) + "z"},    // exact fit
      /* 2 */ {8, Image("one\0tw\0\0", 8) + "z"},     // last NUL missing
      /* 3 */ {6, Image("one\0\0\0", 6) + "z"},
      /* 4 */ {3, Image("o\0\0", 3) + "z"},
      /* 5 */ {1, Image("\0", 1) + "z"},
      /* 6 */ {0, "z"},
  };
  CRegistryKey key(0);
  CRegistryValue* value = key.FindOrAddValue("List");
  value->SetMultiString(reinterpret_cast<const BYTE*>("one\0two\0\0"), 9,
                        false);
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    char buffer[16];
    memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(buffer, value->JoinMultiString(buffer, cases[i].length));
    EXPECT_EQ(cases[i].joined, std::string(buffer, cases[i].joined.size()))
        << "case " << i;
  }
}

TEST(CRegistryValue, JoinOfAnotherTypeGivesTheEmptyText) {
  CRegistryKey key(0);
  CRegistryValue* value = key.FindOrAddValue("Text");
  value->SetString("abc");
  char buffer[4] = {'z', 'z', 'z', 'z'};
  EXPECT_STREQ("", value->JoinMultiString(buffer, sizeof buffer));
}

TEST(CRegistryValue, ReadsEveryTypeAsText) {
  enum Setter { kNone, kString, kDword, kBinary, kMulti };
  struct Case {
    Setter setter;
    std::string data;  // the text, the bytes, or the list image
    DWORD number;
    const char* text;
    bool hasData;
  };
  const Case cases[] = {
      /* 0 */ {kNone, "", 0, "", false},
      /* 1 */ {kString, "D:\\Apps", 0, "D:\\Apps", true},
      /* 2 */ {kString, "", 0, "", true},
      /* 3 */
      {kString,
       "\xDC"
       "berpr\xFC"
       "fe",
       0,
       "\xDC"
       "berpr\xFC"
       "fe",
       true},
      /* 4 */ {kDword, "", 4294967295u, "4294967295", true},
      /* 5 */ {kDword, "", 0, "0", true},
      /* 6 */ {kBinary, Image("AB\0C", 4), 0, "AB", true},
      /* 7 */ {kBinary, "", 0, "", false},  // 0 bytes change nothing
      /* 8 */ {kMulti, Image("one\0\0two\0\0", 10), 0, "one", true},
      /* 9 */ {kMulti, Image("ab\0", 3), 0, "", true},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    CRegistryKey key(0);
    CRegistryValue* value = key.FindOrAddValue("Value");
    const DWORD size = static_cast<DWORD>(c.data.size());
    if (c.setter == kString) value->SetString(c.data.c_str());
    if (c.setter == kDword) value->SetDword(c.number);
    if (c.setter == kBinary) value->SetBinary(Bytes(c.data), size);
    if (c.setter == kMulti) value->SetMultiString(Bytes(c.data), size, false);
    EXPECT_STREQ(c.text, value->GetAsString()) << "case " << i;
    EXPECT_EQ(c.hasData, value->m_bHasData) << "case " << i;
  }
}

TEST(CRegistryValue, TextLongerThanTheBufferIsCutWithItsNul) {
  CRegistryKey key(0);
  CRegistryValue* value = key.FindOrAddValue("Text");
  const std::string fits(2047, 'f');
  EXPECT_EQ(fits, value->SetString(fits.c_str())->GetAsString());
  const std::string tooLong(5000, 'l');
  EXPECT_EQ(std::string(2047, 'l'),
            value->SetString(tooLong.c_str())->GetAsString());
  const std::vector<BYTE> bytes(3000, 'b');
  value->SetBinary(bytes.data(), static_cast<DWORD>(bytes.size()));
  EXPECT_EQ(std::string(2047, 'b'), value->GetAsString());
}

TEST(CRegistryValue, KeepsALongNameWhole) {
  CRegistryKey key(0);
  const std::string name(3000, 'n');
  const CRegistryValue* value = key.FindOrAddValue(name.c_str());
  EXPECT_EQ(name, value->m_pszName);
  EXPECT_EQ(value, key.FindOrAddValue(name.c_str()));
}
