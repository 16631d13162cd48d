// The one conversion out of the program's Windows-1252, for output that a
// terminal or a monitoring system reads as UTF-8. As Windows converts: the
// five bytes that the code page leaves undefined become U+0081, U+008D,
// U+008F, U+0090, U+009D.
#ifndef QUILLSPUR_PLATFORM_CP1252_H
#define QUILLSPUR_PLATFORM_CP1252_H

#include <string>
#include <string_view>

// One byte appended as UTF-8.
void AppendUtf8(std::string& out, char c);
// All of text.
std::string Utf8FromAnsi(std::string_view text);

#endif
