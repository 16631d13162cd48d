// How the unit tests steer the seams of the test-only build in-process.
#ifndef QUILLSPUR_TESTS_SEAMS_CONTROL_H
#define QUILLSPUR_TESTS_SEAMS_CONTROL_H

#include <stddef.h>

namespace seams {

// limit gets the length of a log line and returns how many of its bytes the
// write may put; after a short write, meanwhile (when not null) may append
// to the log as another writer would. Null limit: the whole line.
void SetLogWriteFault(size_t (*limit)(size_t length), void (*meanwhile)());
// afterMove (when not null) runs once the log has been moved aside, before
// the new one is opened.
void SetLogMoveFault(void (*afterMove)());
// afterOpen (when not null) runs between the log's open and the look at
// what was opened.
void SetLogOpenFault(void (*afterOpen)());

}  // namespace seams

#endif
