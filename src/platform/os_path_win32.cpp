#include "platform/os_path.h"

std::string OsPath(const char* path) {
  return std::string(path == nullptr ? "" : path);
}

std::string TextFromOsPath(const std::string& osPath) { return osPath; }
