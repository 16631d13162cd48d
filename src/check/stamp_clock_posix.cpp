#include <time.h>

#include "check/stamp_clock.h"

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = year - (month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// localtime_r, which unlike mktime and localtime does not look at the zone
// again: the clock read it when it was made.
bool Local(int64_t seconds, struct tm& out) {
  const time_t t = static_cast<time_t>(seconds);
  return localtime_r(&t, &out) != nullptr;
}

}  // namespace

bool CStampClock::StandardHour(const HourKey& key, int64_t& seconds) {
  const int64_t asUtc = DaysFromCivil(key.year, key.month, key.day) * 86400 +
                        int64_t{3600} * key.hour;
  const int64_t twoDays = int64_t{2} * 86400;
  struct tm before, after, at;
  if (!Local(asUtc - twoDays, before) || !Local(asUtc + twoDays, after) ||
      before.tm_isdst != 0 || after.tm_isdst != 0 ||
      before.tm_gmtoff != after.tm_gmtoff) {
    return false;
  }
  const int64_t start = asUtc - before.tm_gmtoff;
  if (!Local(start, at) || at.tm_isdst != 0 ||
      at.tm_gmtoff != before.tm_gmtoff || at.tm_year != key.year - 1900 ||
      at.tm_mon != key.month - 1 || at.tm_mday != key.day ||
      at.tm_hour != key.hour || at.tm_min != 0 || at.tm_sec != 0) {
    return false;
  }
  seconds = start;
  return true;
}
