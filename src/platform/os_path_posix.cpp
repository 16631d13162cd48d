#include "os_path.h"

#include <algorithm>

std::string OsPath(const char* path) {
  std::string result(path == nullptr ? "" : path);
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}
