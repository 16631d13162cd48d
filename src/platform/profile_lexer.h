// CProfileLexer: the lines of a profile (INI) file's text as the profile
// functions read them, for the profile parse of the POSIX build and the job
// file scan of quillspur-check on both builds. It owns no rule above a line:
// which section and which line of a name win is the reader's.
#ifndef QUILLSPUR_PLATFORM_PROFILE_LEXER_H
#define QUILLSPUR_PLATFORM_PROFILE_LEXER_H

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
  // blank, in order, after a UTF-8 byte order mark if text begins with
  // one. CR and LF each end a line, so CR LF, LF and CR files
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
  // The line [begin, end), which holds no CR or LF; false when it is blank.
  static bool Read(const char* begin, const char* end, int number,
                   ProfileLine& line);
};

template <typename Each>
void CProfileLexer::Lex(std::string_view text, const Each& each) {
  // A UTF-8 byte order mark is dropped; the bytes after it stay as they are.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const char* at = text.data();
  const char* const end = at + text.size();
  int number = 0;
  ProfileLine line;
  while (at < end) {
    // One search for LF per LF-ended line, then its CRs: a CR file is not
    // searched for LF once per line.
    const void* lf = memchr(at, '\n', static_cast<size_t>(end - at));
    const char* lineEnd = lf != nullptr ? static_cast<const char*>(lf) : end;
    bool afterCr = false;
    for (const void* cr;
         (cr = memchr(at, '\r', static_cast<size_t>(lineEnd - at))) != nullptr;
         afterCr = true) {
      if (Read(at, static_cast<const char*>(cr), ++number, line)) each(line);
      at = static_cast<const char*>(cr) + 1;
    }
    // A CR right before the LF ended this line already.
    if (!(afterCr && at == lineEnd) && Read(at, lineEnd, ++number, line))
      each(line);
    if (lf == nullptr) break;
    at = lineEnd + 1;
  }
}

#endif
