#include <gtest/gtest.h>

#include <stdint.h>

#include "globals.h"
#include "monitor.h"
#include "temp_dir.h"

TEST(Monitor, CycleEndWrapsIn32Bits) {
  struct {
    time_t now;
    uint32_t length;
    bool inFuture;
  } const cases[] = {
      /* 0 */ {1000, 60, true},
      /* 1 */ {1000, 0, false},            // back to back, no sleep
      /* 2 */ {1000, 4294967295u, false},  // Delay=-1: one second in the past
      /* 3 */ {1000, 2147483647u - 1000, true},
      /* 4 */ {1000, 2147483647u - 999, false},  // past the signed maximum
      /* 5 */ {1000, 2147483648u, false},
      /* 6 */ {1800000000, 400000000u, false},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const int32_t end = CycleEnd(cases[i].now, cases[i].length);
    EXPECT_EQ(cases[i].inFuture, CycleEndInFuture(end, cases[i].now))
        << "case " << i;
  }
  EXPECT_FALSE(CycleEndInFuture(CycleEnd(1000, 60), 1060));
  EXPECT_TRUE(CycleEndInFuture(CycleEnd(1000, 60), 1059));
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
