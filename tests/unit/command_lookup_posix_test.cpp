#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "check/command_lookup.h"
#include "temp_dir.h"

namespace {

struct LookupCase {
  const char* run;
  CommandState expected;
};

}  // namespace

// What /bin/sh would start: found, a builtin, or missing; whatever only the
// shell can resolve is unknown, never missing.
TEST(CCommandLookup, JudgesTheFirstWordAsTheShellWould) {
  TempDir dir;
  dir.Write("tool", "#!/bin/sh\n");
  chmod(dir.File("tool").c_str(), 0755);
  dir.Write("data", "x");
  const char* path = getenv("PATH");
  const std::string saved = path != nullptr ? path : "";
  setenv("PATH", ("/nowhere::" + dir.Path()).c_str(), 1);
  const std::string tool = dir.File("tool");

  const LookupCase cases[] = {
      /* 0 */ {"tool --now", CommandState::kFound},
      /* 1 */ {"FOO=1 BAR='a b' tool", CommandState::kFound},
      /* 2 */ {"'tool' x", CommandState::kFound},
      /* 3 */ {"\"to\"ol", CommandState::kFound},
      /* 4 */ {"nosuch -x", CommandState::kNotFound},
      /* 5 */ {"data", CommandState::kNotFound},  // not executable
      /* 6 */ {"cd /tmp && nosuch", CommandState::kBuiltin},
      /* 7 */ {"exit 3", CommandState::kBuiltin},
      /* 8 */ {"if true; then nosuch; fi", CommandState::kBuiltin},
      /* 9 */ {"[ -f x ]", CommandState::kBuiltin},
      /* 10 */ {"$CMD run", CommandState::kUnknown},
      /* 11 */ {"(nosuch)", CommandState::kUnknown},
      /* 12 */ {">out nosuch", CommandState::kUnknown},
      /* 13 */ {"~/bin/x", CommandState::kUnknown},
      /* 14 */ {"FOO=1", CommandState::kUnknown},
      /* 15 */ {tool.c_str(), CommandState::kFound},
      /* 16 */ {"/nowhere/tool", CommandState::kNotFound},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    std::string word, where;
    EXPECT_EQ(cases[i].expected,
              CCommandLookup::LookUp(cases[i].run, word, where))
        << "case " << i << ": " << cases[i].run;
  }
  setenv("PATH", saved.c_str(), 1);
}
