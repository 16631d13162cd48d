#include "check/stamp_clock.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include "log/log_messages.h"
#include "log/log_writer.h"

namespace {

bool Digits(std::string_view text, size_t at, size_t count, int& out) {
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  out = value;
  return true;
}

// mktime with a fixed reading of daylight saving time; false when the
// zone does not have that reading at this hour.
bool MakeTime(struct tm local, int isDst, time_t& out) {
  const int hour = local.tm_hour;
  local.tm_isdst = isDst;
  out = mktime(&local);
  return out != static_cast<time_t>(-1) && local.tm_hour == hour &&
         (isDst < 0 || local.tm_isdst == isDst);
}

// As the monitor took its stamps.
struct tm Local(int64_t seconds) {
  return CLogWriter::LocalTime(static_cast<time_t>(seconds));
}

}  // namespace

CStampClock::CStampClock() : m_bHasLast(false), m_szLastMinute() { tzset(); }
CStampClock::~CStampClock() = default;

bool CStampClock::ReadMinute(std::string_view text, StampTime& out) {
  int second = 0;
  if (text.size() < 19 || text[16] != ':' || !Digits(text, 17, 2, second) ||
      second > 60) {
    return false;
  }
  // Most lines share their minute with the line before, whose date, hour
  // and minute were read then: only the seconds are new.
  if (!m_bHasLast || !SameMinute(text.data())) {
    int minute = 0;
    if (text[13] != ':' || !Digits(text, 14, 2, minute) || minute > 59) {
      return false;
    }
    if (!m_bHasLast || memcmp(text.data(), m_szLastMinute, kHourWidth) != 0) {
      HourKey key{};
      if (text[2] != '.' || text[5] != '.' || text[10] != ' ' ||
          !Digits(text, 0, 2, key.day) || !Digits(text, 3, 2, key.month) ||
          !Digits(text, 6, 4, key.year) || !Digits(text, 11, 2, key.hour) ||
          key.month < 1 || key.month > 12 || key.day < 1 || key.day > 31 ||
          key.hour > 23) {
        return false;
      }
      m_lastHour = ReadHour(key);
    }
    const int64_t within = int64_t{60} * minute;
    m_lastMinute = m_lastHour;
    m_lastMinute.seconds += within;
    m_lastMinute.later += within;
    memcpy(m_szLastMinute, text.data(), kMinuteWidth);
    m_bHasLast = true;
  }
  out = m_lastMinute;
  out.seconds += second;
  out.later += second;
  return true;
}

StampTime CStampClock::ReadHour(const HourKey& key) {
  StampTime hour;
  if (StandardHour(key, hour.seconds)) return hour;
  struct tm local = {};
  local.tm_year = key.year - 1900;
  local.tm_mon = key.month - 1;
  local.tm_mday = key.day;
  local.tm_hour = key.hour;
  time_t summer = 0, winter = 0, any = 0;
  const bool isSummer = MakeTime(local, 1, summer);
  const bool isWinter = MakeTime(local, 0, winter);
  if (isSummer && isWinter && summer != winter) {
    hour.ambiguous = true;
    hour.seconds = static_cast<int64_t>(summer < winter ? summer : winter);
    hour.later = static_cast<int64_t>(summer < winter ? winter : summer);
  } else if (isSummer || isWinter) {
    hour.seconds = static_cast<int64_t>(isSummer ? summer : winter);
  } else {
    // An hour that the clock skips: as mktime reads it.
    MakeTime(local, -1, any);
    hour.seconds = static_cast<int64_t>(any);
  }
  return hour;
}

std::string CStampClock::Format(int64_t seconds) {
  std::string text;
  Append(text, seconds);
  return text;
}

void CStampClock::Append(std::string& out, int64_t seconds) {
  AppendStamp(out, Local(seconds));
}

std::string CStampClock::Short(int64_t seconds, int64_t ref) {
  const struct tm a = Local(seconds);
  const struct tm b = Local(ref);
  if (a.tm_year != b.tm_year || a.tm_yday != b.tm_yday) return Format(seconds);
  char text[32];
  (void)snprintf(text, sizeof text, "%02d:%02d", a.tm_hour, a.tm_min);
  return text;
}
