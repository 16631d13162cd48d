#include "status_forms.h"

#include <stdio.h>

#include <algorithm>

#include "ascii.h"
#include "code_page.h"
#include "json_text.h"
#include "stamp_clock.h"

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

std::string MonitorState(const CStatusReport& r) {
  const MonitorStatus& m = r.monitor;
  if (!m.hasLine) return "no line in the log";
  if (m.runningJob >= 0) {
    return "in Run of [" + r.jobs[static_cast<size_t>(m.runningJob)].section +
           "] since " + CStampClock::Short(m.runningSince, r.now) + ", " +
           Duration(r.now - m.runningSince);
  }
  if (m.ended) return "ended";
  if (r.Silence() > r.silentLimit) return "silent for " + Duration(r.Silence());
  return "cycling: Delay " + std::to_string(r.delay) + " s" +
         (m.longestRun >= 0
              ? ", longest run in the log " + Duration(m.longestRun)
              : std::string());
}

std::string Reasons(const CStatusReport& r) {
  std::string out;
  for (const std::string& reason : r.reasons) {
    out += (out.empty() ? "" : "; ") + reason;
  }
  return out;
}

void AddStampOrNull(std::string& out, const char* name, bool present,
                    int64_t seconds) {
  AddTextOrNull(out, name, present,
                present ? CStampClock::Format(seconds) : std::string());
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

}  // namespace

std::string CStatusForms::Text(const CStatusReport& r,
                               const std::vector<std::string>& only) {
  std::string out = "job file  " + r.jobFile;
  if (!r.problem.empty()) {
    out += "\nstatus    UNKNOWN: " + r.problem + "\n";
    return Cp1252ToUtf8(out);
  }
  out += ": " + Count(static_cast<int>(r.jobs.size()), "job", "jobs") +
         ", Delay " + std::to_string(r.delay) + " s\n";
  out += "log       " + Part(r.log) + "\n";
  out += "          " + Part(r.old) + "\n";
  const MonitorStatus& m = r.monitor;
  out += "monitor   ";
  out += m.hasStarted ? "started " + CStampClock::Format(m.lastStarted) + " (" +
                            Count(m.starts, "start", "starts") + " in the log)"
                      : std::string("no start in the log");
  if (m.hasLine) {
    out += "; last line " + CStampClock::Format(m.lastLine) + ", " +
           Duration(r.Silence()) + " ago";
  }
  out += "\n          " + MonitorState(r) + "\n";
  out += "status    " + std::string(LevelName(r.level));
  if (!r.reasons.empty()) out += ": " + Reasons(r);
  out += "\n";
  for (const JobStatus& job : r.jobs) {
    if (!Shown(job, only)) continue;
    out +=
        "\n[" + job.section + "] (job " + std::to_string(job.position) + ")\n";
    out += "  checked   " +
           (job.hasChecked ? CStampClock::Format(job.lastChecked) + " (" +
                                 Count(job.checks, "check", "checks") + ")"
                           : std::string("never")) +
           "\n";
    if (job.hasStarted) {
      out += "  started   " + CStampClock::Format(job.lastStarted) + " (" +
             Count(job.starts, "start", "starts") + ", " +
             std::to_string(job.failures) + " failed)\n";
    }
    out += "  outcome   " + OutcomeText(job, r.now) + "\n";
    if (job.failing) {
      out +=
          "  failing   since " + CStampClock::Format(job.failingSince) + "\n";
    }
  }
  if (!r.notes.empty()) out += "\nnotes\n";
  for (const StatusNote& note : r.notes) {
    out += "  " + note.message + " [" + note.code + "]\n";
  }
  return Cp1252ToUtf8(out);
}

std::string CStatusForms::Json(const CStatusReport& r,
                               const std::vector<std::string>& only) {
  std::string out;
  AddNumber(out, "{\n  \"version\": ", kJsonSchemaVersion);
  out += ",\n  \"mode\": \"status\"";
  AddText(out, ",\n  \"job_file\": ", r.jobFile);
  AddText(out, ",\n  \"now\": ", CStampClock::Format(r.now));
  AddTextOrNull(out, ",\n  \"problem\": ", !r.problem.empty(), r.problem);
  if (r.problem.empty()) {
    const MonitorStatus& m = r.monitor;
    AddNumber(out, ",\n  \"delay\": ", r.delay);
    AddPart(out, ",\n  \"log\": {\"file\": ", r.log);
    AddPart(out, ",\n  \"old\": {\"file\": ", r.old);
    AddStampOrNull(out, ",\n  \"monitor\": {\"last_started\": ", m.hasStarted,
                   m.lastStarted);
    AddNumber(out, ", \"starts\": ", m.starts);
    AddStampOrNull(out, ", \"last_line\": ", m.hasLine, m.lastLine);
    AddNumberOrNull(out, ", \"silent_seconds\": ", m.hasLine, r.Silence());
    AddBool(out, ", \"ended\": ", m.ended);
    AddNumberOrNull(out, ", \"running_position\": ", m.runningJob >= 0,
                    m.runningJob + 1);
    AddStampOrNull(out, ", \"running_since\": ", m.runningJob >= 0,
                   m.runningSince);
    AddNumberOrNull(out, ", \"longest_run_seconds\": ", m.longestRun >= 0,
                    m.longestRun);
    out += "},\n  \"jobs\": [";
    bool first = true;
    for (const JobStatus& job : r.jobs) {
      if (!Shown(job, only)) continue;
      out += first ? "\n" : ",\n";
      first = false;
      AddText(out, "    {\"section\": ", job.section);
      AddNumber(out, ", \"position\": ", job.position);
      AddText(out, ", \"check\": ", job.check);
      AddText(out, ", \"run\": ", job.run);
      AddStampOrNull(out, ",\n     \"last_checked\": ", job.hasChecked,
                     job.lastChecked);
      AddStampOrNull(out, ", \"last_started\": ", job.hasStarted,
                     job.lastStarted);
      AddText(out, ", \"outcome\": ", OutcomeName(job.outcome));
      const bool ended = job.outcome == Outcome::kSucceeded ||
                         job.outcome == Outcome::kFailed ||
                         job.outcome == Outcome::kStartFailed;
      AddNumberOrNull(out, ", \"exit_code\": ", ended, job.code);
      AddNumberOrNull(out, ", \"errno\": ", ended, job.error);
      AddNumber(out, ",\n     \"checks\": ", job.checks);
      AddNumber(out, ", \"starts\": ", job.starts);
      AddNumber(out, ", \"failures\": ", job.failures);
      AddStampOrNull(out, ", \"failing_since\": ", job.failing,
                     job.failingSince);
      AddNumberOrNull(out, ", \"longest_run_seconds\": ", job.longestRun >= 0,
                      job.longestRun);
      out += '}';
    }
    out += first ? "]" : "\n  ]";
    out += ",\n  \"notes\": [";
    for (size_t i = 0; i < r.notes.size(); ++i) {
      out += i ? ",\n" : "\n";
      AddText(out, "    {\"code\": ", r.notes[i].code);
      AddText(out, ", \"message\": ", r.notes[i].message);
      out += '}';
    }
    out += r.notes.empty() ? "]" : "\n  ]";
  }
  AddText(out, ",\n  \"status\": {\"level\": ", LevelName(r.level));
  AddNumber(out, ", \"code\": ", static_cast<int>(r.level));
  out += ", \"reasons\": [";
  for (size_t i = 0; i < r.reasons.size(); ++i) {
    out += i ? ", " : "";
    AddJsonText(out, r.reasons[i]);
  }
  out += "]}\n}\n";
  return out;
}

std::string CStatusForms::Nagios(const CStatusReport& r) {
  std::string out = "QUILLSPUR " + std::string(LevelName(r.level)) + " - ";
  if (r.level == StatusLevel::kOk) {
    out += std::to_string(r.jobs.size()) + " jobs, " +
           std::to_string(r.Failing()) + " failing, last line " +
           Duration(r.Silence()) + " ago";
  } else {
    out += Reasons(r);
  }
  if (r.problem.empty()) {
    out += " | jobs=" + std::to_string(r.jobs.size()) +
           ";;;0 failing=" + std::to_string(r.Failing()) + ";" +
           (r.failingLimit > 0 ? std::to_string(r.failingLimit) : "") +
           ";;0 silent=" + std::to_string(std::max(0LL, r.Silence())) + "s;;" +
           std::to_string(r.silentLimit) + ";0";
  }
  return Cp1252ToUtf8(out + "\n");
}

std::string CStatusForms::Prometheus(const CStatusReport& r,
                                     const std::vector<std::string>& only) {
  std::string out;
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
  for (const Series& s : series) {
    AddMetricHead(out, s.name, s.help);
    for (const JobStatus& job : r.jobs) {
      if (!Shown(job, only)) continue;
      const bool ended = job.outcome == Outcome::kSucceeded ||
                         job.outcome == Outcome::kFailed ||
                         job.outcome == Outcome::kStartFailed;
      if ((s.which == 0 && !job.hasStarted) || (s.which == 1 && !ended)) {
        continue;
      }
      const long long values[] = {job.lastStarted, job.code, job.failures,
                                  job.starts, job.failing ? 1 : 0};
      out += s.name;
      out += "{section=\"";
      AddLabel(out, job.section);
      out += "\",position=\"" + std::to_string(job.position) + "\"} " +
             std::to_string(values[s.which]) + "\n";
    }
  }
  AddMetricHead(out, "quillspur_monitor_last_line_time_seconds",
                "Time of the newest line of the log.");
  if (r.monitor.hasLine) {
    out += "quillspur_monitor_last_line_time_seconds " +
           std::to_string(r.monitor.lastLine) + "\n";
  }
  AddMetricHead(out, "quillspur_monitor_last_start_time_seconds",
                "Time of the monitor's last start in the log.");
  if (r.monitor.hasStarted) {
    out += "quillspur_monitor_last_start_time_seconds " +
           std::to_string(r.monitor.lastStarted) + "\n";
  }
  AddMetricHead(out, "quillspur_status",
                "0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN, as the plugin form "
                "says.");
  out += "quillspur_status " + std::to_string(static_cast<int>(r.level)) + "\n";
  return out;
}
