#include "log/log_messages.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

const char kStartedMessage[] = "Quillspur gestartet";
const char kEndedMessage[] = "Quillspur beendet";
const char kConfigMissingOpen[] = "Konfigurationsdatei '";
const char kConfigMissingClose[] = "' nicht gefunden.";
const char kCheckPrefix[] =
    "\xDC"
    "berpr\xFC"
    "fe Datei(en): ";
const char kStartPrefix[] = "Starte Programm: ";
const char kOutcomeFormat[] = "Programm beendet (iRC = %d, errno = %d)";
const char kStartFailedFormat[] =
    "Fehler bei der Ausf\xFC"
    "hrung des Programms '%s'' (errno = %d)";

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A signed decimal as %d writes it; false when none stands at text.
bool TakeNumber(std::string_view& text, long& out) {
  size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
  const size_t digits = i;
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > 999999999L) return false;
    value = value * 10 + (text[i] - '0');
  }
  if (i == digits) return false;
  out = digits == 1 ? -value : value;
  text.remove_prefix(i);
  return true;
}

// Reads text back through a format of literals, %s and %d. A %s takes
// everything up to the last place where the rest of the format can follow,
// since a command line may hold any of the literal's bytes.
bool MatchFormat(std::string_view format, std::string_view text,
                 std::string_view* s, long* d1, long* d2) {
  long* numbers[] = {d1, d2};
  int n = 0;
  while (!format.empty()) {
    const size_t percent = format.find('%');
    const std::string_view literal = format.substr(0, percent);
    if (!StartsWith(text, literal)) return false;
    text.remove_prefix(literal.size());
    if (percent == std::string_view::npos) return text.empty();
    const char conversion =
        format.size() > percent + 1 ? format[percent + 1] : '\0';
    format.remove_prefix(std::min(format.size(), percent + 2));
    if (conversion == 'd') {
      if (n >= 2 || numbers[n] == nullptr || !TakeNumber(text, *numbers[n])) {
        return false;
      }
      ++n;
    } else if (conversion == 's' && s != nullptr) {
      const std::string_view next = format.substr(0, format.find('%'));
      const size_t at = text.rfind(next);
      if (at == std::string_view::npos) return false;
      *s = text.substr(0, at);
      text.remove_prefix(at);
    } else {
      return false;
    }
  }
  return text.empty();
}

// A Check line, most of a log, is compared with its prefix's fixed size. The
// prefixes end in a blank, which went with the others when no value follows.
bool IsCheckLine(std::string_view message) {
  const size_t size = sizeof kCheckPrefix - 1;
  return (message.size() >= size &&
          memcmp(message.data(), kCheckPrefix, size) == 0) ||
         (message.size() == size - 1 &&
          memcmp(message.data(), kCheckPrefix, size - 1) == 0);
}

bool IsPrefixed(std::string_view message, std::string_view prefix) {
  return StartsWith(message, prefix) ||
         message == prefix.substr(0, prefix.size() - 1);
}

// The messages that are formats or enclose their value.
void ParseFormatted(std::string_view message, LogMessage& out) {
  const std::string_view open(kConfigMissingOpen), close(kConfigMissingClose);
  const char first = message[0];
  if (first == open[0] && StartsWith(message, open) &&
      message.size() >= open.size() + close.size() &&
      message.substr(message.size() - close.size()) == close) {
    out.kind = LogMessageKind::kConfigMissing;
    out.value = message.substr(open.size(),
                               message.size() - open.size() - close.size());
  } else if (first == kOutcomeFormat[0] &&
             MatchFormat(kOutcomeFormat, message, nullptr, &out.code,
                         &out.error)) {
    out.kind = LogMessageKind::kOutcome;
  } else if (first == kStartFailedFormat[0] &&
             MatchFormat(kStartFailedFormat, message, &out.value, &out.error,
                         nullptr)) {
    out.kind = LogMessageKind::kStartFailed;
    out.code = -1;
  }
}

// value, 0 or more and below 10 to the count, as count digits at out.
void PutDigits(char* out, int value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

}  // namespace

void AppendStamp(std::string& out, const struct tm& when) {
  const int year = when.tm_year + 1900;
  if (year < 0 || year > 9999) {
    char text[80];
    (void)snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d",
                   when.tm_mday, when.tm_mon + 1, year, when.tm_hour,
                   when.tm_min, when.tm_sec);
    out += text;
    return;
  }
  // The digits by hand: every log line and a few per job of a report take
  // a stamp, and snprintf costs more than the rest of each.
  char text[19];
  PutDigits(text, when.tm_mday, 2);
  text[2] = '.';
  PutDigits(text + 3, when.tm_mon + 1, 2);
  text[5] = '.';
  PutDigits(text + 6, year, 4);
  text[10] = ' ';
  PutDigits(text + 11, when.tm_hour, 2);
  text[13] = ':';
  PutDigits(text + 14, when.tm_min, 2);
  text[16] = ':';
  PutDigits(text + 17, when.tm_sec, 2);
  out.append(text, sizeof text);
}

void ParseLogMessage(std::string_view message, LogMessage& out) {
  out = LogMessage();
  // A write cut short leaves blanks at the end of the line before it.
  while (!message.empty() && message.back() == ' ') message.remove_suffix(1);
  if (message.empty()) return;
  const std::string_view check(kCheckPrefix), start(kStartPrefix);
  // Each message begins with a byte of its own: only the one whose first
  // byte stands there is tried.
  const char first = message[0];
  if (first == check[0] && IsCheckLine(message)) {
    out.kind = LogMessageKind::kCheck;
    out.value = message.substr(std::min(message.size(), check.size()));
  } else if (first == start[0] && IsPrefixed(message, start)) {
    out.kind = LogMessageKind::kStart;
    out.value = message.substr(std::min(message.size(), start.size()));
  } else if (first == kStartedMessage[0] && message == kStartedMessage) {
    out.kind = LogMessageKind::kStarted;
  } else if (first == kEndedMessage[0] && message == kEndedMessage) {
    out.kind = LogMessageKind::kEnded;
  } else {
    ParseFormatted(message, out);
  }
}
