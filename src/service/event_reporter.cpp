#include "service/event_reporter.h"

#include <vector>

EventReporter::EventReporter(const char* source)
    : source_(RegisterEventSourceA(nullptr, source)) {}

EventReporter::~EventReporter() {
  if (source_ != nullptr) DeregisterEventSource(source_);
}

void EventReporter::Report(DWORD id,
                           std::initializer_list<std::string> inserts) {
  if (source_ == nullptr) return;
  // The two top bits of a message id are its severity.
  static const WORD kTypes[] = {EVENTLOG_SUCCESS, EVENTLOG_INFORMATION_TYPE,
                                EVENTLOG_WARNING_TYPE, EVENTLOG_ERROR_TYPE};
  std::vector<const char*> strings;
  for (const std::string& insert : inserts) strings.push_back(insert.c_str());
  ReportEventA(source_, kTypes[id >> 30], 0, id, nullptr,
               static_cast<WORD>(strings.size()), 0, strings.data(), nullptr);
}

std::string EventReporter::ErrorText(DWORD error) {
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length != 0 ? std::string(text, length)
                                   : "error " + std::to_string(error) + ".";
  LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) {
    result.pop_back();
  }
  return result;
}
