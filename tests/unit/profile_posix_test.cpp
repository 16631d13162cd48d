// Our POSIX profile functions: every call reads the file, and the parse of
// the last read is used again only where the bytes that decide the answer
// are the same, whatever the file's time or inode says. Only regular files
// are read.
#include <sys/stat.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "temp_dir.h"

namespace {

std::string Value(const std::string& file, const char* section = "a") {
  char buffer[16];
  GetPrivateProfileStringA(section, "k", "\"d\"", buffer, sizeof buffer,
                           file.c_str());
  return buffer;
}

}  // namespace

// A change that keeps size and time is seen, and so is one after the lines
// that decided the last answer, when a later call depends on it.
TEST(ProfilePosix, SeesEveryChangeThatMatters) {
  struct {
    const char* how;
    std::string before;
    std::string after;
    const char* section;  // read after the change; "a" is read before it
    const char* expected;
    bool rename;
  } const cases[] = {
      {"in place", "[a]\nk=1\n", "[a]\nk=2\n", "a", "2", false},
      {"by rename", "[a]\nk=1\n", "[a]\nk=2\n", "a", "2", true},
      {"a later section", "[a]\nk=1\n[b]\nk=1\n", "[a]\nk=1\n[b]\nk=2\n", "b",
       "2", false},
      {"the header that ended the section", "[a]\nx=1\n[b]\n",
       "[a]\nx=1\nk=5\n", "a", "5", false},
      {"a section added at the end", "[a]\nk=1\n", "[a]\nk=1\n[c]\nk=3\n", "c",
       "3", false},
      {"an earlier section of the same name", "[b]\n[a]\nk=1\n",
       "[a]\n[a]\nk=1\n", "a", "d", false},
      // Every byte decides whether the file is UTF-8.
      {"the encoding", "[a]\nk=\xC3\xA4\n[b]\n", "[a]\nk=\xC3\xA4\n[b]\xE4\n",
       "a", "\xC3\xA4", false},
      {"the encoding, back", "[a]\nk=\xC3\xA4\n[b]\xE4\n",
       "[a]\nk=\xC3\xA4\n[b]\n", "a", "\xE4", false},
      {"a file with a mark", "\xEF\xBB\xBF[a]\nk=1\n", "\xEF\xBB\xBF[a]\nk=2\n",
       "a", "2", false},
      {"the far end of a long line",
       "[a]\r\nk=1" + std::string(9000, ' ') + "\r\n",
       "[a]\r\nk=1" + std::string(9000, ' ') + "2\r\n", "a", "1              ",
       false},
      // A value longer than the buffer is decided by the part returned, up
      // to the first byte that keeps its trailing blanks, and a quoted one
      // by its last byte.
      {"the end of a cut value whose cut ends in blanks",
       "[a]\nk=abcdefghijklmn  x\n", "[a]\nk=abcdefghijklmn  \n", "a",
       "abcdefghijklmn", false},
      {"the closing quote of a cut value", "[a]\nk=\"abcdefghijklmnopq\"\n",
       "[a]\nk=\"abcdefghijklmnopq\n", "a", "\"abcdefghijklmn", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string file = dir.File("t.ini");
    dir.Write("t.ini", c.before);
    const auto written = std::filesystem::last_write_time(file);
    Value(file);
    dir.Write(c.rename ? "new.ini" : "t.ini", c.after);
    if (c.rename) std::filesystem::rename(dir.File("new.ini"), file);
    std::filesystem::last_write_time(file, written);
    EXPECT_EQ(c.expected, Value(file, c.section)) << c.how;
  }
}

// A FIFO is not waited on and an endless device not read: such a file, like
// a directory, reads as one that cannot be read.
TEST(ProfilePosix, ReadsRegularFilesOnly) {
  TempDir dir;
  ASSERT_EQ(0, mkfifo(dir.File("fifo.ini").c_str(), 0600));
  dir.MakeDir("dir.ini");
  for (const std::string& file :
       {dir.File("fifo.ini"), std::string("/dev/zero"), dir.File("dir.ini")}) {
    EXPECT_EQ("\"d\"", Value(file)) << file;
    char names[8] = "~~~~~~~";
    EXPECT_EQ(0u,
              GetPrivateProfileSectionNamesA(names, sizeof names, file.c_str()))
        << file;
    EXPECT_EQ('\0', names[0]) << file;
  }
}
