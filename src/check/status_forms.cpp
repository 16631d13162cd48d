#include "check/status_forms.h"

#include <stdio.h>

#include <algorithm>

#include "check/json_text.h"
#include "check/stamp_clock.h"
#include "platform/ascii.h"
#include "platform/code_page.h"

namespace {

bool Shown(const JobStatus& job, const std::vector<std::string>& only) {
  return only.empty() ||
         std::any_of(only.begin(), only.end(), [&](const std::string& s) {
           return SameAsciiText(s, job.section);
         });
}

std::string Count(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Hours(const LogPartStatus& part) {
  char text[32];
  (void)snprintf(text, sizeof text, "%.1f h",
                 static_cast<double>(part.last - part.first) / 3600.0);
  return text;
}

std::string Part(const LogPartStatus& part) {
  if (!part.exists) return part.file + ": not there";
  std::string out = part.file + ": " + Count(part.lines, "line", "lines");
  if (part.hasStamps) {
    out += ", " + Hours(part) + " (" + CStampClock::Format(part.first) +
           " to " + CStampClock::Format(part.last) + ")";
  }
  return out;
}

std::string OutcomeText(const JobStatus& job, int64_t now) {
  const std::string numbers = "iRC " + std::to_string(job.code) + ", errno " +
                              std::to_string(job.error);
  switch (job.outcome) {
    case Outcome::kNone:
      return job.hasChecked ? "never started in the log, checked only"
                            : "never started in the log";
    case Outcome::kSucceeded:
      return "succeeded (" + numbers + ")";
    case Outcome::kFailed:
      return "failed (" + numbers + ")";
    case Outcome::kStartFailed:
      return "could not be started (errno " + std::to_string(job.error) + ")";
    case Outcome::kNoCommand:
      return "nothing to run: Run is empty";
    case Outcome::kNoOutcome:
      return "none logged: the monitor started again, or the message was "
             "lost";
    case Outcome::kRunning:
      break;
  }
  return "running since " + CStampClock::Short(job.lastStarted, now) + ", " +
         Duration(now - job.lastStarted);
}

std::string MonitorState(const CStatusReport& report) {
  const MonitorStatus& monitor = report.monitor;
  if (!monitor.hasLine) return "no line in the log";
  if (monitor.runningJob >= 0) {
    return "in Run of [" +
           report.jobs[static_cast<size_t>(monitor.runningJob)].section +
           "] since " + CStampClock::Short(monitor.runningSince, report.now) +
           ", " + Duration(report.now - monitor.runningSince);
  }
  if (monitor.ended) return "ended";
  if (report.Silence() > report.silentLimit) {
    return "silent for " + Duration(report.Silence());
  }
  return "cycling: Delay " + std::to_string(report.delay) + " s" +
         (monitor.longestRun >= 0
              ? ", longest run in the log " + Duration(monitor.longestRun)
              : std::string());
}

std::string Reasons(const CStatusReport& report) {
  std::string out;
  for (const std::string& reason : report.reasons) {
    out += (out.empty() ? "" : "; ") + reason;
  }
  return out;
}

void AddStampOrNull(std::string& out, const char* name, bool present,
                    int64_t seconds) {
  out += name;
  if (!present) {
    out += "null";
    return;
  }
  // A stamp holds nothing that JSON escapes.
  out += '"';
  CStampClock::Append(out, seconds);
  out += '"';
}

void AddNumberOrNull(std::string& out, const char* name, bool present,
                     long long value) {
  out += name;
  out += present ? std::to_string(value) : "null";
}

void AddPart(std::string& out, const char* name, const LogPartStatus& part) {
  AddText(out, name, part.file);
  AddBool(out, ", \"exists\": ", part.exists);
  AddNumber(out, ", \"lines\": ", part.lines);
  AddStampOrNull(out, ", \"first\": ", part.hasStamps, part.first);
  AddStampOrNull(out, ", \"last\": ", part.hasStamps, part.last);
  out += '}';
}

// A label value of the exposition format: UTF-8, with \, " and LF escaped.
void AddLabel(std::string& out, const std::string& text) {
  for (const char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x80) {
      out += c;
    } else {
      AppendUtf8(out, c);
    }
  }
}

void AddMetricHead(std::string& out, const char* name, const char* help) {
  out += "# HELP ";
  out += name;
  out += ' ';
  out += help;
  out += "\n# TYPE ";
  out += name;
  out += " gauge\n";
}

bool Ended(const JobStatus& job) {
  return job.outcome == Outcome::kSucceeded ||
         job.outcome == Outcome::kFailed ||
         job.outcome == Outcome::kStartFailed;
}

// The text's head: the files, the monitor and the verdict.
std::string TextHead(const CStatusReport& report) {
  std::string out = ": " +
                    Count(static_cast<int>(report.jobs.size()), "job", "jobs") +
                    ", Delay " + std::to_string(report.delay) + " s\n";
  out += "log       " + Part(report.log) + "\n";
  out += "          " + Part(report.old) + "\n";
  const MonitorStatus& monitor = report.monitor;
  out += "monitor   ";
  out += monitor.hasStarted
             ? "started " + CStampClock::Format(monitor.lastStarted) + " (" +
                   Count(monitor.starts, "start", "starts") + " in the log)"
             : std::string("no start in the log");
  if (monitor.hasLine) {
    out += "; last line " + CStampClock::Format(monitor.lastLine) + ", " +
           Duration(report.Silence()) + " ago";
  }
  out += "\n          " + MonitorState(report) + "\n";
  out += "status    " + std::string(LevelName(report.level));
  if (!report.reasons.empty()) out += ": " + Reasons(report);
  return out + "\n";
}

// One job's lines of the text, added to out, as a report of thousands
// of jobs is written faster so than from pieces joined first.
void AddTextJob(std::string& out, const JobStatus& job, int64_t now) {
  out += "\n[";
  out += job.section;
  out += "] (job ";
  out += std::to_string(job.position);
  out += ")\n  checked   ";
  if (job.hasChecked) {
    CStampClock::Append(out, job.lastChecked);
    out += " (";
    out += Count(job.checks, "check", "checks");
    out += ')';
  } else {
    out += "never";
  }
  out += '\n';
  if (job.hasStarted) {
    out += "  started   ";
    CStampClock::Append(out, job.lastStarted);
    out += " (";
    out += Count(job.starts, "start", "starts");
    out += ", ";
    out += std::to_string(job.failures);
    out += " failed)\n";
  }
  out += "  outcome   ";
  out += OutcomeText(job, now);
  out += '\n';
  if (job.failing) {
    out += "  failing   since ";
    CStampClock::Append(out, job.failingSince);
    out += '\n';
  }
}

void AddJsonMonitor(std::string& out, const CStatusReport& report) {
  const MonitorStatus& monitor = report.monitor;
  AddStampOrNull(out,
                 ",\n  \"monitor\": {\"last_started\": ", monitor.hasStarted,
                 monitor.lastStarted);
  AddNumber(out, ", \"starts\": ", monitor.starts);
  AddStampOrNull(out, ", \"last_line\": ", monitor.hasLine, monitor.lastLine);
  AddNumberOrNull(out, ", \"silent_seconds\": ", monitor.hasLine,
                  report.Silence());
  AddBool(out, ", \"ended\": ", monitor.ended);
  AddNumberOrNull(out, ", \"running_position\": ", monitor.runningJob >= 0,
                  monitor.runningJob + 1);
  AddStampOrNull(out, ", \"running_since\": ", monitor.runningJob >= 0,
                 monitor.runningSince);
  AddNumberOrNull(out, ", \"longest_run_seconds\": ", monitor.longestRun >= 0,
                  monitor.longestRun);
  out += '}';
}

void AddJsonJob(std::string& out, const JobStatus& job) {
  AddText(out, "    {\"section\": ", job.section);
  AddNumber(out, ", \"position\": ", job.position);
  AddText(out, ", \"check\": ", job.check);
  AddText(out, ", \"run\": ", job.run);
  AddStampOrNull(out, ",\n     \"last_checked\": ", job.hasChecked,
                 job.lastChecked);
  AddStampOrNull(out, ", \"last_started\": ", job.hasStarted, job.lastStarted);
  AddText(out, ", \"outcome\": ", OutcomeName(job.outcome));
  AddNumberOrNull(out, ", \"exit_code\": ", Ended(job), job.code);
  AddNumberOrNull(out, ", \"errno\": ", Ended(job), job.error);
  AddNumber(out, ",\n     \"checks\": ", job.checks);
  AddNumber(out, ", \"starts\": ", job.starts);
  AddNumber(out, ", \"failures\": ", job.failures);
  AddStampOrNull(out, ", \"failing_since\": ", job.failing, job.failingSince);
  AddNumberOrNull(out, ", \"longest_run_seconds\": ", job.longestRun >= 0,
                  job.longestRun);
  out += '}';
}

void AddJsonBody(std::string& out, const CStatusReport& report,
                 const std::vector<std::string>& only) {
  AddNumber(out, ",\n  \"delay\": ", report.delay);
  AddPart(out, ",\n  \"log\": {\"file\": ", report.log);
  AddPart(out, ",\n  \"old\": {\"file\": ", report.old);
  AddJsonMonitor(out, report);
  out += ",\n  \"jobs\": [";
  bool first = true;
  for (const JobStatus& job : report.jobs) {
    if (!Shown(job, only)) continue;
    out += first ? "\n" : ",\n";
    first = false;
    AddJsonJob(out, job);
  }
  out += first ? "]" : "\n  ]";
  out += ",\n  \"notes\": [";
  for (size_t i = 0; i < report.notes.size(); ++i) {
    out += i ? ",\n" : "\n";
    AddText(out, "    {\"code\": ", report.notes[i].code);
    AddText(out, ", \"message\": ", report.notes[i].message);
    out += '}';
  }
  out += report.notes.empty() ? "]" : "\n  ]";
}

// The per-job gauges, one series after the other.
void AddJobSeries(std::string& out, const CStatusReport& report,
                  const std::vector<std::string>& only) {
  struct Series {
    const char* name;
    const char* help;
    int which;
  };
  const Series series[] = {
      {"quillspur_job_last_start_time_seconds",
       "Time of the job's last start in the log.", 0},
      {"quillspur_job_last_exit_code",
       "iRC of the job's last completed start; -1 when it could not start.", 1},
      {"quillspur_job_failures",
       "Starts of the job that failed, in the log and its predecessor.", 2},
      {"quillspur_job_starts",
       "Starts of the job, in the log and its predecessor.", 3},
      {"quillspur_job_failing", "1 when the job's last completed start failed.",
       4}};
  for (const Series& one : series) {
    AddMetricHead(out, one.name, one.help);
    for (const JobStatus& job : report.jobs) {
      if (!Shown(job, only)) continue;
      if ((one.which == 0 && !job.hasStarted) ||
          (one.which == 1 && !Ended(job))) {
        continue;
      }
      const long long values[] = {job.lastStarted, job.code, job.failures,
                                  job.starts, job.failing ? 1 : 0};
      out += one.name;
      out += "{section=\"";
      AddLabel(out, job.section);
      out += "\",position=\"";
      out += std::to_string(job.position);
      out += "\"} ";
      out += std::to_string(values[one.which]);
      out += '\n';
    }
  }
}

}  // namespace

std::string CStatusForms::Text(const CStatusReport& report,
                               const std::vector<std::string>& only) {
  std::string out = "job file  " + report.jobFile;
  if (!report.problem.empty()) {
    out += "\nstatus    UNKNOWN: " + report.problem + "\n";
    return Cp1252ToUtf8(out);
  }
  out += TextHead(report);
  for (const JobStatus& job : report.jobs) {
    if (Shown(job, only)) AddTextJob(out, job, report.now);
  }
  if (!report.notes.empty()) out += "\nnotes\n";
  for (const StatusNote& note : report.notes) {
    out += "  " + note.message + " [" + note.code + "]\n";
  }
  return Cp1252ToUtf8(out);
}

std::string CStatusForms::Json(const CStatusReport& report,
                               const std::vector<std::string>& only) {
  std::string out;
  AddNumber(out, "{\n  \"version\": ", kJsonSchemaVersion);
  out += ",\n  \"mode\": \"status\"";
  AddText(out, ",\n  \"job_file\": ", report.jobFile);
  AddText(out, ",\n  \"now\": ", CStampClock::Format(report.now));
  AddTextOrNull(out, ",\n  \"problem\": ", !report.problem.empty(),
                report.problem);
  if (report.problem.empty()) AddJsonBody(out, report, only);
  AddText(out, ",\n  \"status\": {\"level\": ", LevelName(report.level));
  AddNumber(out, ", \"code\": ", static_cast<int>(report.level));
  out += ", \"reasons\": [";
  for (size_t i = 0; i < report.reasons.size(); ++i) {
    out += i ? ", " : "";
    AddJsonText(out, report.reasons[i]);
  }
  out += "]}\n}\n";
  return out;
}

std::string CStatusForms::Nagios(const CStatusReport& report) {
  std::string out = "QUILLSPUR " + std::string(LevelName(report.level)) + " - ";
  if (report.level == StatusLevel::kOk) {
    out += std::to_string(report.jobs.size()) + " jobs, " +
           std::to_string(report.Failing()) + " failing, last line " +
           Duration(report.Silence()) + " ago";
  } else {
    out += Reasons(report);
  }
  if (report.problem.empty()) {
    out +=
        " | jobs=" + std::to_string(report.jobs.size()) +
        ";;;0 failing=" + std::to_string(report.Failing()) + ";" +
        (report.failingLimit > 0 ? std::to_string(report.failingLimit) : "") +
        ";;0 silent=" + std::to_string(std::max(0LL, report.Silence())) +
        "s;;" + std::to_string(report.silentLimit) + ";0";
  }
  return Cp1252ToUtf8(out + "\n");
}

std::string CStatusForms::Prometheus(const CStatusReport& report,
                                     const std::vector<std::string>& only) {
  std::string out;
  AddJobSeries(out, report, only);
  AddMetricHead(out, "quillspur_monitor_last_line_time_seconds",
                "Time of the newest line of the log.");
  if (report.monitor.hasLine) {
    out += "quillspur_monitor_last_line_time_seconds " +
           std::to_string(report.monitor.lastLine) + "\n";
  }
  AddMetricHead(out, "quillspur_monitor_last_start_time_seconds",
                "Time of the monitor's last start in the log.");
  if (report.monitor.hasStarted) {
    out += "quillspur_monitor_last_start_time_seconds " +
           std::to_string(report.monitor.lastStarted) + "\n";
  }
  AddMetricHead(out, "quillspur_status",
                "0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN, as the plugin form "
                "says.");
  out += "quillspur_status " + std::to_string(static_cast<int>(report.level)) +
         "\n";
  return out;
}
