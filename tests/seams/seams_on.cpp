// The seams of the test-only build, ordered by QUILLSPUR_TEST_* variables;
// the installed programs never read them.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "allocation_seam.h"
#include "platform/seams.h"
#include "seams_control.h"

namespace {

size_t (*g_logWriteLimit)(size_t length) = nullptr;
void (*g_logMeanwhile)() = nullptr;
void (*g_logAfterMove)() = nullptr;
void (*g_logAfterOpen)() = nullptr;

unsigned long allocationsBefore = 0;

// QUILLSPUR_TEST_FAIL_ALLOCATION=N fails the Nth allocation through operator
// new, counted from here: set up before the program's own objects, whose
// construction reads the registry, so that theirs count too.
struct FailAllocationFromEnvironment {
  FailAllocationFromEnvironment() {
    allocationsBefore = seams::AllocationCount();
    const char* number = getenv("QUILLSPUR_TEST_FAIL_ALLOCATION");
    if (number != nullptr) seams::FailAllocation(strtoul(number, nullptr, 10));
  }
} failAllocationFromEnvironment __attribute__((init_priority(101)));

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

void LogAfterOpen() {
  if (g_logAfterOpen != nullptr) g_logAfterOpen();
}

void SetLogWriteFault(size_t (*limit)(size_t length), void (*meanwhile)()) {
  g_logWriteLimit = limit;
  g_logMeanwhile = meanwhile;
}

void SetLogMoveFault(void (*afterMove)()) { g_logAfterMove = afterMove; }

void SetLogOpenFault(void (*afterOpen)()) { g_logAfterOpen = afterOpen; }

void BeforeSleep() noexcept {
  // QUILLSPUR_TEST_END_AT_SLEEP: the run ends at its first wait with 0,
  // which the monitor never ends with, and says how many allocations it made.
  if (getenv("QUILLSPUR_TEST_END_AT_SLEEP") == nullptr) return;
  char line[64];
  const int length = snprintf(line, sizeof line, "allocations: %lu\n",
                              AllocationCount() - allocationsBefore);
  if (length > 0) (void)write(STDERR_FILENO, line, static_cast<size_t>(length));
  _Exit(0);
}

}  // namespace seams
