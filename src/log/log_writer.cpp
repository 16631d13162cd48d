// What both platforms' writers do alike: the one write of a line, of which
// the test-only build may let the disk take less, and the cutting back of
// a fragment. Each platform supplies the file's primitives.
#include <algorithm>
#include <string>

#include "log/log_writer.h"
#include "platform/seams.h"

size_t CLogWriter::WriteOnce(const char* line, size_t length) {
  const size_t allowed = std::min(length, seams::LogWriteAllowed(length));
  const size_t written = WriteAtEnd(line, allowed);
  if (written != 0 && written != length) seams::LogAfterShortWrite();
  return written;
}

void CLogWriter::CutBack(size_t n) {
  // An appending write leaves the position at the end of its own bytes.
  long long end = 0;
  if (!Position(end)) return;
  const long long start = end - static_cast<long long>(n);
  const long long size = Size();
  if (start < 0 || size < end) return;
  if (size == end || start < 2) {
    // Nothing follows; or the fragment begins the file, so there is no line
    // before it to end, and cutting drops what follows but no line is cut.
    TruncateAt(start);
    return;
  }
  OverwriteAt(start - 2, std::string(n, ' ') + "\r\n");
}
