// A broken invariant is a finding: say which, and abort so that libFuzzer
// keeps the input.
#ifndef QUILLSPUR_FUZZ_FUZZ_CHECK_H
#define QUILLSPUR_FUZZ_FUZZ_CHECK_H

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(condition)                                              \
  do {                                                                     \
    if (!(condition)) {                                                    \
      fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, \
              #condition);                                                 \
      abort();                                                             \
    }                                                                      \
  } while (0)

#endif
