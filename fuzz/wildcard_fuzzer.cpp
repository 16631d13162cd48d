// The wildcard matcher against a reference written the other way round: a
// table of which prefixes of the name match which prefixes of the pattern.
#include <stdint.h>

#include <string>
#include <vector>

#include "framework/wildcard.h"
#include "fuzz_check.h"

namespace {

bool ReferenceMatch(const std::string& name, const std::string& pattern) {
  // row[j]: name[0, i) matches pattern[0, j), for the current i.
  std::vector<bool> row(pattern.size() + 1, false);
  row[0] = true;
  for (size_t j = 1; j <= pattern.size() && pattern[j - 1] == '*'; ++j)
    row[j] = true;
  for (size_t i = 1; i <= name.size(); ++i) {
    std::vector<bool> next(pattern.size() + 1, false);
    for (size_t j = 1; j <= pattern.size(); ++j) {
      const char p = pattern[j - 1];
      if (p == '*') {
        next[j] = next[j - 1] || row[j];
      } else if (p == '?' || p == name[i - 1]) {
        next[j] = row[j - 1];
      }
    }
    row.swap(next);
  }
  return row[pattern.size()];
}

}  // namespace

// The input is name, NUL, pattern; NUL bytes after that end the pattern,
// as they end any C string.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  if (split == std::string::npos) return 0;
  const std::string name = input.substr(0, split);
  std::string pattern = input.substr(split + 1);
  pattern = pattern.substr(0, pattern.find('\0'));
  FUZZ_CHECK(MatchesWildcard(name.c_str(), pattern.c_str()) ==
             ReferenceMatch(name, pattern));
  return 0;
}
