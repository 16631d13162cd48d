#include "utf8_console.h"

void ShowUtf8OnConsole() {}
