#include "check/status_check.h"

#include "check/file_probe.h"
#include "check/file_reader.h"
#include "check/job_list.h"
#include "check/log_lines.h"
#include "check/registry_probe.h"
#include "check/status_reader.h"
#include "log/log_file.h"
#include "monitor/job_rules.h"
#include "platform/os_path.h"
#include "registry/install_path.h"

namespace {

// Hands the lines of one of the two files to the reader; false, with
// report.problem set, when it is there and cannot be read.
bool ReadPart(int file, const std::string& osPath, LogPartStatus& part,
              CLogLines& lines, CStatusReader& reader, CStatusReport& report) {
  part.exists = CFileProbe::Kind(osPath) != PathKind::kMissing;
  if (!part.exists) return true;
  std::string reason;
  CFileReader in;
  part.read = in.Open(osPath, reason) && lines.Read(file, in, reader, reason);
  if (!part.read) {
    report.problem = part.file + " cannot be read (" + reason + ")";
    return false;
  }
  return true;
}

}  // namespace

void CStatusCheck::Run(const std::string& jobFile, int64_t now,
                       CStatusReport& report) {
  report.jobFile = jobFile;
  report.now = now;
  CJobList jobs;
  std::string reason;
  if (!jobs.Load(jobFile, reason)) {
    report.problem = reason;
    return;
  }
  report.delay = jobs.m_nDelay;
  // The log where the monitor puts it: below the installation directory.
  CLogFile file;
  file.SetName(
      CInstallPath::LogDirectoryBelow(CRegistryProbe::InstallPath().c_str()),
      kGlobalSection);
  report.log.file = std::string(file.GetPath());
  report.old.file =
      report.log.file.substr(0, report.log.file.size() - 4) + ".old";
  CLogLines lines;
  CStatusReader reader(report);
  reader.Begin(jobs);
  if (!ReadPart(0, OsPath(report.old.file.c_str()), report.old, lines, reader,
                report) ||
      !ReadPart(1, OsPath(report.log.file.c_str()), report.log, lines, reader,
                report)) {
    return;
  }
  if (!report.log.exists && !report.old.exists) {
    report.problem = "no log: " + report.log.file + " does not exist";
    return;
  }
  reader.End();
}
