// Windows-1252, the program's text, and the Unicode forms that Linux names,
// terminals and Windows-written files use, converted by table as Windows
// converts: the five bytes that the code page leaves undefined are U+0081,
// U+008D, U+008F, U+0090, U+009D, and a character with no Windows-1252 form
// becomes "?" (never a look-alike, which could smuggle a "\" or a quote
// into a path).
#ifndef QUILLSPUR_PLATFORM_CODE_PAGE_H
#define QUILLSPUR_PLATFORM_CODE_PAGE_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>

// One Windows-1252 byte appended as UTF-8.
void AppendUtf8(std::string& out, char c);
std::string Cp1252ToUtf8(std::string_view text);
// The same into out, which has room for three bytes per byte of text;
// returns the bytes written, without a NUL.
size_t Cp1252ToUtf8(std::string_view text, char* out);

// The byte of a code point, or "?" when Windows-1252 has none.
char Cp1252FromCodePoint(uint32_t code);

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsUtf8(std::string_view text);
// Whether text holds a byte above 127.
bool HasHighByte(std::string_view text);

// UTF-8 into Windows-1252; a malformed sequence becomes one "?" per byte
// skipped. unmapped, when given, counts the "?" that stand for a character.
std::string Utf8ToCp1252(std::string_view text, size_t* unmapped = nullptr);
// Well-formed UTF-8 text turned into Windows-1252 where it stands.
void Utf8ToCp1252InPlace(char* text);
// UTF-16 bytes (little- or big-endian, no mark) into Windows-1252; an odd
// last byte is dropped, a surrogate pair or a lone surrogate is one "?".
std::string Utf16ToCp1252(std::string_view bytes, bool bigEndian,
                          size_t* unmapped = nullptr);
// Windows-1252 as UTF-16LE bytes.
std::string Cp1252ToUtf16Le(std::string_view text);

#endif
