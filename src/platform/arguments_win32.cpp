#include "platform/arguments.h"

void TakeSystemArguments(int /*argc*/, char* /*argv*/[]) {}

std::string TextForTerminal(const std::string& text) { return text; }
