#include "platform/profile_lexer.h"

#include "platform/ascii.h"

namespace {

std::string_view Trimmed(const char* begin, const char* end) {
  while (begin < end && IsProfileBlank(*begin)) ++begin;
  while (end > begin && IsProfileBlank(end[-1])) --end;
  return std::string_view(begin, static_cast<size_t>(end - begin));
}

// Names and values are C strings to the profile functions: a NUL ends them.
std::string_view CutAtNul(std::string_view text, bool hasNul) {
  const void* nul = hasNul ? memchr(text.data(), '\0', text.size()) : nullptr;
  return nul == nullptr
             ? text
             : text.substr(0, static_cast<size_t>(
                                  static_cast<const char*>(nul) - text.data()));
}

}  // namespace

bool CProfileLexer::Read(const char* begin, const char* end,
                         const char* equals, bool hasNul, int number,
                         ProfileLine& line) {
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
  const std::string_view value = Trimmed(equals + 1, text.data() + text.size());
  line.kind = ProfileLine::Kind::kKey;
  line.name = CutAtNul(name, hasNul);
  line.blankName = name.empty();
  line.value = CutAtNul(value, hasNul);
  line.nulInValue = line.value.size() != value.size();
  return true;
}
