#include <malloc.h>

#include "platform/missing/registry_store/registry_store.h"
#include "platform/startup_memory.h"

void ReleaseStartUpMemory() {
  CRegistryStore::ReleaseShared();
  // Freed blocks stay with the process otherwise: glibc gives back only
  // what lies at the top of its heap.
  (void)malloc_trim(0);
}
