// What the registry calls themselves do at their edges. The same
// expectations hold for advapi32 (under Wine) and for our POSIX store.
#include <string.h>

#include <functional>
#include <string>

#include "registry_fixture.h"

using RegistryApiTest = RegistryTest;

namespace {

struct Enumerated {
  LONG result;
  DWORD nameLength;
  DWORD type;
  DWORD dataLength;
  std::string name;  // the name buffer's first 8 bytes
  std::string data;  // the data buffer's first 8 bytes
};

Enumerated Enumerate(HKEY key, DWORD index, DWORD nameSize, DWORD dataSize) {
  char name[64];
  BYTE data[64];
  memset(name, 'x', sizeof name);
  memset(data, 'y', sizeof data);
  Enumerated out{0, nameSize, 1234, dataSize, "", ""};
  out.result = RegEnumValueA(key, index, name, &out.nameLength, nullptr,
                             &out.type, data, &out.dataLength);
  out.name.assign(name, 8);
  out.data.assign(reinterpret_cast<const char*>(data), 8);
  return out;
}

HKEY Create(HKEY root, const std::string& key) {
  HKEY handle = nullptr;
  RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_ALL_ACCESS, nullptr, &handle, nullptr);
  return handle;
}

}  // namespace

// Corners of the calls where a caller relies on the contract, each a row
// with what it gives: result codes, and what became of handles and keys.
TEST_F(RegistryApiTest, ConformsToTheWin32Contract) {
  Put("Keep", REG_SZ, std::string("x\0", 2));
  auto code = [](LONG result) { return std::to_string(result); };
  auto exists = [this](const std::string& key) {
    return KeyExists(key) ? " exists" : " gone";
  };
  struct Row {
    const char* what;
    std::function<std::string()> run;
    const char* expected;
  };
  const Row rows[] = {
      {"a failed open clears the handle",
       [&] {
         HKEY key = Root();
         const LONG result = RegOpenKeyExA(Root(), SubKey("None").c_str(), 0,
                                           KEY_QUERY_VALUE, &key);
         return code(result) + (key == nullptr ? " null" : " kept");
       },
       "2 null"},
      {"nothing opens or is created below a deleted key",
       [&] {
         HKEY gone = Create(Root(), SubKey("Gone"));
         RegDeleteKeyA(Root(), SubKey("Gone").c_str());
         HKEY key = Root();
         std::string out =
             code(RegOpenKeyExA(gone, "Child", 0, KEY_QUERY_VALUE, &key));
         out += key == nullptr ? " null " : " kept ";
         out += code(RegCreateKeyExA(gone, "Child", 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr));
         RegCloseKey(gone);
         return out + exists(SubKey("Gone"));
       },
       "1018 null 1018 gone"},
      {"deleting needs a sub-key name; the empty one is the key itself",
       [&] {
         HKEY self = Create(Root(), SubKey("Self"));
         std::string out = code(RegDeleteKeyA(self, nullptr));
         out += exists(SubKey("Self")) + std::string(" ");
         out += code(RegDeleteKeyA(self, ""));
         RegCloseKey(self);
         return out + exists(SubKey("Self")) + exists(Key());
       },
       "87 exists 0 gone exists"},
      {"an enumeration sees a change made between its calls",
       [&] {
         HKEY key = Create(Root(), SubKey("Enum"));
         for (const char* name : {"A", "B", "C"}) {
           RegSetValueExA(key, name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>("1"), 2);
         }
         std::string out = Enumerate(key, 0, 64, 64).name.substr(0, 1);
         RegDeleteValueA(key, "B");
         const Enumerated next = Enumerate(key, 1, 64, 64);
         RegCloseKey(key);
         return out + " " + code(next.result) + " " + next.name.substr(0, 1);
       },
       "A 0 C"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, row.run()) << row.what;
}

TEST_F(RegistryApiTest, EnumValueAtItsLimits) {
  Put("Alpha", REG_BINARY, "\x01\x02\x03");
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(Root(), Key().c_str(), 0, KEY_QUERY_VALUE, &key));
  struct Case {
    DWORD nameSize, dataSize;
    Enumerated expected;
  };
  const std::string x7 = "xxxxxxx", y5 = "yyyyy";
  const Case cases[] = {
      /* 0 */ {64,
               64,
               {ERROR_SUCCESS, 5, REG_BINARY, 3, std::string("Alpha\0xx", 8),
                "\x01\x02\x03" + y5}},
      /* 1 */
      {6,
       3,
       {ERROR_SUCCESS, 5, REG_BINARY, 3, std::string("Alpha\0xx", 8),
        "\x01\x02\x03" + y5}},
      // Data that do not fit: only the type and the needed size come back.
      /* 2 */
      {64, 2, {ERROR_MORE_DATA, 64, REG_BINARY, 3, "x" + x7, "yyy" + y5}},
      /* 3 */ {5, 2, {ERROR_MORE_DATA, 5, REG_BINARY, 3, "x" + x7, "yyy" + y5}},
      // A name that does not fit is cut; the data are written all the same.
      /* 4 */
      {5,
       64,
       {ERROR_MORE_DATA, 5, REG_BINARY, 3, std::string("Alph\0xxx", 8),
        "\x01\x02\x03" + y5}},
      /* 5 */
      {2,
       64,
       {ERROR_MORE_DATA, 2, REG_BINARY, 3, std::string("A\0xxxxxx", 8),
        "\x01\x02\x03" + y5}},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Enumerated got =
        Enumerate(key, 0, cases[i].nameSize, cases[i].dataSize);
    const Enumerated& want = cases[i].expected;
    EXPECT_EQ(want.result, got.result) << "case " << i;
    EXPECT_EQ(want.nameLength, got.nameLength) << "case " << i;
    EXPECT_EQ(want.type, got.type) << "case " << i;
    EXPECT_EQ(want.dataLength, got.dataLength) << "case " << i;
    EXPECT_EQ(want.name, got.name) << "case " << i;
    EXPECT_EQ(want.data, got.data) << "case " << i;
  }
  const Enumerated past = Enumerate(key, 1, 64, 64);
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, past.result);
  EXPECT_EQ(1234u, past.type);
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, Enumerate(key, 100, 64, 64).result);
  RegCloseKey(key);
}

TEST_F(RegistryApiTest, NamesMatchWithoutRegardToCase) {
  Put("Path", REG_SZ, std::string("a", 2));
  Put("PATH", REG_DWORD, std::string("\x05\0\0\0", 4));
  EXPECT_EQ(1u, CountValues());
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(Get("path", type, data));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  std::string upper = Key();
  for (char& c : upper)
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  EXPECT_TRUE(KeyExists(upper));

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(Root(), Key().c_str(), 0, KEY_QUERY_VALUE, &key));
  const Enumerated first = Enumerate(key, 0, 64, 64);
  EXPECT_EQ(std::string("Path\0xxx", 8),
            first.name);  // the first spelling stays
  RegCloseKey(key);
}

TEST_F(RegistryApiTest, HandlesRefuseWhatTheirAccessDoesNotGrant) {
  Put("Path", REG_SZ, std::string("a", 2));
  HKEY readOnly = nullptr, writeOnly = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(Root(), Key().c_str(), 0,
                                         KEY_QUERY_VALUE, &readOnly));
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(Root(), Key().c_str(), 0, KEY_SET_VALUE, &writeOnly));
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegSetValueExA(readOnly, "Path", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>("b"), 2));
  EXPECT_EQ(ERROR_ACCESS_DENIED, Enumerate(writeOnly, 0, 64, 64).result);
  RegCloseKey(readOnly);
  RegCloseKey(writeOnly);
}

TEST_F(RegistryApiTest, OpensMissingKeysOnlyByCreating) {
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(Root(), SubKey("A\\B").c_str(),
                                                0, KEY_QUERY_VALUE, &key));
  DWORD disposition = 0;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(Root(), SubKey("A\\B").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE, nullptr,
                            &key, &disposition));
  EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
  RegCloseKey(key);
  EXPECT_TRUE(KeyExists(SubKey("A")));  // the keys on the way exist too
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(Root(), SubKey("a\\b\\").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE, nullptr,
                            &key, &disposition));
  EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
  DWORD values = 99, subKeys = 99;
  EXPECT_EQ(
      ERROR_SUCCESS,
      RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr,
                       nullptr, &values, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0u, values);
  EXPECT_EQ(0u, subKeys);
  RegCloseKey(key);
}

TEST_F(RegistryApiTest, DeletesOnlyKeysWithoutSubKeys) {
  Put("Path", REG_SZ, std::string("x\0", 2), SubKey("A\\B"));
  Put("Other", REG_SZ, std::string("y\0", 2), SubKey("C"));
  EXPECT_NE(ERROR_SUCCESS, RegDeleteKeyA(Root(), SubKey("A").c_str()));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(Root(), SubKey("a\\b").c_str()));
  EXPECT_FALSE(KeyExists(SubKey("A\\B")));
  EXPECT_TRUE(KeyExists(SubKey("A")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegDeleteKeyA(Root(), SubKey("A\\B").c_str()));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(Root(), SubKey("A").c_str()));
  EXPECT_TRUE(KeyExists(SubKey("C")));
}
