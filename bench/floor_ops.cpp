#include "floor_ops.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadWholeFile(const char* path, std::string& buffer) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  bool ok = fstat(fd, &info) == 0;
  if (ok && buffer.size() < static_cast<size_t>(info.st_size))
    buffer.resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (ok && done < static_cast<size_t>(info.st_size)) {
    const ssize_t n = read(fd, &buffer[done], info.st_size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    if (n > 0) done += static_cast<size_t>(n);
  }
  close(fd);
  return ok;
}

bool PathExists(const char* path) {
  struct stat info;
  return stat(path, &info) == 0;
}

long ScanDirectory(const char* path) {
  DIR* dir = opendir(path);
  if (dir == nullptr) return -1;
  long count = 0;
  while (readdir(dir) != nullptr) ++count;
  closedir(dir);
  return count;
}

bool AppendLine(const char* path, const std::string& line) {
  const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok =
      write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  close(fd);
  return ok;
}
