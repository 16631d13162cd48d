#ifndef QUILLSPUR_SERVICE_SERVICE_HOST_H
#define QUILLSPUR_SERVICE_SERVICE_HOST_H

#include <windows.h>

#include <mutex>

#include "service/event_reporter.h"
#include "service/monitor_runner.h"
#include "service/service_settings.h"

// The service's side of the service manager: sets the service's failure
// actions, says the service is running once the monitor can be run, serves
// the stop and shutdown controls, and says when it has stopped.
class ServiceHost {
 public:
  // Connects to the service manager and serves the service Quillspur until
  // it stops; the process's exit code. 1 with a message on stderr when the
  // program was not started by the service manager.
  static int Run(const ServiceSettings& settings);

  static const char kName[];

 private:
  explicit ServiceHost(const ServiceSettings& settings);

  static void WINAPI Main(DWORD argc, LPSTR* argv);
  static DWORD WINAPI Control(DWORD control, DWORD type, LPVOID data,
                              LPVOID context);
  void Serve();
  void Report(DWORD state, DWORD exitCode);

  DWORD restart_delay_;
  EventReporter events_;
  MonitorRunner runner_;
  SERVICE_STATUS_HANDLE handle_ = nullptr;
  std::mutex status_lock_;
  SERVICE_STATUS status_ = {};
};

#endif
