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
  explicit CStatusReader(CStatusReport& report);
  virtual ~CStatusReader();

  // Begin with the jobs, whose texts it takes; each line in the files'
  // order; End.
  void Begin(CJobList& jobs);
  void Line(const LogLine& line);
  void End();

 private:
  struct LinePlace {
    int file = 0;
    int number = 0;
    size_t sequence = static_cast<size_t>(-1);
  };
  // One monitor's place in its pass.
  struct Cursor {
    int generation;  // the "Quillspur gestartet" it follows; 0: before any
    size_t next;     // the job whose check comes next
    int checked;     // the job whose start may follow, or -1
    int open;        // the job whose outcome is awaited, or -1
    LinePlace openLine;
    int64_t openSince;
    bool placed;  // has placed a line
  };

  void Started();
  void Checked(const LogLine& line);
  void StartLogged(const LogLine& line);
  // An outcome, or a failure to start.
  void Ended(const LogLine& line);
  void Unplaced(const LogLine& line, const std::string& why);
  // The cursor placed line.
  void Use(size_t cursor, const LogLine& line);
  // The cursor of the last placed line when it fits, else the newest that
  // does; -1 when none.
  template <typename Fits>
  size_t FindCursor(const Fits& fits) const;
  // The job with this Check that a pass at next checks first: the first at
  // or after next, else the first; -1 when no job has it.
  size_t FindCheck(std::string_view text, size_t next);
  static LinePlace Place(const LogLine& line);
  static std::string Where(const LinePlace& line);

  CStatusReport& m_report;
  bool m_bHasModified;  // the job file's last change, when known
  int64_t m_nModified;
  std::vector<Cursor> m_cursors;
  int m_nGeneration;
  size_t m_nLastCursor;  // the cursor of the last placed line
  bool m_bHasPlaced;
  size_t m_nLastPlaced;  // the sequence of the last placed line
  int64_t m_nWhen;       // the stamp of the line being placed, as read
  int64_t m_nPrevious;   // the last stamp read, for the repeated hour
  bool m_bHasPrevious;
  bool m_bWentBack;
  int m_nOutOfOrder;
  int m_nBeforeChange;
  int m_nCutAtStart;
  int m_nRepeated;
  LinePlace m_firstRepeated;
  // Per job its Check and Run as the log shows them; the jobs by Check.
  std::vector<std::string_view> m_checkText;
  std::vector<std::string_view> m_runText;
  std::unordered_map<std::string_view, std::vector<int>> m_byCheck;
  int m_nScans;  // lookups by a scan, before m_byCheck is made
  std::vector<size_t> m_lastStartLine;  // per job, its last start's sequence
};

#endif
