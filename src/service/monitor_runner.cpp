#include "service/monitor_runner.h"

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

}  // namespace

MonitorRunner::MonitorRunner(const ServiceSettings& settings,
                             EventReporter& events)
    : job_file_(settings.JobFile()),
      template_(ProgramDirectory() + "jobs-template.ini"),
      directory_(settings.Directory()),
      restart_delay_(settings.RestartDelaySeconds() * 1000),
      restart_seconds_(std::to_string(settings.RestartDelaySeconds())),
      events_(events),
      output_(settings.Directory()) {
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
    if (WaitForSingleObject(stop_, restart_delay_) == WAIT_OBJECT_0) break;
  }
  events_.Report(MSG_MONITOR_STOPPED, {stop_reason_});
}

bool MonitorRunner::RunOnce() {
  WriteMissingJobFile();
  HANDLE process = StartMonitor();
  if (process == nullptr) {
    DWORD error = GetLastError();
    events_.Report(
        MSG_MONITOR_NOT_STARTED,
        {command_line_, EventReporter::ErrorText(error), restart_seconds_});
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
    events_.Report(MSG_MONITOR_ENDED, {std::to_string(code), restart_seconds_});
  }
  return !stopped;
}

void MonitorRunner::WriteMissingJobFile() {
  // Only for a file that is surely not there: a share that is not there yet
  // says so with another error.
  if (GetFileAttributesA(job_file_.c_str()) != INVALID_FILE_ATTRIBUTES ||
      GetLastError() != ERROR_FILE_NOT_FOUND) {
    return;
  }
  if (CopyFileA(template_.c_str(), job_file_.c_str(), TRUE)) {
    events_.Report(MSG_JOB_FILE_WRITTEN, {job_file_, template_});
  }
}

void MonitorRunner::Stop(const char* reason) {
  stop_reason_ = reason;
  SetEvent(stop_);
}

HANDLE MonitorRunner::StartMonitor() {
  // Only the ends that the monitor gets are inherited.
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return nullptr;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit,
                             OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = write;
  startup.hStdError = write;
  PROCESS_INFORMATION started = {};
  std::vector<char> command(command_line_.begin(), command_line_.end());
  command.push_back('\0');
  // Suspended until it is in the job, so that its first command is too. A
  // console of its own, never shown, for cmd and the commands it starts.
  BOOL created = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE,
                                CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                                directory_.c_str(), &startup, &started);
  const DWORD error = GetLastError();
  // The pipe ends when the last process that holds a copy of write ends.
  CloseHandle(write);
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  if (!created) {
    CloseHandle(read);
    SetLastError(error);
    return nullptr;
  }
  output_.Start(read);
  return Admit(started);
}

HANDLE MonitorRunner::Admit(const PROCESS_INFORMATION& started) {
  if (!AssignProcessToJobObject(job_, started.hProcess)) {
    const DWORD error = GetLastError();
    TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hThread);
    WaitForSingleObject(started.hProcess, INFINITE);
    CloseHandle(started.hProcess);
    output_.Finish();
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
  // Every process of the job is gone, and with them the pipe's writers.
  output_.Finish();
}
