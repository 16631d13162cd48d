#include "arguments.h"

void TakeSystemArguments(int /*argc*/, char* /*argv*/[]) {}
