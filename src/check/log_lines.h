// CLogLines: the log and its predecessor, the predecessor first, as lines
// in their order in the files, handed on one at a time. A line is stamped,
// a continuation, or damaged (anything else: cut, or written by someone
// else). Its message points into the bytes being read.
#ifndef QUILLSPUR_CHECK_LOG_LINES_H
#define QUILLSPUR_CHECK_LOG_LINES_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <memory>
#include <string>
#include <string_view>

#include "check/file_reader.h"
#include "check/stamp_clock.h"
#include "log/log_messages.h"

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

  // Hands each line of file (0 or 1), read from in, to reader: first to
  // its Take, which may take the line it expects off the bytes with Take
  // below, else to its Line. The file is read in steps into one buffer and
  // the whole lines of each step handed on while they are in the cache; a
  // line longer than the buffer grows it, and only the file's last line
  // may come without its LF. A line's bytes last until the next one is
  // handed on. False, with the reason, when a read fails. A template, so
  // that the calls per line of a long log cost nothing.
  template <typename Reader>
  bool Read(int file, CFileReader& in, Reader& reader, std::string& reason) {
    LogLine line{file, 0, 0, LineForm::kDamaged, StampTime(), LogMessage()};
    if (!m_pRoom) {
      m_pRoom.reset(new char[kStep]);
      m_nRoom = kStep;
    }
    size_t kept = 0;  // the bytes of a line whose end is still to come
    for (size_t got = 0;; kept += got) {
      if (kept == m_nRoom) Grow(kept);
      char* const room = m_pRoom.get();
      if (!in.Read(room + kept, m_nRoom - kept, got, reason)) return false;
      if (got == 0) break;
      const size_t end = LinesEnd(room + kept, got);
      if (end == 0) continue;
      const size_t whole = kept + end;
      Lines(std::string_view(room, whole), reader, line);
      got -= end;
      memmove(room, room + whole, got);
      kept = 0;
    }
    Lines(std::string_view(m_pRoom.get(), kept), reader, line);
    return true;
  }

  // What Take compares a line with after its stamp: the separator, then a
  // message's prefix.
  static std::string Head(std::string_view prefix) {
    return std::string(" - ") + std::string(prefix);
  }
  // Takes the first line off rest into line when it is a whole stamped
  // line whose message is exactly head's prefix then value, the message
  // kind, as Next would read it; false, with rest and line untouched,
  // otherwise. Most lines of a log are the one its reader expects: this
  // costs a comparison of their bytes, not a search for the line end and a
  // parse.
  bool Take(std::string_view& rest, std::string_view head,
            std::string_view value, LogMessageKind kind, LogLine& line) {
    const size_t at = kStampWidth - 3 + head.size();
    const size_t end = at + value.size();
    if (rest.size() <= end + 1) return false;
    const char* p = rest.data();
    // CR LF or LF alone, as Next reads them.
    size_t next = end + 1;
    if (p[end] == '\r') {
      if (p[end + 1] != '\n') return false;
      next = end + 2;
    } else if (p[end] != '\n') {
      return false;
    }
    if (!Same(p + kStampWidth - 3, head.data(), head.size()) ||
        !Same(p + at, value.data(), value.size()) ||
        !m_clock.Read(rest.substr(0, kStampWidth - 3), line.when)) {
      return false;
    }
    ++line.number;
    line.sequence = m_nSequence++;
    line.form = LineForm::kStamped;
    line.message = LogMessage();
    line.message.kind = kind;
    line.message.value = rest.substr(at, value.size());
    rest.remove_prefix(next);
    return true;
  }

  // Takes lines off rest as Take does for as long as each is the message
  // kind of head's prefix and the value that expected() gives, stamped in
  // the minute of the line before (in no hour that repeats) and not before
  // last; each one's time goes to taken. How many it took; line holds the
  // last of them. The line's place stays out of memory until the run ends.
  template <typename Expected, typename Taken>
  int TakeRun(std::string_view& rest, std::string_view head, int64_t last,
              const Expected& expected, const Taken& taken, LogMessageKind kind,
              LogLine& line) {
    // Read once: what the loop stores cannot change it.
    const StampMinute minute = m_clock.LastMinute();
    const Pattern prefix(head);
    if (!minute.usable || !prefix.usable) return 0;
    const char* p = rest.data();
    const char* const stop = p + rest.size();
    const size_t at = kStampWidth - 3 + head.size();
    Run run{0, StampTime(), std::string_view()};
    // The stamp of the line before, as words: most lines of a run repeat
    // it, and their time is then its time, read once. They begin as the
    // first line's own words turned over, so that its stamp is read
    // whatever its bytes are.
    if (rest.size() < kStampWidth) return 0;
    uint64_t stamp[3] = {~Word(p), ~Word(p + 8), ~Word(p + 11)};
    for (StampTime when;; last = when.seconds) {
      const std::string_view value = expected();
      const size_t end = at + value.size();
      if (static_cast<size_t>(stop - p) <= end + 1) break;
      size_t next = end + 1;
      if (p[end] == '\r') {
        if (p[end + 1] != '\n') break;
        next = end + 2;
      } else if (p[end] != '\n') {
        break;
      }
      if (!prefix.At(p + kStampWidth - 3) ||
          !Same(p + at, value.data(), value.size()) ||
          !SameStamp(p, stamp, minute, when, last)) {
        break;
      }
      taken(when.seconds);
      run = Run{run.count + 1, when, std::string_view(p + at, value.size())};
      p += next;
    }
    EndRun(rest, p, run, kind, line);
    return run.count;
  }

 private:
  // A text of 16 to 32 bytes as the four words that Same compares, held
  // apart from the bytes: a loop that stores cannot make it read them again.
  struct Pattern {
    explicit Pattern(std::string_view text)
        : usable(text.size() >= 16 && text.size() <= 32), size(text.size()) {
      if (!usable) return;
      words[0] = Word(text.data());
      words[1] = Word(text.data() + 8);
      words[2] = Word(text.data() + size - 16);
      words[3] = Word(text.data() + size - 8);
    }
    // Whether the bytes at p are the text.
    bool At(const char* p) const {
      return ((Word(p) ^ words[0]) | (Word(p + 8) ^ words[1]) |
              (Word(p + size - 16) ^ words[2]) |
              (Word(p + size - 8) ^ words[3])) == 0;
    }
    bool usable;
    size_t size;
    uint64_t words[4] = {0, 0, 0, 0};
  };
  // Whether the stamp at p (19 bytes) lies in minute and not before last,
  // its time in when; one that is the stamp before, whose words stamp
  // holds and whose time when holds, is not read again.
  static bool SameStamp(const char* p, uint64_t (&stamp)[3],
                        const StampMinute& minute, StampTime& when,
                        int64_t last) {
    const uint64_t words[3] = {Word(p), Word(p + 8), Word(p + 11)};
    if (((words[0] ^ stamp[0]) | (words[1] ^ stamp[1]) |
         (words[2] ^ stamp[2])) == 0) {
      return true;
    }
    if (!minute.Read(p, when) || when.seconds < last) return false;
    memcpy(stamp, words, sizeof words);
    return true;
  }
  // A run's lines: how many, and the last one's stamp and value.
  struct Run {
    int count;
    StampTime when;
    std::string_view value;
  };
  // What a run leaves in rest and line: as if each line had been taken on
  // its own, up to p.
  void EndRun(std::string_view& rest, const char* p, const Run& run,
              LogMessageKind kind, LogLine& line) {
    if (run.count == 0) return;
    rest.remove_prefix(static_cast<size_t>(p - rest.data()));
    line.number += run.count;
    m_nSequence += static_cast<size_t>(run.count);
    line.sequence = m_nSequence - 1;
    line.form = LineForm::kStamped;
    line.when = run.when;
    line.message = LogMessage();
    line.message.kind = kind;
    line.message.value = run.value;
  }
  // What a read of the log asks for; grown for a longer line.
  static constexpr size_t kStep = size_t{128} * 1024;

  // Hands each line of bytes to reader, as Read describes.
  template <typename Reader>
  void Lines(std::string_view bytes, Reader& reader, LogLine& line) {
    for (std::string_view rest = bytes; !rest.empty();) {
      if (!reader.Take(*this, rest, line)) {
        Next(rest, line);
        reader.Line(line);
      }
    }
  }
  // The length of bytes up to and with its last LF; 0 when it has none.
  static size_t LinesEnd(const char* bytes, size_t size) {
    for (size_t i = size; i > 0; --i) {
      if (bytes[i - 1] == '\n') return i;
    }
    return 0;
  }
  // Twice the room, the first kept bytes moved along.
  void Grow(size_t kept);
  // Takes the first line off rest into line.
  void Next(std::string_view& rest, LogLine& line);
  // Whether the stamp at p is followed by " - ".
  static bool Separated(const char* p) {
    return p[kStampWidth - 3] == ' ' && p[kStampWidth - 2] == '-' &&
           p[kStampWidth - 1] == ' ';
  }
  // memcmp's answer for the short texts of a log line, inline: sixteen
  // bytes at a time, the last ones overlapping those before.
  static bool Same(const char* a, const char* b, size_t size) {
    if (size < 16) {
      if (size < 8) return size == 0 || memcmp(a, b, size) == 0;
      return Word(a) == Word(b) && Word(a + size - 8) == Word(b + size - 8);
    }
    if (size <= 32) {
      return ((Word(a) ^ Word(b)) | (Word(a + 8) ^ Word(b + 8)) |
              (Word(a + size - 16) ^ Word(b + size - 16)) |
              (Word(a + size - 8) ^ Word(b + size - 8))) == 0;
    }
    for (size_t i = 0; i + 16 < size; i += 16) {
      if (((Word(a + i) ^ Word(b + i)) | (Word(a + i + 8) ^ Word(b + i + 8))) !=
          0) {
        return false;
      }
    }
    return ((Word(a + size - 16) ^ Word(b + size - 16)) |
            (Word(a + size - 8) ^ Word(b + size - 8))) == 0;
  }
  static uint64_t Word(const char* p) {
    uint64_t word;
    memcpy(&word, p, sizeof word);
    return word;
  }

  size_t m_nSequence;
  CStampClock m_clock;
  // The buffer that the files are read into, made at the first read.
  std::unique_ptr<char[]> m_pRoom;
  size_t m_nRoom;
};

#endif
