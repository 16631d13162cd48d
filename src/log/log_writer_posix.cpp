#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "log/log_writer.h"
#include "platform/directory_lock.h"
#include "platform/seams.h"

namespace {

// Holds back the signals that stop the program while a line goes out. A
// stop that came between a write cut short and its cutting back would leave
// the fragment, and one pending inside a write may end it early; held back,
// it takes effect once the line is whole or gone.
class StopSignalsHeld {
 public:
  StopSignalsHeld() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int stop : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
      sigaddset(&stops, stop);
    sigprocmask(SIG_BLOCK, &stops, &m_previous);
  }
  ~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  sigset_t m_previous;
};

std::string DirectoryOf(const std::string& file) {
  const size_t slash = file.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : file.substr(0, slash);
}

// The name of file in its directory, or the whole path without a
// descriptor for the directory.
const char* NameIn(int dir, const std::string& file) {
  if (dir == AT_FDCWD) return file.c_str();
  const size_t slash = file.rfind('/');
  return file.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

// A link at the log's name is followed only when nobody else could have
// made it: it belongs to root or to this process's user, and so does its
// directory, which no one else may write, so that neither can change before
// the link is followed. An admin's link keeps working.
bool MayFollowLink(int dir, const char* name, const std::string& file) {
  struct stat link, parent;
  const uid_t self = geteuid();
  const bool statted =
      fstatat(dir, name, &link, AT_SYMLINK_NOFOLLOW) == 0 &&
      (dir == AT_FDCWD ? stat(DirectoryOf(file).c_str(), &parent)
                       : fstat(dir, &parent)) == 0;
  return statted && S_ISLNK(link.st_mode) &&
         (link.st_uid == 0 || link.st_uid == self) &&
         (parent.st_uid == 0 || parent.st_uid == self) &&
         (parent.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A regular file with no second name, which is still the one at its name
// in dir: a second name removed between the open and the look at the link
// count would leave another file's only name elsewhere. statx asks for the
// fields needed only: a whole fstat made every message a fifth dearer.
bool IsOwnFile(int fd, int dir, const char* name, bool followed) {
  const unsigned int fields = STATX_TYPE | STATX_NLINK | STATX_INO;
  struct statx opened, named;
  if (statx(fd, "", AT_EMPTY_PATH, fields, &opened) == 0) {
    return S_ISREG(opened.stx_mode) && opened.stx_nlink == 1 &&
           statx(dir, name, followed ? 0 : AT_SYMLINK_NOFOLLOW, STATX_INO,
                 &named) == 0 &&
           named.stx_ino == opened.stx_ino &&
           named.stx_dev_major == opened.stx_dev_major &&
           named.stx_dev_minor == opened.stx_dev_minor;
  }
  struct stat whole, atName;
  return errno == ENOSYS && fstat(fd, &whole) == 0 && S_ISREG(whole.st_mode) &&
         whole.st_nlink == 1 &&
         fstatat(dir, name, &atName, followed ? 0 : AT_SYMLINK_NOFOLLOW) == 0 &&
         atName.st_ino == whole.st_ino && atName.st_dev == whole.st_dev;
}

}  // namespace

CLogWriter::CLogWriter(const std::string& logPath, const std::string& oldPath)
    : m_strLogPath(logPath),
      m_strOldPath(oldPath),
      m_hFile(-1),
      m_hLock(-1),
      m_nDir(AT_FDCWD) {}

CLogWriter::~CLogWriter() { Close(); }

bool CLogWriter::Open() {
  // A message that needs no move takes the log by its path: the open
  // follows no link at its name, and what it opened is checked.
  return OpenLog(false);
}

bool CLogWriter::OpenLog(bool exclusive) {
  // Without blocking: a FIFO in the log's place costs the message, not the
  // program.
  const int flags =
      O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW;
  const char* name = NameIn(m_nDir, m_strLogPath);
  int fd =
      openat(m_nDir, name, flags | O_CREAT | (exclusive ? O_EXCL : 0), 0666);
  // Another writer on the same log made the new one first.
  if (fd < 0 && exclusive && errno == EEXIST)
    fd = openat(m_nDir, name, flags | O_CREAT, 0666);
  // Never O_CREAT through a link: a dangling one stays dangling.
  bool followed = false;
  if (fd < 0 && errno == ELOOP && MayFollowLink(m_nDir, name, m_strLogPath)) {
    fd = openat(m_nDir, name, flags & ~O_NOFOLLOW);
    followed = true;
  }
  if (fd >= 0) seams::LogAfterOpen();
  if (fd >= 0 && !IsOwnFile(fd, m_nDir, name, followed)) {
    close(fd);
    fd = -1;
    errno = EPERM;
  }
  m_hFile = fd;
  return fd >= 0;
}

void CLogWriter::Close() {
  if (m_hFile >= 0) close(static_cast<int>(m_hFile));
  m_hFile = -1;
}

long long CLogWriter::Size() const {
  // The offset is of no concern, as writes append.
  return lseek(static_cast<int>(m_hFile), 0, SEEK_END);
}

bool CLogWriter::MoveAsideIfLarger(long long maxSize) {
  if (Size() <= maxSize) return true;
  Close();
  // Every step is taken relative to the directory locked, so that the
  // directory checked is the one written.
  DirectoryLock lock(AT_FDCWD, DirectoryOf(m_strLogPath).c_str());
  m_nDir = lock.Fd() >= 0 ? lock.Fd() : AT_FDCWD;
  const bool opened = MoveAside(maxSize, lock);
  m_nDir = AT_FDCWD;  // the descriptor is the lock's
  return opened;
}

bool CLogWriter::MoveAside(long long maxSize, DirectoryLock& lock) {
  // Another writer may have moved it since.
  if (!OpenLog(false)) {
    // No descriptor left for the log beside the directory's: the move goes
    // by path, without the lock, as a single writer's would.
    if ((errno != EMFILE && errno != ENFILE) || m_nDir == AT_FDCWD)
      return false;
    m_nDir = AT_FDCWD;
    lock.Release();
    if (!OpenLog(false)) return false;
  }
  if (Size() <= maxSize) return true;
  Close();
  // unlinkat, unlike remove, never deletes a directory of that name.
  const char* log = NameIn(m_nDir, m_strLogPath);
  const char* old = NameIn(m_nDir, m_strOldPath);
  (void)unlinkat(m_nDir, old, 0);
  (void)renameat(m_nDir, log, m_nDir, old);
  seams::LogAfterMove();
  return OpenLog(true);
}

void CLogWriter::Append(const char* line, size_t length) {
  StopSignalsHeld held;
  const size_t written = WriteOnce(line, length);
  if (written == length || written == 0) return;
  // The directory's lock keeps a move by another writer off the file while
  // its end is cut.
  DirectoryLock lock(AT_FDCWD, DirectoryOf(m_strLogPath).c_str());
  CutBack(written);
}

size_t CLogWriter::WriteAtEnd(const char* data, size_t length) {
  const ssize_t written = write(static_cast<int>(m_hFile), data, length);
  return written > 0 ? static_cast<size_t>(written) : 0;
}

bool CLogWriter::Position(long long& offset) const {
  offset = lseek(static_cast<int>(m_hFile), 0, SEEK_CUR);
  return offset >= 0;
}

void CLogWriter::TruncateAt(long long offset) {
  // A cast to void does not silence glibc's warn_unused_result.
  const int ignored = ftruncate(static_cast<int>(m_hFile), offset);
  (void)ignored;
}

void CLogWriter::OverwriteAt(long long offset, const std::string& bytes) {
  const int fd = static_cast<int>(m_hFile);
  // Appending would put the bytes at the end whatever the offset.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_APPEND);
  const ssize_t ignored = pwrite(fd, bytes.data(), bytes.size(), offset);
  (void)ignored;
}

struct tm CLogWriter::LocalTime(time_t when) {
  struct tm local = {};
  localtime_r(&when, &local);
  return local;
}

void CLogWriter::ReloadTimeZone() { tzset(); }
