// CJobList: the jobs of a job file in the order in which a pass logs them,
// with the Check and Run values that it logs. The sections and values come
// from one lexical scan with the profile functions' rules (a section listed
// each time it stands, values from its first block and first key, one pair
// of quotes around a value removed), so that a file of thousands of jobs
// costs one read rather than two per job.
#ifndef QUILLSPUR_CHECK_JOB_LIST_H
#define QUILLSPUR_CHECK_JOB_LIST_H

#include <stdint.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct ListedJob {
  std::string section;     // as listed, Windows-1252
  std::string_view check;  // in the list's m_text
  std::string_view run;
};

class CJobList {
 public:
  CJobList();
  virtual ~CJobList();

  // False, with the reason, when the job file cannot be found or read.
  bool Load(const std::string& jobFile, std::string& reason);

  std::vector<ListedJob> m_jobs;
  // The job file's text, decoded, which the jobs' texts point into; it
  // stays where it is while the list or a copy of the pointer lives.
  std::shared_ptr<const std::string> m_text;
  uint32_t m_nDelay;
  bool m_bHasModified;
  int64_t m_nModified;  // the job file's last change, seconds since the epoch

 private:
  // The jobs of the job file's text, decoded, into m_jobs.
  void List(std::string_view text);
};

#endif
