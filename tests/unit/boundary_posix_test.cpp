#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "framework/file_find.h"
#include "platform/arguments.h"
#include "platform/text_encoding.h"
#include "platform/whole_file.h"
#include "temp_dir.h"

using namespace std::string_literals;

TEST(TakeSystemArguments, TurnsUtf8IntoWindows1252AndKeepsOtherBytes) {
  struct {
    const char* given;
    const char* expected;
  } const cases[] = {
      {"d/Auftr\xC3\xA4ge.ini", "d/Auftr\xE4ge.ini"},
      {"\xE2\x82\xAC \xC2\x81", "\x80 \x81"},
      {"\xF0\x9F\x98\x80.ini", "?.ini"},       // no Windows-1252 form
      {"Auftr\xE4ge.ini", "Auftr\xE4ge.ini"},  // not UTF-8: as it is
      {"plain.ini", "plain.ini"},
  };
  for (const auto& c : cases) {
    std::string first = "quillspur";
    std::string second = c.given;
    char* argv[] = {first.data(), second.data(), nullptr};
    TakeSystemArguments(2, argv);
    EXPECT_STREQ(c.expected, argv[1]) << c.given;
  }
}

// Fed whole or a byte at a time, as a file read in chunks is.
TEST(CTextSniffer, DecidesTheEncodingFromEveryByte) {
  const struct {
    std::string bytes;
    TextEncoding expected;
  } cases[] = {
      {"", TextEncoding::kWindows1252},
      {"plain ASCII text, longer than a word", TextEncoding::kWindows1252},
      {"Auftr\xC3\xA4ge \xE2\x82\xAC \xF0\x9F\x98\x80", TextEncoding::kUtf8},
      {"Auftr\xE4ge", TextEncoding::kWindows1252},
      {"\xC3\xA4 then \xE4", TextEncoding::kWindows1252},
      {"cut \xC3", TextEncoding::kWindows1252},
      {"overlong \xC0\xAF", TextEncoding::kWindows1252},
      {"surrogate \xED\xA0\x80", TextEncoding::kWindows1252},
      {"past U+10FFFF \xF4\x90\x80\x80", TextEncoding::kWindows1252},
      {"\xEF\xBB\xBF\xE4", TextEncoding::kUtf8Mark},
      {"\xFF\xFE\xE4\0"s, TextEncoding::kUtf16LeMark},
      {"\xFE\xFF\0\xE4"s, TextEncoding::kUtf16BeMark},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, DetectTextEncoding(c.bytes)) << c.bytes;
    CTextSniffer sniffer;
    for (const char byte : c.bytes) sniffer.Feed(&byte, 1);
    EXPECT_EQ(c.expected, sniffer.Result()) << c.bytes;
  }
}

// Regular files by their size, and a pipe, whose reads come short before
// its end, to its end.
TEST(AppendWholeFile, ReadsToTheEndOrNotAtAll) {
  TempDir dir;
  const std::string big(100000, 'x');
  const struct {
    const char* name;
    std::string bytes;
    bool pipe;
    size_t limit;
    bool read;
  } cases[] = {
      {"empty", "", false, SIZE_MAX, true},
      {"big", big, false, SIZE_MAX, true},
      {"at the limit", "12345", false, 5, true},
      {"past the limit", "123456", false, 5, false},
      {"pipe", big, true, SIZE_MAX, true},
      {"pipe past the limit", big, true, 99999, false},
  };
  for (const auto& c : cases) {
    int fds[2] = {-1, -1};
    std::thread writer;
    if (c.pipe) {
      ASSERT_EQ(0, pipe(fds));
      writer = std::thread([&] {
        for (size_t at = 0; at < c.bytes.size(); at += 1000)
          (void)!write(fds[1], c.bytes.data() + at, 1000);
        close(fds[1]);
      });
    } else {
      dir.Write(c.name, c.bytes);
      fds[0] = open(dir.File(c.name).c_str(), O_RDONLY);
    }
    std::string bytes = "before:";
    errno = 0;
    EXPECT_EQ(c.read, AppendWholeFile(fds[0], bytes, c.limit)) << c.name;
    EXPECT_EQ(c.read ? "before:" + c.bytes : "before:", bytes) << c.name;
    if (!c.read) {
      EXPECT_EQ(EFBIG, errno) << c.name;
    }
    close(fds[0]);
    if (writer.joinable()) writer.join();
  }
}

// A tree written by a program that used the Windows-1252 bytes as names.
TEST(CFileFind, FindsLegacyNamesByTheirBytes) {
  TempDir dir;
  const std::string legacy = dir.Path() + "/Auftr\xE4ge";
  ASSERT_EQ(0, mkdir(legacy.c_str(), 0755));
  ASSERT_EQ(0, mkdir((legacy + "/Stra\xDF"
                               "e")
                         .c_str(),
                     0755));
  const struct {
    const char* pattern;
    int expected;
  } cases[] = {
      {"Auftr\xE4ge", 1},
      {"Auftr\xE4ge\\Stra\xDF"
       "e",
       1},
      {"Auftr\xE4ge\\*\xDF*", 1},
      {"Auftr\xE4ge\\Stra?e", 1},
      {"Auftr\xE4ge\\Stra??e", 0},
  };
  CFileFind finder;
  for (const auto& c : cases) {
    const std::string path = dir.Path() + "\\" + c.pattern;
    EXPECT_EQ(c.expected, finder.FindFile(path.c_str(), 0) != 0 ? 1 : 0)
        << c.pattern;
  }
}
