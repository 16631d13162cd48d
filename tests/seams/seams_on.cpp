// The seams of the test-only build, ordered by QUILLSPUR_TEST_* variables;
// the installed programs never read them.
#include <stdlib.h>

#include "seams.h"

namespace seams {

void StoreWriterBeforeRename() {
  // As a kill would: no destructor runs, nothing is cleaned up.
  if (getenv("QUILLSPUR_TEST_KILL_STORE_WRITER") != nullptr) _Exit(137);
}

}  // namespace seams
