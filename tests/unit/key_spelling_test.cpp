#include "check/key_spelling.h"

#include <gtest/gtest.h>

TEST(KeySpelling, EditDistanceCountsEachKindOfEditOnce) {
  struct {
    const char* a;
    const char* b;
    size_t edits;
  } const cases[] = {
      {"Check", "Check", 0},
      {"CHECK", "check", 0},   // ASCII letter case
      {"Chek", "Check", 1},    // a letter left out
      {"Checkk", "Check", 1},  // one too many
      {"Chack", "Check", 1},   // one replaced
      {"Chcek", "Check", 1},   // two neighbours swapped
      {"", "Run", 3},
      {"Rnu", "Run", 1},
      {"\xC4nderung", "\xE4nderung", 1},  // only ASCII letters fold
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.edits, EditDistance(c.a, c.b)) << c.a << " " << c.b;
    EXPECT_EQ(c.edits, EditDistance(c.b, c.a)) << c.b << " " << c.a;
  }
}

TEST(KeySpelling, MeantKeyAllowsFewerEditsForShortKeys) {
  struct {
    const char* name;
    const char* meant;
  } const cases[] = {
      {"Chek", "Check"},  {"#Check", "Check"},
      {"//Run", "Run"},   {"Rn", "Run"},
      {"Delya", "Delay"}, {"Rum", "Run"},
      {"Ran2", ""},       {"Chk", "Check"},
      {"Path", ""},       {"Chx", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.meant, MeantKey(c.name)) << c.name;
}
