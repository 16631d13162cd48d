// inidump FILE: prints every section of FILE in order, every key of it and
// its value, as the platform's profile functions deliver them. Output is
// plain ASCII: names and values stand in double quotes, and every byte
// outside "!".."~", as well as "\" and the double quote, is written as \xNN.
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string Escape(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == ' ' || (byte > ' ' && byte < 0x7f && c != '\\' && c != '"')) {
      out += c;
    } else {
      char hex[8];
      (void)snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out + "\"";
}

// Splits a string list by the returned count rather than at the first empty
// string, so that an empty key name does not hide the keys after it.
std::vector<std::string> SplitList(const std::vector<char>& buffer,
                                   DWORD count) {
  std::vector<std::string> items;
  for (DWORD start = 0; start < count;) {
    const std::string item(&buffer[start]);
    items.push_back(item);
    start += static_cast<DWORD>(item.size()) + 1;
  }
  return items;
}

// A cut list returns size - 2, so a list is whole only below that.
std::vector<std::string> SectionNames(const char* file) {
  for (DWORD size = 512;; size *= 2) {
    std::vector<char> buffer(size + 1);
    const DWORD count =
        GetPrivateProfileSectionNamesA(buffer.data(), size, file);
    if (count + 2 < size) return SplitList(buffer, count);
  }
}

std::vector<std::string> KeyNames(const char* file,
                                  const std::string& section) {
  for (DWORD size = 512;; size *= 2) {
    std::vector<char> buffer(size + 1);
    const DWORD count = GetPrivateProfileStringA(section.c_str(), nullptr, "",
                                                 buffer.data(), size, file);
    if (count + 2 < size) return SplitList(buffer, count);
  }
}

// A cut value returns size - 1.
std::string Value(const char* file, const std::string& section,
                  const std::string& key) {
  for (DWORD size = 512;; size *= 2) {
    std::vector<char> buffer(size + 1);
    const DWORD length = GetPrivateProfileStringA(
        section.c_str(), key.c_str(), "", buffer.data(), size, file);
    if (length + 1 < size) return std::string(buffer.data(), length);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    (void)fputs("usage: inidump FILE\n", stderr);
    return 2;
  }
  const char* file = argv[1];
  for (const std::string& section : SectionNames(file)) {
    printf("section %s\n", Escape(section).c_str());
    for (const std::string& key : KeyNames(file, section)) {
      printf("  key %s = %s\n", Escape(key).c_str(),
             Escape(Value(file, section, key)).c_str());
    }
  }
  return 0;
}
