// The REGEDIT4 store in memory. Input: the store's text, then optionally a
// NUL and an edit: a byte that picks the key, one that picks the value (an
// existing one, or a new name), one that picks the type, the new name, a
// NUL, and the data. Text that parses is written back byte for byte; after
// the edit the text is the old one with exactly that value's lines
// replaced (or new lines added), and reads back with that value changed and
// every other value of every key as before. A UTF-8 store is compared in
// UTF-8, as it is changed.
#include <stdint.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/code_page.h"
#include "platform/missing/registry_store/regedit_file.h"
#include "platform/missing/registry_store/regedit_syntax.h"
#include "platform/text_encoding.h"

namespace {

const char* const kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                              "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
const DWORD kTypes[] = {REG_SZ,    REG_EXPAND_SZ, REG_BINARY,
                        REG_DWORD, REG_MULTI_SZ,  REG_NONE};

void AddKeys(const CRegeditFile& file, const std::string& path,
             std::vector<std::string>& keys) {
  keys.push_back(path);
  for (const std::string& child : file.SubKeys(path))
    AddKeys(file, path + "\\" + child, keys);
}

std::vector<std::string> AllKeys(const CRegeditFile& file) {
  std::vector<std::string> keys;
  for (const char* root : kRoots) AddKeys(file, root, keys);
  return keys;
}

// Lines without their line end ("\n" or "\r\n").
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (end < text.size() && !line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
    start = next;
  }
  return lines;
}

bool SameValue(const RegeditValue& a, const RegeditValue& b) {
  return a.name == b.name && a.type == b.type && a.data == b.data;
}

bool SameValues(const std::vector<RegeditValue>& a,
                const std::vector<RegeditValue>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!SameValue(a[i], b[i])) return false;
  }
  return true;
}

std::vector<std::string> Slice(const std::vector<std::string>& lines,
                               size_t from, size_t to) {
  return std::vector<std::string>(
      lines.begin() + static_cast<std::ptrdiff_t>(from),
      lines.begin() + static_cast<std::ptrdiff_t>(to));
}

// The old lines from..to, continuations joined, are one value line of the
// edited value as it was; utf8 when they are UTF-8.
bool IsOldEntry(const std::vector<std::string>& lines, const std::string& key,
                const RegeditValue& old, bool utf8) {
  // "\xFF" is never UTF-8: the text is read as Windows-1252.
  std::string text = "REGEDIT4\n; \xFF\n[" + key + "]\n";
  for (const std::string& line : lines)
    text += (utf8 ? Utf8ToCp1252(line) : line) + "\n";
  CRegeditFile entry;
  if (!entry.Parse(text)) return false;
  const std::vector<RegeditValue> values = entry.Values(key);
  return values.size() == 1 && SameValue(values[0], old) &&
         Lines(entry.Format()).size() == lines.size() + 3;
}

// The lines as a changed store writes them.
std::vector<std::string> Encoded(std::vector<std::string> lines, bool utf8) {
  if (utf8) {
    for (std::string& line : lines) line = Cp1252ToUtf8(line);
  }
  return lines;
}

// after == before with before[at, at + removed) replaced by added. Lines
// below at are known to be equal.
bool IsSplice(const std::vector<std::string>& before,
              const std::vector<std::string>& after, size_t at, size_t removed,
              const std::vector<std::string>& added) {
  if (at + removed > before.size() ||
      before.size() - removed + added.size() != after.size()) {
    return false;
  }
  for (size_t i = 0; i < added.size(); ++i) {
    if (after[at + i] != added[i]) return false;
  }
  for (size_t i = at + removed; i < before.size(); ++i) {
    if (before[i] != after[i - removed + added.size()]) return false;
  }
  return true;
}

size_t CommonPrefix(const std::vector<std::string>& a,
                    const std::vector<std::string>& b) {
  size_t length = 0;
  while (length < a.size() && length < b.size() && a[length] == b[length])
    ++length;
  return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string text = input.substr(0, split);
  CRegeditFile original;
  if (!original.Parse(text)) return 0;
  FUZZ_CHECK(original.Format() == text);
  FUZZ_CHECK(!original.Changed());
  CRegeditFile file = original;

  std::string edit =
      split == std::string::npos ? std::string() : input.substr(split + 1);
  edit.resize(std::max<size_t>(edit.size(), 3), '\0');
  const std::vector<std::string> keys = AllKeys(file);
  const std::string key =
      keys[static_cast<unsigned char>(edit[0]) % keys.size()];
  const std::vector<RegeditValue> before = file.Values(key);
  const size_t pick = static_cast<unsigned char>(edit[1]);
  const size_t nameEnd = edit.find('\0', 3);
  RegeditValue value;
  value.type = kTypes[static_cast<unsigned char>(edit[2]) %
                      (sizeof kTypes / sizeof kTypes[0])];
  value.name =
      pick < before.size() ? before[pick].name : edit.substr(3, nameEnd - 3);
  value.data = nameEnd == std::string::npos ? std::string("fuzz", 5)
                                            : edit.substr(nameEnd + 1);

  // The registry calls refuse such names before they reach the store.
  if (value.name.find_first_of("\r\n") != std::string::npos) return 0;

  size_t index = before.size();
  for (size_t i = 0; i < before.size(); ++i) {
    if (SameRegistryName(before[i].name, value.name)) index = i;
  }
  std::vector<RegeditValue> expected = before;
  if (index < before.size()) {
    expected[index].type = value.type;
    expected[index].data = value.data;
  } else {
    expected.push_back(value);
  }
  const bool unchanged =
      index < before.size() && SameValue(before[index], expected[index]);

  file.SetValue(key, value);
  const std::string written = file.Format();
  FUZZ_CHECK(file.Changed() == !unchanged);
  if (unchanged) FUZZ_CHECK(written == text);

  // Line by line: the value's own lines go, its new lines come, nothing
  // else moves.
  // New lines end as the first line does.
  const size_t firstEnd = text.find('\n');
  const std::string eol = firstEnd != std::string::npos && firstEnd > 0 &&
                                  text[firstEnd - 1] == '\r'
                              ? "\r\n"
                              : "\n";
  // A last line without its end gets one when lines are added behind it:
  // compare both texts as if they ended in one.
  auto ended = [&eol](const std::string& t) {
    return t.empty() || t.back() == '\n' ? t : t + eol;
  };
  const std::vector<std::string> old = Lines(ended(text));
  const std::vector<std::string> now = Lines(ended(written));
  const TextEncoding encoding = DetectTextEncoding(text);
  const bool readUtf8 =
      encoding == TextEncoding::kUtf8 || encoding == TextEncoding::kUtf8Mark;
  const bool writeUtf8 = file.WritesUtf8();
  if (!unchanged) {
    const std::vector<std::string> added =
        Encoded(Lines(FormatValueLine(expected[index], eol) + eol), writeUtf8);
    // The change starts at or before the first line that differs.
    const size_t prefix = CommonPrefix(old, now);
    bool found = false;
    if (index < before.size()) {
      // The old entry has at least one line.
      FUZZ_CHECK(old.size() + added.size() > now.size());
      const size_t removed = old.size() + added.size() - now.size();
      for (size_t at = prefix + 1; !found && at-- > 0;) {
        found = IsSplice(old, now, at, removed, added) &&
                IsOldEntry(Slice(old, at, at + removed), key, before[index],
                           readUtf8);
      }
    } else {
      for (size_t at = prefix + 1; !found && at-- > 0;)
        found = IsSplice(old, now, at, 0, added);
      // A key without a section of its own gets one at the end, after a
      // blank line unless the file ends in one.
      for (int blank = 0; !found && blank < 2; ++blank) {
        std::vector<std::string> section;
        if (old.empty()) section.push_back("REGEDIT4");
        if (blank == 1) section.push_back("");
        section.push_back("[" + key + "]");
        section = Encoded(section, writeUtf8);
        section.insert(section.end(), added.begin(), added.end());
        found =
            prefix == old.size() && IsSplice(old, now, old.size(), 0, section);
      }
    }
    FUZZ_CHECK(found);
  }

  CRegeditFile reread;
  FUZZ_CHECK(reread.Parse(written));
  FUZZ_CHECK(reread.Format() == written);
  // A Windows-1252 store whose only bytes that are not UTF-8 stood in the
  // changed lines reads as UTF-8 now: its other text reads anew.
  if (!writeUtf8 && DetectTextEncoding(written) != TextEncoding::kWindows1252)
    return 0;
  for (const std::string& other : keys) FUZZ_CHECK(reread.KeyExists(other));
  for (const std::string& other : AllKeys(reread)) {
    if (SameRegistryName(other, key)) continue;
    FUZZ_CHECK(SameValues(original.Values(other), reread.Values(other)));
  }
  FUZZ_CHECK(SameValues(reread.Values(key), expected));
  return 0;
}
