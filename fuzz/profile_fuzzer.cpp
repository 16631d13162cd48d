// The profile functions on arbitrary file contents. For one list or value,
// every buffer size from 0 up to beyond the whole result is tried: the result
// is a prefix of the whole one, its count is below the size, it ends in a NUL
// and nothing behind that is written, and a result that claims to be whole is.
// CIniFile, which reads in growing steps, reads the same as one large direct
// call. A Windows-1252 file reads the same with any byte order mark. A value or
// key list read while the last input's parse is still kept is the one read
// after that parse was dropped.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config/ini_file.h"
#include "framework/afx_string_array.h"
#include "fuzz_check.h"
#include "platform/missing/profile/profile_text.h"
#include "platform/text_encoding.h"

namespace {

const unsigned char kUnwritten = 0xA5;
const char kDefault[] = "dflt";
const char kAbsent[] =
    "\x01"
    "absent";

std::string g_directory;
std::string g_path;
std::string g_emptyPath;  // an empty file: reading it drops any kept parse

void RemoveFile() {
  unlink(g_path.c_str());
  unlink(g_emptyPath.c_str());
  rmdir(g_directory.c_str());
}

void WriteFile(const uint8_t* data, size_t size) {
  if (g_path.empty()) {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") +
                          "/quillspur-fuzz-profile.XXXXXX";
    FUZZ_CHECK(mkdtemp(&pattern[0]) != nullptr);
    g_directory = pattern;
    g_path = g_directory + "/fuzz.ini";
    g_emptyPath = g_directory + "/empty.ini";
    FILE* empty = fopen(g_emptyPath.c_str(), "wb");
    FUZZ_CHECK(empty != nullptr && fclose(empty) == 0);
    atexit(RemoveFile);
  }
  FILE* file = fopen(g_path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(fwrite(data, 1, size, file) == size);
  FUZZ_CHECK(fclose(file) == 0);
}

// One call into a buffer of exactly size bytes (ASan sees any overrun).
struct Result {
  DWORD count;
  std::string bytes;  // the buffer's first count + 1 bytes
};

template <typename Call>
Result CallWithSize(DWORD size, Call call) {
  std::vector<char> buffer(size > 0 ? size : 1, static_cast<char>(kUnwritten));
  const DWORD count = call(size > 0 ? buffer.data() : buffer.data(), size);
  if (size == 0) {
    FUZZ_CHECK(count == 0);
    FUZZ_CHECK(static_cast<unsigned char>(buffer[0]) == kUnwritten);
    return Result{0, ""};
  }
  FUZZ_CHECK(count < size);
  FUZZ_CHECK(buffer[count] == '\0');
  for (DWORD i = count + 1; i < size; ++i)
    FUZZ_CHECK(static_cast<unsigned char>(buffer[i]) == kUnwritten);
  return Result{count, std::string(buffer.data(), count + 1)};
}

bool StartsWith(const std::string& whole, const std::string& part) {
  return whole.compare(0, part.size(), part) == 0;
}

// A list as a large buffer gives it: names each with their NUL, then one
// more NUL (a single NUL when empty).
std::string WholeList(const Result& result, DWORD size) {
  FUZZ_CHECK(result.count + 2 < size);
  FUZZ_CHECK(result.count == 0 || result.bytes[result.count - 1] == '\0');
  return result.bytes;
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  for (size_t start = 0; start + 1 < list.size();) {
    const size_t end = list.find('\0', start);
    items.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

// Every size for a list: a cut one returns size - 2 and is a prefix of the
// whole list; anything shorter is the whole list.
template <typename Call>
void CheckListSizes(const std::string& whole, Call call) {
  const DWORD last = static_cast<DWORD>(whole.size()) + 3;
  for (DWORD size = 0; size <= last; ++size) {
    const Result result = CallWithSize(size, call);
    if (size == 0) continue;
    const std::string placed = result.bytes.substr(0, result.count);
    FUZZ_CHECK(StartsWith(whole, placed));
    if (result.count + 2 < size) FUZZ_CHECK(result.bytes == whole);
  }
}

// Every size for a value: a cut one returns size - 1; a shorter one is the
// whole value, but for the platform's quoted values, which at a size of
// their length plus one lose their last byte (as Wine reads them).
void CheckValueSizes(const std::string& whole, const char* section,
                     const char* key) {
  const DWORD last = static_cast<DWORD>(whole.size()) + 2;
  for (DWORD size = 0; size <= last; ++size) {
    const Result result = CallWithSize(size, [&](char* buffer, DWORD n) {
      return GetPrivateProfileStringA(section, key, kDefault, buffer, n,
                                      g_path.c_str());
    });
    if (size == 0) continue;
    const std::string placed = result.bytes.substr(0, result.count);
    FUZZ_CHECK(StartsWith(whole, placed));
    if (result.count + 1 < size) {
      FUZZ_CHECK(placed == whole || (size == whole.size() + 1 &&
                                     placed.size() + 1 == whole.size()));
    }
  }
}

// Large enough for any value of a file of that size, and the default.
std::string WholeValue(const char* section, const char* key, DWORD size) {
  std::vector<char> buffer(size);
  const DWORD count = GetPrivateProfileStringA(
      section, key, kDefault, buffer.data(), size, g_path.c_str());
  FUZZ_CHECK(count + 1 < size);
  FUZZ_CHECK(strlen(buffer.data()) == count);
  return std::string(buffer.data(), count);
}

// CIniFile, reading in 512-byte steps, reads the whole value, also where
// a step meets the quoted-value quirk above.
void CheckIniFile(CIniFile& ini, const std::string& whole, const char* section,
                  const char* key) {
  FUZZ_CHECK(std::string(ini.GetString(section, key, kDefault)) == whole);
}

// One value, or the key list of a section when key is null, as the file
// reads now.
std::string Read(const char* section, const char* key, DWORD size) {
  std::vector<char> buffer(size);
  const DWORD count = GetPrivateProfileStringA(
      section, key, kDefault, buffer.data(), size, g_path.c_str());
  return std::string(buffer.data(), count);
}

// The file's bytes have just replaced the last input's, whose parse may
// still be kept: a value or a key list (chosen as below, from the names in
// the file) reads the same with that parse kept and with it dropped.
void CheckKeptParse(const uint8_t* data, size_t fileSize, unsigned char what,
                    unsigned char which, DWORD size) {
  if ((what & 3) == 0) return;
  CProfileText parsed;
  parsed.Parse(std::string(reinterpret_cast<const char*>(data), fileSize));
  const std::vector<CProfileText::Section>& sections = parsed.Sections();
  const size_t pick = (what >> 2) % (sections.size() + 1);
  std::string section = kAbsent;
  std::string key = kAbsent;
  if (pick < sections.size()) {
    section = std::string(parsed.NameOf(sections[pick]));
    const CProfileText::Key* keys = parsed.KeysOf(sections[pick]);
    const size_t count = sections[pick].keyCount;
    if (which % (count + 1) < count)
      key = std::string(parsed.NameOf(keys[which % (count + 1)]));
  }
  const char* keyOrList = (what & 3) == 1 ? nullptr : key.c_str();
  const std::string kept = Read(section.c_str(), keyOrList, size);
  char names[2];
  GetPrivateProfileSectionNamesA(names, sizeof names, g_emptyPath.c_str());
  FUZZ_CHECK(Read(section.c_str(), keyOrList, size) == kept);
}

// Every section, and the keys and values of the first few, as listed by
// the profile functions; size is large enough for any list of the text.
std::string Dump(DWORD size) {
  std::vector<char> buffer(size);
  const char* file = g_path.c_str();
  DWORD count = GetPrivateProfileSectionNamesA(buffer.data(), size, file);
  std::string dump(buffer.data(), count);
  const std::vector<std::string> sections = SplitList(dump + '\0');
  for (size_t i = 0; i < sections.size() && i < 4; ++i) {
    count = GetPrivateProfileStringA(sections[i].c_str(), nullptr, "",
                                     buffer.data(), size, file);
    const std::string keys(buffer.data(), count);
    dump += "|" + keys;
    const std::vector<std::string> names = SplitList(keys + '\0');
    for (size_t k = 0; k < names.size() && k < 4; ++k) {
      dump += "|" + Read(sections[i].c_str(), names[k].c_str(), size);
    }
  }
  return dump;
}

// A Windows-1252 file reads the same saved as UTF-16LE, UTF-16BE or UTF-8,
// each with its byte order mark, as Notepad and PowerShell write it.
void CheckMarkedForm(const uint8_t* data, size_t fileSize, unsigned form) {
  const std::string text(reinterpret_cast<const char*>(data), fileSize);
  if (DetectTextEncoding(text) != TextEncoding::kWindows1252) return;
  const DWORD size = static_cast<DWORD>(fileSize) + 16;
  const std::string plain = Dump(size);
  const TextEncoding forms[] = {TextEncoding::kUtf16LeMark,
                                TextEncoding::kUtf16BeMark,
                                TextEncoding::kUtf8Mark};
  const TextEncoding encoding = forms[form % 3];
  const char* const marks[] = {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
  const std::string marked = marks[form % 3] + EncodePiece(text, encoding);
  WriteFile(reinterpret_cast<const uint8_t*>(marked.data()), marked.size());
  FUZZ_CHECK(Dump(size) == plain);
  WriteFile(data, fileSize);
}

}  // namespace

// The input's last two bytes choose what to read, the rest is the file: the
// section list, or the key list of one section, or one value. Sections and
// keys are those the file lists, or one it does not.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t fileSize = size >= 2 ? size - 2 : 0;
  const unsigned char what = size >= 1 ? data[size - 1] : 0;
  const unsigned char which = size >= 2 ? data[size - 2] : 0;
  WriteFile(data, fileSize);
  const char* file = g_path.c_str();
  const DWORD large = static_cast<DWORD>(size) + 16;
  CheckKeptParse(data, fileSize, what, which, large);
  CheckMarkedForm(data, fileSize, what ^ which);
  auto sectionNames = [&](char* buffer, DWORD n) {
    return GetPrivateProfileSectionNamesA(buffer, n, file);
  };
  const std::string sections =
      WholeList(CallWithSize(large, sectionNames), large);
  std::vector<std::string> names = SplitList(sections);
  CIniFile ini;
  ini.SetFileName(file);

  if ((what & 3) == 0) {
    CheckListSizes(sections, sectionNames);
    // The section list through GetPrivateProfileStringA with no section.
    CheckListSizes(sections, [&](char* buffer, DWORD n) {
      return GetPrivateProfileStringA(nullptr, nullptr, "", buffer, n, file);
    });
    FUZZ_CHECK(ini.GetSectionNames(nullptr, 0) == sections.size() + 1);
    CStringArray read;
    ini.GetSectionNames(&read);
    // The array ends at the first empty name, as a reader of the list does.
    size_t listed = 0;
    while (listed < names.size() && !names[listed].empty()) ++listed;
    FUZZ_CHECK(static_cast<size_t>(read.GetSize()) == listed);
    for (size_t i = 0; i < listed; ++i) {
      FUZZ_CHECK(names[i] ==
                 static_cast<const char*>(read.GetAt(static_cast<int>(i))));
    }
    return 0;
  }

  names.push_back(kAbsent);
  const std::string section = names[(what >> 2) % names.size()];
  auto keyNames = [&](char* buffer, DWORD n) {
    return GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer, n,
                                    file);
  };
  const Result keyResult = CallWithSize(large, keyNames);
  // An empty list reads as the (empty) default instead.
  const std::string keyList = keyResult.bytes;
  if (keyList[0] != '\0') WholeList(keyResult, large);
  if ((what & 3) == 1) {
    if (keyList[0] != '\0') CheckListSizes(keyList, keyNames);
    return 0;
  }

  std::vector<std::string> keys = SplitList(keyList);
  keys.push_back(kAbsent);
  const std::string key = keys[which % keys.size()];
  const std::string whole = WholeValue(section.c_str(), key.c_str(), large);
  CheckValueSizes(whole, section.c_str(), key.c_str());
  CheckIniFile(ini, whole, section.c_str(), key.c_str());
  return 0;
}
