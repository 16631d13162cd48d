// CProfileLexer: the lines of a profile (INI) file's text as the profile
// functions read them, for the profile parse of the POSIX build and the job
// file scan of quillspur-check on both builds. It owns no rule above a line:
// which section and which line of a name win is the reader's.
#ifndef QUILLSPUR_PLATFORM_PROFILE_LEXER_H
#define QUILLSPUR_PLATFORM_PROFILE_LEXER_H

#include <stdint.h>
#include <string.h>

#include <string_view>

#include "platform/ascii.h"

// A line that is not blank, its texts pointing into the text lexed.
struct ProfileLine {
  enum class Kind {
    kHeader,  // "[" at its start and a "]" after it: a section begins
    kKey,     // a line with "=": a key and its value
    kText,    // neither: a key without a value, never found with one
  };
  Kind kind;
  // The section's name, the key's name, or the whole line; without the
  // profile functions' blanks at either end, and ended by a NUL byte.
  std::string_view name;
  std::string_view value;  // keys only; blanks trimmed, ended by a NUL
  bool blankName;          // keys only: only blanks stand before the "="
  bool nulInValue;         // keys only: a NUL byte ended the value early
  int number;              // from 1; CR, LF and a CR LF pair end a line
};

class CProfileLexer {
 public:
  // Calls each(const ProfileLine&) for every line of text that is not
  // blank, in order; text is decoded, its byte order mark gone with the
  // decoding. CR and LF each end a line, so CR LF, LF and CR files
  // read alike. A header's name runs to its last "]"; anything after that
  // is ignored, and a line that opens with "[" but has no "]" after it is
  // a key or a text line. Every line after a header belongs to its section
  // until the next header: the profile cache (DecidingLength in
  // profile_posix.cpp) rests on that. A template, so that a file of
  // thousands of lines costs no call through a pointer per line.
  template <typename Each>
  static void Lex(std::string_view text, const Each& each);

  // A value as the profile functions hand it out: one pair of matching
  // double or single quotes around the whole of it removed.
  static std::string_view Unquoted(std::string_view value) {
    const bool quoted = value.size() > 1 &&
                        (value[0] == '"' || value[0] == '\'') &&
                        value.back() == value[0];
    return quoted ? value.substr(1, value.size() - 2) : value;
  }

  // Wine hands the ANSI names on as counted UTF-16 strings: a longer
  // section or key name than these can hold finds nothing.
  static constexpr size_t kMaxNameLength = 32766;

  // The name that a value's section or key is looked up by: the name asked
  // for without blanks at either end; false when it finds nothing for its
  // length. The first section whose name equals it, ASCII letters in any
  // case, holds the value, and there the first line of that name, which
  // has none when it lacks "=". The check's scan finds blocks by it too.
  static bool LookUpName(std::string_view asked, std::string_view& name) {
    if (asked.size() > kMaxNameLength) return false;
    name = TrimProfileBlanks(asked);
    return true;
  }

  // A comment: a key or text line whose name begins with ";". The profile
  // functions keep it as a key, but never list it.
  static bool IsComment(std::string_view name) {
    return !name.empty() && name.front() == ';';
  }

 private:
  // The line [begin, end), which holds no CR or LF; equals is its first
  // "=" or null, and hasNul whether a NUL stands in it. False when it is
  // blank.
  // Inline, as the lexer's loop is: a call per line would cost as much.
  static bool Read(const char* begin, const char* end, const char* equals,
                   bool hasNul, int number, ProfileLine& line) {
    const std::string_view text = Trimmed(begin, end);
    if (text.empty()) return false;
    line = ProfileLine{ProfileLine::Kind::kText, {}, {}, false, false, number};
    if (text.front() == '[') {
      const size_t close = text.rfind(']');
      if (close != std::string_view::npos && close != 0) {
        line.kind = ProfileLine::Kind::kHeader;
        line.name =
            CutAtNul(Trimmed(text.data() + 1, text.data() + close), hasNul);
        return true;
      }
    }
    // The first "=" of the line is that of its text: trimming takes blanks.
    if (equals == nullptr) {
      line.name = CutAtNul(text, hasNul);
      return true;
    }
    const std::string_view name = Trimmed(text.data(), equals);
    const std::string_view value =
        Trimmed(equals + 1, text.data() + text.size());
    line.kind = ProfileLine::Kind::kKey;
    line.name = CutAtNul(name, hasNul);
    line.blankName = name.empty();
    line.value = CutAtNul(value, hasNul);
    line.nulInValue = line.value.size() != value.size();
    return true;
  }
  static std::string_view Trimmed(const char* begin, const char* end) {
    while (begin < end && IsProfileBlank(*begin)) ++begin;
    while (end > begin && IsProfileBlank(end[-1])) --end;
    return std::string_view(begin, static_cast<size_t>(end - begin));
  }
  // Names and values are C strings to the profile functions: a NUL ends
  // them.
  static std::string_view CutAtNul(std::string_view text, bool hasNul) {
    const void* nul = hasNul ? memchr(text.data(), '\0', text.size()) : nullptr;
    return nul == nullptr
               ? text
               : text.substr(0,
                             static_cast<size_t>(static_cast<const char*>(nul) -
                                                 text.data()));
  }
  // Sixteen bytes, as the compiler's vectors hold them (SSE2 on x86-64).
  typedef char Bytes __attribute__((vector_size(16)));
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
                "the first byte found is the lowest of a word");

  // The first CR, LF, NUL or "=" at or after p, or end: sixteen bytes a
  // step, as a file of thousands of short lines is passed much faster so
  // than byte by byte or by a search per line for each of them.
  static const char* NextStop(const char* p, const char* end) {
    for (; end - p >= 16; p += 16) {
      Bytes bytes;
      memcpy(&bytes, p, sizeof bytes);
      const auto found =
          (bytes == '\r') | (bytes == '\n') | (bytes == '=') | (bytes == '\0');
      uint64_t words[2];
      memcpy(words, &found, sizeof words);
      if (words[0] != 0) return p + __builtin_ctzll(words[0]) / 8;
      if (words[1] != 0) return p + 8 + __builtin_ctzll(words[1]) / 8;
    }
    while (p < end && *p != '\r' && *p != '\n' && *p != '=' && *p != '\0') {
      ++p;
    }
    return p;
  }
  // The end of the line at p: its first CR or LF, or end. A NUL ends no
  // line, only the texts in it: hasNul says whether one stands in it, and
  // equals is its first "=" or null.
  static const char* LineEnd(const char* p, const char* end,
                             const char*& equals, bool& hasNul) {
    equals = nullptr;
    hasNul = false;
    for (;; ++p) {
      p = NextStop(p, end);
      if (p == end || *p == '\r' || *p == '\n') return p;
      if (*p == '\0') {
        hasNul = true;
      } else if (equals == nullptr) {
        equals = p;
      }
    }
  }
};

template <typename Each>
void CProfileLexer::Lex(std::string_view text, const Each& each) {
  const char* at = text.data();
  const char* const end = at + text.size();
  int number = 0;
  ProfileLine line;
  while (at < end) {
    const char* equals = nullptr;
    bool hasNul = false;
    const char* const lineEnd = LineEnd(at, end, equals, hasNul);
    if (Read(at, lineEnd, equals, hasNul, ++number, line)) {
      each(line);
    }
    if (lineEnd == end) break;
    // CR LF ends one line, CR or LF alone one each.
    at = lineEnd + 1;
    if (*lineEnd == '\r' && at < end && *at == '\n') ++at;
  }
}

#endif
