#ifndef QUILLSPUR_SERVICE_SERVICE_SETTINGS_H
#define QUILLSPUR_SERVICE_SERVICE_SETTINGS_H

#include <windows.h>

#include <string>

// The service's settings, from its command line in the service's image
// path, each value its own argument, so that a path with blanks is quoted:
//   quillspur-service --jobs FILE [--directory DIR] [--restart-delay SECONDS]
// The directory is where the monitor runs and output.log goes (the job
// file's directory when not given); the delay is how long an ended monitor
// waits to be started again (60 s when not given).
class ServiceSettings {
 public:
  // False, with Error() saying why, for a command line that is not of the
  // form above.
  bool Parse(int argc, char* argv[]);

  const std::string& JobFile() const { return job_file_; }
  const std::string& Directory() const { return directory_; }
  DWORD RestartDelaySeconds() const { return restart_delay_; }
  const std::string& Error() const { return error_; }

  static const DWORD kDefaultRestartDelay = 60;
  // A day: a longer wait is a typing error.
  static const DWORD kMaxRestartDelay = 86400;

 private:
  // False, with the error, for a delay that is not 0 to kMaxRestartDelay.
  bool TakeRestartDelay(const std::string& delay);

  std::string job_file_;
  std::string directory_;
  DWORD restart_delay_ = kDefaultRestartDelay;
  std::string error_;
};

#endif
