// CWriteAccessJudge: who, besides root and the monitor's user (on Windows
// the administrators and the user), may change what the monitor trusts:
// the job file, whose commands it runs; the registry store, whose Path
// places the log; the log directory. Each is judged with every directory
// above it and every symbolic link on the way, as cron and sshd judge their
// files. The monitor reads them all the same; the check names each writer
// and the command that mends it.
#ifndef QUILLSPUR_CHECK_WRITE_ACCESS_JUDGE_H
#define QUILLSPUR_CHECK_WRITE_ACCESS_JUDGE_H

#include <string>
#include <vector>

#include "check/check_report.h"

// What the monitor trusts; each has a finding code of its own.
enum class Trusted { kJobFile, kRegistryStore, kLogDirectory };

// A place that someone else may change.
struct WritablePlace {
  Trusted what;
  std::string place;  // "the directory /srv above the job file"
  std::string who;    // "group staff and everyone"
  std::string mend;   // commands, "; " between them
};

// The parts with glue between them: the writers and the mends of a place.
std::string Joined(const std::vector<std::string>& parts, const char* glue);

class CWriteAccessJudge {
 public:
  // user: the monitor's user by name, empty for the caller. A name, not
  // the process's identity, so that --user's switch changes nothing here.
  explicit CWriteAccessJudge(const std::string& user);
  virtual ~CWriteAccessJudge();

  // An error in report for each place that someone else may change; where
  // this platform's permissions say nothing, a note that they were not
  // judged, never a verdict.
  void Judge(CCheckReport& report) const;

 private:
  // The places, from what report found; false, with the reason, when
  // nothing can be judged.
  bool Find(const CCheckReport& report, std::vector<WritablePlace>& places,
            std::string& why) const;

  std::string m_strUser;
};

#endif
