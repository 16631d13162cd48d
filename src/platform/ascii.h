// ASCII letter case, as Windows compares the names of profile sections and
// keys, registry keys and values, and files: only A-Z and a-z, whatever the
// code page, so that Windows-1252's letters above 127 always differ; a
// hash that agrees with that comparison. And the blanks that the profile
// functions trim.
#ifndef QUILLSPUR_PLATFORM_ASCII_H
#define QUILLSPUR_PLATFORM_ASCII_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

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

// word with each of its eight bytes as AsciiLower makes it.
inline uint64_t AsciiLowerWord(uint64_t word) {
  const uint64_t ones = 0x0101010101010101ULL;
  const uint64_t low = word & (0x7F * ones);
  // High bit set in the bytes from 'A' to 'Z', in none above 127.
  const uint64_t upper = (low + (0x80 - 'A') * ones) &
                         ~(low + (0x80 - 'Z' - 1) * ones) & ~word &
                         (0x80 * ones);
  return word | (upper >> 2);
}

// The eight bytes at p as one word, as AsciiLowerWord takes them.
inline uint64_t AsciiWordAt(const char* p) {
  uint64_t word;
  memcpy(&word, p, sizeof word);
  return word;
}

// Whether a and b are equal, ASCII letters without regard to case: eight
// bytes a step, the last word overlapping the one before; a name of four
// to seven bytes as its first and last four in one word.
inline bool SameAsciiText(std::string_view a, std::string_view b) {
  const size_t size = a.size();
  if (size != b.size()) return false;
  const char* const x = a.data();
  const char* const y = b.data();
  if (size < 4) {
    for (size_t i = 0; i < size; ++i) {
      if (AsciiLower(x[i]) != AsciiLower(y[i])) return false;
    }
    return true;
  }
  if (size < 8) {
    uint32_t halves[4];
    memcpy(&halves[0], x, 4);
    memcpy(&halves[1], x + size - 4, 4);
    memcpy(&halves[2], y, 4);
    memcpy(&halves[3], y + size - 4, 4);
    return AsciiLowerWord(uint64_t{halves[1]} << 32 | halves[0]) ==
           AsciiLowerWord(uint64_t{halves[3]} << 32 | halves[2]);
  }
  for (size_t at = 0; at + 8 < size; at += 8) {
    if (AsciiLowerWord(AsciiWordAt(x + at)) !=
        AsciiLowerWord(AsciiWordAt(y + at))) {
      return false;
    }
  }
  return AsciiLowerWord(AsciiWordAt(x + size - 8)) ==
         AsciiLowerWord(AsciiWordAt(y + size - 8));
}

// A hash of text alike for the names that SameAsciiText equates: eight
// bytes a step, the letters made small in the word at once, so that a file
// of thousands of sections hashes about a word a name, not each byte.
inline size_t AsciiTextHash(std::string_view text) {
  uint64_t hash = text.size();
  size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    uint64_t word;
    memcpy(&word, text.data() + at, sizeof word);
    hash = (hash ^ AsciiLowerWord(word)) * 0x9E3779B97F4A7C15ULL;
  }
  if (at < text.size()) {
    // The last bytes one by one: a copy of a varying length is a call.
    uint64_t word = 0;
    for (size_t i = at; i < text.size(); ++i) {
      word = word << 8 | static_cast<unsigned char>(text[i]);
    }
    hash = (hash ^ AsciiLowerWord(word)) * 0x9E3779B97F4A7C15ULL;
  }
  return static_cast<size_t>(hash ^ (hash >> 32));
}

#endif
