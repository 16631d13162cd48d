// quillspur-check --status over logs made from the input: each byte says
// which line comes next (a job's Check, start or outcome, a start of the
// monitor, a damaged or cut line, a step of the clock, the rotation). The
// status takes most lines by what its place in the pass expects, without
// reading them as a whole; that must never change the report. So the
// same files are read a second time with every line read as a whole and
// placed on its own, and both reports must be the same, byte for byte.
// The zone has summer time, so that the hour that repeats is met as well.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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
// nothing; one whose quoted value ends in blanks.
const char kJobFile[] =
    "[Quillspur]\r\nDelay=60\r\n"
    "[Import]\r\nCheck=in\\*.txt\r\nRun=import.cmd\r\n"
    "[Empty]\r\nCheck=flag\r\nRun=\r\n"
    "[Again]\r\nCheck=in\\*.txt\r\nRun=import.cmd\r\n"
    "[Quoted]\r\nCheck=\"a b  \"\r\nRun=\"run it \"\r\n";
// The last of each is no job's: one that the job file lost.
const char* const kChecks[] = {"in\\*.txt", "flag", "in\\*.txt", "a b  ",
                               "old\\*.dat"};
const char* const kRuns[] = {"import.cmd", "", "import.cmd", "run it ",
                             "old.cmd"};
const int kJobs = 4;
const int kTexts = 5;
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
        Line(Printed(kOutcomeFormat, arg - 2, arg / 3));
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
                         (arg < 8 ? kEndedMessage : "weiter") + Ending(arg);
        break;
      case 12:
        m_file = 1;
        break;
      case 13: {
        // Whole passes; the first of the longest goes past a read's step.
        const bool longest = arg == 15 && m_long++ == 0;
        for (int k = 0; k < (longest ? 700 : arg + 1); ++k) {
          for (int job = 0; job < kJobs; ++job)
            Line(kCheckPrefix, kChecks[job]);
          if (arg > 7) ++m_when;
        }
        break;
      }
      case 14:
        m_bare = true;
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
  std::string Ending(int arg) const {
    return m_bare || arg == 15 ? "\n" : "\r\n";
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
    out.append(m_stamp).append(message).append(value);
  }
  void Line(std::string_view message, std::string_view value = {}) {
    std::string& out = files[m_file];
    Stamped(message, value, out);
    out += m_bare ? "\n" : "\r\n";
    m_bare = false;
  }
  time_t m_when = kStart;
  time_t m_stamped = 0;
  std::string m_stamp;  // of m_stamped, and the separator
  int m_file = 0;
  bool m_bare = false;  // the next line ends in LF alone
  int m_long = 0;       // passes past a read's step made
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
  return 0;
}
