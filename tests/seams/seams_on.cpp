// The seams of the test-only build, ordered by QUILLSPUR_TEST_* variables;
// the installed programs never read them.
#include <stdlib.h>

#include "seams.h"
#include "seams_control.h"

namespace {

size_t (*g_logWriteLimit)(size_t length) = nullptr;
void (*g_logMeanwhile)() = nullptr;
void (*g_logAfterMove)() = nullptr;

}  // namespace

namespace seams {

void StoreWriterBeforeRename() {
  // As a kill would: no destructor runs, nothing is cleaned up.
  if (getenv("QUILLSPUR_TEST_KILL_STORE_WRITER") != nullptr) _Exit(137);
}

size_t LogWriteAllowed(size_t length) {
  return g_logWriteLimit != nullptr ? g_logWriteLimit(length) : length;
}

void LogAfterShortWrite() {
  if (g_logMeanwhile != nullptr) g_logMeanwhile();
}

void LogAfterMove() {
  if (g_logAfterMove != nullptr) g_logAfterMove();
}

void SetLogWriteFault(size_t (*limit)(size_t length), void (*meanwhile)()) {
  g_logWriteLimit = limit;
  g_logMeanwhile = meanwhile;
}

void SetLogMoveFault(void (*afterMove)()) { g_logAfterMove = afterMove; }

}  // namespace seams
