// DirectoryLock: an exclusive flock on a directory, for the writers that
// share one (the log's move and cut-back, the registry store's updates).
// The directory, unlike a file in it, keeps its identity when that file is
// renamed over or moved aside, and locking it adds no file to it. Anyone who
// may read the directory may lock it, so the lock is never waited for
// without end: after about a second the caller goes on without it, each as
// it decides. No descriptor left (EMFILE) counts as not held too.
#ifndef QUILLSPUR_PLATFORM_DIRECTORY_LOCK_H
#define QUILLSPUR_PLATFORM_DIRECTORY_LOCK_H

class DirectoryLock {
 public:
  // The directory at path, relative to the directory descriptor at (which
  // may be an O_PATH one; AT_FDCWD for the current directory): with at and
  // ".", the directory locked is the one that descriptor names.
  DirectoryLock(int at, const char* path);
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  bool Held() const { return m_bHeld; }
  // Lets go of the lock and closes the directory.
  void Release();
  // The directory opened for reading, -1 when it could not be opened.
  int Fd() const { return m_fd; }

  // How long a lock held by someone else is waited for, in milliseconds.
  static const int kWaitMs = 1000;

 private:
  void Lock();

  int m_fd;
  bool m_bHeld;
};

#endif
