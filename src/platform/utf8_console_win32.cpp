#include <windows.h>

#include "platform/utf8_console.h"

void ShowUtf8OnConsole() {
  // Only a console has a code page; a pipe or a file takes the bytes as they
  // are.
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
    SetConsoleOutputCP(CP_UTF8);
  }
}
