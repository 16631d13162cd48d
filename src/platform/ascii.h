// ASCII letter case, as Windows compares the names of profile sections and
// keys, registry keys and values, and files: only A-Z and a-z, whatever the
// code page, so that Windows-1252's letters above 127 always differ.
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

// Whether a and b are equal, ASCII letters without regard to case.
inline bool SameAsciiText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

#endif
