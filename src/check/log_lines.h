// CLogLines: the log and its predecessor, the predecessor first, as lines
// in their order in the files, handed on one at a time. A line is stamped,
// a continuation, or damaged (anything else: cut, or written by someone
// else). Its message points into the bytes being read.
#ifndef QUILLSPUR_CHECK_LOG_LINES_H
#define QUILLSPUR_CHECK_LOG_LINES_H

#include <stddef.h>

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

  // Hands each line of bytes, the contents of file (0 or 1), to each. A
  // template, so that the call per line of a long log costs nothing.
  template <typename Each>
  void Read(int file, std::string_view bytes, const Each& each) {
    LogLine line{file, 0, 0, LineForm::kDamaged, StampTime(), LogMessage()};
    for (std::string_view rest = bytes; !rest.empty();) {
      Next(rest, line);
      each(line);
    }
  }

 private:
  // Takes the first line off rest into line.
  void Next(std::string_view& rest, LogLine& line);

  size_t m_nSequence;
  CStampClock m_clock;
};

#endif
