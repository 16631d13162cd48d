// CJobChecker: works out what the monitor would do with a job file, with
// the monitor's own code, and only then why. The explanations read the
// file system and the job file again; they never change a verdict.
#ifndef QUILLSPUR_CHECK_JOB_CHECKER_H
#define QUILLSPUR_CHECK_JOB_CHECKER_H

#include <string>
#include <vector>

#include "check_report.h"
#include "ini_file.h"
#include "job_file_scan.h"

class CJobChecker {
 public:
  explicit CJobChecker(CCheckReport& report);
  virtual ~CJobChecker();

  // The job file, Delay, every job (or only those named), the registry and
  // the log.
  void Check(const std::string& jobFile, const std::vector<std::string>& only);

 private:
  bool CheckJobFile(const std::string& jobFile);
  void CheckDelay(CIniFile& ini);
  void CheckGlobalKeys();
  void CheckJob(CIniFile& ini, const std::string& section, int occurrence);
  // before: the piece in front of this one; last: no piece follows.
  void ExplainPiece(const std::string& piece, const std::string& before,
                    int number, bool last, PieceReport& out, JobReport& job);
  void ExplainKeys(const ScannedBlock& block, JobReport& job);
  void ExplainRun(JobReport& job);
  void CheckLog();

  CCheckReport& m_report;
  CJobFileScan m_scan;
};

#endif
