#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "log_file.h"
#include "log_writer.h"
#include "temp_dir.h"

namespace {

size_t TenBytes(size_t) { return 10; }
void Stop() { raise(SIGTERM); }

}  // namespace

// A service manager's stop that arrives between a write cut short and its
// cutting back ends the program only once the fragment is gone.
TEST(CLogWriterDeathTest, AStopWaitsUntilTheFragmentIsCutBack) {
  const std::string before = "                      before\r\n";
  TempDir dir;
  dir.Write("Quillspur.log", before);
  EXPECT_EXIT(
      {
        CLogFile log;
        log.SetName(dir.Path().c_str(), "Quillspur");
        CLogWriter::SetWriteFault(TenBytes, Stop);
        log.Write("next", false);
        _exit(0);
      },
      testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(before, dir.Read("Quillspur.log"));
}
