// The monitor's log messages, written by the monitor and read back by
// quillspur-check: one place for their texts, so that writer and reader
// cannot drift apart. Windows-1252, byte for byte as they stand in the log.
#ifndef QUILLSPUR_LOG_LOG_MESSAGES_H
#define QUILLSPUR_LOG_LOG_MESSAGES_H

#include <time.h>

#include <string>
#include <string_view>

extern const char kStartedMessage[];      // every start of the monitor
extern const char kEndedMessage[];        // continuation line, before exit
extern const char kConfigMissingOpen[];   // then the path,
extern const char kConfigMissingClose[];  // then this
extern const char kCheckPrefix[];         // then the Check value
extern const char kStartPrefix[];         // then the Run value
// printf formats: the exit status and errno; the command line and errno.
extern const char kOutcomeFormat[];
extern const char kStartFailedFormat[];

// Width of "dd.mm.yyyy hh:mm:ss - ", and of a continuation line's blanks.
const size_t kStampWidth = 22;

// The stamp "dd.mm.yyyy hh:mm:ss" of when, added to out; a year beyond four
// digits takes as many as it has.
void AppendStamp(std::string& out, const struct tm& when);

enum class LogMessageKind {
  kStarted,
  kEnded,
  kConfigMissing,
  kCheck,
  kStart,
  kOutcome,
  kStartFailed,
  kOther
};

struct LogMessage {
  LogMessageKind kind = LogMessageKind::kOther;
  std::string_view value;  // Check, Run or path; the command of a failure
  long code = 0;           // iRC
  long error = 0;          // errno
};

// What a message (the text after the stamp) says, blanks at its end left
// out, so that a value ends without them. kOther for anything the monitor
// does not write, a cut message included.
// Into out, as it stands in a caller's line, rather than by value: a long
// log reads one a line.
void ParseLogMessage(std::string_view message, LogMessage& out);

#endif
