#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "config/ini_file.h"
#include "temp_dir.h"

namespace {

// Serves one value and one section list with the platform's cutting rules,
// and records the size of every read.
class FakeProfile : public CProfileReader {
 public:
  std::string value;
  bool hasValue = true;
  std::string sections;  // names, each followed by a NUL
  std::vector<DWORD> stringReads;
  std::vector<DWORD> listReads;

  DWORD ReadString(LPCSTR, LPCSTR, LPCSTR defaultValue, LPSTR buffer,
                   DWORD size, LPCSTR) override {
    stringReads.push_back(size);
    const std::string text = hasValue ? value : std::string(defaultValue);
    const size_t placed = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(buffer, text.data(), placed);
    buffer[placed] = '\0';
    return static_cast<DWORD>(placed);
  }

  DWORD ReadSectionNames(LPSTR buffer, DWORD size, LPCSTR) override {
    listReads.push_back(size);
    if (sections.size() + 1 <= size) {
      memcpy(buffer, sections.data(), sections.size());
      buffer[sections.size()] = '\0';
      return static_cast<DWORD>(sections.size());
    }
    memcpy(buffer, sections.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
  }
};

}  // namespace

TEST(CIniFile, LongValuesAreReadAgainIn512ByteSteps) {
  struct {
    size_t length;
    std::vector<DWORD> reads;
  } const cases[] = {
      {0, {512}},
      {509, {512}},
      {510, {512, 1024}},  // 510 = size - 2: a quoted value may have been cut
      {511, {512, 1024}},  // 511 = size - 1: cut or exact, read again
      {1021, {512, 1024}},
      {1022, {512, 1024, 1536}},
      {1023, {512, 1024, 1536}},
      {5000, {512, 1024, 1536, 2048, 2560, 3072, 3584, 4096, 4608, 5120}},
  };
  for (const auto& c : cases) {
    FakeProfile fake;
    fake.value = std::string(c.length, 'v');
    CIniFile ini(fake);
    EXPECT_EQ(fake.value, std::string(ini.GetString("s", "k", nullptr)))
        << c.length;
    EXPECT_EQ(c.reads, fake.stringReads) << c.length;
  }
}

// The platform returns size - 2 for a quoted value that ends at size - 1.
TEST(CIniFile, QuotedValuesOfEveryLengthAreReadWhole) {
  TempDir dir;
  CIniFile ini;
  const std::string file = dir.File("t.ini");
  ini.SetFileName(file.c_str());
  for (const size_t length : {510, 511, 512, 1022, 1023, 1535}) {
    const std::string value(length, 'v');
    dir.Write("t.ini", "[s]\nk=\"" + value + "\"\n");
    const std::string got(ini.GetString("s", "k", nullptr));
    EXPECT_EQ(length, got.size());
    EXPECT_TRUE(got == value) << length;
  }
}

TEST(CIniFile, NullSectionOrKeyGivesTheDefaultWithoutAnyRead) {
  FakeProfile fake;
  CIniFile ini(fake);
  EXPECT_STREQ("dflt", ini.GetString(nullptr, "k", "dflt"));
  EXPECT_STREQ("", ini.GetString("s", nullptr, nullptr));
  EXPECT_EQ(5, ini.GetInt(nullptr, "k", 5, 10));
  EXPECT_TRUE(fake.stringReads.empty());
}

TEST(CIniFile, GetIntReadsTheWindowsWay) {
  struct {
    bool present;
    const char* text;
    int radix;
    unsigned int expected;
  } const cases[] = {
      /* 0 */ {false, "", 10, 77},  // missing: the default
      /* 1 */ {true, "", 10, 77},   // empty: the default
      /* 2 */ {true, "abc", 10, 0},
      /* 3 */ {true, "12abc", 10, 12},
      /* 4 */ {true, "-1", 10, 4294967295u},
      /* 5 */ {true, "0x3C", 16, 60},
      /* 6 */ {true, "0x3C", 10, 0},
      /* 7 */ {true, "0x3C", 0, 0},  // no radix detection
      /* 8 */ {true, "35", 36, 35},  // 36 means 10
      /* 9 */ {true, "101", 2, 5},
      /* 10 */ {true, "17", 8, 15},
      /* 11 */ {true, "  +42", 10, 42},
      /* 12 */ {true, "4294967295", 10, 4294967295u},
      /* 13 */ {true, "4294967296", 10, 4294967295u},  // beyond 32 bits
      /* 14 */ {true, "-4294967296", 10, 4294967295u},
      /* 15 */ {true, "-4294967295", 10, 1},
      /* 16 */ {true, "0x", 16, 0},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    FakeProfile fake;
    fake.hasValue = cases[i].present;
    fake.value = cases[i].text;
    CIniFile ini(fake);
    EXPECT_EQ(cases[i].expected, static_cast<unsigned int>(
                                     ini.GetInt("s", "k", 77, cases[i].radix)))
        << "case " << i;
  }
}

TEST(CIniFile, GetIntConvertsOnlyTheFirst64Bytes) {
  FakeProfile fake;
  fake.value = std::string(63, '0') + "1" + "999999";  // 70 digits
  CIniFile ini(fake);
  EXPECT_EQ(1, ini.GetInt("s", "k", 0, 10));
}

TEST(CIniFile, BufferFormPlacesAtMostCountBytes) {
  FakeProfile fake;
  fake.value = "abcde";
  CIniFile ini(fake);
  char buffer[12];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(3, ini.GetString("s", "k", buffer, 3, nullptr));
  EXPECT_EQ(std::string("abc#", 4),
            std::string(buffer, 4));  // no NUL after them
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(5, ini.GetString("s", "k", buffer, 10, nullptr));
  EXPECT_EQ(std::string("abcde\0\0\0\0\0##", 12), std::string(buffer, 12));
  EXPECT_EQ(5, ini.GetString("s", "k", nullptr, 3, nullptr));
}

TEST(CIniFile, SectionListSizeQueryGrowsWhenThePlatformMayHaveCut) {
  struct {
    size_t count;  // what the platform returns for the whole list
    DWORD expected;
    std::vector<DWORD> reads;
  } const cases[] = {
      {0, 2, {512}},
      {509, 511, {512}},
      {510, 512, {512, 1024}},
      {1100, 1102, {512, 1024, 1536}},
  };
  for (const auto& c : cases) {
    FakeProfile fake;
    fake.sections = std::string(c.count, 'n');
    if (c.count != 0) fake.sections.back() = '\0';
    CIniFile ini(fake);
    EXPECT_EQ(c.expected, ini.GetSectionNames(nullptr, 0)) << c.count;
    EXPECT_EQ(c.reads, fake.listReads) << c.count;
  }
}

TEST(CIniFile, SectionArrayIsEmptiedAndFilledInFileOrder) {
  FakeProfile fake;
  fake.sections = std::string("Quillspur\0job B\0job a\0job B\0", 28);
  CIniFile ini(fake);
  CStringArray names;
  names.Add("stale");
  ini.GetSectionNames(&names);
  ASSERT_EQ(4, names.GetSize());
  EXPECT_STREQ("Quillspur", names.GetAt(0));
  EXPECT_STREQ("job a", names.GetAt(2));
  EXPECT_STREQ("job B", names.GetAt(3));

  fake.sections.clear();
  ini.GetSectionNames(&names);
  EXPECT_EQ(0, names.GetSize());
}

TEST(CIniFile, EnumStringListStopsWhenTheCallbackSaysSo) {
  const char list[] = "a\0bb\0c\0";
  std::vector<std::string> seen;
  auto collect = [](const char* s, void* context) {
    auto* out = static_cast<std::vector<std::string>*>(context);
    out->push_back(s);
    return out->size() < 2 ? 1 : 0;
  };
  EXPECT_EQ(0, EnumStringList(list, collect, &seen));
  EXPECT_EQ((std::vector<std::string>{"a", "bb"}), seen);
  EXPECT_EQ(1, EnumStringList("\0", collect, &seen));
  EXPECT_EQ(0, EnumStringList(nullptr, collect, &seen));
  EXPECT_EQ(0, AddToStringArray("x", nullptr));
}

TEST(CIniFile, SetFileNameNullKeepsAnEmptyNameUntilTheNextName) {
  struct NameSpy : FakeProfile {
    std::string lastFile = "<none>";
    DWORD ReadString(LPCSTR s, LPCSTR k, LPCSTR d, LPSTR b, DWORD n,
                     LPCSTR file) override {
      lastFile = file == nullptr ? "<null>" : file;
      return FakeProfile::ReadString(s, k, d, b, n, file);
    }
  } spy;
  CIniFile ini(spy);
  ini.GetString("s", "k", nullptr);
  EXPECT_EQ("<null>", spy.lastFile);
  ini.SetFileName("a.ini");
  ini.SetFileName(nullptr);
  ini.GetString("s", "k", nullptr);
  EXPECT_EQ("", spy.lastFile);
  ini.SetFileName("b.ini");
  ini.GetString("s", "k", nullptr);
  EXPECT_EQ("b.ini", spy.lastFile);
}
