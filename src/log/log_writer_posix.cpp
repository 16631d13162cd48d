#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

#include "log_writer.h"

size_t (*CLogWriter::s_pfnWriteLimit)(size_t length) = nullptr;
void (*CLogWriter::s_pfnMeanwhile)() = nullptr;

namespace {

// Holds an exclusive lock on the log's directory: unlike the log, the
// directory keeps its identity when the log is moved, and locking it adds
// no file to it. A directory that cannot be opened is not locked; the
// caller then goes on as a single writer would.
class DirectoryLock {
 public:
  explicit DirectoryLock(const std::string& file) : m_fd(-1) {
    const size_t slash = file.rfind('/');
    const std::string dir = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : file.substr(0, slash);
    m_fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd >= 0) flock(m_fd, LOCK_EX);
  }
  ~DirectoryLock() {
    if (m_fd >= 0) close(m_fd);  // also releases the lock
  }
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

 private:
  int m_fd;
};

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

}  // namespace

CLogWriter::CLogWriter(const std::string& logPath, const std::string& oldPath)
    : m_strLogPath(logPath), m_strOldPath(oldPath), m_hFile(-1), m_hLock(-1) {}

CLogWriter::~CLogWriter() { Close(); }

bool CLogWriter::Open() {
  // Without blocking: a FIFO in the log's place costs the message, not the
  // program.
  m_hFile = open(m_strLogPath.c_str(),
                 O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  return m_hFile >= 0;
}

void CLogWriter::Close() {
  if (m_hFile >= 0) close(static_cast<int>(m_hFile));
  m_hFile = -1;
}

long long CLogWriter::Size() const {
  // The same size as fstat's, which alone made a message 40% dearer than
  // open, write and close; the offset is of no concern, as writes append.
  return lseek(static_cast<int>(m_hFile), 0, SEEK_END);
}

bool CLogWriter::MoveAsideIfLarger(long long maxSize) {
  if (Size() <= maxSize) return true;
  Close();
  DirectoryLock lock(m_strLogPath);
  // Another writer may have moved it since.
  if (!Open() || Size() <= maxSize) return m_hFile >= 0;
  Close();
  // unlink, unlike remove, never deletes a directory of that name.
  (void)unlink(m_strOldPath.c_str());
  (void)rename(m_strLogPath.c_str(), m_strOldPath.c_str());
  return Open();
}

void CLogWriter::Append(const char* line, size_t length) {
  StopSignalsHeld held;
  const size_t allowed =
      s_pfnWriteLimit ? std::min(length, s_pfnWriteLimit(length)) : length;
  const ssize_t written = write(static_cast<int>(m_hFile), line, allowed);
  if (written == static_cast<ssize_t>(length) || written <= 0) return;
  if (s_pfnMeanwhile) s_pfnMeanwhile();
  DirectoryLock lock(m_strLogPath);
  CutBack(static_cast<size_t>(written));
}

void CLogWriter::CutBack(size_t n) {
  const int fd = static_cast<int>(m_hFile);
  // An appending write leaves the offset at the end of its own bytes.
  const off_t end = lseek(fd, 0, SEEK_CUR);
  const off_t start = end - static_cast<off_t>(n);
  const long long size = Size();
  if (start < 0 || size < end) return;
  if (size == end || start < 2) {
    // Nothing follows; or the fragment begins the file, so there is no line
    // before it to end, and cutting drops what follows but no line is cut.
    const int ignored = ftruncate(fd, start);
    (void)ignored;
    return;
  }
  const std::string blanks = std::string(n, ' ') + "\r\n";
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_APPEND);
  const ssize_t ignored = pwrite(fd, blanks.data(), blanks.size(), start - 2);
  (void)ignored;
}

struct tm CLogWriter::LocalTime(time_t when) {
  struct tm local = {};
  localtime_r(&when, &local);
  return local;
}

void CLogWriter::ReloadTimeZone() { tzset(); }

void CLogWriter::SetWriteFault(size_t (*limit)(size_t length),
                               void (*meanwhile)()) {
  s_pfnWriteLimit = limit;
  s_pfnMeanwhile = meanwhile;
}
