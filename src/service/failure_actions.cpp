#include "service/failure_actions.h"

#include <vector>

namespace {

// Whether the service already has exactly the one restart after delayMs.
bool AlreadySet(SC_HANDLE service, DWORD delayMs) {
  DWORD needed = 0;
  QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, nullptr, 0,
                       &needed);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  if (!QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS,
                            buffer.data(), needed, &needed)) {
    return false;
  }
  const SERVICE_FAILURE_ACTIONSA* actions =
      reinterpret_cast<const SERVICE_FAILURE_ACTIONSA*>(buffer.data());
  return actions->dwResetPeriod == FailureActions::kResetPeriod &&
         actions->cActions == 1 &&
         actions->lpsaActions[0].Type == SC_ACTION_RESTART &&
         actions->lpsaActions[0].Delay == delayMs;
}

}  // namespace

bool FailureActions::Ensure(const char* name, DWORD delayMs) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return false;
  // A restart action needs the right to start the service.
  SC_HANDLE service = OpenServiceA(
      manager, name,
      SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG | SERVICE_START);
  bool done = false;
  if (service != nullptr) {
    done = AlreadySet(service, delayMs);
    if (!done) {
      SC_ACTION restart = {SC_ACTION_RESTART, delayMs};
      SERVICE_FAILURE_ACTIONSA actions = {};
      actions.dwResetPeriod = kResetPeriod;
      actions.cActions = 1;
      actions.lpsaActions = &restart;
      done = ChangeServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS,
                                   &actions) != 0;
    }
  }
  DWORD error = GetLastError();
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  SetLastError(error);
  return done;
}
