#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "log/log_file.h"
#include "log/log_writer.h"
#include "seams_control.h"
#include "temp_dir.h"

namespace {

size_t TenBytes(size_t) { return 10; }
void Stop() { raise(SIGTERM); }

// What another user, or an admin, puts at the log's name: at the start, or
// in the moment between the move aside and the new log's open. The last
// is a hard link whose name is removed again once the log is opened, so
// that the file opened has one name, elsewhere.
enum class Planted {
  kLink,
  kDanglingLink,
  kHardLink,
  kOtherWritersLog,
  kHardLinkRemovedAtOpen
};
Planted g_planted;
std::string g_base;  // the test's directory: log/, secret, private/

void Plant() {
  const std::string log = g_base + "/log/Quillspur.log";
  switch (g_planted) {
    case Planted::kLink:
      (void)symlink((g_base + "/secret").c_str(), log.c_str());
      break;
    case Planted::kDanglingLink:
      (void)symlink((g_base + "/private/nologin").c_str(), log.c_str());
      break;
    case Planted::kHardLink:
    case Planted::kHardLinkRemovedAtOpen:
      (void)link((g_base + "/secret").c_str(), log.c_str());
      break;
    case Planted::kOtherWritersLog: {
      const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
      (void)write(fd, "other\r\n", 7);
      close(fd);
      break;
    }
  }
}

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
        seams::SetLogWriteFault(TenBytes, Stop);
        log.Write("next", false);
        _exit(0);
      },
      testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(before, dir.Read("Quillspur.log"));
}

// In a log directory that others may write, the log is written only into a
// file of its own: never through a link or a second name that someone
// planted, at the start or in the moment after the move; no file is created
// through a link. A link in a directory nobody else may write is the
// admin's own, and followed.
TEST(CLogWriter, WritesOnlyAFileOfItsOwn) {
  const std::string secret = "root only\n";
  const std::string line = "                      next\r\n";
  struct {
    Planted planted;
    mode_t dirMode;   // of the log directory
    bool atMove;      // planted after the move, before the new log's open
    std::string log;  // Quillspur.log afterwards, read through any link
    bool followed;    // the message reached the link's target
  } const cases[] = {
      {Planted::kLink, 0777, false, secret, false},
      {Planted::kLink, 01777, false, secret, false},
      {Planted::kDanglingLink, 0777, false, "", false},
      {Planted::kHardLink, 0755, false, secret, false},
      {Planted::kLink, 0755, false, secret + line, true},
      {Planted::kDanglingLink, 0755, false, "", false},
      {Planted::kLink, 0777, true, secret, false},
      {Planted::kDanglingLink, 01777, true, "", false},
      {Planted::kHardLink, 0777, true, secret, false},
      // Another monitor on the same log made the new one first.
      {Planted::kOtherWritersLog, 0777, true, "other\r\n" + line, false},
      {Planted::kHardLinkRemovedAtOpen, 0777, false, "", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("secret", secret);
    chmod(dir.File("secret").c_str(), 0600);
    dir.MakeDir("private");
    dir.MakeDir("log");
    g_base = dir.Path();
    g_planted = c.planted;
    const std::string at = std::to_string(static_cast<int>(c.planted)) +
                           " in " + std::to_string(c.dirMode) +
                           (c.atMove ? " at the move" : "");
    CLogFile log;
    log.SetName(dir.File("log").c_str(), "Quillspur");
    if (c.atMove) {
      dir.Write("log/Quillspur.log", std::string(101, 'x'));
      log.SetMaxSize(100);
      seams::SetLogMoveFault(Plant);
    } else {
      Plant();
    }
    chmod(dir.File("log").c_str(), c.dirMode);
    if (c.planted == Planted::kHardLinkRemovedAtOpen) {
      seams::SetLogOpenFault(
          [] { (void)unlink((g_base + "/log/Quillspur.log").c_str()); });
    }
    log.Write("next", false);
    seams::SetLogOpenFault(nullptr);
    seams::SetLogMoveFault(nullptr);
    EXPECT_EQ(c.followed ? secret + line : secret, dir.Read("secret")) << at;
    EXPECT_EQ(c.log, dir.Read("log/Quillspur.log")) << at;
    EXPECT_FALSE(dir.Exists("private/nologin")) << at;
    if (c.atMove) {
      EXPECT_EQ(101u, dir.Read("log/Quillspur.old").size()) << at;
    }
  }
}

// Anyone who may read the log's directory may lock it: the move waits for
// such a lock about a second at most, then goes on as a single writer.
TEST(CLogWriter, ALockHeldElsewhereDelaysTheMoveOnly) {
  TempDir dir;
  dir.Write("Quillspur.log", std::string(101, 'x'));
  const int other = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(0, flock(other, LOCK_EX));
  CLogFile log;
  log.SetName(dir.Path().c_str(), "Quillspur");
  log.SetMaxSize(100);
  log.Write("next", false);
  close(other);
  EXPECT_EQ("                      next\r\n", dir.Read("Quillspur.log"));
  EXPECT_EQ(101u, dir.Read("Quillspur.old").size());
}
