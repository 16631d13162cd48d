// quillspur-check: says, for a job file, what the monitor would do with it
// and why, or with --status what the log says it did; changes nothing.
#include <stdio.h>
#include <time.h>

#include <exception>
#include <string>

#include "check/check_options.h"
#include "check/check_report.h"
#include "check/file_probe.h"
#include "check/job_checker.h"
#include "check/json_report.h"
#include "check/stamp_clock.h"
#include "check/status_check.h"
#include "check/status_forms.h"
#include "check/text_report.h"
#include "check/user_switch.h"
#include "check/write_access_judge.h"
#include "platform/arguments.h"
#include "platform/os_path.h"
#include "platform/utf8_console.h"

namespace {

const int kExitClean = 0;
const int kExitFindings = 1;
const int kExitFailure = 2;

int Usage(const std::string& error) {
  (void)fprintf(stderr, "quillspur-check: %s\n%s", error.c_str(), kCheckUsage);
  return kExitFailure;
}

// Everything of a report, or a failure: not a verdict.
bool WriteOut(const std::string& out) {
  const bool written = fwrite(out.data(), 1, out.size(), stdout) == out.size();
  return fflush(stdout) == 0 && written;
}

// The plugin's UNKNOWN, with the reason on its one status line.
int PluginUnknown(const std::string& reason) {
  CStatusReport report;
  report.problem = reason;
  report.Judge(StatusLimits());
  (void)WriteOut(CStatusForms::Nagios(report));
  return static_cast<int>(StatusLevel::kUnknown);
}

int Status(const CCheckOptions& options) {
  const bool plugin = options.m_strFormat == "nagios";
  ShowUtf8OnConsole();
  int64_t now = static_cast<int64_t>(time(nullptr));
  if (!options.m_strAt.empty()) {
    StampTime at;
    if (!CStampClock().Read(options.m_strAt, at) ||
        options.m_strAt.size() != 19) {
      const std::string error = "--at needs DD.MM.YYYY hh:mm:ss";
      return plugin ? PluginUnknown(error) : Usage(error);
    }
    now = at.seconds;
  }
  CStatusReport report;
  CStatusCheck::Run(options.m_strJobFile, now, report);
  StatusLimits limits;
  if (options.m_nWarnFailing >= 0) {
    limits.warnFailing = static_cast<int>(options.m_nWarnFailing);
  }
  limits.critSilent = options.m_nCritSilent;
  limits.critStalled = options.m_nCritStalled;
  report.Judge(limits);
  const std::string& format = options.m_strFormat;
  const std::string out = format == "json"
                              ? CStatusForms::Json(report, options.m_jobs)
                          : plugin ? CStatusForms::Nagios(report)
                          : format == "prometheus"
                              ? CStatusForms::Prometheus(report, options.m_jobs)
                              : CStatusForms::Text(report, options.m_jobs);
  if (!WriteOut(out)) {
    return plugin ? static_cast<int>(StatusLevel::kUnknown) : kExitFailure;
  }
  if (plugin) return static_cast<int>(report.level);
  // The collector reads the level from the file itself.
  if (format == "prometheus") return kExitClean;
  if (report.level == StatusLevel::kUnknown) return kExitFailure;
  return report.level == StatusLevel::kOk ? kExitClean : kExitFindings;
}

int Check(int argc, char* argv[]) {
  CCheckOptions options;
  std::string error;
  const bool plugin = WantsNagios(argc, argv);
  if (!options.Parse(argc, argv, error)) {
    return plugin ? PluginUnknown(error) : Usage(error);
  }
  if (options.m_bHelp) {
    return fputs(kCheckUsage, stdout) >= 0 ? kExitClean : kExitFailure;
  }
  if (!options.m_strUser.empty() &&
      !CUserSwitch::SwitchTo(options.m_strUser, error)) {
    return plugin ? PluginUnknown(error) : Usage(error);
  }
  // The monitor's working directory: the job file and relative paths.
  if (!options.m_strDirectory.empty() &&
      !CFileProbe::ChangeDirectory(OsPath(options.m_strDirectory.c_str()))) {
    error = "cannot change to " + options.m_strDirectory;
    return plugin ? PluginUnknown(error) : Usage(error);
  }
  if (options.m_bStatus) return Status(options);
  CCheckReport report;
  CJobChecker(report, options.m_bQuiet && !options.m_bJson)
      .Check(options.m_strJobFile, options.m_jobs);
  // Who else may change what the monitor trusts, judged for the monitor's
  // user by name, whether or not this process became that user.
  CWriteAccessJudge(options.m_strUser).Judge(report);
  const std::string out =
      options.m_bJson
          ? CJsonReport::Format(report)
          : TextForTerminal(CTextReport::Format(report, options.m_bQuiet));
  if (!WriteOut(out)) return kExitFailure;
  const bool failed =
      report.Errors() > 0 || (options.m_bStrict && report.Warnings() > 0);
  return failed ? kExitFindings : kExitClean;
}

}  // namespace

int main(int argc, char* argv[]) {
  // The job file and the job names as the monitor takes them.
  TakeSystemArguments(argc, argv);
  // Out of memory, say: an internal failure, not a verdict.
  try {
    return Check(argc, argv);
  } catch (const std::exception& e) {
    (void)fprintf(stderr, "quillspur-check: internal failure: %s\n", e.what());
    if (WantsNagios(argc, argv)) {
      (void)printf("QUILLSPUR UNKNOWN - internal failure: %s\n", e.what());
      return static_cast<int>(StatusLevel::kUnknown);
    }
  }
  return kExitFailure;
}
