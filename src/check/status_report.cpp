#include "check/status_report.h"

#include <algorithm>

#include "check/stamp_clock.h"

CStatusReport::CStatusReport() = default;
CStatusReport::~CStatusReport() = default;

void CStatusReport::Note(const std::string& code, const std::string& message) {
  notes.push_back(StatusNote{code, message});
}

int CStatusReport::Failing() const {
  return static_cast<int>(std::count_if(
      jobs.begin(), jobs.end(), [](const JobStatus& j) { return j.failing; }));
}

long long CStatusReport::Silence() const {
  return monitor.hasLine ? std::max<long long>(0, now - monitor.lastLine) : -1;
}

void CStatusReport::Judge(const StatusLimits& limits) {
  silentLimit = limits.critSilent >= 0 ? limits.critSilent
                                       : std::max<long long>(3LL * delay, 300);
  stalledLimit = limits.critStalled >= 0 ? limits.critStalled : 3600;
  failingLimit = limits.warnFailing;
  reasons.clear();
  if (!problem.empty()) {
    level = StatusLevel::kUnknown;
    reasons.push_back(problem);
    return;
  }
  std::vector<std::string> critical, warning;
  JudgeMonitor(critical, warning);
  const int failing = Failing();
  if (failingLimit > 0 && failing >= failingLimit) {
    warning.push_back(std::to_string(failing) + " of " +
                      std::to_string(jobs.size()) +
                      " jobs failing: " + FailingNames());
  }
  if (twoWriters) warning.push_back("two monitors write one log");
  level = !critical.empty()  ? StatusLevel::kCritical
          : !warning.empty() ? StatusLevel::kWarning
                             : StatusLevel::kOk;
  reasons = critical;
  reasons.insert(reasons.end(), warning.begin(), warning.end());
}

void CStatusReport::JudgeMonitor(std::vector<std::string>& critical,
                                 std::vector<std::string>& warning) const {
  const long long silence = Silence();
  const std::string delayText = "Delay is " + std::to_string(delay) + " s";
  if (!monitor.hasLine) {
    critical.push_back("the log holds no line");
  } else if (monitor.runningJob >= 0) {
    const JobStatus& job = jobs[static_cast<size_t>(monitor.runningJob)];
    const long long age = now - monitor.runningSince;
    const std::string where = "in Run of [" + job.section + "] since " +
                              CStampClock::Short(monitor.runningSince, now);
    const long long usual = std::max<long long>(silentLimit, job.longestRun);
    const std::string hung =
        "no line for " + Duration(silence) + " while " + delayText + ": hung " +
        where +
        (job.longestRun >= 0
             ? " (its longest run in the log: " + Duration(job.longestRun) + ")"
             : std::string());
    if (age > stalledLimit) {
      critical.push_back(hung);
    } else if (age > usual) {
      warning.push_back(hung);
    }
  } else if (monitor.ended) {
    critical.push_back("the monitor ended at " +
                       CStampClock::Format(monitor.lastLine));
  } else if (silence > silentLimit) {
    critical.push_back("no line for " + Duration(silence) + " while " +
                       delayText);
  }
}

std::string CStatusReport::FailingNames() const {
  std::string names;
  for (const JobStatus& job : jobs) {
    if (!job.failing) continue;
    if (names.size() > 200) {
      names += ", ...";
      break;
    }
    names += (names.empty() ? "" : ", ") + std::string("[") + job.section +
             "] since " + CStampClock::Short(job.failingSince, now);
  }
  return names;
}

const char* LevelName(StatusLevel level) {
  switch (level) {
    case StatusLevel::kOk:
      return "OK";
    case StatusLevel::kWarning:
      return "WARNING";
    case StatusLevel::kCritical:
      return "CRITICAL";
    case StatusLevel::kUnknown:
      break;
  }
  return "UNKNOWN";
}

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kNone:
      return "none";
    case Outcome::kSucceeded:
      return "succeeded";
    case Outcome::kFailed:
      return "failed";
    case Outcome::kStartFailed:
      return "start-failed";
    case Outcome::kNoCommand:
      return "no-command";
    case Outcome::kNoOutcome:
      return "no-outcome";
    case Outcome::kRunning:
      break;
  }
  return "running";
}

std::string Duration(long long seconds) {
  if (seconds < 0) seconds = 0;
  if (seconds < 120) return std::to_string(seconds) + " s";
  const long long minutes = seconds / 60;
  if (minutes < 120) return std::to_string(minutes) + " min";
  const long long hours = minutes / 60;
  if (hours < 48) {
    return std::to_string(hours) + " h " + std::to_string(minutes % 60) +
           " min";
  }
  return std::to_string(hours / 24) + " d " + std::to_string(hours % 24) + " h";
}
