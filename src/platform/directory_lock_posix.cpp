#include "platform/directory_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

DirectoryLock::DirectoryLock(int at, const char* path)
    : m_fd(openat(at, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      m_bHeld(false) {
  Lock();
}

DirectoryLock::~DirectoryLock() { Release(); }

void DirectoryLock::Release() {
  if (m_fd >= 0) close(m_fd);  // also releases the lock
  m_fd = -1;
  m_bHeld = false;
}

void DirectoryLock::Lock() {
  if (m_fd < 0) return;
  // Tried without blocking, in steps of 10 ms: another user may hold the
  // lock for as long as it likes.
  const struct timespec step = {0, 10000000L};
  for (int waited = 0;; waited += 10) {
    if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
      m_bHeld = true;
      return;
    }
    if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= kWaitMs) return;
    nanosleep(&step, nullptr);
  }
}
