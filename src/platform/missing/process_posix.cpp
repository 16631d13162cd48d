// Process and timing calls of kernel32 that the monitor uses.
#include <windows.h>

#include <string>

#include <errno.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <exception>

#include "platform/seams.h"
#include "platform/whole_file.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

}  // namespace

extern "C" void Sleep(DWORD milliseconds) noexcept {
  seams::BeforeSleep();
  struct timespec rest;
  rest.tv_sec = milliseconds / 1000;
  rest.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&rest, &rest) == -1 && errno == EINTR) {
  }
}

extern "C" ULONGLONG GetTickCount64(void) noexcept {
  // Milliseconds since boot, a suspend included, as on Windows; the wall
  // clock may step, this never does.
  struct timespec now = {};
  if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
    clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<ULONGLONG>(now.tv_sec) * 1000u +
         static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
}

extern "C" HMODULE GetModuleHandleA(LPCSTR moduleName) noexcept {
  // Only the executable itself is asked for; any non-null value names it.
  static char self;
  return moduleName == nullptr ? reinterpret_cast<HMODULE>(&self) : nullptr;
}

extern "C" LPSTR GetCommandLineA(void) noexcept {
  // The arguments joined by blanks, read once from the kernel's copy. Without
  // the memory to read it the line is empty, and a later call tries again.
  static std::string line;
  static bool read = false;
  static char empty[1] = "";
  try {
    if (!read) {
      line.clear();
      const int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
      if (fd >= 0) {
        // Closed also when memory for the line runs out.
        const struct Closer {
          int fd;
          ~Closer() { close(fd); }
        } closer{fd};
        AppendWholeFile(closer.fd, line);
      }
      while (!line.empty() && line.back() == '\0') line.pop_back();
      for (char& c : line) {
        if (c == '\0') c = ' ';
      }
      read = true;
    }
  } catch (const std::exception&) {
    return empty;
  }
  return &line[0];
}

extern "C" DWORD GetLastError(void) noexcept { return lastError; }

extern "C" void SetLastError(DWORD error) noexcept { lastError = error; }
