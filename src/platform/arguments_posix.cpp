#include "platform/arguments.h"

#include <string.h>

#include "platform/code_page.h"

void TakeSystemArguments(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view text(argv[i]);
    if (HasHighByte(text) && IsUtf8(text)) Utf8ToCp1252InPlace(argv[i]);
  }
}

std::string TextForTerminal(const std::string& text) {
  return Cp1252ToUtf8(text);
}
