#include "check/stamp_clock.h"

// The runtime's struct tm holds no offset to read an hour by: every hour
// goes to mktime.
bool CStampClock::StandardHour(const HourKey&, int64_t&) { return false; }

// The runtime's localtime keeps its answer per thread and reads the zone
// once.
bool CStampClock::LocalTime(int64_t seconds, struct tm& out) {
  const time_t t = static_cast<time_t>(seconds);
  const struct tm* local = localtime(&t);
  if (local == nullptr) return false;
  out = *local;
  return true;
}
