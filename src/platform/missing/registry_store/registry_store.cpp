#include "platform/missing/registry_store/registry_store.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string_view>

#include "platform/directory_lock.h"
#include "platform/seams.h"
#include "platform/whole_file.h"

namespace {

const char kDefaultStore[] = "/etc/quillspur/registry.reg";
// A temporary file is the store's name, this, and mkstemp's six letters.
const char kTempInfix[] = ".quillspur-tmp.";
const size_t kTempRandom = 6;

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

// The bytes of the store; a missing one has none. Anything but a regular
// file cannot be read: the open does not block on a FIFO, and the type is
// checked on what was opened.
LONG ReadStore(const std::string& path, std::string& text) {
  const int fd =
      open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    text.clear();
    return errno == ENOENT ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
  }
  // Closed also when memory for the bytes runs out.
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  struct stat info;
  text.clear();
  const bool read = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                    AppendWholeFile(fd, text);
  return read ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Whether a rename may replace what is at path: nothing, or a regular file.
bool MayReplace(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  return S_ISREG(info.st_mode);
}

// The last store read by LoadShared: its path, its bytes and what they parse
// to, and the buffer of the next read, kept so that it is reused.
struct SharedRead {
  std::string path;
  std::string text;
  std::shared_ptr<const CRegeditFile> file;
  std::string next;
};

std::unique_ptr<SharedRead>& LastSharedRead() {
  static std::unique_ptr<SharedRead> last;
  return last;
}

bool IsTempName(std::string_view name, const std::string& prefix) {
  if (name.size() != prefix.size() + kTempRandom ||
      name.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

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
  std::string text;
  const LONG result = ReadStore(m_strPath, text);
  if (result != ERROR_SUCCESS) {
    file.Parse("");
    return result;
  }
  return file.Parse(text) ? ERROR_SUCCESS : ERROR_BADDB;
}

LONG CRegistryStore::LoadShared(
    std::shared_ptr<const CRegeditFile>& file) const {
  std::unique_ptr<SharedRead>& shared = LastSharedRead();
  if (shared == nullptr) shared.reset(new SharedRead);
  std::string& text = shared->next;
  const LONG result = ReadStore(m_strPath, text);
  if (result != ERROR_SUCCESS) {
    file = std::make_shared<const CRegeditFile>();
    return result;
  }
  if (shared->file == nullptr || shared->path != m_strPath ||
      shared->text != text) {
    auto parsed = std::make_shared<CRegeditFile>();
    if (!parsed->Parse(text)) {
      file = std::make_shared<const CRegeditFile>();
      return ERROR_BADDB;
    }
    shared->path = m_strPath;
    shared->text.swap(text);
    shared->file = parsed;
  }
  file = shared->file;
  return ERROR_SUCCESS;
}

void CRegistryStore::ReleaseShared() { LastSharedRead().reset(); }

namespace {

unsigned long g_updates = 0;

}  // namespace

unsigned long CRegistryStore::Updates() { return g_updates; }

LONG CRegistryStore::Update(
    const std::function<LONG(CRegeditFile&)>& change) const {
  ++g_updates;
  if (!MayWrite()) return ERROR_ACCESS_DENIED;
  // A lock that another user holds makes the store one this process may not
  // write, rather than a start-up that waits for ever.
  DirectoryLock lock(AT_FDCWD, Directory().c_str());
  if (!lock.Held()) return ERROR_ACCESS_DENIED;
  RemoveStaleTempFiles(lock.Fd());
  CRegeditFile file;
  LONG result = Load(file);
  if (result == ERROR_SUCCESS) result = change(file);
  if (result != ERROR_SUCCESS || !file.Changed()) return result;
  result = WriteAtomically(file.Format());
  if (result == ERROR_SUCCESS) fsync(lock.Fd());  // make the rename durable
  return result;
}

std::string CRegistryStore::Target() const {
  // Freed also when the copy runs out of memory.
  const std::unique_ptr<char, void (*)(void*)> resolved(
      realpath(m_strPath.c_str(), nullptr), free);
  if (resolved == nullptr) return m_strPath;
  return resolved.get();
}

std::string CRegistryStore::Directory() const {
  const std::string target = Target();
  const size_t slash = target.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : target.substr(0, slash);
}

std::string CRegistryStore::TempPrefix() const {
  const std::string target = Target();
  return target.substr(target.rfind('/') + 1) + kTempInfix;
}

// Every writer holds the lock from before it makes its temporary file until
// after it has renamed or removed it, so under the lock any such file was
// left by a writer that was killed.
void CRegistryStore::RemoveStaleTempFiles(int directory) const {
  // Made first: nothing is allocated while the listing is open.
  const std::string prefix = TempPrefix();
  const int fd = dup(directory);
  DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
  if (dir == nullptr) {
    if (fd >= 0) close(fd);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    struct stat info;
    if (IsTempName(entry->d_name, prefix) &&
        fstatat(directory, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode)) {
      unlinkat(directory, entry->d_name, 0);
    }
  }
  closedir(dir);
}

LONG CRegistryStore::WriteAtomically(const std::string& text) const {
  const std::string target = Target();
  if (!MayReplace(target)) return ERROR_ACCESS_DENIED;
  std::string temp = Directory() + "/" + TempPrefix() + "XXXXXX";
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
  seams::StoreWriterBeforeRename();
  if (!written || !closed || !MayReplace(target) ||
      rename(temp.c_str(), target.c_str()) != 0) {
    unlink(temp.c_str());
    return ERROR_WRITE_FAULT;
  }
  return ERROR_SUCCESS;
}
