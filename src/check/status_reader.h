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

#include "check/job_list.h"
#include "check/log_lines.h"
#include "check/status_report.h"

class CStatusReader {
 public:
  explicit CStatusReader(CStatusReport& report);
  virtual ~CStatusReader();

  // Begin with the jobs, whose texts it takes; the lines of each file in
  // the files' order, through CLogLines::Read; End.
  void Begin(CJobList& jobs);
  // Takes the next line off rest when it is the one that the monitor's
  // place in its pass says comes next, and places it as Line would.
  bool Take(CLogLines& lines, std::string_view& rest, LogLine& line);
  void Line(const LogLine& line);
  // Also counts the jobs' checks into the report, kept apart until then.
  void End();

 private:
  struct LinePlace {
    int file = 0;
    int number = 0;
    size_t sequence = static_cast<size_t>(-1);
  };
  // A job's checks, apart from its status: a pass counts one for every job.
  struct Checks {
    int64_t last = 0;
    int count = 0;
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

  // A run of Checks in the order of the newest monitor's pass: the job
  // whose Check comes next, the last stamp, the lines.
  struct Run {
    size_t next;
    int64_t last;
    int lines;
  };
  bool TakeChecks(CLogLines& lines, std::string_view& rest, LogLine& line);
  bool TakeRun(CLogLines& lines, std::string_view& rest, LogLine& line);
  // Leaves what the run's lines change, as Line would have left it: the
  // stamp and the file's lines as Stamp, the cursor as CheckedAt and Use.
  void EndRun(const Run& run, LogPartStatus& part, const LogLine& line);
  // A damaged line or a continuation line.
  void Unstamped(const LogLine& line);
  // A stamped line's time, read into m_nWhen; it counts for its file.
  void Stamp(const LogLine& line);
  LogPartStatus& Part(const LogLine& line) {
    return line.file == 0 ? m_report.old : m_report.log;
  }
  void Started();
  void Checked(const LogLine& line);
  // The free cursor whose pass checks this Check next, and the job; -1.
  size_t Expecting(std::string_view text, size_t& position) const;
  // A Check out of the order of any pass: the cursor it resynchronises,
  // and the job, or -1 when it cannot be placed.
  size_t Resynchronise(const LogLine& line, size_t& position);
  // The newest free cursor, or a new one for a second writer.
  size_t FreeCursor(const LogLine& line);
  void CheckedAt(size_t cursor, size_t position, const LogLine& line);
  void StartLogged(const LogLine& line);
  void StartedAt(size_t cursor, const LogLine& line);
  // An outcome, or a failure to start.
  void Ended(const LogLine& line);
  void EndedAt(size_t cursor, const LogLine& line);
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
  // The notes that sum the window up.
  void Totals();
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
  int m_nScans;                   // lookups by a scan, before m_byCheck is made
  std::vector<Checks> m_checked;  // per job, moved to it at End
  std::vector<size_t> m_lastStartLine;  // per job, its last start's sequence
  // What Take compares lines with after their stamps.
  std::string m_checkHead;
  std::string m_startHead;
  std::string m_successHead;  // the outcome iRC 0, errno 0
};

#endif
