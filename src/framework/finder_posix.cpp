// CFileFind over POSIX directory calls, with Windows' wildcard rules: "*"
// and "?" only in the last component, everything else literal,
// case-sensitive as the file system is. The path is cleaned up as Win32
// does; the match runs in Windows-1252, on a name decoded when it is UTF-8
// and taken as its bytes otherwise.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "framework/file_find.h"
#include "framework/wildcard.h"
#include "platform/code_page.h"
#include "platform/path_cleanup.h"

namespace {

bool EntryMatches(const char* name, const char* pattern) {
  const std::string_view bytes(name);
  if (HasHighByte(bytes) && IsUtf8(bytes))
    return MatchesWildcard(Utf8ToCp1252(bytes).c_str(), pattern);
  return MatchesWildcard(name, pattern);
}

// A directory's entries, read with getdents64 itself: the first read asks
// for one entry's worth or so, where readdir fills 32 KB before it hands on
// the first, so a match that comes early costs little in a large directory.
class DirectoryEntries {
 public:
  explicit DirectoryEntries(const std::string& path)
      : m_fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  ~DirectoryEntries() {
    if (m_fd >= 0) close(m_fd);
  }
  DirectoryEntries(const DirectoryEntries&) = delete;
  DirectoryEntries& operator=(const DirectoryEntries&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  // The next entry's name; null at the end, or when the directory cannot be
  // read on.
  const char* Next() {
    while (m_offset >= m_filled) {
      const ssize_t got = getdents64(m_fd, m_buffer, m_ask);
      if (got <= 0) return nullptr;
      m_filled = static_cast<size_t>(got);
      m_offset = 0;
      m_ask = sizeof m_buffer;
    }
    const auto* entry =
        reinterpret_cast<const struct dirent64*>(m_buffer + m_offset);
    m_offset += entry->d_reclen;
    return entry->d_name;
  }

 private:
  // Room for the longest entry: its header and a name of 255 bytes.
  static constexpr size_t kFirstRead = 512;
  int m_fd;
  size_t m_ask = kFirstRead;
  size_t m_filled = 0;
  size_t m_offset = 0;
  alignas(struct dirent64) char m_buffer[32768];
};

}  // namespace

CFileFind::CFileFind() = default;
CFileFind::~CFileFind() = default;

int CFileFind::FindFile(const char* path, unsigned int /*flags*/) {
  if (path == nullptr || *path == '\0') return 0;
  const std::string cleaned = CleanWin32Path(path);
  // As on Windows, a name ending in a separator finds nothing.
  if (cleaned.back() == '/') return 0;

  const size_t slash = cleaned.rfind('/');
  const std::string pattern =
      slash == std::string::npos ? cleaned : cleaned.substr(slash + 1);
  if (!HasWildcard(pattern)) {
    // The entry counts, as it does through a wildcard and on Windows: a
    // symbolic link whose target is missing is found too.
    struct stat info;
    return lstat(SystemName(cleaned).c_str(), &info) == 0 ? 1 : 0;
  }

  std::string directory = ".";
  if (slash != std::string::npos)
    directory = slash == 0 ? "/" : SystemName(cleaned.substr(0, slash));
  // Out of memory in a match goes on to the caller; the descriptor closes.
  DirectoryEntries entries(directory);
  if (!entries.IsOpen()) return 0;
  for (const char* name = entries.Next(); name != nullptr;
       name = entries.Next()) {
    if (!IsDotEntry(name) && EntryMatches(name, pattern.c_str())) return 1;
  }
  return 0;
}
