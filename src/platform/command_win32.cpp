#include "platform/command.h"

#include <stdlib.h>

// Windows has no signals to set up: a write past a limit fails on its own.
void PrepareProcessSignals() {}

// Windows keeps no zombies.
void ReapEndedChildren() {}

int RunCommandLine(const char* command) { return system(command); }
