#include "command.h"

#include <stdlib.h>

int RunCommandLine(const char* command) { return system(command); }
