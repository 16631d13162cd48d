// quillspur-check --status over logs made from the input: each byte says
// which line comes next (a job's Check, start or outcome, a start of the
// monitor, a damaged or cut line, a step of the clock, the rotation). The
// status takes most lines by what its place in the pass expects, without
// reading them as a whole; that must never change the report. So the
// same files are read a second time with every line read as a whole and
// placed on its own, and both reports must be the same: their JSON byte for
// byte, and every time and number as it is before a form rounds it. The
// zone has summer time, so that the hour that repeats is met as well.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "check/file_reader.h"
#include "check/job_list.h"
#include "check/log_lines.h"
#include "check/status_check.h"
#include "check/status_forms.h"
#include "check/status_reader.h"
#include "check/status_report.h"
#include "fuzz_check.h"
#include "fuzz_setup.h"
#include "log/log_messages.h"
#include "platform/os_path.h"

namespace {

// Relative to the temporary directory; the last is the log directory.
const char* const kDirectories[] = {"htdocs", "htdocs/LORVANTIS",
                                    "htdocs/LORVANTIS/lorvantis_php",
                                    "htdocs/LORVANTIS/lorvantis_php/log"};
// Two jobs with the same texts, told apart by their order; one that runs
// nothing; one whose quoted values end in blanks, which the log keeps or
// loses; one whose Check is longer than 32 bytes.
const char kJobFile[] =
    "[Quillspur]\r\nDelay=60\r\n"
    "[Import]\r\nCheck=in\\*.txt\r\nRun=import.cmd\r\n"
    "[Empty]\r\nCheck=flag\r\nRun=\r\n"
    "[Again]\r\nCheck=in\\*.txt\r\nRun=import.cmd\r\n"
    "[Quoted]\r\nCheck=\"a b  \"\r\nRun=\"run it \"\r\n"
    "[Long]\r\nCheck=data\\archive\\2026\\december\\report-*.csv\r\n"
    "Run=import.cmd --all --from archive\r\n";
const int kJobs = 5;
// The jobs' texts, then those of the quoted job as a pass compares them,
// then texts of no job: one the job file lost, one a byte off the long one.
const char* const kChecks[] = {"in\\*.txt",
                               "flag",
                               "in\\*.txt",
                               "a b  ",
                               "data\\archive\\2026\\december\\report-*.csv",
                               "a b",
                               "old\\*.dat",
                               "data\\archive\\2025\\december\\report-*.csv"};
const char* const kRuns[] = {"import.cmd",
                             "",
                             "import.cmd",
                             "run it ",
                             "import.cmd --all --from archive",
                             "run it",
                             "old.cmd",
                             "import.cmd --all --from archivf"};
const int kTexts = 8;
// Just before the night in October when the hour from 2 to 3 repeats.
const time_t kStart = 1792884600;  // 25.10.2026 01:30 in this zone

std::string g_directory;
std::string g_logDirectory;

std::string Path(const char* name) { return g_directory + "/" + name; }

void WriteFile(const std::string& path, const std::string& text) {
  WriteFuzzFile(path, text.data(), text.size());
}

void RemoveAll() {
  unlink((g_logDirectory + "/Quillspur.log").c_str());
  unlink((g_logDirectory + "/Quillspur.old").c_str());
  unlink(Path("jobs.ini").c_str());
  unlink(Path("registry.reg").c_str());
  for (size_t i = sizeof kDirectories / sizeof *kDirectories; i > 0; --i)
    rmdir(Path(kDirectories[i - 1]).c_str());
  rmdir(g_directory.c_str());
}

void SetUp() {
  // Central European time, without the machine's zone files.
  FUZZ_CHECK(setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1) == 0);
  tzset();
  g_directory = MakeFuzzDirectory("status");
  atexit(RemoveAll);
  for (const char* directory : kDirectories)
    FUZZ_CHECK(mkdir(Path(directory).c_str(), 0700) == 0);
  g_logDirectory = Path(kDirectories[3]);
  WriteFile(Path("jobs.ini"), kJobFile);
  // Changed within the log's first hours: lines on both sides of it.
  const struct timespec changed[2] = {{kStart + 7200, 0}, {kStart + 7200, 0}};
  FUZZ_CHECK(utimensat(AT_FDCWD, Path("jobs.ini").c_str(), changed, 0) == 0);
  UseFuzzRegistry(g_directory);
}

// The two files, as the input says they were written.
class CLogMaker {
 public:
  void Make(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) Op(data[i], data, size, i);
  }
  std::string files[2];

 private:
  void Op(uint8_t op, const uint8_t* data, size_t size, size_t& i) {
    const int arg = op >> 4;
    switch (op & 15) {
      case 0:
        Line(kCheckPrefix, kChecks[arg % kTexts]);
        break;
      case 1:
        Line(kStartPrefix, kRuns[arg % kTexts]);
        break;
      case 2:
        Line(Printed(kOutcomeFormat, 0, 0));
        break;
      case 3:
        // Near the outcome that ended well, too: iRC 0 with an errno.
        Line(Printed(kOutcomeFormat, (arg & 3) - 1, arg >> 2));
        break;
      case 4:
        Line(Printed(kStartFailedFormat, kRuns[arg % kTexts], 2));
        break;
      case 5:
        Line(kStartedMessage);
        break;
      case 6:
        m_when += arg;
        break;
      case 7:
        m_when += 60 * arg;
        break;
      case 8:
        m_when += 3600 * arg;
        break;
      case 9:
        m_when -= arg + 1;
        break;
      case 10: {
        // Raw bytes from the input, up to an LF or the input's end.
        std::string& out = files[m_file];
        for (++i; i < size && data[i] != '\n'; ++i)
          out += static_cast<char>(data[i]);
        out += '\n';
        break;
      }
      case 11:
        // The monitor's own continuation line, or one it never writes.
        files[m_file] += std::string(kStampWidth, ' ') +
                         (arg < 8 ? kEndedMessage : "weiter") +
                         (arg == 15 ? "\n" : "\r\n");
        break;
      case 12:
        m_file = 1;
        break;
      case 13: {
        // Whole passes, the later ones a second a line; the first of the
        // longest goes past a read's step.
        const bool longest = arg == 15 && m_long++ == 0;
        for (int k = 0; k < (longest ? 700 : arg + 1); ++k) {
          for (int job = 0; job < kJobs; ++job) {
            Line(kCheckPrefix, kChecks[job == 3 && arg % 2 ? 5 : job]);
            if (arg > 7) ++m_when;
          }
          if (files[m_file].size() > 512 * 1024) break;
        }
        break;
      }
      case 14:
        // The next line ends in LF alone, or in blanks; or its stamp is
        // nineteen times the input's next byte.
        if (arg == 0) {
          m_bare = true;
        } else if (arg < 8) {
          m_blanks = arg;
        } else if (++i < size) {
          m_stampByte = data[i];
        }
        break;
      default: {
        // A line cut at a place the argument gives; without its LF, the
        // next line goes on it, as after a full disk.
        std::string line;
        Stamped(kCheckPrefix, kChecks[0], line);
        files[m_file] += line.substr(0, line.size() * arg / 16);
        if (arg % 2 == 0) files[m_file] += '\n';
        break;
      }
    }
  }
  static std::string Printed(const char* format, int a, int b) {
    char text[256];
    snprintf(text, sizeof text, format, a, b);
    return text;
  }
  static std::string Printed(const char* format, const char* a, int b) {
    char text[256];
    snprintf(text, sizeof text, format, a, b);
    return text;
  }
  // The zone is asked once per second of stamps: long passes stay fast.
  void Stamped(std::string_view message, std::string_view value,
               std::string& out) {
    if (m_stamp.empty() || m_stamped != m_when) {
      struct tm local;
      FUZZ_CHECK(localtime_r(&m_when, &local) != nullptr);
      m_stamp.clear();
      AppendStamp(m_stamp, local);
      m_stamp += " - ";
      m_stamped = m_when;
    }
    if (m_stampByte >= 0) {
      out.append(kStampWidth - 3, static_cast<char>(m_stampByte)).append(" - ");
      m_stampByte = -1;
    } else {
      out.append(m_stamp);
    }
    out.append(message).append(value);
  }
  void Line(std::string_view message, std::string_view value = {}) {
    std::string& out = files[m_file];
    Stamped(message, value, out);
    out.append(static_cast<size_t>(m_blanks), ' ');
    out += m_bare ? "\n" : "\r\n";
    m_bare = false;
    m_blanks = 0;
  }
  time_t m_when = kStart;
  time_t m_stamped = 0;
  std::string m_stamp;  // of m_stamped, and the separator
  int m_file = 0;
  bool m_bare = false;   // the next line ends in LF alone
  int m_blanks = 0;      // before the next line's end
  int m_stampByte = -1;  // the byte of the next line's stamp, or -1
  int m_long = 0;        // passes past a read's step made
};

// Hands every line to the status's placing as a whole line.
class CLineByLine {
 public:
  explicit CLineByLine(CStatusReader& reader) : m_reader(reader) {}
  bool Take(CLogLines&, std::string_view&, LogLine&) { return false; }
  void Line(const LogLine& line) { m_reader.Line(line); }

 private:
  CStatusReader& m_reader;
};

void ReadLineByLine(const CStatusReport& taken, CStatusReport& report) {
  report.jobFile = taken.jobFile;
  report.now = taken.now;
  report.delay = taken.delay;
  report.log.file = taken.log.file;
  report.old.file = taken.old.file;
  CJobList jobs;
  std::string reason;
  FUZZ_CHECK(jobs.Load(report.jobFile, reason));
  CStatusReader reader(report);
  reader.Begin(jobs);
  CLogLines lines;
  CLineByLine byLine(reader);
  LogPartStatus* const parts[2] = {&report.old, &report.log};
  for (int file = 0; file < 2; ++file) {
    CFileReader in;
    parts[file]->exists = parts[file]->read = true;
    FUZZ_CHECK(in.Open(OsPath(parts[file]->file.c_str()), reason));
    FUZZ_CHECK(lines.Read(file, in, byLine, reason));
  }
  reader.End();
}

// The times and numbers of a report as they are, which its forms may show
// rounded or clamped.
std::string Numbers(const CStatusReport& report) {
  std::string out;
  const auto add = [&out](int64_t number) {
    out += std::to_string(number) + ' ';
  };
  for (const LogPartStatus* part : {&report.old, &report.log}) {
    add(part->lines);
    add(part->first);
    add(part->last);
  }
  const MonitorStatus& monitor = report.monitor;
  for (const int64_t number :
       {monitor.lastStarted, monitor.lastLine, int64_t{monitor.runningJob},
        monitor.runningSince, monitor.longestRun}) {
    add(number);
  }
  for (const JobStatus& job : report.jobs) {
    for (const int64_t number :
         {int64_t{job.checks}, job.lastChecked, job.lastStarted,
          job.failingSince, job.longestRun, int64_t{job.code},
          int64_t{job.error}, static_cast<int64_t>(job.outcome)}) {
      add(number);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_directory.empty()) SetUp();
  CLogMaker maker;
  maker.Make(data, size);
  WriteFile(g_logDirectory + "/Quillspur.old", maker.files[0]);
  WriteFile(g_logDirectory + "/Quillspur.log", maker.files[1]);
  const int64_t now = static_cast<int64_t>(kStart) + 86400;
  CStatusReport taken;
  CStatusCheck::Run(Path("jobs.ini"), now, taken);
  FUZZ_CHECK(taken.problem.empty());
  CStatusReport byLine;
  ReadLineByLine(taken, byLine);
  const std::vector<std::string> none;
  FUZZ_CHECK(CStatusForms::Json(taken, none) ==
             CStatusForms::Json(byLine, none));
  FUZZ_CHECK(Numbers(taken) == Numbers(byLine));
  return 0;
}
