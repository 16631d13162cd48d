#include "monitor_runner.h"

#include <vector>

#include "messages.h"

namespace {

// The directory that holds this program, with its final backslash.
std::string ProgramDirectory() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, path.data(), path.size());
    if (length < path.size()) {
      std::string result(path.data(), length);
      return result.substr(0, result.find_last_of('\\') + 1);
    }
    path.resize(path.size() * 2);
  }
}

// The full path of file, or file itself when it has none.
std::string FullPath(const std::string& file) {
  DWORD size = GetFullPathNameA(file.c_str(), 0, nullptr, nullptr);
  if (size == 0) return file;
  std::vector<char> path(size);
  DWORD length = GetFullPathNameA(file.c_str(), size, path.data(), nullptr);
  return length != 0 && length < size ? std::string(path.data(), length) : file;
}

const std::string kRestartSeconds =
    std::to_string(MonitorRunner::kRestartDelay / 1000);

}  // namespace

MonitorRunner::MonitorRunner(const std::string& jobFile, EventReporter& events)
    : job_file_(FullPath(jobFile)), events_(events) {
  // Relative Check paths start where the job file is; "C:\" keeps its
  // backslash.
  std::string::size_type slash = job_file_.find_last_of("\\/");
  directory_ = slash == std::string::npos ? std::string(".")
                                          : job_file_.substr(0, slash);
  if (directory_.size() == 2 && directory_[1] == ':') directory_ += '\\';
  command_line_ =
      "\"" + ProgramDirectory() + "quillspur.exe\" \"" + job_file_ + "\"";
}

MonitorRunner::~MonitorRunner() {
  if (job_ != nullptr) CloseHandle(job_);
  if (stop_ != nullptr) CloseHandle(stop_);
}

bool MonitorRunner::Prepare() {
  stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  job_ = CreateJobObjectA(nullptr, nullptr);
  if (stop_ == nullptr || job_ == nullptr) return false;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  return SetInformationJobObject(job_, JobObjectExtendedLimitInformation,
                                 &limits, sizeof limits) != 0;
}

void MonitorRunner::Serve() {
  while (RunOnce()) {
    if (WaitForSingleObject(stop_, kRestartDelay) == WAIT_OBJECT_0) break;
  }
  events_.Report(MSG_MONITOR_STOPPED, {stop_reason_});
}

bool MonitorRunner::RunOnce() {
  HANDLE process = StartMonitor();
  if (process == nullptr) {
    DWORD error = GetLastError();
    events_.Report(
        MSG_MONITOR_NOT_STARTED,
        {command_line_, EventReporter::ErrorText(error), kRestartSeconds});
    return true;
  }
  events_.Report(MSG_MONITOR_STARTED, {command_line_, directory_});
  HANDLE waits[] = {stop_, process};
  bool stopped =
      WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  // A command that outlived its monitor would run beside the next
  // monitor's start of the same job.
  EndAll(process);
  if (!stopped) {
    events_.Report(MSG_MONITOR_ENDED, {std::to_string(code), kRestartSeconds});
  }
  return !stopped;
}

void MonitorRunner::Stop(const char* reason) {
  stop_reason_ = reason;
  SetEvent(stop_);
}

HANDLE MonitorRunner::StartMonitor() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  std::vector<char> command(command_line_.begin(), command_line_.end());
  command.push_back('\0');
  // Suspended until it is in the job, so that its first command is too. A
  // console of its own, never shown, for cmd and the commands it starts.
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                      directory_.c_str(), &startup, &started)) {
    return nullptr;
  }
  if (!AssignProcessToJobObject(job_, started.hProcess)) {
    DWORD error = GetLastError();
    TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    SetLastError(error);
    return nullptr;
  }
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  return started.hProcess;
}

void MonitorRunner::EndAll(HANDLE process) {
  TerminateJobObject(job_, 1);
  // The monitor's log and job file are closed before the service says it
  // has stopped, so that an uninstall finds nothing in use.
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
}
