// CLogWriter: the log's file on one platform, open for one message. Each
// line goes out in one write; a write that fails or is cut short leaves no
// fragment behind. Moving the log aside and cutting a fragment back happen
// under a lock that one writer at a time holds, so that two programs on one
// log neither move it twice nor cut each other's lines: on POSIX a flock on
// the log directory, taken only for these two; on Windows a named mutex,
// held for the whole message. Neither is waited for without end.
//
// Others may be able to write the log's directory (a web application's
// document tree), so the log is written only when it is a regular file with
// no other name: never through another user's link, never into a file that
// a link or a hard link makes the log, and no file is created through a
// link. On POSIX the directory of a move is opened once, and every step of
// it is taken relative to that descriptor, so the directory checked is the
// one written.
#ifndef QUILLSPUR_LOG_LOG_WRITER_H
#define QUILLSPUR_LOG_LOG_WRITER_H

#include <stddef.h>
#include <stdint.h>
#include <time.h>

#include <string>

class DirectoryLock;

class CLogWriter {
 public:
  // logPath and oldPath in the operating system's form; they must outlive
  // the writer.
  CLogWriter(const std::string& logPath, const std::string& oldPath);
  virtual ~CLogWriter();
  CLogWriter(const CLogWriter&) = delete;
  CLogWriter& operator=(const CLogWriter&) = delete;

  // Opens the log for appending, creating it when missing. False when it
  // cannot be opened or is no file of its own.
  bool Open();
  // When the log is larger than maxSize, also once the lock is held, moves
  // it to the old path (a file there is replaced, anything else blocks the
  // move) and opens a new one. False when no log is open afterwards.
  bool MoveAsideIfLarger(long long maxSize);
  // Appends line with one write; a fragment of it is cut back.
  void Append(const char* line, size_t length);

  // The local time for a stamp; the time zone is the one of the last
  // ReloadTimeZone (or of the first call).
  static struct tm LocalTime(time_t when);
  // Reads the time zone again, so that a changed one counts from now on.
  static void ReloadTimeZone();

 private:
  // Opens the log at its name, with exclusive as a new file of its own, or
  // else (also when another writer has just made it) the file that is there.
  bool OpenLog(bool exclusive);
  // POSIX: the move itself, with m_nDir the locked directory's descriptor.
  bool MoveAside(long long maxSize, DirectoryLock& lock);
  long long Size() const;
  void Close();
  // One write of length bytes at the log's end; the bytes written, 0 on
  // failure. A line cut short is cut back by the caller.
  size_t WriteOnce(const char* line, size_t length);
  // Removes the n bytes that a short write has put at the log's end. When
  // other lines follow them, they become blanks that end the line before.
  void CutBack(size_t n);

  // The platform's primitives of the open log.
  size_t WriteAtEnd(const char* data, size_t length);
  // Where the last write ended; false when that cannot be told.
  bool Position(long long& offset) const;
  void TruncateAt(long long offset);
  void OverwriteAt(long long offset, const std::string& bytes);

  const std::string& m_strLogPath;
  const std::string& m_strOldPath;
  intptr_t m_hFile;  // the open log: a descriptor or a handle, -1 when none
  // Windows: the mutex held while the log is open.
  [[maybe_unused]] intptr_t m_hLock;
  // POSIX: during a move the locked directory's descriptor, which the lock
  // owns; otherwise AT_FDCWD, and the log is named by its path.
  [[maybe_unused]] int m_nDir;
};

#endif
