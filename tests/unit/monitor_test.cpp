#include <gtest/gtest.h>

#include <stdint.h>

#include "globals.h"
#include "monitor.h"
#include "temp_dir.h"

TEST(Monitor, CycleEndWaitsAnyNonNegativeLengthWithoutOverflow) {
  const time_t k2p31 = 2147483648;
  const time_t k2p32 = 4294967296;
  struct {
    time_t now;
    uint32_t length;
    time_t end;
  } const cases[] = {
      /* 0 */ {1000, 60, 1060},
      /* 1 */ {1000, 0, 1000},            // back to back, no sleep
      /* 2 */ {1000, 4294967295u, 1000},  // Delay=-1: back to back
      /* 3 */ {1000, 2147483648u, 1000},  // negative as a signed 32-bit number
      /* 4 */ {1000, 2147483647u, 2147484647},
      /* 5 */ {1800000000, 400000000u, 2200000000},  // "practically never"
      /* 6 */ {k2p31 - 1, 2, k2p31 + 1},             // across 2038
      /* 7 */ {k2p31, 2147483647u, k2p31 + 2147483647},
      /* 8 */ {k2p32 - 1, 2, k2p32 + 1},
      /* 9 */ {k2p32, 60, k2p32 + 60},
      /* 10 */ {k2p32 + 5, 4294967295u, k2p32 + 5},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const time_t end = CycleEnd(cases[i].now, cases[i].length);
    EXPECT_EQ(cases[i].end, end) << "case " << i;
    EXPECT_EQ(cases[i].end > cases[i].now, CycleEndInFuture(end, cases[i].now))
        << "case " << i;
    EXPECT_FALSE(CycleEndInFuture(end, cases[i].end)) << "case " << i;
  }
}

TEST(Monitor, FailedFrameworkInitialisationEndsWithMessageAndCodeOne) {
  auto failing = [](HINSTANCE, HINSTANCE, LPSTR, int) -> BOOL { return FALSE; };
  TempDir dir;
  theLog.SetName(dir.Path().c_str(), "Quillspur");
  char name[] = "quillspur";
  char* argv[] = {name, nullptr};
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int code = MonitorMain(1, argv, failing);
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(1, code);
  EXPECT_EQ("Fatal Error: MFC initialization failed\n", err);
  EXPECT_EQ("", out);
  EXPECT_FALSE(dir.Exists("Quillspur.log"));
}
