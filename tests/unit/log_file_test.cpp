#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "log/log_file.h"
#include "log/log_writer.h"
#include "seams_control.h"
#include "temp_dir.h"

namespace {

struct tm FifthOfMarch2009() {
  struct tm when = {};
  when.tm_mday = 5;
  when.tm_mon = 2;
  when.tm_year = 109;
  when.tm_hour = 14;
  when.tm_min = 7;
  when.tm_sec = 9;
  return when;
}

// Physical lines of the log: every one ends in CR LF.
size_t CountLines(const std::string& bytes) {
  size_t lines = 0;
  for (size_t pos = bytes.find("\r\n"); pos != std::string::npos;
       pos = bytes.find("\r\n", pos + 2)) {
    ++lines;
  }
  return lines;
}

// A disk that takes only so many bytes of the next write, and another
// writer whose line arrives right after them.
size_t g_allowed;
std::string g_otherWriter;
std::string g_logFile;

size_t AllowedBytes(size_t) { return g_allowed; }

void OtherWriterAppends() {
  std::ofstream(g_logFile, std::ios::binary | std::ios::app) << g_otherWriter;
}

// Puts a second name of another file at the log's name, as whoever may
// write the log directory can.
std::string g_otherFile;
void HardLinkTheLog() {
  std::error_code ignored;
  std::filesystem::create_hard_link(g_otherFile, g_logFile, ignored);
}
void OtherWriterStartsTheLog() {
  std::ofstream(g_logFile, std::ios::binary) << g_otherWriter;
}

}  // namespace

TEST(CLogFile, FormatsBothLineForms) {
  struct {
    const char* message;
    bool withTimestamp;
    const char* expected;
    int year = 2009;
  } const cases[] = {
      {"Quillspur gestartet", true,
       "05.03.2009 14:07:09 - Quillspur gestartet\r\n"},
      {"Quillspur beendet", false,
       "                      Quillspur beendet\r\n"},
      {"", true, "05.03.2009 14:07:09 - \r\n"},
      {"", false, "                      \r\n"},
      {"100% %s %d", true, "05.03.2009 14:07:09 - 100% %s %d\r\n"},
      {"a\nb", false, "                      a\r\nb\r\n"},
      {"\xDC"
       "berpr\xFC"
       "fe",
       true,
       "05.03.2009 14:07:09 - \xDC"
       "berpr\xFC"
       "fe\r\n"},
      {"later", true, "05.03.12009 14:07:09 - later\r\n", 12009},
      {"sooner", true, "05.03.0009 14:07:09 - sooner\r\n", 9},
  };
  for (const auto& c : cases) {
    struct tm when = FifthOfMarch2009();
    when.tm_year = c.year - 1900;
    EXPECT_STREQ(c.expected,
                 CLogFile::FormatLine(c.message, c.withTimestamp, when))
        << c.message;
  }
}

TEST(CLogFile, NothingIsWrittenBeforeTheLogIsNamed) {
  TempDir dir;
  CLogFile log;
  log.Write("lost", true);
  log.SetName(dir.Path().c_str(), "Quillspur");
  EXPECT_FALSE(dir.Exists("Quillspur.log"));
  log.Write("kept", false);
  EXPECT_EQ("                      kept\r\n", dir.Read("Quillspur.log"));
}

TEST(CLogFile, MissingDirectoryLosesTheMessageAndIsNotCreated) {
  TempDir dir;
  CLogFile log;
  log.SetName(dir.File("absent").c_str(), "Quillspur");
  log.Write("lost", true);
  EXPECT_FALSE(dir.Exists("absent"));
}

TEST(CLogFile, MovesALogLargerThanTheLimitToTheOldFile) {
  struct {
    size_t existing;  // bytes in the log before the message
    bool moved;       // expect a move before writing
  } const cases[] = {
      {1000000, false},  // exactly the limit: appended
      {1000001, true},   // one byte more: moved first
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("Quillspur.log", std::string(c.existing, 'x'));
    dir.Write("Quillspur.old", "older generation");
    CLogFile log;
    log.SetName(dir.Path().c_str(), "Quillspur");
    log.SetMaxSize(1000000);
    log.Write("next", false);
    const std::string line = "                      next\r\n";
    if (c.moved) {
      EXPECT_EQ(line, dir.Read("Quillspur.log"));
      EXPECT_EQ(c.existing, dir.Read("Quillspur.old").size());
    } else {
      EXPECT_EQ(c.existing + line.size(), dir.Read("Quillspur.log").size());
      EXPECT_EQ("older generation", dir.Read("Quillspur.old"));
    }
  }
}

TEST(CLogFile, WithoutALimitTheLogOnlyGrows) {
  TempDir dir;
  dir.Write("Quillspur.log", std::string(2000, 'x'));
  CLogFile log;
  log.SetName(dir.Path().c_str(), "Quillspur");
  for (int i = 0; i < 3; ++i) log.Write("m", true);
  EXPECT_EQ(3u, CountLines(dir.Read("Quillspur.log")));
  EXPECT_FALSE(dir.Exists("Quillspur.old"));

  log.SetMaxSize(100);
  log.Write("first of the new log", true);
  EXPECT_EQ(1u, CountLines(dir.Read("Quillspur.log")));
  EXPECT_TRUE(dir.Exists("Quillspur.old"));
}

TEST(CLogFile, AFailedWriteLeavesNoFragment) {
  const std::string before = "                      before\r\n";
  const std::string other = "                      other\r\n";
  struct {
    size_t allowed;     // bytes of "next" the disk takes
    bool otherWriter;   // another line arrives right after them
    std::string after;  // the log once "next" has been written
  } const cases[] = {
      {0, false, before},
      {10, false, before},
      {27, false, before},  // all but the LF
      {28, false, before + "                      next\r\n"},
      // The fragment can no longer be cut: it ends the line before it.
      {10, true,
       "                      before" + std::string(10, ' ') + "\r\n" + other},
      {27, true,
       "                      before" + std::string(27, ' ') + "\r\n" + other},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("Quillspur.log", before);
    CLogFile log;
    log.SetName(dir.Path().c_str(), "Quillspur");
    g_allowed = c.allowed;
    g_otherWriter = other;
    g_logFile = dir.File("Quillspur.log");
    seams::SetLogWriteFault(AllowedBytes,
                            c.otherWriter ? OtherWriterAppends : nullptr);
    log.Write("next", false);
    seams::SetLogWriteFault(nullptr, nullptr);
    EXPECT_EQ(c.after, dir.Read("Quillspur.log"))
        << c.allowed << (c.otherWriter ? " with another writer" : "");
    log.Write("later", false);
    EXPECT_EQ(c.after + "                      later\r\n",
              dir.Read("Quillspur.log"));
  }
}

// The log is a file of its own: a hard link that makes another file the
// log is not written, neither at the start nor in the moment between the
// move and the new log's open; a log that another writer began in that
// moment gets the message.
TEST(CLogFile, WritesNoFileThatHasASecondName) {
  const std::string other = "                      other\r\n";
  const std::string next = "                      next\r\n";
  struct {
    void (*plant)();
    bool atMove;
    std::string log;  // Quillspur.log afterwards
  } const cases[] = {
      {HardLinkTheLog, false, "secret"},
      {HardLinkTheLog, true, "secret"},
      {OtherWriterStartsTheLog, true, other + next},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("secret", "secret");
    CLogFile log;
    log.SetName(dir.Path().c_str(), "Quillspur");
    g_logFile = dir.File("Quillspur.log");
    g_otherFile = dir.File("secret");
    g_otherWriter = other;
    if (c.atMove) {
      dir.Write("Quillspur.log", std::string(101, 'x'));
      log.SetMaxSize(100);
      seams::SetLogMoveFault(c.plant);
    } else {
      c.plant();
    }
    log.Write("next", false);
    seams::SetLogMoveFault(nullptr);
    EXPECT_EQ("secret", dir.Read("secret")) << c.atMove;
    EXPECT_EQ(c.log, dir.Read("Quillspur.log")) << c.atMove;
  }
}
