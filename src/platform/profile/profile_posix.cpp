// The two profile (INI) functions of kernel32, read the way Wine 8 reads
// them, byte for byte. The file is read and parsed afresh on every call:
// nothing is cached, so a change is seen by the next call whatever its time.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "os_path.h"

namespace {

struct Entry {
  std::string name;
  std::string value;
  bool hasValue;  // false for a line without "=": never listed nor found
};

struct Section {
  std::string name;
  std::vector<Entry> entries;
};

struct Profile {
  bool unreadable = false;  // the file exists (or may) but cannot be read
  // The first section has no name and holds the lines before any header.
  std::vector<Section> sections{Section{}};
};

// A string list as Wine builds it, and the count that the call returns.
struct List {
  std::string text;
  DWORD count;
};

// Wine's blanks: the C white space and Ctrl-Z, the old end-of-file mark.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r' || c == '\x1a';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Names and values are C strings once parsed: a NUL byte ends them.
std::string CutAtNul(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only ASCII letters match without regard to case, as under Wine.
bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

void ParseLine(std::string_view line, std::vector<Section>& sections) {
  line = Trim(line);
  if (line.empty()) return;
  if (line.front() == '[') {
    // The name runs to the last "]"; anything after it is ignored.
    const size_t close = line.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      sections.push_back(
          Section{CutAtNul(Trim(line.substr(1, close - 1))), {}});
      return;
    }
  }
  // Comment lines are stored too: a key starting with ";" is only hidden
  // from the key list.
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    sections.back().entries.push_back(Entry{CutAtNul(line), "", false});
    return;
  }
  // Wine keeps no run of keys without a name: such a key right after one
  // is dropped.
  const std::string_view name = Trim(line.substr(0, equals));
  std::vector<Entry>& entries = sections.back().entries;
  if (name.empty() && !entries.empty() && entries.back().name.empty()) return;
  entries.push_back(
      Entry{CutAtNul(name), CutAtNul(Trim(line.substr(equals + 1))), true});
}

Profile Parse(std::string_view text) {
  // A UTF-8 byte order mark is dropped; the bytes after it are not converted.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Profile profile;
  // CR and LF each end a line, so CR LF, LF and CR files all read alike.
  while (!text.empty()) {
    const size_t end = std::min(text.find_first_of("\r\n"), text.size());
    ParseLine(text.substr(0, end), profile.sections);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return profile;
}

bool ParentIsDirectory(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string parent = slash == std::string::npos
                                 ? "."
                                 : path.substr(0, std::max<size_t>(slash, 1));
  struct stat info;
  return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A missing file in an existing directory reads as an empty profile; an
// empty name, a missing directory or an unreadable file make it unreadable.
// Windows reads win.ini for a null name; there is none here.
Profile LoadProfile(const char* fileName) {
  Profile unreadable;
  unreadable.unreadable = true;
  if (fileName == nullptr) return Profile();
  if (*fileName == '\0') return unreadable;
  const std::string path = OsPath(fileName);
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return errno == ENOENT && ParentIsDirectory(path) ? Profile() : unreadable;
  }
  std::string bytes;
  char chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
    bytes.append(chunk, got);
  const bool failed = ferror(file) != 0;  // a directory, for one
  fclose(file);
  return failed ? unreadable : Parse(bytes);
}

// Wine hands the ANSI arguments on as counted UTF-16 strings; a longer
// section or key name than these can hold finds nothing.
const size_t kMaxNameLength = 32766;

const Section* FindSection(const Profile& profile, std::string_view name) {
  if (name.size() > kMaxNameLength) return nullptr;
  for (const Section& section : profile.sections) {
    if (SameName(section.name, name)) return &section;
  }
  return nullptr;
}

// The first section of that name only: keys of a repeated section are lost.
const Entry* FindKey(const Profile& profile, const char* section,
                     const char* key) {
  if (strlen(section) > kMaxNameLength || strlen(key) > kMaxNameLength)
    return nullptr;
  const Section* found = FindSection(profile, Trim(section));
  if (found == nullptr) return nullptr;
  const std::string_view name = Trim(key);
  for (const Entry& entry : found->entries) {
    if (SameName(entry.name, name)) return &entry;
  }
  return nullptr;
}

// Places at most size - 1 bytes and a NUL; returns the bytes placed.
DWORD PlainCopy(std::string_view value, char* buffer, DWORD size) {
  const size_t length = std::min<size_t>(value.size(), size - 1);
  memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

// Strips one pair of matching double or single quotes around the whole
// value. Like Wine it drops the last byte that fits whenever size reaches
// the length after the opening quote, which costs a real byte at exactly
// that size ("abc" in 4 bytes gives "ab").
DWORD CopyValue(std::string_view value, char* buffer, DWORD size) {
  const bool quoted = value.size() > 1 &&
                      (value[0] == '"' || value[0] == '\'') &&
                      value.back() == value[0];
  if (quoted) value.remove_prefix(1);
  size_t length = std::min<size_t>(value.size(), size - 1);
  if (quoted && size >= value.size() && length > 0) --length;
  return PlainCopy(value.substr(0, length), buffer, size);
}

// Trailing blanks (only " ") of the default go, but never its first byte.
std::string TrimDefault(const char* defaultValue) {
  std::string result(defaultValue == nullptr ? "" : defaultValue);
  while (result.size() > 1 && result.back() == ' ') result.pop_back();
  return result;
}

// The section names; a cut list ends in the first size - 2 bytes.
List SectionList(const Profile& profile, DWORD size) {
  List list{"", 0};
  if (size == 1) return list;
  size_t room = size - 1;
  for (const Section& section : profile.sections) {
    if (section.name.empty()) continue;
    if (section.name.size() + 1 >= room) {
      list.text.append(section.name, 0, room - 1);
      list.text.append(2, '\0');
      list.count = size - 2;
      return list;
    }
    list.text.append(section.name).push_back('\0');
    room -= section.name.size() + 1;
  }
  list.text.push_back('\0');
  list.count = static_cast<DWORD>(list.text.size() - 1);
  return list;
}

// The keys with "=" that are not comments, duplicates included. An empty
// key name yields an empty string, which a reader takes for the list's end.
List KeyList(const Section* section, DWORD size) {
  List list{"", 0};
  size_t room = size;
  for (const Entry& entry : section ? section->entries : std::vector<Entry>()) {
    if (room <= 2) break;
    if (!entry.hasValue || entry.name.compare(0, 1, ";") == 0) continue;
    const size_t length = std::min(entry.name.size(), room - 2);
    list.text.append(entry.name, 0, length).push_back('\0');
    room -= length + 1;
    if (room < 2) break;
  }
  list.text.push_back('\0');
  list.count = room <= 1 ? size - std::min<DWORD>(size, 2)
                         : size - static_cast<DWORD>(room);
  return list;
}

// Hands a list out as Wine's ANSI functions do: the counted bytes and one
// NUL after them; nothing beyond is written.
DWORD DeliverList(const List& list, char* buffer) {
  memcpy(buffer, list.text.data(), list.count);
  buffer[list.count] = '\0';
  return list.count;
}

}  // namespace

extern "C" DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key,
                                          LPCSTR defaultValue, LPSTR buffer,
                                          DWORD size, LPCSTR fileName) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string fallback = TrimDefault(defaultValue);
  const Profile profile = LoadProfile(fileName);
  if (section == nullptr)
    return DeliverList(SectionList(profile, size), buffer);
  if (key != nullptr) {
    // Only here does Wine hand out the default of an unreadable file as is.
    if (profile.unreadable) return PlainCopy(fallback, buffer, size);
    const Entry* entry = FindKey(profile, section, key);
    return CopyValue(
        entry != nullptr && entry->hasValue ? entry->value : fallback, buffer,
        size);
  }
  // The key list looks the section up untrimmed.
  const List keys = KeyList(FindSection(profile, section), size);
  if (keys.text[0] == '\0') return CopyValue(fallback, buffer, size);
  return DeliverList(keys, buffer);
}

extern "C" DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD size,
                                                LPCSTR fileName) {
  if (buffer == nullptr || size == 0) return 0;
  return DeliverList(SectionList(LoadProfile(fileName), size), buffer);
}
