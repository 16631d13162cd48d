#include "platform/utf8_console.h"

void ShowUtf8OnConsole() {}
