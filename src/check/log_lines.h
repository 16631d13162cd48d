// CLogLines: the log and its predecessor as lines, the predecessor first,
// in their order in the files. A line is stamped, a continuation, or
// damaged (anything else: cut, or written by someone else). The messages
// point into the files' bytes, which the object keeps.
#ifndef QUILLSPUR_CHECK_LOG_LINES_H
#define QUILLSPUR_CHECK_LOG_LINES_H

#include <stdint.h>

#include <string>
#include <vector>

#include "log_messages.h"
#include "stamp_clock.h"

enum class LineForm { kStamped, kContinuation, kDamaged };

struct LogLine {
  int file;    // 0 the predecessor, 1 the log
  int number;  // in its file, from 1
  LineForm form;
  StampTime when;  // stamped lines only
  LogMessage message;
};

class CLogLines {
 public:
  CLogLines();
  virtual ~CLogLines();

  // Adds the lines of bytes as file (0 or 1); bytes is kept.
  void Add(int file, std::string bytes);

  std::vector<LogLine> m_lines;

 private:
  std::vector<std::string> m_bytes;
  CStampClock m_clock;
};

#endif
