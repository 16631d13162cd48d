#include "platform/whole_file.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

// What a read asks for when the size is not known: a page's worth.
const size_t kStep = 4096;

}  // namespace

bool AppendWholeFile(int fd, std::string& bytes, size_t limit) {
  const size_t start = bytes.size();
  struct stat info;
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  const size_t expected =
      regular ? static_cast<size_t>(std::max<off_t>(info.st_size, 0)) : 0;
  size_t used = start;
  bytes.resize(start + std::min(expected, limit) + 1);
  for (;;) {
    if (used == bytes.size()) {
      bytes.resize(used + std::max(kStep, used - start));
    }
    const size_t wanted = bytes.size() - used;
    const ssize_t got = read(fd, &bytes[used], wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || static_cast<size_t>(got) > limit - (used - start)) {
      if (got >= 0) errno = EFBIG;
      bytes.resize(start);
      return false;
    }
    used += static_cast<size_t>(got);
    if (got == 0 || (regular && static_cast<size_t>(got) < wanted)) break;
  }
  bytes.resize(used);
  return true;
}
