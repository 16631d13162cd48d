// CLogLines: the log and its predecessor, the predecessor first, as lines
// in their order in the files, handed on one at a time. A line is stamped,
// a continuation, or damaged (anything else: cut, or written by someone
// else). Its message points into the bytes being read.
#ifndef QUILLSPUR_CHECK_LOG_LINES_H
#define QUILLSPUR_CHECK_LOG_LINES_H

#include <stddef.h>

#include <functional>
#include <string_view>

#include "log_messages.h"
#include "stamp_clock.h"

enum class LineForm { kStamped, kContinuation, kDamaged };

struct LogLine {
  int file;         // 0 the predecessor, 1 the log
  int number;       // in its file, from 1
  size_t sequence;  // in both files, from 0
  LineForm form;
  StampTime when;  // stamped lines only
  LogMessage message;
};

class CLogLines {
 public:
  CLogLines();
  virtual ~CLogLines();

  // Hands each line of bytes, the contents of file (0 or 1), to each.
  void Read(int file, std::string_view bytes,
            const std::function<void(const LogLine&)>& each);

 private:
  size_t m_nSequence;
  CStampClock m_clock;
};

#endif
