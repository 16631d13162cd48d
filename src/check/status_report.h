// CStatusReport: what the log says about every job and about the monitor,
// as plain data for the text, JSON, plugin and exposition forms, and the
// one verdict that they all give. Texts are Windows-1252, as logged; times
// are seconds since the epoch.
#ifndef QUILLSPUR_CHECK_STATUS_REPORT_H
#define QUILLSPUR_CHECK_STATUS_REPORT_H

#include <stdint.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// How a job's last start ended.
enum class Outcome {
  kNone,         // never started in the window
  kSucceeded,    // iRC 0
  kFailed,       // iRC not 0
  kStartFailed,  // the interpreter could not be started
  kNoCommand,    // Run is empty: nothing runs, by design
  kNoOutcome,    // none logged: the monitor started again, or it was lost
  kRunning       // the command has not ended (yet)
};

struct JobStatus {
  std::string section;
  int position = 0;  // among the jobs, from 1
  // In the report's jobText.
  std::string_view check;
  std::string_view run;
  int checks = 0;
  int starts = 0;
  int failures = 0;
  bool hasChecked = false;
  int64_t lastChecked = 0;
  bool hasStarted = false;
  int64_t lastStarted = 0;
  Outcome outcome = Outcome::kNone;
  long code = 0;   // iRC, -1 for a failure to start
  long error = 0;  // errno, shown and never judged
  // The last completed start failed; since the first of those failures.
  bool failing = false;
  int64_t failingSince = 0;
  int64_t longestRun = -1;  // seconds, -1 when no run ended in the window
};

struct StatusNote {
  std::string code;
  std::string message;
};

struct LogPartStatus {
  std::string file;  // as the monitor names it
  bool exists = false;
  bool read = false;
  int lines = 0;
  bool hasStamps = false;
  int64_t first = 0;
  int64_t last = 0;
};

struct MonitorStatus {
  int starts = 0;
  bool hasStarted = false;
  int64_t lastStarted = 0;
  bool hasLine = false;
  int64_t lastLine = 0;
  bool ended = false;  // its last words were "Quillspur beendet"
  // The last line is a start without its outcome: the job, from 0, or -1.
  int runningJob = -1;
  int64_t runningSince = 0;
  int64_t longestRun = -1;
};

// The thresholds of the verdict; a negative one takes its default.
struct StatusLimits {
  int warnFailing = 1;  // 0: failing jobs never warn
  long long critSilent = -1;
  long long critStalled = 3600;
};

enum class StatusLevel { kOk = 0, kWarning = 1, kCritical = 2, kUnknown = 3 };

class CStatusReport {
 public:
  CStatusReport();
  virtual ~CStatusReport();

  std::string jobFile;
  // The job file's text, decoded, which the jobs' texts point into.
  std::shared_ptr<const std::string> jobText;
  std::string problem;  // why nothing could be said; empty when read
  uint32_t delay = 60;
  int64_t now = 0;
  LogPartStatus log;
  LogPartStatus old;
  MonitorStatus monitor;
  std::vector<JobStatus> jobs;
  std::vector<StatusNote> notes;
  int unplaced = 0;
  bool twoWriters = false;

  // The verdict, and the reasons for it, worst first.
  StatusLevel level = StatusLevel::kOk;
  std::vector<std::string> reasons;
  long long silentLimit = 0;
  long long stalledLimit = 0;
  int failingLimit = 0;

  void Note(const std::string& code, const std::string& message);
  int Failing() const;
  // Seconds since the last line; -1 when there is none.
  long long Silence() const;
  void Judge(const StatusLimits& limits);

 private:
  // What the newest lines say of the monitor: silent, ended or hung.
  void JudgeMonitor(std::vector<std::string>& critical,
                    std::vector<std::string>& warning) const;
  // The failing jobs, named up to about 200 bytes.
  std::string FailingNames() const;
};

const char* LevelName(StatusLevel level);
const char* OutcomeName(Outcome outcome);
// "14 min", "3 h 5 min", "40 s".
std::string Duration(long long seconds);

#endif
