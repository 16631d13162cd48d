// The profile functions as Wine 8 has them: the same expectations hold for
// our POSIX layer and for kernel32 under Wine. Buffers are filled with a
// known byte and have canaries after them, so every byte written is checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "temp_dir.h"

using namespace std::string_literals;

namespace {

const char kFill = '~';
const size_t kCanaries = 4;

struct Outcome {
  std::string bytes;  // the buffer with its canaries
  DWORD result;
};

// What a buffer of `size` bytes holds when exactly `written` was placed.
std::string Expected(const std::string& written, DWORD size) {
  return written + std::string(size + kCanaries - written.size(), kFill);
}

Outcome GetString(const char* section, const char* key, const char* fallback,
                  DWORD size, const std::string& file) {
  std::vector<char> buffer(size + kCanaries, kFill);
  const DWORD result = GetPrivateProfileStringA(
      section, key, fallback, buffer.data(), size, file.c_str());
  return {std::string(buffer.begin(), buffer.end()), result};
}

Outcome GetSectionNames(DWORD size, const std::string& file) {
  std::vector<char> buffer(size + kCanaries, kFill);
  const DWORD result =
      GetPrivateProfileSectionNamesA(buffer.data(), size, file.c_str());
  return {std::string(buffer.begin(), buffer.end()), result};
}

struct StringCase {
  const char* content;
  const char* section;
  const char* key;  // null: the list of keys
  const char* fallback;
  DWORD size;
  std::string written;
  DWORD result;
};

void CheckStrings(const StringCase* cases, size_t count) {
  TempDir dir;
  for (size_t i = 0; i < count; ++i) {
    const StringCase& c = cases[i];
    dir.Write("t.ini", c.content);
    const Outcome got =
        GetString(c.section, c.key, c.fallback, c.size, dir.File("t.ini"));
    EXPECT_EQ(Expected(c.written, c.size), got.bytes) << "case " << i;
    EXPECT_EQ(c.result, got.result) << "case " << i;
  }
}

}  // namespace

TEST(Profile, ReadsValuesAsWineDoes) {
  const StringCase cases[] = {
      /* 0 */ {"[a]\nk=v\n", "a", "k", "d", 16, "v\0"s, 1},
      /* 1 */ {"[a]\nk=v\n", " A\t", " K ", "d", 16, "v\0"s, 1},  // query
                                                                  // trimmed
      /* 2 */ {"[ a ]\n  k  =  v  w  \n", "a", "k", "d", 16, "v  w\0"s, 4},
      /* 3 */ {"[a]\r\nk=v\r\n", "a", "k", "d", 16, "v\0"s, 1},
      /* 4 */ {"[a]\rk=v\rn=w", "a", "n", "d", 16, "w\0"s, 1},  // lone CR, no
                                                                // final end
      /* 5 */ {"[a]\nk=\"q q\"\n", "a", "k", "d", 16, "q q\0"s, 3},
      /* 6 */ {"[a]\nk='q'\n", "a", "k", "d", 16, "q\0"s, 1},
      /* 7 */ {"[a]\nk=\"\n", "a", "k", "d", 16, "\"\0"s, 1},
      /* 8 */ {"[a]\nk=\"a\"b\"\n", "a", "k", "d", 16, "a\"b\0"s, 3},
      /* 9 */ {"[a]\nk=\"a\" x\n", "a", "k", "d", 16, "\"a\" x\0"s, 5},
      /* 10 */ {"[a]\nk=v ; c\n", "a", "k", "d", 16, "v ; c\0"s, 5},
      /* 11 */ {"[a]\n;k=c\n", "a", ";k", "d", 16, "c\0"s, 1},  // comments are
                                                                // found
      /* 12 */ {"[a]\nk\n", "a", "k", "d", 16, "d\0"s, 1},  // no "=": default
      /* 13 */ {"[a]\nk=\n", "a", "k", "d", 16, "\0"s, 0},
      /* 14 */ {"[a]\nk=1\nk=2\n", "a", "k", "d", 16, "1\0"s, 1},
      /* 15 */ {"[a]\nk=1\n[A]\nk=2\nn=3\n", "a", "n", "d", 16, "d\0"s, 1},
      /* 16 */ {"k=top\n[a]\n", "", "k", "d", 16, "top\0"s, 3},
      /* 17 */ {"[a]b\nk=1\n", "a", "k", "d", 16, "1\0"s, 1},
      /* 18 */ {"[c]]\nk=1\n", "c]", "k", "d", 16, "1\0"s, 1},
      /* 19 */ {"[a]\n=v\n", "a", "", "d", 16, "v\0"s, 1},
      /* 20 */ {"[\xDC]\nk=\xFC\n", "\xDC", "k", "d", 16, "\xFC\0"s, 1},
      // ASCII folding only.
      /* 21 */ {"[\xDC]\nk=\xFC\n", "\xFC", "k", "d", 16, "d\0"s, 1},
      // 0xA0 is no blank.
      /* 22 */ {"[a]\n\xA0k=v\n", "a", "k", "d", 16, "d\0"s, 1},
      /* 23 */ {"[a]\n", "b", "k", "d", 16, "d\0"s, 1},
      /* 24 */ {"", "a", "k", "d", 16, "d\0"s, 1},
  };
  CheckStrings(cases, sizeof cases / sizeof cases[0]);
}

// Notepad's "Unicode" and PowerShell's default, and UTF-8 with its mark,
// are decoded into Windows-1252.
TEST(Profile, DecodesFilesWithAByteOrderMark) {
  const std::string text =
      "[Auftr\xE4ge]\r\nCheck=d\\Auftr\xE4ge\\*.csv\r\nRun=\x80 \x81\r\n";
  const struct {
    const char* how;
    std::string bytes;
  } files[] = {
      {"UTF-16LE", "\xFF\xFE" + EncodePiece(text, TextEncoding::kUtf16LeMark)},
      {"UTF-16BE", "\xFE\xFF" + EncodePiece(text, TextEncoding::kUtf16BeMark)},
      {"UTF-8", "\xEF\xBB\xBF" + EncodePiece(text, TextEncoding::kUtf8Mark)},
  };
  TempDir dir;
  const std::string file = dir.File("t.ini");
  for (const auto& f : files) {
    dir.Write("t.ini", f.bytes);
    EXPECT_EQ(Expected("Auftr\xE4ge\0\0"s, 16), GetSectionNames(16, file).bytes)
        << f.how;
    EXPECT_EQ(Expected("d\\Auftr\xE4ge\\*.csv\0"s, 32),
              GetString("Auftr\xE4ge", "Check", "", 32, file).bytes)
        << f.how;
    EXPECT_EQ(Expected("\x80 \x81\0"s, 8),
              GetString("auftr\xE4ge", "run", "", 8, file).bytes)
        << f.how;
  }
}

TEST(Profile, TreatsDefaultAsWineDoes) {
  const StringCase cases[] = {
      /* 0 */ {"", "a", "k", "d  ", 16, "d\0"s, 1},  // trailing " " goes
      /* 1 */ {"", "a", "k", "  d", 16, "  d\0"s, 3},
      /* 2 */ {"", "a", "k", "   ", 16, " \0"s, 1},  // but not the first byte
      /* 3 */ {"", "a", "k", "d\t", 16, "d\t\0"s, 2},
      /* 4 */ {"", "a", "k", "\"d\"", 16, "d\0"s, 1},  // quotes go as in values
      /* 5 */ {"", "a", "k", nullptr, 16, "\0"s, 0},
      /* 6 */ {"[a]\n", "a", nullptr, "'d'", 16, "d\0"s, 1},  // no keys
  };
  CheckStrings(cases, sizeof cases / sizeof cases[0]);
}

TEST(Profile, CutsValuesToBufferSize) {
  const StringCase cases[] = {
      /* 0 */ {"[a]\nk=abcde\n", "a", "k", "d", 0, "", 0},
      /* 1 */ {"[a]\nk=abcde\n", "a", "k", "d", 1, "\0"s, 0},
      /* 2 */ {"[a]\nk=abcde\n", "a", "k", "d", 2, "a\0"s, 1},
      /* 3 */ {"[a]\nk=abcde\n", "a", "k", "d", 5, "abcd\0"s, 4},   // one too
                                                                    // small
      /* 4 */ {"[a]\nk=abcde\n", "a", "k", "d", 6, "abcde\0"s, 5},  // exact fit
      // Quoted: at the size that just misses the closing quote, Wine drops
      // a real byte instead.
      /* 5 */ {"[a]\nk=\"abc\"\n", "a", "k", "d", 3, "ab\0"s, 2},
      /* 6 */ {"[a]\nk=\"abc\"\n", "a", "k", "d", 4, "ab\0"s, 2},
      /* 7 */ {"[a]\nk=\"abc\"\n", "a", "k", "d", 5, "abc\0"s, 3},
      /* 8 */ {"", "a", "k", "\"def\"", 4, "de\0"s, 2},
  };
  CheckStrings(cases, sizeof cases / sizeof cases[0]);
}

// Keys with "=" that are not comments, in file order, duplicates included.
// A cut list places size - 2 bytes and one NUL, and returns size - 2.
TEST(Profile, ListsKeysOfSection) {
  const char* const file =
      "[s]\nkey=1\nq=2\nno equals\n;c=3\nq1=4\nk2=5\n[S]\nx=6\n";
  const StringCase cases[] = {
      /* 0 */ {file, "s", nullptr, "d", 64, "key\0q\0q1\0k2\0\0"s, 12},
      /* 1 */ {file, "s", nullptr, "d", 14, "key\0q\0q1\0k2\0\0"s, 12},
      /* 2 */ {file, "s", nullptr, "d", 13, "key\0q\0q1\0k2\0"s, 11},
      /* 3 */ {file, "s", nullptr, "d", 12, "key\0q\0q1\0k\0"s, 10},
      /* 4 */ {file, "s", nullptr, "d", 6, "key\0\0"s, 4},
      /* 5 */ {file, "s", nullptr, "d", 3, "k\0"s, 1},
      /* 6 */ {file, "s", nullptr, "d", 2, "d\0"s, 1},  // nothing fits: default
      /* 7 */ {file, "s", nullptr, "d", 1, "\0"s, 0},
      /* 8 */ {file, "s", nullptr, "d", 0, "", 0},
      /* 9 */ {file, " s ", nullptr, "d", 64, "d\0"s, 1},  // not trimmed here
      /* 10 */ {"[s]\nk=1\nk=2\n", "S", nullptr, "d", 64, "k\0k\0\0"s, 4},
      /* 11 */ {"[s]\n=1\nk=2\n", "s", nullptr, "d", 64, "d\0"s, 1},  // starts
                                                                      // empty
      /* 12 */ {"k=1\n[s]\n", "", nullptr, "d", 64, "k\0\0"s, 2},
  };
  CheckStrings(cases, sizeof cases / sizeof cases[0]);
}

struct NamesCase {
  const char* content;
  DWORD size;
  std::string written;
  DWORD result;
};

// GetPrivateProfileSectionNamesA and GetPrivateProfileStringA with a null
// section deliver the same list.
TEST(Profile, ListsSectionNames) {
  const char* const file = "k=0\n[sec]\n[]\n[s2]\nk=1\n[s3]\n";
  const NamesCase cases[] = {
      /* 0 */ {file, 64, "sec\0s2\0s3\0\0"s, 10},
      /* 1 */ {file, 12, "sec\0s2\0s3\0\0"s, 10},  // exact fit
      /* 2 */ {file, 11, "sec\0s2\0s3\0"s, 9},     // one too small
      /* 3 */ {file, 6, "sec\0\0"s, 4},
      /* 4 */ {file, 3, "s\0"s, 1},
      /* 5 */ {file, 2, "\0"s, 0},
      /* 6 */ {file, 1, "\0"s, 0},
      /* 7 */ {file, 0, "", 0},
      /* 8 */ {"[a]\n[b]\n[A]\n", 64, "a\0b\0A\0\0"s, 6},  // repeats stay
      /* 9 */ {"", 64, "\0"s, 0},
      /* 10 */ {"; [a]\n", 64, "\0"s, 0},
  };
  TempDir dir;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const NamesCase& c = cases[i];
    dir.Write("t.ini", c.content);
    const Outcome names = GetSectionNames(c.size, dir.File("t.ini"));
    EXPECT_EQ(Expected(c.written, c.size), names.bytes) << "case " << i;
    EXPECT_EQ(c.result, names.result) << "case " << i;
    const Outcome list =
        GetString(nullptr, "k", "d", c.size, dir.File("t.ini"));
    EXPECT_EQ(Expected(c.written, c.size), list.bytes) << "case " << i;
    EXPECT_EQ(c.result, list.result) << "case " << i;
  }
}

// A missing file in an existing directory reads as empty. A file that cannot
// be opened at all hands the default out unchanged for a value.
TEST(Profile, HandlesMissingAndUnreadableFiles) {
  TempDir dir;
  const std::string missing = dir.File("missing.ini");
  const std::string noDir = dir.File("nowhere\\missing.ini");
  EXPECT_EQ(Expected("d\0"s, 8),
            GetString("a", "k", "\"d\"", 8, missing).bytes);
  EXPECT_EQ(Expected("\"d\"\0"s, 8),
            GetString("a", "k", "\"d\"", 8, noDir).bytes);
  EXPECT_EQ(Expected("\"d\"\0"s, 8), GetString("a", "k", "\"d\"", 8, "").bytes);
  EXPECT_EQ(Expected("d\0"s, 8),
            GetString("a", nullptr, "\"d\"", 8, noDir).bytes);
  EXPECT_EQ(Expected("\0"s, 8), GetSectionNames(8, missing).bytes);
  EXPECT_EQ(Expected("\0"s, 8), GetSectionNames(8, noDir).bytes);
  EXPECT_EQ(Expected("\0"s, 8), GetSectionNames(8, "").bytes);
}

TEST(Profile, TakesBackslashPaths) {
  TempDir dir;
  dir.Write("sub\\t.ini", "[a]\nk=v\n");
  const std::string path = dir.Path() + "\\sub\\t.ini";
  EXPECT_EQ(Expected("v\0"s, 4), GetString("a", "k", "d", 4, path).bytes);
}

TEST(Profile, ReadsLongValueWhole) {
  TempDir dir;
  const std::string value(5000, 'x');
  dir.Write("t.ini", "[a]\nk=" + value + "\n");
  EXPECT_EQ(5000u, GetString("a", "k", "", 5001, dir.File("t.ini")).result);
  EXPECT_EQ(4999u, GetString("a", "k", "", 5000, dir.File("t.ini")).result);
}

// Wine caches a parsed file until its modification time changes; an edit
// made later, as by any editor, must be seen by the very next call.
TEST(Profile, SeesChangedFileAtNextCall) {
  TempDir dir;
  const std::string file = dir.File("t.ini");
  dir.Write("t.ini", "[a]\nk=1\n");
  EXPECT_EQ(Expected("1\0"s, 4), GetString("a", "k", "d", 4, file).bytes);
  const auto written = std::filesystem::last_write_time(file);
  dir.Write("t.ini", "[a]\nk=2\n");
  std::filesystem::last_write_time(file, written + std::chrono::seconds(2));
  EXPECT_EQ(Expected("2\0"s, 4), GetString("a", "k", "d", 4, file).bytes);
  dir.Write("t.ini", "[b]\n");
  std::filesystem::last_write_time(file, written + std::chrono::seconds(4));
  EXPECT_EQ(Expected("d\0"s, 4), GetString("a", "k", "d", 4, file).bytes);
}
