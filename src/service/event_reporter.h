#ifndef QUILLSPUR_SERVICE_EVENT_REPORTER_H
#define QUILLSPUR_SERVICE_EVENT_REPORTER_H

#include <windows.h>

#include <initializer_list>
#include <string>

// Writes events to the Application log under one source. The message of
// each event id is in this program's message table (messages.mc); the
// inserts fill its %1, %2, ... A source that cannot be opened loses the
// events: the service runs on without its log.
class EventReporter {
 public:
  explicit EventReporter(const char* source);
  ~EventReporter();
  EventReporter(const EventReporter&) = delete;
  EventReporter& operator=(const EventReporter&) = delete;

  // The type (EVENTLOG_*_TYPE) comes from the severity in the id.
  void Report(DWORD id, std::initializer_list<std::string> inserts);

  // The system's text for a Win32 error, without its line end.
  static std::string ErrorText(DWORD error);

 private:
  HANDLE source_;
};

#endif
