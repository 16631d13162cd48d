#include <gtest/gtest.h>

#include "framework/file_find.h"
#include "temp_dir.h"

namespace {

struct FindCase {
  const char* pattern;  // relative to the test directory, "\" separators
  int expected;
};

}  // namespace

TEST(CFileFind, AnswersWhetherAnythingMatches) {
  TempDir dir;
  dir.Write("report.txt", "x");
  dir.Write("data.csv", "x");
  dir.Write("full\\entry.dat", "x");
  dir.MakeDir("empty");
  dir.MakeDir("sub dir");
  dir.Write("Auftr\xE4ge\\a.csv", "x");
  dir.Write("in\\a.csv", "x");

  const FindCase cases[] = {
      /* 0 */ {"report.txt", 1},
      /* 1 */ {"missing.txt", 0},
      /* 2 */ {"*.txt", 1},
      /* 3 */ {"*.doc", 0},
      /* 4 */ {"rep?rt.txt", 1},
      /* 5 */ {"rep?.txt", 0},
      /* 6 */ {"*", 1},
      /* 7 */ {"d*a*.csv", 1},
      /* 8 */ {"report.txt*", 1},  // "*" also matches nothing
      /* 9 */ {"empty", 1},        // a directory counts
      /* 10 */ {"empty\\*", 0},    // "." and ".." do not count
      /* 11 */ {"full\\*", 1},
      /* 12 */ {"full\\*.dat", 1},
      /* 13 */ {"nowhere\\*", 0},
      /* 14 */ {"sub dir", 1},
      /* 15 */ {" report.txt", 0},  // a blank belongs to the name
      // Names are matched as Windows-1252 text; on disk they are UTF-8.
      /* 16 */ {"Auftr\xE4ge\\a.csv", 1},
      /* 17 */ {"Auftr\xE4ge\\*.csv", 1},
      /* 18 */ {"Auftr?ge", 1},
      /* 19 */ {"Auftr??ge", 0},
      // Cleaned up as text before the disk, as Win32 does.
      /* 20 */ {"in\\a.csv ", 1},
      /* 21 */ {"in\\a.csv.", 1},
      /* 22 */ {"in\\a.csv. .", 1},
      /* 23 */ {"in\\*.csv .", 1},
      /* 24 */ {"in.\\a.csv", 1},
      /* 25 */ {"in..\\a.csv", 0},
      /* 26 */ {"old\\..\\in\\a.csv", 1},
      /* 27 */ {"in\\a.csv\\..\\a.csv", 1},
      /* 28 */ {"in\\a.csv\\.", 1},
      /* 29 */ {"in\\.\\a.csv", 1},
      /* 30 */ {"in\\\\a.csv", 1},
      /* 31 */ {"in\\", 0},
      /* 32 */ {"in\\ ", 0},
      /* 33 */ {"in\\a.csv\\..", 1},
      /* 34 */ {"in\\a.csv\\", 0},
  };
  CFileFind finder;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const std::string path = dir.Path() + "\\" + cases[i].pattern;
    EXPECT_EQ(cases[i].expected, finder.FindFile(path.c_str(), 0) != 0 ? 1 : 0)
        << "case " << i << ": " << cases[i].pattern;
  }
}

TEST(CFileFind, EmptyPathMatchesNothing) {
  CFileFind finder;
  EXPECT_EQ(0, finder.FindFile("", 0));
}
