#include "platform/startup_memory.h"

void ReleaseStartUpMemory() {}
