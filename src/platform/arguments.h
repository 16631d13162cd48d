// The program's Windows-1252 text and the terminal it was started from:
// its arguments in, its reports out.
#ifndef QUILLSPUR_PLATFORM_ARGUMENTS_H
#define QUILLSPUR_PLATFORM_ARGUMENTS_H

#include <string>

// POSIX: each argument that is well-formed UTF-8 is turned into
// Windows-1252 in place (never longer, so nothing is allocated); any other
// is kept as its bytes, so a legacy name still starts the program. Windows:
// nothing, the runtime hands them over in the ANSI code page.
void TakeSystemArguments(int argc, char* argv[]);

// Text as the terminal shows it: POSIX UTF-8; Windows unchanged.
std::string TextForTerminal(const std::string& text);

#endif
