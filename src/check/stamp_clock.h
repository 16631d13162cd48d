// CStampClock: the log's stamps ("dd.mm.yyyy hh:mm:ss", local time without
// a zone) as seconds since the epoch, read in this machine's zone as the
// monitor wrote them. The zone is asked once per hour of stamps, and a
// stamp in the minute of the one before reads only its seconds, so that a
// long log costs little more than its reading.
#ifndef QUILLSPUR_CHECK_STAMP_CLOCK_H
#define QUILLSPUR_CHECK_STAMP_CLOCK_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <string_view>

struct StampTime {
  int64_t seconds = 0;
  // The hour repeats when daylight saving time ends: seconds is the first
  // reading, later that of the second pass.
  bool ambiguous = false;
  int64_t later = 0;
};

// The seconds of the stamp at text, ":ss" after its minute.
inline bool StampSecond(const char* text, unsigned& second) {
  const unsigned tens = static_cast<unsigned char>(text[17]) - '0';
  const unsigned ones = static_cast<unsigned char>(text[18]) - '0';
  second = tens * 10 + ones;
  return text[16] == ':' && tens <= 9 && ones <= 9 && second <= 60;
}

// A minute of stamps, "dd.mm.yyyy hh:mm" and its time: the stamp of a line
// in it costs a comparison of two words and its seconds.
struct StampMinute {
  bool usable = false;
  uint64_t words[2] = {0, 0};
  int64_t seconds = 0;
  int64_t later = 0;

  // The time of the stamp at text (19 bytes) when it lies in this minute;
  // false otherwise.
  bool Read(const char* text, StampTime& out) const {
    uint64_t a[2];
    memcpy(a, text, sizeof a);
    unsigned second = 0;
    if (a[0] != words[0] || a[1] != words[1] || !StampSecond(text, second)) {
      return false;
    }
    out.seconds = seconds + second;
    out.ambiguous = false;
    out.later = later + second;
    return true;
  }
};

class CStampClock {
 public:
  CStampClock();
  virtual ~CStampClock();

  // False when text (19 bytes) is no stamp. Inline for a stamp in the
  // minute of the one before, most lines of a log: only its seconds are
  // read.
  bool Read(std::string_view text, StampTime& out) {
    if (!m_bHasLast || text.size() < 19 || !SameMinute(text.data())) {
      return ReadMinute(text, out);
    }
    unsigned second = 0;
    if (!StampSecond(text.data(), second)) return false;
    // Field by field: a copy and then a sum would wait on its own store.
    out.seconds = m_lastMinute.seconds + second;
    out.ambiguous = m_lastMinute.ambiguous;
    out.later = m_lastMinute.later + second;
    return true;
  }
  // The minute of the last stamp read, for a run of lines in it; not
  // usable when there is none or it lies in an hour that repeats.
  StampMinute LastMinute() const {
    StampMinute minute;
    minute.usable = m_bHasLast && !m_lastMinute.ambiguous;
    memcpy(minute.words, m_szLastMinute, sizeof minute.words);
    minute.seconds = m_lastMinute.seconds;
    minute.later = m_lastMinute.later;
    return minute;
  }
  // A stamp as the log writes it.
  static std::string Format(int64_t seconds);
  // The same, added to out.
  static void Append(std::string& out, int64_t seconds);
  // The shorter form of a stamp for messages: "hh:mm" on the day of ref,
  // the whole stamp otherwise.
  static std::string Short(int64_t seconds, int64_t ref);

 private:
  struct HourKey {
    int year, month, day, hour;
  };
  // Whether text's first 16 bytes, "dd.mm.yyyy hh:mm", are the last
  // stamp's: two words compared, not a call per line.
  bool SameMinute(const char* text) const {
    uint64_t a[2], b[2];
    memcpy(a, text, sizeof a);
    memcpy(b, m_szLastMinute, sizeof b);
    return a[0] == b[0] && a[1] == b[1];
  }
  // Any stamp: its minute read, and its hour when that is new too.
  bool ReadMinute(std::string_view text, StampTime& out);
  // The start of that hour, and whether it repeats.
  static StampTime ReadHour(const HourKey& key);
  // The start of an hour of standard time two days from any change of the
  // zone's offset, most hours of a log, as mktime reads it but without
  // its search for a summer-time reading, which in a zone without one
  // converts some 900 times; false when the hour is not such a one.
  static bool StandardHour(const HourKey& key, int64_t& seconds);

  // "dd.mm.yyyy hh" and "dd.mm.yyyy hh:mm" of a stamp.
  static constexpr size_t kHourWidth = 13;
  static constexpr size_t kMinuteWidth = 16;  // SameMinute's two words

  bool m_bHasLast;
  char m_szLastMinute[kMinuteWidth];  // of the last stamp read
  StampTime m_lastHour;
  StampTime m_lastMinute;
};

#endif
