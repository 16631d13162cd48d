#include <gtest/gtest.h>

#include <errno.h>

#include "platform/command.h"

TEST(RunCommandLine, GivesTheShellsNumberForExitAndSignal) {
  struct {
    const char* command;
    int expected;
  } const cases[] = {
      {"true", 0},
      {"exit 3", 3},
      {"exit 255", 255},
      {"kill -9 $$", 137},  // 128 + SIGKILL, as the shell reports it
      {"kill -15 $$", 143},
      {"no-such-command-here 2>/dev/null", 127},
      // The line reaches the shell in UTF-8.
      {"[ \"\xE4\x80\" = \"$(printf '\\303\\244\\342\\202\\254')\" ]", 0},
  };
  for (const auto& c : cases) {
    errno = 0;
    EXPECT_EQ(c.expected, RunCommandLine(c.command)) << c.command;
    EXPECT_EQ(0, errno) << c.command;
  }
}
