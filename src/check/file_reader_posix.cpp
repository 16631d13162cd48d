#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "check/file_reader.h"
#include "platform/whole_file.h"

CFileReader::CFileReader() : m_nHandle(-1), m_bAtEnd(false) {}

CFileReader::~CFileReader() {
  if (m_nHandle >= 0) close(static_cast<int>(m_nHandle));
}

bool CFileReader::Open(const std::string& file, std::string& reason) {
  // Without blocking: a FIFO must not hold the check up.
  const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    reason = strerror(errno);
    return false;
  }
  m_nHandle = fd;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    reason = "not a regular file";
    return false;
  }
  return true;
}

bool CFileReader::Read(char* at, size_t size, size_t& got,
                       std::string& reason) {
  got = 0;
  if (m_bAtEnd) return true;
  for (;;) {
    const ssize_t read = ::read(static_cast<int>(m_nHandle), at, size);
    if (read >= 0) {
      got = static_cast<size_t>(read);
      m_bAtEnd = got < size;
      return true;
    }
    if (errno != EINTR) break;
  }
  reason = strerror(errno);
  return false;
}

bool CFileReader::ReadAll(std::string& bytes, std::string& reason) {
  if (AppendWholeFile(static_cast<int>(m_nHandle), bytes)) return true;
  reason = strerror(errno);
  return false;
}
