#include "startup_memory.h"

void ReleaseStartUpMemory() {}
