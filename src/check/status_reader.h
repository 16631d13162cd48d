// CStatusReader: places the log's lines on the jobs of the job file as it
// is now, and fills a CStatusReport. Each pass logs its jobs in section
// order, so a line is matched by the order of the pass and its Check or
// Run text; two jobs with the same texts are told apart by that order.
// Whatever cannot be placed that way is said in a note, never guessed.
#ifndef QUILLSPUR_CHECK_STATUS_READER_H
#define QUILLSPUR_CHECK_STATUS_READER_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "job_list.h"
#include "log_lines.h"
#include "status_report.h"

class CStatusReader {
 public:
  CStatusReader(const CJobList& jobs, CStatusReport& report);
  virtual ~CStatusReader();

  void Read(const CLogLines& lines);

 private:
  // One monitor's place in its pass.
  struct Cursor {
    int generation;  // the "Quillspur gestartet" it follows; 0: before any
    size_t next;     // the job whose check comes next
    int checked;     // the job whose start may follow, or -1
    int open;        // the job whose outcome is awaited, or -1
    size_t openLine;
    int64_t openSince;
    bool placed;  // has placed a line
  };

  void Started(size_t line);
  void Checked(size_t line);
  void StartLogged(size_t line);
  // An outcome, or a failure to start.
  void Ended(size_t line);
  void Unplaced(size_t line, const std::string& why);
  // The cursor placed line.
  void Use(size_t cursor, size_t line);
  void Finish();
  std::string Where(size_t line) const;

  const CJobList& m_jobs;
  CStatusReport& m_report;
  const std::vector<LogLine>* m_lines;
  std::vector<Cursor> m_cursors;
  int m_nGeneration;
  size_t m_nLastCursor;  // the cursor of the last placed line
  bool m_bHasPlaced;
  int64_t m_nPrevious;  // the last stamp read, for the repeated hour
  bool m_bHasPrevious;
  int m_nOutOfOrder;
  int m_nBeforeChange;
  int m_nCutAtStart;
  int m_nRepeated;
  size_t m_nFirstRepeated;
  std::unordered_map<std::string_view, std::vector<int>> m_byCheck;
  std::vector<size_t> m_lastStartLine;  // per job, the line of its last start
  std::vector<int64_t> m_when;          // per line, its stamp as read
};

#endif
