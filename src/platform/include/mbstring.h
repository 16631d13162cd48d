// Stand-in for the C runtime's <mbstring.h> on POSIX. All text is 8-bit
// Windows-1252, a single-byte code page, so these are the byte functions.
#ifndef QUILLSPUR_POSIX_MBSTRING_H
#define QUILLSPUR_POSIX_MBSTRING_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Copies at most count bytes; when src is shorter the rest of the count
// bytes are set to NUL, otherwise no NUL is added.
unsigned char* _mbsnbcpy(unsigned char* dest, const unsigned char* src,
                         size_t count);
// Compares byte for byte.
int _mbscmp(const unsigned char* a, const unsigned char* b);
// Compares without regard to the case of ASCII letters.
int _mbsicmp(const unsigned char* a, const unsigned char* b);
// The first occurrence of c, or null. Part of the runtime the program is
// written against, though no code calls it today.
unsigned char* _mbschr(const unsigned char* text, unsigned int c);

#ifdef __cplusplus
}
#endif

#endif
