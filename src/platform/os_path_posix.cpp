#include "platform/os_path.h"

#include "platform/code_page.h"
#include "platform/path_cleanup.h"

std::string OsPath(const char* path) {
  return SystemName(CleanWin32Path(path == nullptr ? "" : path));
}

std::string TextFromOsPath(const std::string& osPath) {
  if (HasHighByte(osPath) && IsUtf8(osPath)) return Utf8ToCp1252(osPath);
  return osPath;
}
