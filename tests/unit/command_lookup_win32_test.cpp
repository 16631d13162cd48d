#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "check/command_lookup.h"
#include "temp_dir.h"

namespace {

struct LookupCase {
  const char* run;
  CommandState expected;
};

}  // namespace

// What cmd would start: found with PATHEXT, one of its builtins, or
// missing; whatever only cmd can resolve is unknown, never missing.
TEST(CCommandLookup, JudgesTheFirstWordAsCmdWould) {
  TempDir dir;
  dir.Write("tool.exe", "x");
  dir.Write("script.cmd", "x");
  const char* path = getenv("PATH");
  const std::string saved = path != nullptr ? path : "";
  _putenv(("PATH=C:\\nowhere;;" + dir.Path()).c_str());
  const std::string tool = dir.File("tool.exe");

  const LookupCase cases[] = {
      /* 0 */ {"tool /x", CommandState::kFound},
      /* 1 */ {"script", CommandState::kFound},
      /* 2 */ {"\"tool.exe\" a", CommandState::kFound},
      /* 3 */ {"nosuch", CommandState::kNotFound},
      /* 4 */ {"FOO=1 tool", CommandState::kNotFound},  // no assignments
      /* 5 */ {"echo. hi", CommandState::kBuiltin},
      /* 6 */ {"@echo off", CommandState::kBuiltin},
      /* 7 */ {"IF EXIST x nosuch", CommandState::kBuiltin},
      /* 8 */ {"%COMSPEC% /c x", CommandState::kUnknown},
      /* 9 */ {tool.c_str(), CommandState::kFound},
      /* 10 */ {"C:\\nowhere\\tool", CommandState::kNotFound},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    std::string word, where;
    EXPECT_EQ(cases[i].expected,
              CCommandLookup::LookUp(cases[i].run, word, where))
        << "case " << i << ": " << cases[i].run;
  }
  _putenv(("PATH=" + saved).c_str());
}
