#include "registry_store.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace {

const char kDefaultStore[] = "/etc/quillspur/registry.reg";

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Holds an exclusive lock on the store's directory. The directory, unlike
// the file, keeps its identity when the store is renamed over, and it
// exists before the first store file does.
class DirectoryLock {
 public:
  explicit DirectoryLock(const std::string& dir)
      : m_fd(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd >= 0 && flock(m_fd, LOCK_EX) != 0) {
      close(m_fd);
      m_fd = -1;
    }
  }
  ~DirectoryLock() {
    if (m_fd >= 0) close(m_fd);  // also releases the lock
  }
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;
  int Fd() const { return m_fd; }

 private:
  int m_fd;
};

}  // namespace

std::string CRegistryStore::DefaultLocation() {
  const char* path = getenv("QUILLSPUR_REGISTRY");
  return (path != nullptr && path[0] != '\0') ? path : kDefaultStore;
}

CRegistryStore::CRegistryStore(const std::string& path) : m_strPath(path) {}

CRegistryStore::~CRegistryStore() = default;

bool CRegistryStore::MayWrite() const {
  if (access(Directory().c_str(), W_OK | X_OK) != 0) return false;
  return access(Target().c_str(), W_OK) == 0 || errno == ENOENT;
}

LONG CRegistryStore::Load(CRegeditFile& file) const {
  std::ifstream in(m_strPath, std::ios::binary);
  if (!in) {
    file.Parse("");
    return (access(m_strPath.c_str(), F_OK) != 0 && errno == ENOENT)
               ? ERROR_SUCCESS
               : ERROR_ACCESS_DENIED;
  }
  const std::string text((std::istreambuf_iterator<char>(in)),
                         std::istreambuf_iterator<char>());
  if (in.bad()) return ERROR_ACCESS_DENIED;
  return file.Parse(text) ? ERROR_SUCCESS : ERROR_BADDB;
}

LONG CRegistryStore::Update(
    const std::function<LONG(CRegeditFile&)>& change) const {
  if (!MayWrite()) return ERROR_ACCESS_DENIED;
  DirectoryLock lock(Directory());
  if (lock.Fd() < 0) return ERROR_ACCESS_DENIED;
  CRegeditFile file;
  LONG result = Load(file);
  if (result == ERROR_SUCCESS) result = change(file);
  if (result != ERROR_SUCCESS || !file.Changed()) return result;
  result = WriteAtomically(file.Format());
  if (result == ERROR_SUCCESS) fsync(lock.Fd());  // make the rename durable
  return result;
}

std::string CRegistryStore::Target() const {
  char* resolved = realpath(m_strPath.c_str(), nullptr);
  if (resolved == nullptr) return m_strPath;
  const std::string target = resolved;
  free(resolved);
  return target;
}

std::string CRegistryStore::Directory() const {
  const std::string target = Target();
  const size_t slash = target.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : target.substr(0, slash);
}

LONG CRegistryStore::WriteAtomically(const std::string& text) const {
  const std::string target = Target();
  std::string temp = target + ".XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) return ERROR_ACCESS_DENIED;
  // The new file takes over the old one's mode and, where allowed, owner.
  struct stat old;
  if (stat(target.c_str(), &old) == 0) {
    fchmod(fd, old.st_mode & 07777);
    // Only root may give a file away; otherwise the writer's own will do.
    const int ignored = fchown(fd, old.st_uid, old.st_gid);
    (void)ignored;
  } else {
    fchmod(fd, 0644);
  }
  const bool written = WriteAll(fd, text) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed || rename(temp.c_str(), target.c_str()) != 0) {
    unlink(temp.c_str());
    return ERROR_WRITE_FAULT;
  }
  return ERROR_SUCCESS;
}
