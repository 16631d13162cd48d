// Our POSIX profile functions: every call reads the file, and the parse of
// the last read is used again only for the very same bytes, whatever the
// file's time or inode says. Only regular files are read.
#include <sys/stat.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "temp_dir.h"

namespace {

std::string Value(const std::string& file) {
  char buffer[16];
  GetPrivateProfileStringA("a", "k", "\"d\"", buffer, sizeof buffer,
                           file.c_str());
  return buffer;
}

}  // namespace

TEST(ProfilePosix, SeesAChangeOfTheSameSizeAndTime) {
  struct {
    const char* how;
    bool rename;
  } const cases[] = {{"in place", false}, {"by rename", true}};
  for (const auto& c : cases) {
    TempDir dir;
    const std::string file = dir.File("t.ini");
    dir.Write("t.ini", "[a]\nk=1\n");
    const auto written = std::filesystem::last_write_time(file);
    EXPECT_EQ("1", Value(file)) << c.how;
    dir.Write(c.rename ? "new.ini" : "t.ini", "[a]\nk=2\n");
    if (c.rename) std::filesystem::rename(dir.File("new.ini"), file);
    std::filesystem::last_write_time(file, written);
    EXPECT_EQ("2", Value(file)) << c.how;
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
