#include <malloc.h>

#include "registry_store.h"
#include "startup_memory.h"

void ReleaseStartUpMemory() {
  CRegistryStore::ReleaseShared();
  // Freed blocks stay with the process otherwise: glibc gives back only
  // what lies at the top of its heap.
  (void)malloc_trim(0);
}
