// The lexer that the profile parse and the check's scan share, on both
// builds: where lines end, how they are numbered, and what each one is;
// and the name comparison and hash that their lookups use.
#include <gtest/gtest.h>

#include <string>

#include "platform/profile_lexer.h"

using namespace std::string_literals;

namespace {

// Each line as number, kind (h, k or t), name, and for a key "=" and its
// value; "!" marks a name of blanks, "~" a value cut by a NUL.
std::string Lexed(const std::string& text) {
  std::string out;
  CProfileLexer::Lex(text, [&out](const ProfileLine& line) {
    const char kinds[] = {'h', 'k', 't'};
    out += std::to_string(line.number) + kinds[static_cast<int>(line.kind)] +
           std::string(line.name);
    if (line.kind == ProfileLine::Kind::kKey) {
      out += (line.blankName ? "!=" : "=") + std::string(line.value) +
             (line.nulInValue ? "~" : "");
    }
    out += "|";
  });
  return out;
}

TEST(ProfileLexer, ReadsLinesAsTheProfileFunctions) {
  const struct {
    std::string text;
    const char* lines;
  } cases[] = {
      /* 0 */ {"[a]\r\nk=v\n\nx\ry", "1ha|2kk=v|4tx|5ty|"},
      /* 1 */ {"\r\r\n[b]\r", "3hb|"},  // CR LF ends one line
      /* 2 */ {" \t[ a]b ] c \x1a\nk\v=\f v w \x1a", "1ha]b|2kk=v w|"},
      /* 3 */ {"[]\n[x\n[y=1\n", "1h|2t[x|3k[y=1|"},  // no "]": no header
      /* 4 */ {"[a\0b]\nk\0x=v\0w\n =e\n;c=d\n"s, "1ha|2kk=v~|3k!=e|4k;c=d|"},
      /* 5 */ {"\0=\n"s, "1k=|"},  // a NUL, not a blank
      // Lines longer than the lexer's sixteen-byte steps.
      /* 6 */
      {"[a section named at length]\r\n0123456789abcdefgh\0i=v =w=x\n"
       "k=0123456789abcdefghij\0tail\r\nno end and more than 16"s,
       "1ha section named at length|2k0123456789abcdefgh=v =w=x|"
       "3kk=0123456789abcdefghij~|4tno end and more than 16|"},
  };
  for (size_t i = 0; i < sizeof cases / sizeof *cases; ++i)
    EXPECT_EQ(cases[i].lines, Lexed(cases[i].text)) << "case " << i;
}

// Every byte against its other case, at every place of names of every
// length the word-at-a-time comparison treats apart.
TEST(ProfileLexer, NamesCompareInAsciiCaseAlone) {
  for (size_t size = 1; size <= 17; ++size) {
    for (size_t at = 0; at < size; ++at) {
      for (int c = 0; c < 256; ++c) {
        std::string a(size, 'q'), b(size, 'Q');
        a[at] = static_cast<char>(c);
        b[at] = static_cast<char>(c ^ 0x20);
        const bool same = AsciiLower(a[at]) == AsciiLower(b[at]);
        ASSERT_EQ(same, SameAsciiText(a, b)) << size << " " << at << " " << c;
        if (same) {
          ASSERT_EQ(AsciiTextHash(a), AsciiTextHash(b));
        }
      }
    }
  }
}

}  // namespace
