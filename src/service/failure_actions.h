#ifndef QUILLSPUR_SERVICE_FAILURE_ACTIONS_H
#define QUILLSPUR_SERVICE_FAILURE_ACTIONS_H

#include <windows.h>

// The service's failure actions, which the installer cannot set: the
// service manager starts the host again after a delay whenever its process
// ended without saying it had stopped, the count reset after a day.
class FailureActions {
 public:
  // Sets them on the service where they differ; false, with GetLastError
  // set, when they could not be read or set.
  static bool Ensure(const char* service, DWORD delayMs);

  static const DWORD kResetPeriod = 86400;
};

#endif
