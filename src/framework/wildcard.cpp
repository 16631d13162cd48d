#include "wildcard.h"

namespace {

char Fold(char c, bool ignoreCase) {
  return (ignoreCase && c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a')
                                              : c;
}

}  // namespace

// Iterative match with one back-tracking point for the latest "*".
bool MatchesWildcard(const char* name, const char* pattern, bool ignoreCase) {
  const char* starPattern = nullptr;
  const char* starName = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      starPattern = ++pattern;
      starName = name;
    } else if (*pattern == '?' ||
               Fold(*pattern, ignoreCase) == Fold(*name, ignoreCase)) {
      ++pattern;
      ++name;
    } else if (starPattern != nullptr) {
      pattern = starPattern;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}
