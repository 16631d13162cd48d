// One Windows-1252 byte appended as UTF-8, as Windows converts it: the five
// bytes that the code page leaves undefined become U+0081, U+008D, U+008F,
// U+0090, U+009D.
#ifndef QUILLSPUR_CHECK_CP1252_H
#define QUILLSPUR_CHECK_CP1252_H

#include <string>

void AppendUtf8(std::string& out, char c);

#endif
