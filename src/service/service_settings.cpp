#include "service/service_settings.h"

#include <vector>

namespace {

// The full path of file, or file itself when it has none.
std::string FullPath(const std::string& file) {
  DWORD size = GetFullPathNameA(file.c_str(), 0, nullptr, nullptr);
  if (size == 0) return file;
  std::vector<char> path(size);
  DWORD length = GetFullPathNameA(file.c_str(), size, path.data(), nullptr);
  return length != 0 && length < size ? std::string(path.data(), length) : file;
}

}  // namespace

bool ServiceSettings::Parse(int argc, char* argv[]) {
  std::string delay;
  for (int i = 1; i < argc; i += 2) {
    std::string option = argv[i];
    if (i + 1 == argc) {
      error_ = option + " needs a value";
      return false;
    }
    if (option == "--jobs") {
      job_file_ = FullPath(argv[i + 1]);
    } else if (option == "--directory") {
      directory_ = FullPath(argv[i + 1]);
    } else if (option == "--restart-delay") {
      delay = argv[i + 1];
    } else {
      error_ = "unknown option " + option;
      return false;
    }
  }
  if (job_file_.empty()) {
    error_ = "--jobs is missing";
    return false;
  }
  if (!delay.empty() && !TakeRestartDelay(delay)) return false;
  if (directory_.empty()) {
    std::string::size_type slash = job_file_.find_last_of("\\/");
    directory_ = slash == std::string::npos ? std::string(".")
                                            : job_file_.substr(0, slash);
    // "C:\" keeps its backslash.
    if (directory_.size() == 2 && directory_[1] == ':') directory_ += '\\';
  }
  return true;
}

bool ServiceSettings::TakeRestartDelay(const std::string& delay) {
  if (delay.size() > 5 ||
      delay.find_first_not_of("0123456789") != std::string::npos ||
      std::stoul(delay) > kMaxRestartDelay) {
    error_ = "--restart-delay takes seconds, 0 to " +
             std::to_string(kMaxRestartDelay) + ": " + delay;
    return false;
  }
  restart_delay_ = std::stoul(delay);
  return true;
}
