// The lexer that the profile parse and the check's scan share, on both
// builds: where lines end, how they are numbered, and what each one is.
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
  };
  for (size_t i = 0; i < sizeof cases / sizeof *cases; ++i)
    EXPECT_EQ(cases[i].lines, Lexed(cases[i].text)) << "case " << i;
}

}  // namespace
