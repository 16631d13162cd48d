// quillspur-check: says, for a job file, what the monitor would do with it
// and why, and changes nothing.
#include <stdio.h>

#include <exception>
#include <string>

#include "arguments.h"
#include "check_options.h"
#include "check_report.h"
#include "file_probe.h"
#include "job_checker.h"
#include "json_report.h"
#include "os_path.h"
#include "text_report.h"
#include "user_switch.h"
#include "write_access_judge.h"

namespace {

const int kExitClean = 0;
const int kExitFindings = 1;
const int kExitFailure = 2;

int Usage(const std::string& error) {
  (void)fprintf(stderr, "quillspur-check: %s\n%s", error.c_str(), kCheckUsage);
  return kExitFailure;
}

int Check(int argc, char* argv[]) {
  CCheckOptions options;
  std::string error;
  if (!options.Parse(argc, argv, error)) return Usage(error);
  if (options.m_bHelp) {
    return fputs(kCheckUsage, stdout) >= 0 ? kExitClean : kExitFailure;
  }
  if (!options.m_strUser.empty() &&
      !CUserSwitch::SwitchTo(options.m_strUser, error)) {
    return Usage(error);
  }
  // The monitor's working directory: the job file and relative paths.
  if (!options.m_strDirectory.empty() &&
      !CFileProbe::ChangeDirectory(OsPath(options.m_strDirectory.c_str()))) {
    return Usage("cannot change to " + options.m_strDirectory);
  }
  CCheckReport report;
  CJobChecker(report).Check(options.m_strJobFile, options.m_jobs);
  // Who else may change what the monitor trusts, judged for the monitor's
  // user by name, whether or not this process became that user.
  CWriteAccessJudge(options.m_strUser).Judge(report);
  const std::string out =
      options.m_bJson
          ? CJsonReport::Format(report)
          : TextForTerminal(CTextReport::Format(report, options.m_bQuiet));
  // A report that could not be written whole is a failure, not a verdict.
  const bool written = fwrite(out.data(), 1, out.size(), stdout) == out.size();
  if (fflush(stdout) != 0 || !written) return kExitFailure;
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
  }
  return kExitFailure;
}
