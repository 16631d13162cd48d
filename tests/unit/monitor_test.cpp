#include <gtest/gtest.h>

#include <stdint.h>

#include "monitor/globals.h"
#include "monitor/monitor.h"
#include "temp_dir.h"

// Cycles are measured in milliseconds of the tick clock, which counts from
// boot and never steps.
TEST(Monitor, CycleEndWaitsAnyNonNegativeLengthWithoutOverflow) {
  const ULONGLONG k2p32 = 4294967296;
  const ULONGLONG kYearsUp = 100ull * 365 * 24 * 3600 * 1000;
  struct {
    ULONGLONG now;
    uint32_t length;
    ULONGLONG end;
  } const cases[] = {
      /* 0 */ {1000, 60, 61000},
      /* 1 */ {1000, 0, 1000},            // back to back, no sleep
      /* 2 */ {1000, 4294967295u, 1000},  // Delay=-1: back to back
      /* 3 */ {1000, 2147483648u, 1000},  // negative as a signed 32-bit number
      /* 4 */ {1000, 2147483647u, 2147483648000},
      /* 5 */ {1800000000, 400000000u, 401800000000},  // "practically never"
      /* 6 */ {k2p32 - 1, 2, k2p32 + 1999},  // past 49.7 days of uptime
      /* 7 */ {kYearsUp, 2147483647u, kYearsUp + 2147483647000},
      /* 8 */ {kYearsUp, 4294967295u, kYearsUp},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const ULONGLONG end = CycleEnd(cases[i].now, cases[i].length);
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
