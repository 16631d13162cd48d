#include "platform/path_cleanup.h"

#include <sys/stat.h>

#include <vector>

#include "platform/code_page.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// Whether cleaning path up would change no more than its separators: no
// empty, "." or ".." part, no trailing dot of a directory part, no trailing
// dot or blank of the last.
bool IsClean(std::string_view path) {
  size_t at = IsSeparator(path.front()) ? 1 : 0;
  for (;;) {
    size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string_view part = path.substr(at, end - at);
    if (part.empty() || part == "." || part == "..") return false;
    const bool last = end == path.size();
    if (part.back() == '.' || (last && part.back() == ' ')) return false;
    if (last) return true;
    at = end + 1;
  }
}

// Adds one part of a path being cleaned up: "." goes, ".." takes the part
// before it, a directory part loses one trailing dot, the last part every
// trailing dot and blank (and a last part of only those goes, leaving the
// path a directory's).
void AddPart(std::string_view part, bool last, bool absolute,
             std::vector<std::string_view>& parts, bool& trailingSeparator) {
  if (part == ".") return;
  if (part == "..") {
    if (!parts.empty() && parts.back() != "..") {
      parts.pop_back();
    } else if (!absolute) {
      parts.push_back(part);
    }
    return;
  }
  if (last) {
    while (!part.empty() && (part.back() == '.' || part.back() == ' '))
      part.remove_suffix(1);
    if (part.empty()) {
      trailingSeparator = true;
      return;
    }
  } else if (part.size() > 1 && part.back() == '.') {
    part.remove_suffix(1);
  }
  parts.push_back(part);
}

}  // namespace

std::string CleanWin32Path(std::string_view path) {
  if (path.empty()) return std::string();
  if (IsClean(path)) {
    std::string result(path);
    for (char& c : result) {
      if (c == '\\') c = '/';
    }
    return result;
  }
  const bool absolute = IsSeparator(path.front());
  bool trailingSeparator = IsSeparator(path.back());
  std::vector<std::string_view> parts;
  for (size_t at = 0; at < path.size();) {
    while (at < path.size() && IsSeparator(path[at])) ++at;
    if (at == path.size()) break;
    size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    AddPart(path.substr(at, end - at), end == path.size(), absolute, parts,
            trailingSeparator);
    at = end;
  }
  std::string result = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += '/';
    result.append(parts[i]);
  }
  if (result.empty()) return ".";
  if (trailingSeparator && result.back() != '/') result += '/';
  return result;
}

std::string SystemName(std::string cleaned) {
  if (!HasHighByte(cleaned)) return cleaned;
  std::string result;
  result.reserve(cleaned.size() + cleaned.size() / 2);
  for (size_t at = 0; at < cleaned.size();) {
    size_t end = cleaned.find('/', at);
    if (end == std::string::npos) end = cleaned.size();
    const std::string_view part =
        std::string_view(cleaned).substr(at, end - at);
    if (HasHighByte(part)) {
      // A name written on Linux is UTF-8; one a legacy tree holds may be
      // the raw Windows-1252 bytes. The UTF-8 form is also the one a new
      // file gets.
      const size_t base = result.size();
      result += Cp1252ToUtf8(part);
      if (!Exists(result)) {
        std::string raw = result.substr(0, base);
        raw.append(part);
        if (Exists(raw)) result.swap(raw);
      }
    } else {
      result.append(part);
    }
    if (end < cleaned.size()) result += '/';
    at = end + 1;
  }
  return result;
}
