// Windows-1252 to UTF-8, as Windows converts it: the five bytes that the
// code page leaves undefined become U+0081, U+008D, U+008F, U+0090, U+009D.
#ifndef QUILLSPUR_CHECK_CP1252_H
#define QUILLSPUR_CHECK_CP1252_H

#include <string>

std::string Cp1252ToUtf8(const std::string& text);

#endif
