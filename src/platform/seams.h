// Seams: the points where a test-only build of the programs plays a hostile
// machine. The installed programs get seams_off.cpp, in which each does
// nothing; the test-only build (quillspur-seamed, which the fault cases
// run) links tests/seams/seams_on.cpp instead, which takes its orders from
// QUILLSPUR_TEST_* variables. Both files define every seam, so that the
// library's no-op member is either linked whole or not at all.
#ifndef QUILLSPUR_PLATFORM_SEAMS_H
#define QUILLSPUR_PLATFORM_SEAMS_H

#include <stddef.h>

namespace seams {

// A store writer has its complete temporary file and is about to rename it
// over the store: the test-only build may end the process as a kill would.
void StoreWriterBeforeRename();
// The POSIX Sleep is about to wait, which only the monitor's wait between
// passes does: the test-only build may end the process here, as a run that
// got through start-up and its first pass, or out of that pass.
void BeforeSleep() noexcept;

// How many bytes of a log line of length bytes the disk takes: all of them,
// or fewer where the test-only build stands in for a full disk.
size_t LogWriteAllowed(size_t length);
// A log write was cut short and its fragment is not cut back yet: another
// writer may append meanwhile.
void LogAfterShortWrite();
// The log was moved aside and the new one is not open yet: another user
// may race for the name.
void LogAfterMove();
// The log's name was opened and what it opened is not looked at yet:
// another user may remove a second name of it.
void LogAfterOpen();

}  // namespace seams

#endif
