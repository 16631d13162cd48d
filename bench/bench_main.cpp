// quillspur_bench: what the monitor's work costs against the least it could
// cost, measured side by side in one run. Every row is a pair of pieces of
// work timed alternately; it prints the medians and the median of the
// pairs' ratios, in CPU time and in wall time.
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/job_checker.h"
#include "check/status_check.h"
#include "check/status_forms.h"
#include "check/status_report.h"
#include "check/text_report.h"
#include "check/write_access_judge.h"
#include "config/ini_file.h"
#include "counting_reader.h"
#include "fixtures.h"
#include "floor_ops.h"
#include "framework/file_find.h"
#include "log/log_file.h"
#include "measure.h"
#include "monitor/globals.h"
#include "monitor/job_pass.h"
#include "monitor/job_rules.h"
#include "platform/arguments.h"
#include "registry/install_path.h"
#include "work_dir.h"

namespace {

// A sample lasts at least this long, so that the clocks' resolution and
// the cost of reading them do not count.
const double kMinimumSample = 0.02;
// Beyond this, a row takes fewer pairs so that it fits its budget.
const double kLongRun = 1.0;

struct Options {
  std::vector<int> jobs{10, 100, 1000, 5000, 20000};
  long valueBytes = 1048576;
  long pieces = 100000;
  long entries = 100000;
  int values = 2000;
  int pairs = 7;
  double budget = 60;
  std::string rows = "jobs,value,check,find,log,startup,status,checkfile";
  std::string dir;
};

void Usage(FILE* out) {
  fprintf(
      out,
      "usage: quillspur_bench [--quick] [--jobs N,N,...] [--value BYTES]\n"
      "         [--pieces N] [--entries N] [--values N] [--pairs N]\n"
      "         [--budget SECONDS] [--dir DIRECTORY]\n"
      "         [--rows jobs,value,check,find,log,startup,status,checkfile]\n"
      "  --quick     small sizes: jobs 10,100,1000, a 65536-byte value,\n"
      "              2000 pieces, 10000 entries, 200 values\n"
      "  --jobs      job counts of the job-pass rows (default\n"
      "              10,100,1000,5000,20000); the checkfile row takes the\n"
      "              last\n"
      "  --value     bytes of the long value (default 1048576)\n"
      "  --pieces    pieces of the long Check (default 100000)\n"
      "  --entries   directory entries of the FindFile rows (default 100000)\n"
      "  --values    values of the large registry key (default 2000)\n"
      "  --pairs     pairs per row (default 7); a row whose one run takes\n"
      "              over 1 s takes as many as fit its budget, at least one\n"
      "  --budget    seconds a row may take (default 60); a row whose first\n"
      "              run takes longer is stopped and not measured\n"
      "  --dir       where the work directory goes (default $TMPDIR or /tmp)"
      "\n");
}

bool ParseList(const char* text, std::vector<int>& out) {
  out.clear();
  for (const char* p = text; *p != '\0';) {
    char* end = nullptr;
    const long n = strtol(p, &end, 10);
    if (end == p || n <= 0) return false;
    out.push_back(static_cast<int>(n));
    p = *end == ',' ? end + 1 : end;
    if (*end != ',' && *end != '\0') return false;
  }
  return !out.empty();
}

bool ParseOptions(int argc, char* argv[], Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--quick") {
      options.jobs = {10, 100, 1000};
      options.valueBytes = 65536;
      options.pieces = 2000;
      options.entries = 10000;
      options.values = 200;
      continue;
    }
    if (arg == "--help") {
      Usage(stdout);
      exit(0);
    }
    if (value == nullptr) return false;
    ++i;
    if (arg == "--jobs") {
      if (!ParseList(value, options.jobs)) return false;
    } else if (arg == "--value") {
      options.valueBytes = atol(value);
      if (options.valueBytes < 1) return false;
    } else if (arg == "--pieces") {
      options.pieces = atol(value);
      if (options.pieces < 1) return false;
    } else if (arg == "--entries") {
      options.entries = atol(value);
      if (options.entries < 1) return false;
    } else if (arg == "--values") {
      options.values = atoi(value);
      if (options.values < 1) return false;
    } else if (arg == "--pairs") {
      options.pairs = atoi(value);
      if (options.pairs < 1) return false;
    } else if (arg == "--budget") {
      options.budget = atof(value);
      if (options.budget <= 0) return false;
    } else if (arg == "--rows") {
      options.rows = value;
    } else if (arg == "--dir") {
      options.dir = value;
    } else {
      return false;
    }
  }
  return true;
}

bool Wanted(const Options& options, const char* row) {
  const std::string list = "," + options.rows + ",";
  return list.find(std::string(",") + row + ",") != std::string::npos;
}

std::string FormatTime(double seconds) {
  char text[32];
  if (seconds < 1e-3) {
    snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
  } else if (seconds < 1) {
    snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
  } else {
    snprintf(text, sizeof text, "%.2f s", seconds);
  }
  return text;
}

void PrintHeader(const char* title, const char* a, const char* b) {
  printf("\n%s\n", title);
  printf("%-38s %10s %31s\n", "", "CPU", "wall");
  printf("%-38s %10s %10s %6s   %10s %10s %6s\n", "", a, b, "ratio", a, b,
         "ratio");
}

// Small ratios keep their leading digits: a goal may be 1 %.
std::string FormatRatio(double ratio) {
  char text[32];
  snprintf(text, sizeof text, ratio < 0.1 ? "%.4f" : "%.2f", ratio);
  return text;
}

void PrintRow(const std::string& label, const PairResult& result,
              const std::string& note) {
  printf("%-38s %10s %10s %6s   %10s %10s %6s%s%s\n", label.c_str(),
         FormatTime(result.a.cpu).c_str(), FormatTime(result.b.cpu).c_str(),
         FormatRatio(result.ratio.cpu).c_str(),
         FormatTime(result.a.wall).c_str(), FormatTime(result.b.wall).c_str(),
         FormatRatio(result.ratio.wall).c_str(), note.empty() ? "" : "  ",
         note.c_str());
  fflush(stdout);
}

void PrintSkipped(const std::string& label, const std::string& why) {
  printf("%-38s %s\n", label.c_str(), why.c_str());
  fflush(stdout);
}

std::string OverBudget(const Options& options) {
  char text[96];
  snprintf(text, sizeof text,
           "not measured: one run takes over the budget of %.0f s (--budget)",
           options.budget);
  return text;
}

// All pairs when one run is short; else the pairs that fit what is left of
// the budget, once one pair is known to take pairSeconds.
int PairsFor(const Options& options, double runSeconds, double pairSeconds,
             double spent, std::string& note) {
  if (runSeconds <= kLongRun) return options.pairs;
  const int fit = static_cast<int>((options.budget - spent) / pairSeconds);
  const int pairs = std::max(1, std::min(options.pairs, fit));
  if (pairs < options.pairs) {
    note += std::to_string(pairs) + (pairs == 1 ? " pair" : " pairs") +
            ": one run takes over 1 s";
  }
  return pairs;
}

std::vector<std::string> SplitLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line + "\n");
  return lines;
}

void PrintMachine() {
  std::string model = "unknown";
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.compare(0, 10, "model name") == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  }
  struct utsname system;
  uname(&system);
  double load[3] = {0, 0, 0};
  getloadavg(load, 3);
  char date[32];
  const time_t now = time(nullptr);
  strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", gmtime(&now));
  printf("quillspur_bench, %s\n", date);
  printf("machine: %s, %ld cores, %s %s, load average %.2f\n", model.c_str(),
         sysconf(_SC_NPROCESSORS_ONLN), system.sysname, system.release,
         load[0]);
  printf("medians of interleaved pairs; ratio: median of the pairs' ratios\n");
}

// A whole job pass (the Delay read and RunJobPass) against the same number
// of whole-file reads, the same probes and one append per log message.
void JobPassRows(const Options& options, const std::string& work) {
  PrintHeader(
      "job pass over J jobs, two non-matching Check pieces each, against "
      "its floor",
      "pass", "floor");
  const std::string logDir = work + "/log";
  mkdir(logDir.c_str(), 0755);
  const std::string passLog = logDir + "/Quillspur.log";
  const std::string floorLog = logDir + "/floor.log";
  theLog.SetName(logDir.c_str(), "Quillspur");
  theLog.SetMaxSize(0);
  auto tidy = [&] {
    unlink(passLog.c_str());
    unlink(floorLog.c_str());
  };
  for (int jobs : options.jobs) {
    const std::string jobFile = work + "/jobs" + std::to_string(jobs) + ".ini";
    const std::string label = "J=" + std::to_string(jobs);
    if (!WriteJobFile(jobFile, jobs)) {
      PrintSkipped(label, "not measured: the job file cannot be written");
      continue;
    }
    CCountingReader reader;
    CIniFile ini(reader);
    ini.SetFileName(jobFile.c_str());
    auto pass = [&] {
      ini.GetInt("Quillspur", "Delay", 60, 10);
      RunJobPass(ini);
    };
    tidy();
    const ChildRun first = TimeInChild(
        [&] {
          pass();
          return reader.m_nReads;
        },
        options.budget);
    const std::vector<std::string> lines = SplitLines(passLog);
    tidy();
    if (!first.finished) {
      PrintSkipped(label, OverBudget(options));
      continue;
    }

    std::vector<std::string> missing;
    for (int k = 1; k <= jobs; ++k) missing.push_back(MissingFileOf(k));
    std::string buffer;
    const long long reads = first.counter;
    auto floor = [&] {
      // The reads that list the sections and the Delay, then per job the
      // read of Check, its message and its two probes.
      long long left = reads;
      for (; left > jobs; --left) ReadWholeFile(jobFile.c_str(), buffer);
      size_t line = 0;
      for (int k = 0; k < jobs; ++k) {
        if (left-- > 0) ReadWholeFile(jobFile.c_str(), buffer);
        if (line < lines.size()) AppendLine(floorLog.c_str(), lines[line++]);
        PathExists(missing[k].c_str());
        ScanDirectory(kProbeDirectory);
      }
      for (; line < lines.size(); ++line)
        AppendLine(floorLog.c_str(), lines[line]);
    };
    const Sample floorOnce = TimeRuns(floor, 1);
    tidy();
    std::string note;
    if (lines.size() != static_cast<size_t>(jobs)) {
      note = "(" + std::to_string(lines.size()) + " log lines, expected " +
             std::to_string(jobs) + ") ";
    }
    const int pairs =
        PairsFor(options, first.time.wall, first.time.wall + floorOnce.wall,
                 first.time.wall, note);
    const long passReps = RepsFor(first.time.wall, kMinimumSample);
    const long floorReps = RepsFor(floorOnce.wall, kMinimumSample);
    const PairResult result =
        TimePairs([&] { return TimeRuns(pass, passReps); },
                  [&] { return TimeRuns(floor, floorReps); }, pairs, tidy);
    PrintRow(label + " (" + std::to_string(reads) + " reads, " +
                 std::to_string(lines.size()) + " messages)",
             result, note);
  }
}

// Times work against floor in pairs, once work's first run (firstWall
// seconds) is known to fit the budget, and prints the row.
void PrintPairRow(
    const Options& options, const std::string& label, double firstWall,
    const std::function<void()>& work, const std::function<void()>& floor,
    std::string note, const std::function<void()>& tidy = [] {}) {
  const Sample floorOnce = TimeRuns(floor, 1);
  const int pairs =
      PairsFor(options, firstWall, firstWall + floorOnce.wall, firstWall, note);
  const long workReps = RepsFor(firstWall, kMinimumSample);
  const long floorReps = RepsFor(floorOnce.wall, kMinimumSample);
  const PairResult result =
      TimePairs([&] { return TimeRuns(work, workReps); },
                [&] { return TimeRuns(floor, floorReps); }, pairs, tidy);
  PrintRow(label, result, note);
}

// One long value read through CIniFile, one profile call per 512-byte
// step, against as many whole-file reads.
void LongValueRows(const Options& options, const std::string& work) {
  PrintHeader(
      "reading a long value, against as many reads of the file as profile "
      "calls",
      "value", "reads");
  const std::string jobFile = work + "/long.ini";
  const std::string label = std::to_string(options.valueBytes) + "-byte value";
  if (!WriteLongValueFile(jobFile, options.valueBytes)) {
    PrintSkipped(label, "not measured: the job file cannot be written");
    return;
  }
  CCountingReader reader;
  CIniFile ini(reader);
  ini.SetFileName(jobFile.c_str());
  long length = 0;
  auto read = [&] {
    length = ini.GetString("Long", "Check", nullptr).GetLength();
  };
  const ChildRun first = TimeInChild(
      [&] {
        read();
        return reader.m_nReads;
      },
      options.budget);
  if (!first.finished) {
    PrintSkipped(label, OverBudget(options));
    return;
  }
  const long long reads = first.counter;
  std::string buffer;
  auto floor = [&] {
    for (long long i = 0; i < reads; ++i)
      ReadWholeFile(jobFile.c_str(), buffer);
  };
  read();
  const std::string note =
      length == options.valueBytes ? "" : "(the value read is cut short)";
  PrintPairRow(options, label + " (" + std::to_string(reads) + " reads)",
               first.time.wall, read, floor, note);
}

// CheckPaths over a long Check value (its split and the test of every
// piece) against the same stat and directory probes done directly.
void LongCheckRows(const Options& options) {
  PrintHeader(
      "testing a Check of N pieces that match nothing, against its probes",
      "Check", "probes");
  const std::string label = "N=" + std::to_string(options.pieces);
  if (!MakeProbeDirectory()) {
    PrintSkipped(label, "not measured: the probe directory cannot be made");
    return;
  }
  const CString check = CheckValueOf(options.pieces).c_str();
  auto test = [&] { CheckPaths(check, nullptr); };
  const ChildRun first = TimeInChild(
      [&] { return CheckPaths(check, nullptr) ? 1 : 0; }, options.budget);
  if (!first.finished) {
    PrintSkipped(label, OverBudget(options));
    return;
  }
  std::vector<std::string> missing;
  for (long k = 1; k <= options.pieces; k += 2)
    missing.push_back(MissingFileOf(static_cast<int>(k)));
  auto floor = [&] {
    for (long k = 1; k <= options.pieces; ++k) {
      if (k % 2 == 1) {
        PathExists(missing[static_cast<size_t>(k / 2)].c_str());
      } else {
        ScanDirectory(kProbeDirectory);
      }
    }
  };
  PrintPairRow(options, label, first.time.wall, test, floor,
               first.counter == 0 ? "" : "(a piece was found)");
}

// FindFile in a large directory against one readdir scan of it.
void FindFileRows(const Options& options, const std::string& work) {
  PrintHeader(
      ("CFileFind::FindFile in a directory of " +
       std::to_string(options.entries) + " entries, against one readdir scan")
          .c_str(),
      "FindFile", "scan");
  const std::string directory = work + "/many";
  if (!MakeEntries(directory, options.entries)) {
    PrintSkipped("FindFile", "not measured: the entries cannot be made");
    return;
  }
  std::string firstName;
  if (DIR* dir = opendir(directory.c_str())) {
    while (const struct dirent* entry = readdir(dir)) {
      if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
        firstName = entry->d_name;
        break;
      }
    }
    closedir(dir);
  }
  // A wildcard, so that the directory is searched, matching the first entry.
  std::string firstPattern = directory + "\\" + firstName;
  firstPattern.back() = '?';
  const std::string nonePattern = directory + "\\nomatch*";
  CFileFind finder;
  struct Case {
    const char* label;
    std::string pattern;
    int expected;
  };
  const Case cases[] = {{"first entry matches", firstPattern, 1},
                        {"nothing matches", nonePattern, 0}};
  auto scan = [&] { ScanDirectory(directory.c_str()); };
  for (const Case& c : cases) {
    auto find = [&] { finder.FindFile(c.pattern.c_str(), 0); };
    std::string note;
    if (finder.FindFile(c.pattern.c_str(), 0) != c.expected)
      note = "(FindFile gave the wrong answer)";
    const Sample findOnce = TimeRuns(find, 3);
    const Sample scanOnce = TimeRuns(scan, 3);
    const long findReps = RepsFor(findOnce.wall, kMinimumSample);
    const long scanReps = RepsFor(scanOnce.wall, kMinimumSample);
    const PairResult result = TimePairs(
        [&] { return TimeRuns(find, findReps); },
        [&] { return TimeRuns(scan, scanReps); }, options.pairs, [] {});
    PrintRow(c.label, result, note);
  }
}

// One log message against open, write and close of the same bytes.
void LogRows(const Options& options, const std::string& work) {
  PrintHeader("one log message, against open+write+close of the same bytes",
              "message", "append");
  const std::string logDir = work + "/log";
  mkdir(logDir.c_str(), 0755);
  const std::string passLog = logDir + "/Quillspur.log";
  const std::string floorLog = logDir + "/floor.log";
  theLog.SetName(logDir.c_str(), "Quillspur");
  theLog.SetMaxSize(1000000);
  const CString message =
      "\xDC"
      "berpr\xFC"
      "fe Datei(en): in\\a00001.txt;in\\b00001*.txt";
  const time_t now = time(nullptr);
  struct tm when;
  localtime_r(&now, &when);
  const CString formatted = CLogFile::FormatLine(message, true, when);
  const std::string line(static_cast<const char*>(formatted),
                         formatted.GetLength());
  auto logWrite = [&] { theLog.Write(message, true); };
  auto append = [&] { AppendLine(floorLog.c_str(), line); };
  auto tidy = [&] {
    unlink(passLog.c_str());
    unlink(floorLog.c_str());
  };
  const long writeReps = RepsFor(TimeRuns(logWrite, 10).wall, kMinimumSample);
  const long appendReps = RepsFor(TimeRuns(append, 10).wall, kMinimumSample);
  tidy();
  const PairResult result = TimePairs(
      [&] { return TimeRuns(logWrite, writeReps); },
      [&] { return TimeRuns(append, appendReps); }, options.pairs, tidy);
  PrintRow(std::to_string(line.size()) + "-byte line", result, "");
}

// Start-up (constructing the installation path, which reads the registry)
// with a key of many values against a key of one. Every start-up runs in a
// fresh child process, as a real one does, and times itself there.
void StartupRows(const Options& options, const std::string& work) {
  PrintHeader("start-up: the registry read, a key of N values against one",
              "N values", "1 value");
  const std::string install = work + "/install";
  const std::string large = work + "/large.reg";
  const std::string single = work + "/single.reg";
  const std::string label = "N=" + std::to_string(options.values);
  if (!WriteRegistryStore(large, options.values, install) ||
      !WriteRegistryStore(single, 1, install)) {
    PrintSkipped(label, "not measured: the stores cannot be written");
    return;
  }
  auto startup = [](const std::string& store) {
    setenv("QUILLSPUR_REGISTRY", store.c_str(), 1);
    const CInstallPath path;
    return static_cast<long long>(path.GetLogDirectory().GetLength());
  };
  auto once = [&](const std::string& store, double budget) {
    return TimeInChild([&] { return startup(store); }, budget);
  };
  const ChildRun first = once(large, options.budget);
  if (!first.finished) {
    PrintSkipped(label, OverBudget(options));
    return;
  }
  std::string note;
  if (first.counter == 0 || once(single, options.budget).counter == 0)
    note = "(the installation directory was not read) ";
  // Once the first run fitted, the pairs are not cut short.
  const double noLimit = 86400;
  const int pairs = PairsFor(options, first.time.wall, first.time.wall,
                             first.time.wall, note);
  const PairResult result =
      TimePairs([&] { return once(large, noLimit).time; },
                [&] { return once(single, noLimit).time; }, pairs, [] {});
  PrintRow(label, result, note);
}

// quillspur-check --status over a job file of 1,000 jobs, a full log and
// its predecessor, against one whole-file read of each of the three.
void StatusRows(const Options& options, const std::string& work) {
  PrintHeader(
      "status over a log and .old of 2 MB and 1,000 jobs, against "
      "one read of the three files",
      "status", "3 reads");
  const int jobs = 1000;
  const std::string install = work + "/status";
  const std::string logDir = install + "/htdocs/LORVANTIS/lorvantis_php/log";
  const std::string store = work + "/status.reg";
  const std::string jobFile = work + "/status.ini";
  const std::string logPath = logDir + "/Quillspur.log";
  const std::string oldPath = logDir + "/Quillspur.old";
  const std::string label = "J=1000, 2 x 1 MB";
  // What the status costs apart from its lines: the same job file over a
  // log and .old of one line each, in an installation of its own.
  const std::string bare = work + "/status-bare";
  const std::string bareStore = work + "/status-bare.reg";
  const std::string bareLogDir = bare + "/htdocs/LORVANTIS/lorvantis_php/log";
  for (const std::string& root : {install, bare}) {
    for (const char* part :
         {"", "/htdocs", "/htdocs/LORVANTIS", "/htdocs/LORVANTIS/lorvantis_php",
          "/htdocs/LORVANTIS/lorvantis_php/log"}) {
      mkdir((root + part).c_str(), 0755);
    }
  }
  if (!WriteJobFile(jobFile, jobs) || !WriteRegistryStore(store, 1, install) ||
      !WriteStatusLogs(logPath, oldPath, jobs, kLogLimit) ||
      !WriteRegistryStore(bareStore, 1, bare) ||
      !WriteStatusLogs(bareLogDir + "/Quillspur.log",
                       bareLogDir + "/Quillspur.old", jobs, 0)) {
    PrintSkipped(label, "not measured: the files cannot be written");
    return;
  }
  setenv("QUILLSPUR_REGISTRY", store.c_str(), 1);
  const int64_t now = static_cast<int64_t>(time(nullptr));
  size_t lines = 0;
  std::string note;
  auto status = [&] {
    CStatusReport report;
    CStatusCheck::Run(jobFile, now, report);
    lines = static_cast<size_t>(report.log.lines + report.old.lines);
    if (!report.problem.empty() || report.unplaced > 0) {
      note = "(" +
             (report.problem.empty()
                  ? std::to_string(report.unplaced) + " lines not placed"
                  : report.problem) +
             ") ";
    }
  };
  std::string buffer;
  auto floor = [&] {
    ReadWholeFile(jobFile.c_str(), buffer);
    ReadWholeFile(oldPath.c_str(), buffer);
    ReadWholeFile(logPath.c_str(), buffer);
  };
  const Sample once = TimeRuns(status, 1);
  PrintPairRow(options, label + " (" + std::to_string(lines) + " lines)",
               once.wall, status, floor, note);
  // What an admin waits for: the same status and its text report, whose
  // size grows with the jobs, not the log.
  size_t bytes = 0;
  auto text = [&] {
    CStatusReport report;
    CStatusCheck::Run(jobFile, now, report);
    bytes = CStatusForms::Text(report, std::vector<std::string>()).size();
  };
  const Sample textOnce = TimeRuns(text, 1);
  PrintPairRow(options,
               "J=1000, text report (" + std::to_string(bytes / 1024) + " KB)",
               textOnce.wall, text, floor, note);
  // The same reads of the full files: the lines' share of the first row is
  // its ratio less this one's.
  setenv("QUILLSPUR_REGISTRY", bareStore.c_str(), 1);
  const Sample bareOnce = TimeRuns(status, 1);
  PrintPairRow(options, "J=1000, logs of one line each", bareOnce.wall, status,
               floor, note);
  setenv("QUILLSPUR_REGISTRY", store.c_str(), 1);
}

// quillspur-check -q as its main runs it: the check, who else may write,
// the report of findings; the number of findings.
long long CheckQuietly(const std::string& jobFile) {
  CCheckReport report;
  CJobChecker(report, true).Check(jobFile, std::vector<std::string>());
  CWriteAccessJudge("").Judge(report);
  const std::string out = TextForTerminal(CTextReport::Format(report, true));
  return out.empty() ? 0 : report.Errors() + report.Warnings();
}

// A fresh child's peak memory over work, once the parse that the profile
// functions kept from an earlier row is gone (an empty file read instead).
long long ChildPeakMemory(const std::function<void()>& work,
                          const std::string& emptyFile, double budget) {
  const ChildRun run = TimeInChild(
      [&] {
        char list[2];
        GetPrivateProfileSectionNamesA(list, sizeof list, emptyFile.c_str());
        return PeakMemoryOf(work);
      },
      budget);
  return run.finished ? run.counter : -1;
}

std::string MemoryNote(const char* what, long long bytes, double fileBytes) {
  char text[96];
  snprintf(text, sizeof text, "%s %.2f MB = %.2fx the file", what,
           static_cast<double>(bytes) / 1048576,
           static_cast<double>(bytes) / fileBytes);
  return text;
}

// The files of the check row, its registry store and its log: false when
// one cannot be written.
bool SetUpCheckRow(const std::string& work, int jobs, off_t& size) {
  struct stat info;
  mkdir((work + "/log").c_str(), 0755);
  if (!WriteJobFile(work + "/checkfile.ini", jobs) ||
      !WriteRegistryStore(work + "/checkfile.reg", 1, work) ||
      !AppendLine((work + "/empty.ini").c_str(), "") ||
      stat((work + "/checkfile.ini").c_str(), &info) != 0) {
    return false;
  }
  size = info.st_size;
  setenv("QUILLSPUR_REGISTRY", (work + "/checkfile.reg").c_str(), 1);
  theLog.SetName((work + "/log").c_str(), "Quillspur");
  theLog.SetMaxSize(0);
  return true;
}

// quillspur-check -q over the job file of the jobs rows' last count,
// against one monitor pass over it (as the jobs rows time one); and the
// most memory that each adds, against the file's size.
void CheckFileRows(const Options& options, const std::string& work) {
  PrintHeader("quillspur-check -q over J jobs, against one monitor pass",
              "check", "pass");
  const int jobs = options.jobs.back();
  const std::string label = "J=" + std::to_string(jobs);
  off_t size = 0;
  if (!SetUpCheckRow(work, jobs, size)) {
    PrintSkipped(label, "not measured: the files cannot be written");
    return;
  }
  const std::string jobFile = work + "/checkfile.ini";
  const std::string emptyFile = work + "/empty.ini";
  const auto tidy = [&] { unlink((work + "/log/Quillspur.log").c_str()); };
  CIniFile ini;
  ini.SetFileName(jobFile.c_str());
  const auto pass = [&] {
    ini.GetInt("Quillspur", "Delay", 60, 10);
    RunJobPass(ini);
  };
  const auto check = [&] { CheckQuietly(jobFile); };
  const ChildRun first =
      TimeInChild([&] { return CheckQuietly(jobFile); }, options.budget);
  if (!first.finished) {
    PrintSkipped(label, OverBudget(options));
    return;
  }
  const double bytes = static_cast<double>(size);
  std::string note =
      MemoryNote("memory: check",
                 ChildPeakMemory(check, emptyFile, options.budget), bytes) +
      ", " +
      MemoryNote("pass", ChildPeakMemory(pass, emptyFile, options.budget),
                 bytes);
  tidy();
  // The Delay of 0 is a finding, whatever else is found.
  if (first.counter < 1) note = "(the Delay of 0 was not found) " + note;
  PrintPairRow(options, label + " (" + std::to_string(size) + " bytes)",
               first.time.wall, check, pass, note, tidy);
}

}  // namespace

int main(int argc, char* argv[]) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage(stderr);
    return 2;
  }
  const CWorkDir work(options.dir);
  // Relative Check paths and the probe directory live in the work directory.
  if (work.Path().empty() || chdir(work.Path().c_str()) != 0) {
    fprintf(stderr, "quillspur_bench: no work directory\n");
    return 1;
  }
  PrintMachine();
  if (Wanted(options, "jobs")) JobPassRows(options, work.Path());
  if (Wanted(options, "value")) LongValueRows(options, work.Path());
  if (Wanted(options, "check")) LongCheckRows(options);
  if (Wanted(options, "find")) FindFileRows(options, work.Path());
  if (Wanted(options, "log")) LogRows(options, work.Path());
  if (Wanted(options, "startup")) StartupRows(options, work.Path());
  if (Wanted(options, "status")) StatusRows(options, work.Path());
  if (Wanted(options, "checkfile")) CheckFileRows(options, work.Path());
  // Leave the work directory before it is removed.
  return chdir("/") == 0 ? 0 : 1;
}
