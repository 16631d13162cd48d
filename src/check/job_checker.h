// CJobChecker: works out what the monitor would do with a job file, with
// the monitor's own code, and only then why. The explanations read the
// file system and the job file again; they never change a verdict.
#ifndef QUILLSPUR_CHECK_JOB_CHECKER_H
#define QUILLSPUR_CHECK_JOB_CHECKER_H

#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/job_file_scan.h"
#include "config/ini_file.h"
#include "monitor/job_rules.h"

class CJobChecker {
 public:
  // findingsOnly: a job without findings is left out of the report, which
  // is then fit for a report of findings alone.
  CJobChecker(CCheckReport& report, bool findingsOnly);
  virtual ~CJobChecker();

  // The job file, Delay, every job (or only those named), the registry and
  // the log.
  void Check(const std::string& jobFile, const std::vector<std::string>& only);

 private:
  bool CheckJobFile(const std::string& jobFile);
  void ExplainEncoding();
  void ExplainStrayKeys();
  void CheckDelay(CIniFile& ini);
  void CheckGlobalKeys();
  void CheckJob(CIniFile& ini, const std::string& section, int occurrence);
  // The finding of a section that stands again (occurrence from 1); first:
  // the scan's first block of that name, if it has one.
  void AddRepeatedSection(const std::string& section, int occurrence,
                          const ScannedBlock* first, JobReport& job) const;
  // Each piece of a Check into out, its findings into explained.
  void ExplainPieces(const std::vector<CheckedPiece>& pieces,
                     JobReport& explained, std::vector<PieceReport>& out);
  // before: the piece in front of this one; last: no piece follows.
  void ExplainPiece(const std::string& piece, const std::string& before,
                    int number, bool last, PieceReport& out, JobReport& job);
  // A piece's path taken apart, in the program's text, with the entries of
  // the directory it names.
  struct PieceParts {
    std::string path, directory, name, listed;
    std::string osListed;  // the directory as handed to the system
    bool ignoreCase = false;
    bool canList = false;
    std::vector<std::string> names;
  };
  static PieceParts SplitPiece(const std::string& osPath);
  // Why nothing matched, in out.reason, with a finding where it is a fault.
  enum class Miss {
    kNeverMatches,  // the piece's form: it matches nothing anywhere
    kExplained,     // the directory is missing or cannot be read
    kNoEntry,       // the directory holds no match: a near name may explain
  };
  // A piece whose form matches nothing anywhere: a separator at its end, a
  // wildcard before its last component.
  static bool NeverMatches(const std::string& what, const std::string& osPath,
                           const PieceParts& parts, PieceReport& out,
                           JobReport& job);
  static Miss ClassifyMiss(const std::string& what, const std::string& osPath,
                           const PieceParts& parts, PieceReport& out,
                           JobReport& job);
  // Entries that match only on Windows, or only in another letter case, or
  // "*.*" where the name has no dot.
  static void AddNearNames(const std::string& what, const PieceParts& parts,
                           JobReport& job);
  // Blanks and what looks like a comment.
  static void AddBlankHints(const std::string& what, const std::string& piece,
                            const std::string& before, bool last,
                            JobReport& job);
  void ExplainKeys(const ScannedBlock& block, JobReport& job);
  void ExplainRun(JobReport& job);
  void CheckLog();

  CCheckReport& m_report;
  const bool m_bFindingsOnly;
  CJobFileScan m_scan;
};

#endif
