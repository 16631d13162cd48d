#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "log/log_writer.h"
#include "temp_dir.h"

// A writer that holds the log's mutex makes another wait, about a second
// at most: the mutex that this process's user made is used, and a holder
// that never lets go freezes nothing.
TEST(CLogWriter, AHeldMutexIsWaitedForASecondAtMost) {
  TempDir dir;
  const std::string log = dir.File("Quillspur.log");
  const std::string old = dir.File("Quillspur.old");
  CLogWriter holder(log, old);
  ASSERT_TRUE(holder.Open());
  double waited = 0;
  bool opened = false;
  std::thread other([&] {
    const auto start = std::chrono::steady_clock::now();
    CLogWriter writer(log, old);
    opened = writer.Open();
    waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count();
  });
  other.join();
  EXPECT_TRUE(opened);
  EXPECT_GT(waited, 0.5);
  EXPECT_LT(waited, 5.0);
}
