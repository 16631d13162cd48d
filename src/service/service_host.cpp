#include "service/service_host.h"

#include <stdio.h>
#include <string.h>

#include "messages.h"
#include "service/failure_actions.h"

namespace {

// The service's main function takes no context: it finds the host here.
ServiceHost* the_host = nullptr;

}  // namespace

const char ServiceHost::kName[] = "Quillspur";

ServiceHost::ServiceHost(const ServiceSettings& settings)
    : restart_delay_(settings.RestartDelaySeconds() * 1000),
      events_(kName),
      runner_(settings, events_) {}

int ServiceHost::Run(const ServiceSettings& settings) {
  ServiceHost host(settings);
  the_host = &host;
  char name[sizeof kName];
  memcpy(name, kName, sizeof kName);
  SERVICE_TABLE_ENTRYA table[] = {{name, Main}, {nullptr, nullptr}};
  if (StartServiceCtrlDispatcherA(table)) return 0;
  DWORD error = GetLastError();
  if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
    (void)fputs(
        "quillspur-service runs only as the service Quillspur, started by the "
        "service manager.\nTo run the monitor in a console: quillspur <job "
        "file>\n",
        stderr);
  } else {
    (void)fprintf(stderr, "quillspur-service: %s\n",
                  EventReporter::ErrorText(error).c_str());
  }
  return 1;
}

void WINAPI ServiceHost::Main(DWORD, LPSTR*) { the_host->Serve(); }

void ServiceHost::Serve() {
  handle_ = RegisterServiceCtrlHandlerExA(kName, Control, this);
  if (handle_ == nullptr) return;
  status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  Report(SERVICE_START_PENDING, NO_ERROR);
  // At every start, as the installer cannot set them; a host that was
  // killed is started again by the service manager after the delay.
  if (!FailureActions::Ensure(kName, restart_delay_)) {
    DWORD error = GetLastError();
    events_.Report(MSG_FAILURE_ACTIONS_NOT_SET,
                   {EventReporter::ErrorText(error)});
  }
  if (!runner_.Prepare()) {
    DWORD error = GetLastError();
    events_.Report(MSG_SERVICE_FAILED, {EventReporter::ErrorText(error)});
    Report(SERVICE_STOPPED, error);
    return;
  }
  Report(SERVICE_RUNNING, NO_ERROR);
  runner_.Serve();
  Report(SERVICE_STOPPED, NO_ERROR);
}

DWORD WINAPI ServiceHost::Control(DWORD control, DWORD, LPVOID,
                                  LPVOID context) {
  ServiceHost* host = static_cast<ServiceHost*>(context);
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      host->Report(SERVICE_STOP_PENDING, NO_ERROR);
      host->runner_.Stop(control == SERVICE_CONTROL_STOP ? "stop"
                                                         : "system shutdown");
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void ServiceHost::Report(DWORD state, DWORD exitCode) {
  std::lock_guard<std::mutex> lock(status_lock_);
  status_.dwCurrentState = state;
  status_.dwWin32ExitCode = exitCode;
  // Controls are taken only while running: a stop that came during the
  // start would find no monitor to end.
  status_.dwControlsAccepted =
      state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN
                               : 0;
  bool pending =
      state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
  status_.dwCheckPoint = pending ? status_.dwCheckPoint + 1 : 0;
  // Ending the monitor waits up to 10 s for it to go.
  status_.dwWaitHint = pending ? 15000 : 0;
  SetServiceStatus(handle_, &status_);
}
