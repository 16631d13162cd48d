#include "os_path.h"

std::string OsPath(const char* path) {
  return std::string(path == nullptr ? "" : path);
}
