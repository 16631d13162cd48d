#include <gtest/gtest.h>
#include <stdio.h>

#include <new>
#include <string>

#include "allocation_seam.h"
#include "fake_profile.h"
#include "log/log_messages.h"
#include "monitor/globals.h"
#include "monitor/job_pass.h"
#include "temp_dir.h"

namespace {

// The log without its 22-byte prefixes: one message a line, LF-separated.
// The number after "errno = " becomes "E": the Windows runtime leaves its own
// there even when the command ran, and that is logged as it is.
std::string MessagesOf(const std::string& log) {
  std::string out;
  for (size_t start = 0; start < log.size();) {
    const size_t end = log.find("\r\n", start);
    std::string message = log.substr(start + 22, end - start - 22);
    const size_t number = message.find("errno = ");
    if (number != std::string::npos) {
      const size_t close = message.find(')', number);
      message.replace(number + 8, close - number - 8, "E");
    }
    out += message + "\n";
    start = end + 2;
  }
  return out;
}

class JobPass : public ::testing::Test {
 protected:
  void SetUp() override {
    theLog.SetName(dir.Path().c_str(), "Quillspur");
    dir.Write("a.txt", "x");
    dir.Write("b.dat", "x");
    dir.MakeDir("empty");
  }
  // Paths in a Check value, relative to the test directory.
  std::string In(const std::string& name) const {
    return dir.Path() + "\\" + name;
  }
  std::string Messages() const { return MessagesOf(dir.Read("Quillspur.log")); }

  TempDir dir;
  MapProfile profile;
};

}  // namespace

TEST_F(JobPass, CheckSplitsAtSemicolonsAndTestsEveryPiece) {
  struct {
    std::string check;
    bool expected;
  } const cases[] = {
      /* 0 */ {"", true},
      /* 1 */ {In("a.txt"), true},
      /* 2 */ {In("a.txt") + ";" + In("b.dat"), true},
      /* 3 */ {In("a.txt") + ";", true},   // a trailing ";" adds nothing
      /* 4 */ {";" + In("a.txt"), false},  // an empty piece never matches
      /* 5 */ {In("a.txt") + ";;" + In("b.dat"), false},
      /* 6 */ {In("missing") + ";" + In("a.txt"), false},
      /* 7 */ {In("a.txt") + "; " + In("b.dat"), false},  // the blank is part
                                                          // of the path
      /* 8 */ {In("*.dat"), true},
      /* 9 */ {In("empty"), true},
      /* 10 */ {In("empty\\*"), false},
      /* 11 */ {In("?.txt") + ";" + In("b.*"), true},
  };
  CIniFile ini(profile);
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    profile.sections = {{"job", {{"Check", cases[i].check}}}};
    EXPECT_EQ(cases[i].expected, CheckJobFiles(ini, "job"))
        << "case " << i << ": " << cases[i].check;
  }
}

TEST_F(JobPass, FailedCheckLeavesOnlyItsLineAndPercentSignsStayVerbatim) {
  profile.sections = {
      {"job",
       {{"Check", In("100%s%d") + ";" + In("a.txt")}, {"Run", "exit 0"}}}};
  CIniFile ini(profile);
  RunJobPass(ini);
  EXPECT_EQ(
      "\xDC"
      "berpr\xFC"
      "fe Datei(en): " +
          In("100%s%d") + ";" + In("a.txt") + "\n",
      Messages());
}

TEST_F(JobPass, StartLogsTheCommandAndItsExitStatus) {
  struct {
    const char* run;
    const char* expected;
  } const cases[] = {
      {"exit 3",
       "Starte Programm: exit 3\nProgramm beendet (iRC = 3, errno = E)\n"},
      {"exit 0 %s%d",
       "Starte Programm: exit 0 %s%d\nProgramm beendet (iRC = 0, errno = E)\n"},
      {"", "Starte Programm: \n"},
  };
  for (const auto& c : cases) {
    TempDir logDir;
    theLog.SetName(logDir.Path().c_str(), "Quillspur");
    profile.sections = {{"job", {{"Run", c.run}}}};
    CIniFile ini(profile);
    StartJobProgram(ini, "job");
    EXPECT_EQ(c.expected, MessagesOf(logDir.Read("Quillspur.log"))) << c.run;
  }
}

TEST_F(JobPass, SkipsTheGlobalSectionInAnyCaseButNotLongerNames) {
  profile.sections = {
      {"Quillspur", {{"Run", "exit 1"}}},
      {"QUILLSPUR", {{"Run", "exit 1"}}},
      {"quillSpur", {{"Run", "exit 1"}}},
      {"Quillspur2", {{"Run", "exit 2"}}},
  };
  CIniFile ini(profile);
  RunJobPass(ini);
  EXPECT_EQ(
      "\xDC"
      "berpr\xFC"
      "fe Datei(en): \nStarte Programm: exit 2\nProgramm beendet (iRC = 2, "
      "errno = E)\n",
      Messages());
}

TEST_F(JobPass, SectionsWithoutKeysOrGoneLogBothStepsAndStartNothing) {
  profile.sections = {{"empty job", {}}};
  profile.vanished = {"deleted meanwhile"};
  CIniFile ini(profile);
  RunJobPass(ini);
  const std::string emptyJob =
      "\xDC"
      "berpr\xFC"
      "fe Datei(en): \nStarte Programm: \n";
  EXPECT_EQ(emptyJob + emptyJob, Messages());
}

TEST_F(JobPass, ASectionListedTwiceIsHandledTwiceWithTheFirstOnesKeys) {
  profile.sections = {{"job", {{"Check", In("a.txt")}}},
                      {"JOB", {{"Check", In("missing")}}}};
  CIniFile ini(profile);
  RunJobPass(ini);
  const std::string check =
      "\xDC"
      "berpr\xFC"
      "fe Datei(en): " +
      In("a.txt") + "\nStarte Programm: \n";
  EXPECT_EQ(check + check, Messages());
}

// Every allocation of a pass over a job file, the platform's profile
// functions included, fails in turn: the pass ends with std::bad_alloc or
// runs whole, never starts the job whose files are missing, and the next
// pass runs whole.
TEST_F(JobPass, EachFailedAllocationEndsThePassOrNotAtAllAndNoJobRunsWrongly) {
  const auto touch = [this](const char* name) {
    return "echo x>\"" + dir.File(name) + "\"";
  };
  const std::string jobs = "[missing]\r\nCheck=" + In("gone") + ";" +
                           In("b.dat") + "\r\nRun=" + touch("wrong") +
                           "\r\n[present]\r\nCheck=" + In("a.txt") +
                           "\r\nRun=" + touch("ran") + "\r\n";
  // Each pass finds the file changed by a byte, so that it is read and
  // parsed afresh as the first pass over it is.
  const auto changeJobs = [&](unsigned long n) {
    dir.Write("jobs.ini", ";" + std::to_string(n % 2) + "\r\n" + jobs);
  };
  CIniFile ini;
  ini.SetFileName(dir.File("jobs.ini").c_str());
  changeJobs(0);
  const unsigned long before = seams::AllocationCount();
  RunJobPass(ini);
  const unsigned long total = seams::AllocationCount() - before;
  ASSERT_GT(total, 0u) << "operator new is not the seam's";
  for (unsigned long n = 1; n <= total + 1; ++n) {
    (void)remove(dir.File("ran").c_str());
    changeJobs(n);
    bool abandoned = false;
    seams::FailAllocation(n);
    try {
      RunJobPass(ini);
    } catch (const std::bad_alloc&) {
      abandoned = true;
    }
    seams::FailAllocation(0);
    EXPECT_TRUE(abandoned || dir.Exists("ran")) << "allocation " << n;
    (void)remove(dir.File("ran").c_str());
    RunJobPass(ini);
    EXPECT_TRUE(dir.Exists("ran")) << "after allocation " << n;
    ASSERT_FALSE(dir.Exists("wrong")) << "allocation " << n;
  }
}

TEST(FormatProgramOutcome, FillsTheMessagesByteForByte) {
  struct {
    const char* command;
    int result;
    int error;
    const char* expected;
  } const cases[] = {
      {"exit 3", 3, 0, "Programm beendet (iRC = 3, errno = 0)"},
      {"x", -2, 7, "Programm beendet (iRC = -2, errno = 7)"},
      {"run %s 100%", -1, 2,
       "Fehler bei der Ausf\xFC"
       "hrung des Programms 'run %s 100%'' (errno = 2)"},
      {"", -1, 0,
       "Fehler bei der Ausf\xFC"
       "hrung des Programms '"
       "'' (errno = 0)"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.expected, FormatProgramOutcome(c.command, c.result, c.error))
        << c.command;
  }
}

// quillspur-check reads the log with the monitor's own texts: what one
// writes, the other reads back, and nothing else.
TEST(ParseLogMessage, ReadsBackWhatTheMonitorWrites) {
  using K = LogMessageKind;
  struct {
    CString message;
    K kind;
    const char* value;
    long code;
    long error;
  } const cases[] = {
      {FormatProgramOutcome("exit 3", 3, 2), K::kOutcome, "", 3, 2},
      {FormatProgramOutcome("x", -2, 0), K::kOutcome, "", -2, 0},
      {FormatProgramOutcome("a'' (errno = 1) b", -1, 5), K::kStartFailed,
       "a'' (errno = 1) b", -1, 5},
      {FormatProgramOutcome("", -1, 0), K::kStartFailed, "", -1, 0},
      {CString(kCheckPrefix) + "in\\*.csv;x", K::kCheck, "in\\*.csv;x", 0, 0},
      {kCheckPrefix, K::kCheck, "", 0, 0},
      {CString(kStartPrefix) + "run %s", K::kStart, "run %s", 0, 0},
      {kStartedMessage, K::kStarted, "", 0, 0},
      {kEndedMessage, K::kEnded, "", 0, 0},
      {kConfigMissingOpen + CString("a'b") + kConfigMissingClose,
       K::kConfigMissing, "a'b", 0, 0},
      // Cut, or changed by hand.
      {"Programm beendet (iRC = 0, errno = 0", K::kOther, "", 0, 0},
      {"Programm beendet (iRC = x, errno = 0)", K::kOther, "", 0, 0},
      {"Starte Programm", K::kOther, "", 0, 0},
      {"", K::kOther, "", 0, 0},
      {"quillspur gestartet", K::kOther, "", 0, 0},
      // Blanks that end a line where a cut write stood.
      {"Programm beendet (iRC = 0, errno = 0)   ", K::kOutcome, "", 0, 0},
      {"Starte Programm:    ", K::kStart, "", 0, 0},
      {CString(kStartPrefix) + "exit 0  ", K::kStart, "exit 0", 0, 0},
  };
  for (const auto& c : cases) {
    LogMessage m;
    ParseLogMessage(static_cast<const char*>(c.message), m);
    EXPECT_EQ(c.kind, m.kind) << c.message;
    EXPECT_EQ(c.value, std::string(m.value)) << c.message;
    EXPECT_EQ(c.code, m.code) << c.message;
    EXPECT_EQ(c.error, m.error) << c.message;
  }
}
