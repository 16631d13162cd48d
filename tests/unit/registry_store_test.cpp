// The POSIX registry store: a REGEDIT4 file named by QUILLSPUR_REGISTRY.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/code_page.h"
#include "platform/missing/registry_store/registry_store.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "temp_dir.h"

using namespace std::string_literals;

namespace {

const char kKey[] = "Software\\KESTRAN\\LORVANTIS";

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { Use("registry.reg"); }
  void TearDown() override { unsetenv("QUILLSPUR_REGISTRY"); }

  void Use(const std::string& name) {
    m_name = name;
    setenv("QUILLSPUR_REGISTRY", m_dir.File(name).c_str(), 1);
  }
  std::string Store() const { return m_dir.Read(m_name); }
  void SetStore(const std::string& text) const { m_dir.Write(m_name, text); }

  LONG Set(const char* name, DWORD type, const std::string& data,
           const char* key = kKey) {
    HKEY handle = nullptr;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (result != ERROR_SUCCESS) return result;
    result = RegSetValueExA(handle, name, 0, type,
                            reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size()));
    RegCloseKey(handle);
    return result;
  }

  // "name=type:data" for every value of the key, in enumeration order.
  std::string List(const char* key = kKey) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &handle) !=
        0) {
      return "(no key)";
    }
    std::string list;
    char name[260];
    BYTE data[4096];
    DWORD nameLength = sizeof name, size = sizeof data, type = 0;
    for (DWORD i = 0; RegEnumValueA(handle, i, name, &nameLength, nullptr,
                                    &type, data, &size) == ERROR_SUCCESS;
         ++i) {
      list += std::string(name) + "=" + std::to_string(type) + ":" +
              std::string(reinterpret_cast<char*>(data), size) + "|";
      nameLength = sizeof name;
      size = sizeof data;
    }
    RegCloseKey(handle);
    return list;
  }

  TempDir m_dir;
  std::string m_name;
};

}  // namespace

TEST_F(RegistryStoreTest, WritesTheDocumentedFormat) {
  ASSERT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, std::string("D:\\Apps\\\0", 9)));
  EXPECT_EQ(
      "REGEDIT4\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\KESTRAN\\LORVANTIS]\n"
      "\"Path\"=\"D:\\\\Apps\\\\\"\n",
      Store());
}

TEST_F(RegistryStoreTest, EveryValueTypeRoundTrips) {
  struct Case {
    const char* name;
    DWORD type;
    std::string data;
  };
  const Case cases[] = {
      /* 0 */ {"Text", REG_SZ, std::string("say \"\\hi\" \xDC\0", 13)},
      /* 1 */ {"", REG_SZ, std::string("unnamed\0", 8)},
      /* 2 */ {"Lines", REG_SZ, std::string("a\r\nb\0", 5)},  // as hex(1)
      /* 3 */ {"NoNul", REG_SZ, "abcd"},
      /* 4 */ {"Number", REG_DWORD, std::string("\x0a\0\0\x80", 4)},
      /* 5 */ {"Short", REG_DWORD, "\x07"},
      /* 6 */ {"Bytes", REG_BINARY, std::string(200, '\xAB')},  // wrapped
      /* 7 */ {"Empty", REG_BINARY, ""},
      /* 8 */ {"List", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
      /* 9 */ {"Expand", REG_EXPAND_SZ, std::string("%TEMP%\0", 7)},
      /* 10 */ {"Quad", 11, "12345678"},
      /* 11 */ {"None", REG_NONE, ""},
      /* 12 */ {"Odd \"name\" \\ ]=", REG_SZ, std::string("x\0", 2)},
  };
  std::string expected;
  for (const Case& c : cases) {
    ASSERT_EQ(ERROR_SUCCESS, Set(c.name, c.type, c.data)) << c.name;
    expected +=
        std::string(c.name) + "=" + std::to_string(c.type) + ":" + c.data + "|";
  }
  EXPECT_EQ(expected, List());
  EXPECT_NE(std::string::npos, Store().find("\"Number\"=dword:8000000a\n"));
  EXPECT_NE(std::string::npos,
            Store().find("\"List\"=hex(7):61,00,62,00,00\n"));
  EXPECT_NE(std::string::npos, Store().find("@=\"unnamed\"\n"));
}

TEST_F(RegistryStoreTest, ReadsWhatTheRegistryEditorWrites) {
  SetStore(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestran\\Lorvantis]\r\n"
      "@=\"default\"\r\n"
      "\"Path\"=\"C:\\\\Program Files\\\\Lorvantis\"\r\n"
      "\"Count\"=dword:0000000a\r\n"
      "\"List\"=hex(7):6f,6e,65,00,\\\r\n"
      "  74,77,6f,00,00\r\n"
      "\"Expand\"=hex(2):25,00\r\n");
  EXPECT_EQ(std::string("=1:default") + '\0' +
                "|Path=1:C:\\Program Files\\Lorvantis" + '\0' +
                "|Count=4:\x0a" + std::string(3, '\0') + "|List=7:" +
                std::string("one\0two\0\0", 9) + "|Expand=2:%" + '\0' + "|",
            List());
  CRegistryKey key(0);
  ASSERT_TRUE(key.Open(kKey, HKEY_LOCAL_MACHINE, KEY_QUERY_VALUE, false));
  EXPECT_STREQ("C:\\Program Files\\Lorvantis",
               key.FindOrAddValue("PATH")->GetAsString());
}

TEST_F(RegistryStoreTest, ChangeKeepsEverythingElseByteForByte) {
  const std::string before =
      "REGEDIT4\r\n"
      "; kept as written\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Other]\r\n"
      "\"Keep\"=\"me\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\software\\kestran\\lorvantis]\r\n"
      "\"PATH\"=\"old\"\r\n"
      "\"Broken\"=hex:zz\r\n"
      "\"Later\"=dword:1\r\n"
      "\r\n"
      "[-HKEY_LOCAL_MACHINE\\Gone]\r\n"
      "\"Orphan\"=\"x\"\r\n"
      "something unknown";
  SetStore(before);
  ASSERT_EQ(ERROR_SUCCESS,
            Set("later", REG_DWORD, std::string("\x01\0\0\0", 4)));
  EXPECT_EQ(before, Store());  // the same data again change nothing
  ASSERT_EQ(ERROR_SUCCESS, Set("path", REG_SZ, std::string("new\0", 4)));
  ASSERT_EQ(ERROR_SUCCESS,
            Set("Added", REG_DWORD, std::string("\x02\0\0\0", 4)));
  std::string after = before;
  after.replace(after.find("\"PATH\"=\"old\""), 12, "\"PATH\"=\"new\"");
  after.insert(after.find("\r\n\r\n[-HKEY") + 2,
               "\"Added\"=dword:00000002\r\n");
  EXPECT_EQ(after, Store());
  // The line it cannot read is kept but not served.
  EXPECT_EQ(std::string("PATH=1:new") + '\0' + "|Later=4:\x01" +
                std::string(3, '\0') + "|Added=4:\x02" + std::string(3, '\0') +
                "|",
            List());
}

// A regedit export is UTF-16LE, its text payloads too; a store written on
// Linux may be UTF-8. Both are read as Windows-1252 and changed in their
// own encoding, only the changed line encoded anew.
TEST_F(RegistryStoreTest, EditsExportsAndUtf8StoresInTheirEncoding) {
  const std::string header =
      "\r\n[HKEY_LOCAL_MACHINE\\" + std::string(kKey) + "]\r\n\"Path\"=";
  // "Other" holds U+0100, which has no Windows-1252 form.
  const std::string other =
      std::string("\"\0O\0t\0h\0e\0r\0\"\0=\0\"\0\0\1b\0\"\0", 24);
  const std::string export5 =
      "\xFF\xFE" +
      Cp1252ToUtf16Le("Windows Registry Editor Version 5.00\r\n" + header +
                      "\"C:\\\\Programme\"\r\n\"Ziel\"=hex(2):25,00,e4,00,00,"
                      "00\r\n\"Liste\"=hex(7):61,00,00,00,00,00\r\n") +
      other + Cp1252ToUtf16Le("\r\n");
  const struct {
    const char* how;
    std::string before;
    std::string listed;
    std::string after;
  } cases[] = {
      {"regedit export", export5,
       "Path=1:C:\\Programme\0|Ziel=2:%\xE4\0|Liste=7:a\0\0|Other=1:?b\0|"s,
       "\xFF\xFE" +
           Cp1252ToUtf16Le("Windows Registry Editor Version 5.00\r\n" + header +
                           "\"/opt/l\xE4\"\r\n\"Ziel\"=hex(2):25,00,e4,00,00,"
                           "00\r\n\"Liste\"=hex(7):61,00,00,00,00,00\r\n") +
           other + Cp1252ToUtf16Le("\r\n\"Neu\"=hex(2):25,00,fc,00,00,00\r\n")},
      {"UTF-8",
       "REGEDIT4\r\n" + header +
           "\"C:\\\\Programme\"\r\n\"Other\"=\"\xC3\xBC\"\r\n",
       "Path=1:C:\\Programme\0|Other=1:\xFC\0|"s,
       "REGEDIT4\r\n" + header +
           "\"/opt/l\xC3\xA4\"\r\n\"Other\"=\"\xC3\xBC\"\r\n\"Neu\"=hex(2):25,"
           "fc,00\r\n"},
  };
  for (const auto& c : cases) {
    SetStore(c.before);
    EXPECT_EQ(c.listed, List()) << c.how;
    ASSERT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, "/opt/l\xE4\0"s)) << c.how;
    ASSERT_EQ(ERROR_SUCCESS, Set("Neu", REG_EXPAND_SZ, "%\xFC\0"s)) << c.how;
    EXPECT_EQ(c.after, Store()) << c.how;
  }
}

TEST_F(RegistryStoreTest, CorruptStoreIsNeverRewritten) {
  const std::string cases[] = {
      /* 0 */ "not a registry file\n[HKEY_LOCAL_MACHINE\\Software]\n",
      /* 1 */ std::string("\xFF\xFEW\0i\0n\0", 8),  // UTF-16, no export
      /* 2 */ "REGEDIT5\n",
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SetStore(cases[i]);
    HKEY handle = nullptr;
    EXPECT_EQ(ERROR_BADDB, Set("Path", REG_SZ, std::string("x\0", 2)))
        << "case " << i;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0,
                                           KEY_QUERY_VALUE, &handle));
    CRegistryKey key(RKF_CREATE);
    EXPECT_FALSE(key.Open(kKey, HKEY_LOCAL_MACHINE, 3, false)) << "case " << i;
    EXPECT_EQ(cases[i], Store()) << "case " << i;
  }
}

TEST_F(RegistryStoreTest, HandleOfAStoreThatTurnedCorruptWritesNothing) {
  ASSERT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, std::string("x\0", 2)));
  HKEY handle = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &handle));
  SetStore("garbage\n");
  EXPECT_EQ(ERROR_BADDB, RegSetValueExA(handle, "Path", 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>("y"), 2));
  EXPECT_EQ("garbage\n", Store());
  RegCloseKey(handle);
}

TEST_F(RegistryStoreTest, StoreInAMissingDirectoryRefusesToCreate) {
  Use("missing\\registry.reg");
  HKEY handle = nullptr;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                            KEY_QUERY_VALUE, nullptr, &handle, nullptr));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0,
                                                KEY_QUERY_VALUE, &handle));
  CRegistryKey key(RKF_CREATE);
  EXPECT_FALSE(key.Open(kKey, HKEY_LOCAL_MACHINE, 3, false));
  EXPECT_FALSE(m_dir.Exists("missing"));
}

// Anyone who may read the store's directory may lock it: a lock held by
// someone else makes the store read-only after a bounded wait.
TEST_F(RegistryStoreTest, ALockHeldElsewhereMakesTheStoreReadOnly) {
  SetStore("REGEDIT4\r\n");
  const int other = open(m_dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(0, flock(other, LOCK_EX));
  HKEY handle = nullptr;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                            KEY_QUERY_VALUE, nullptr, &handle, nullptr));
  close(other);
  EXPECT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, "C:\\x"));
}

TEST_F(RegistryStoreTest, NamesWithLineBreaksAreRefused) {
  const char* const names[] = {"a\nb", "a\rb", "\n"};
  for (const char* name : names) {
    EXPECT_EQ(ERROR_INVALID_PARAMETER, Set(name, REG_SZ, "x")) << name;
    const std::string key = std::string(kKey) + "\\" + name;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, Set("Path", REG_SZ, "x", key.c_str()))
        << name;
  }
  EXPECT_EQ("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\KESTRAN\\LORVANTIS]\n",
            Store());
}

// Only a missing path or a regular file is a store; anything else cannot
// be read, is never replaced, and no call blocks on it.
TEST_F(RegistryStoreTest, StoreThatIsNoRegularFileIsLeftAsItIs) {
  namespace fs = std::filesystem;
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
    LONG open, create;
    fs::file_type type;
  };
  const Case cases[] = {
      {"directory", [](const std::string& p) { fs::create_directory(p); },
       ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, fs::file_type::directory},
      {"fifo", [](const std::string& p) { mkfifo(p.c_str(), 0666); },
       ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, fs::file_type::fifo},
      {"dangling link",
       [](const std::string& p) { fs::create_symlink(p + ".none", p); },
       ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, fs::file_type::symlink},
  };
  for (const Case& c : cases) {
    const std::string store = m_dir.File(c.what);
    Use(c.what);
    c.make(store);
    HKEY handle = nullptr;
    EXPECT_EQ(c.open, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0,
                                    KEY_QUERY_VALUE, &handle))
        << c.what;
    EXPECT_EQ(c.create, Set("Path", REG_SZ, "x")) << c.what;
    EXPECT_EQ(c.type, fs::symlink_status(store).type()) << c.what;
    fs::remove(store);
  }
  EXPECT_TRUE(fs::is_empty(m_dir.Path()));
}

TEST_F(RegistryStoreTest, WriterRemovesOnlyItsOwnStaleTemporaryFiles) {
  const std::string stale = "registry.reg.quillspur-tmp.Ab9XyZ";
  const char* const others[] = {"registry.reg.quillspur-tmp.Ab9Xy",
                                "registry.reg.Ab9XyZ", "registry.reg.backup",
                                "other.reg.quillspur-tmp.Ab9XyZ"};
  m_dir.Write(stale, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Half");
  for (const char* other : others) m_dir.Write(other, "x");
  ASSERT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, std::string("x\0", 2)));
  EXPECT_FALSE(m_dir.Exists(stale));
  for (const char* other : others) EXPECT_TRUE(m_dir.Exists(other)) << other;
}

// What is read is reused only while the store's bytes stay the same, so
// every change counts at the next call, whatever its time stamp.
TEST_F(RegistryStoreTest, OpenHandleSeesEveryChangeOfTheStore) {
  const std::string head =
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\KESTRAN\\LORVANTIS]\n";
  struct Case {
    const char* what;
    std::function<void(const std::string&)> write;
  };
  const Case cases[] = {
      {"in place, same size",
       [this](const std::string& text) { m_dir.Write(m_name, text); }},
      {"renamed over",
       [this](const std::string& text) {
         m_dir.Write("new.reg", text);
         std::filesystem::rename(m_dir.File("new.reg"), m_dir.File(m_name));
       }},
  };
  for (const Case& c : cases) {
    SetStore(head + "\"A\"=\"1\"\n\"B\"=\"1\"\n");
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0,
                                           KEY_QUERY_VALUE, &handle));
    char name[8];
    BYTE data[8];
    DWORD nameLength = sizeof name, size = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumValueA(handle, 1, name, &nameLength,
                                           nullptr, nullptr, data, &size));
    c.write(head + "\"A\"=\"2\"\n\"a\"=\"3\"\n");
    nameLength = sizeof name;
    size = sizeof data;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueA(handle, 1, name, &nameLength,
                                                 nullptr, nullptr, data, &size))
        << c.what;
    nameLength = sizeof name;
    size = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumValueA(handle, 0, name, &nameLength,
                                           nullptr, nullptr, data, &size));
    EXPECT_EQ("a=3", std::string(name) + "=" + reinterpret_cast<char*>(data))
        << c.what;
    RegCloseKey(handle);
  }
}

TEST_F(RegistryStoreTest, WriteLeavesNoTemporaryFileBehind) {
  ASSERT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, std::string("x\0", 2)));
  ASSERT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, std::string("y\0", 2)));
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
    EXPECT_EQ("registry.reg", entry.path().filename().string());
    ++files;
  }
  EXPECT_EQ(1u, files);
}

TEST_F(RegistryStoreTest, LocationComesFromTheEnvironment) {
  EXPECT_EQ(m_dir.File("registry.reg"), CRegistryStore::DefaultLocation());
  unsetenv("QUILLSPUR_REGISTRY");
  EXPECT_EQ("/etc/quillspur/registry.reg", CRegistryStore::DefaultLocation());
}

TEST_F(RegistryStoreTest, TextWithoutNulFillingTheBufferLoadsCut) {
  ASSERT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, std::string(2048, 'p')));
  CRegistryKey key(0);
  ASSERT_TRUE(key.Open(kKey, HKEY_LOCAL_MACHINE, KEY_QUERY_VALUE, false));
  EXPECT_EQ(std::string(2047, 'p'), key.FindOrAddValue("Path")->GetAsString());
}

TEST_F(RegistryStoreTest, ReadsOnlyLinesItUnderstands) {
  struct Case {
    const char* line;
    const char* listed;  // what the key then holds, as List() gives it
  };
  const Case cases[] = {
      /* 0 */ {"\"a\"=\"x\\\\y\\\"z\"", "a=1:x\\y\"z#"},
      /* 1 */ {"@=dword:1", "=4:\x01###"},
      /* 2 */ {"\"a\"=hex:", "a=3:"},
      /* 3 */ {"\"a\"=hex(b):01, 02 ,03", "a=11:\x01\x02\x03"},
      /* 4 */ {"\"a\"=hex:41,\\\n  42,\\\n\t43", "a=3:ABC"},
      /* 5 */ {"\"a\"=\"trailing blanks\"  \t", "a=1:trailing blanks#"},
      /* 6 */ {"\"a\" = \"spaced\"", ""},
      /* 7 */ {"\"a\"=\"bad \\q escape\"", ""},
      /* 8 */ {"\"a\"=\"unterminated", ""},
      /* 9 */ {"\"a\"=\"x\" tail", ""},
      /* 10 */ {"\"a\"=hex:4", ""},
      /* 11 */ {"\"a\"=hex:41,,42", ""},
      /* 12 */ {"\"a\"=dword:123456789", ""},
      /* 13 */ {"\"a\"=dword:", ""},
      /* 14 */ {"\"a\"=-", ""},
      /* 15 */ {"a=\"unquoted\"", ""},
      /* 16 */ {"; \"a\"=\"comment\"", ""},
      // Only hex data go on over a line end in "\", and only on lines of
      // hex data.
      /* 17 */ {"\"a\"=\"D:\\\\Apps\\\\\n\"b\"=\"y\"", "b=1:y#"},
      /* 18 */ {"\"a\"=hex:41,\\\n\"b\"=dword:2", "b=4:\x02###"},
      /* 19 */
      {"\"a\"=hex:41,\\\n[HKEY_LOCAL_MACHINE\\Other]\n\"b\"=dword:2", ""},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SetStore(
        std::string(
            "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\KESTRAN\\LORVANTIS]\n") +
        cases[i].line + "\n");
    std::string listed = cases[i].listed;
    for (char& c : listed) c = (c == '#') ? '\0' : c;  // # stands for a NUL
    EXPECT_EQ(listed.empty() ? listed : listed + "|", List()) << "case " << i;
  }
}

TEST_F(RegistryStoreTest, ConcurrentWritersLoseNothing) {
  ASSERT_EQ(ERROR_SUCCESS, Set("Start", REG_SZ, std::string("x\0", 2)));
  const int kWriters = 6, kValuesEach = 10;
  pid_t children[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    children[w] = fork();
    ASSERT_NE(-1, children[w]);
    if (children[w] != 0) continue;
    for (int v = 0; v < kValuesEach; ++v) {
      const std::string name =
          "W" + std::to_string(w) + "V" + std::to_string(v);
      if (Set(name.c_str(), REG_SZ, std::string("x\0", 2)) != ERROR_SUCCESS)
        _exit(1);
    }
    _exit(0);
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HKEY handle = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0,
                                         KEY_QUERY_VALUE, &handle));
  DWORD values = 0;
  RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   &values, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(handle);
  EXPECT_EQ(static_cast<DWORD>(1 + kWriters * kValuesEach), values);
}

TEST_F(RegistryStoreTest, WriteThroughASymbolicLinkKeepsTheLink) {
  m_dir.Write("real\\store.reg", "REGEDIT4\n");
  std::filesystem::create_symlink(m_dir.File("real\\store.reg"),
                                  m_dir.File("registry.reg"));
  ASSERT_EQ(ERROR_SUCCESS, Set("Path", REG_SZ, std::string("x\0", 2)));
  EXPECT_TRUE(std::filesystem::is_symlink(m_dir.File("registry.reg")));
  EXPECT_NE(std::string::npos,
            m_dir.Read("real\\store.reg").find("\"Path\"=\"x\""));
}
