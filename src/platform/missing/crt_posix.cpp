// The few C runtime functions of Windows that glibc lacks.
#include <mbstring.h>
#include <string.h>

#include "platform/ascii.h"

extern "C" unsigned char* _mbsnbcpy(unsigned char* dest,
                                    const unsigned char* src, size_t count) {
  size_t i = 0;
  for (; i < count && src[i] != 0; ++i) dest[i] = src[i];
  for (; i < count; ++i) dest[i] = 0;
  return dest;
}

extern "C" int _mbscmp(const unsigned char* a, const unsigned char* b) {
  return strcmp(reinterpret_cast<const char*>(a),
                reinterpret_cast<const char*>(b));
}

extern "C" int _mbsicmp(const unsigned char* a, const unsigned char* b) {
  for (;; ++a, ++b) {
    const int diff = AsciiLower(*a) - AsciiLower(*b);
    if (diff != 0 || *a == 0) return diff;
  }
}

extern "C" unsigned char* _mbschr(const unsigned char* text, unsigned int c) {
  return reinterpret_cast<unsigned char*>(const_cast<char*>(
      strchr(reinterpret_cast<const char*>(text), static_cast<int>(c))));
}
