// ASCII letter case, as Windows compares the names of profile sections and
// keys, registry keys and values, and files: only A-Z and a-z, whatever the
// code page, so that Windows-1252's letters above 127 always differ. And
// the blanks that the profile functions trim.
#ifndef QUILLSPUR_PLATFORM_ASCII_H
#define QUILLSPUR_PLATFORM_ASCII_H

#include <string_view>

inline constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline constexpr unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

inline constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The profile functions' blanks: the C white space and Ctrl-Z, the old
// end-of-file mark.
inline constexpr bool IsProfileBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r' || c == '\x1a';
}

// text without those blanks at either end.
inline std::string_view TrimProfileBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Whether a and b are equal, ASCII letters without regard to case.
inline bool SameAsciiText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// Whether a sorts before b, ASCII letters without regard to case, byte by
// byte: an order in which the names that SameAsciiText equates stand
// together.
inline bool AsciiTextLess(std::string_view a, std::string_view b) {
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    const unsigned char x = AsciiLower(static_cast<unsigned char>(a[i]));
    const unsigned char y = AsciiLower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

#endif
