#ifndef QUILLSPUR_SERVICE_MONITOR_RUNNER_H
#define QUILLSPUR_SERVICE_MONITOR_RUNNER_H

#include <windows.h>

#include <string>

#include "service/event_reporter.h"
#include "service/output_log.h"
#include "service/service_settings.h"

// Keeps the monitor running for the service: starts quillspur.exe, which
// stands beside this program, with the job file, in the working directory,
// and starts it again after the restart delay when it has ended. A job file
// that is not there is first written from jobs-template.ini beside this
// program. The monitor and every command it starts run in one job object,
// so that a stop, or the end of this process however it comes, ends all of
// them; what they print goes to output.log.
class MonitorRunner {
 public:
  MonitorRunner(const ServiceSettings& settings, EventReporter& events);
  ~MonitorRunner();
  MonitorRunner(const MonitorRunner&) = delete;
  MonitorRunner& operator=(const MonitorRunner&) = delete;

  // Makes the job object and the stop event; false, with GetLastError set,
  // when either cannot be made.
  bool Prepare();

  // Runs the monitor until Stop is called, then ends it with its commands
  // and waits for them to be gone; reason goes into the event that says so.
  void Serve();

  // Makes Serve return; from any thread, once Prepare has succeeded.
  void Stop(const char* reason);

 private:
  // Runs the monitor once, until it ends or Stop is called; false for a
  // stop.
  bool RunOnce();
  // Writes the job file from the template when there is none.
  void WriteMissingJobFile();
  // The monitor's process, started inside the job with its output going to
  // output_; null when it could not be started (GetLastError says why).
  HANDLE StartMonitor();
  // Puts the suspended monitor into the job and lets it run; on failure it
  // is ended and its output closed.
  HANDLE Admit(const PROCESS_INFORMATION& started);
  // Ends what is left in the job and waits for process to end.
  void EndAll(HANDLE process);

  std::string job_file_;
  std::string template_;
  std::string directory_;
  std::string command_line_;
  DWORD restart_delay_;
  std::string restart_seconds_;
  EventReporter& events_;
  OutputLog output_;
  HANDLE job_ = nullptr;
  HANDLE stop_ = nullptr;
  const char* stop_reason_ = "";
};

#endif
