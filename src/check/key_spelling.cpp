#include "check/key_spelling.h"

#include <algorithm>
#include <vector>

#include "monitor/job_rules.h"
#include "platform/ascii.h"

size_t EditDistance(std::string_view a, std::string_view b) {
  const auto same = [](char x, char y) {
    return AsciiLower(x) == AsciiLower(y);
  };
  std::vector<std::vector<size_t>> d(a.size() + 1,
                                     std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t cost = same(a[i - 1], b[j - 1]) ? 0 : 1;
      d[i][j] =
          std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) &&
          same(a[i - 2], b[j - 1])) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

std::string MeantKey(std::string_view name) {
  while (!name.empty() && (name[0] == '#' || name[0] == '/'))
    name.remove_prefix(1);
  for (const std::string_view known : {kCheckKey, kRunKey, kDelayKey}) {
    // Short keys allow fewer edits, or every three-letter word means Run.
    const size_t allowed = known.size() <= 3 ? 1 : 2;
    if (EditDistance(name, known) <= allowed) return std::string(known);
  }
  return std::string();
}
