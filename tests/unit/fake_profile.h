// A profile reader over an in-memory INI: sections in order, each with its
// keys. Names match without regard to ASCII case, as the platform's do.
#ifndef QUILLSPUR_TESTS_FAKE_PROFILE_H
#define QUILLSPUR_TESTS_FAKE_PROFILE_H

#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "config/profile_reader.h"

class MapProfile : public CProfileReader {
 public:
  typedef std::vector<std::pair<std::string, std::string>> Keys;
  std::vector<std::pair<std::string, Keys>> sections;
  // Listed after the sections but without keys: gone by the time they are read.
  std::vector<std::string> vanished;

  DWORD ReadString(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                   LPSTR buffer, DWORD size, LPCSTR) override {
    std::string value = defaultValue;
    for (const auto& s : sections) {
      if (!Same(s.first, section)) continue;
      for (const auto& k : s.second) {
        if (Same(k.first, key)) return Place(k.second, buffer, size);
      }
      break;
    }
    return Place(value, buffer, size);
  }

  DWORD ReadSectionNames(LPSTR buffer, DWORD size, LPCSTR) override {
    std::string list;
    for (const auto& s : sections) list += s.first + '\0';
    for (const auto& name : vanished) list += name + '\0';
    if (list.size() + 1 > size) return 0;  // tests keep lists short
    memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }

 private:
  static bool Same(const std::string& a, const char* b) {
    if (a.size() != strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
  }
  static char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  static DWORD Place(const std::string& text, LPSTR buffer, DWORD size) {
    const size_t placed = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(buffer, text.data(), placed);
    buffer[placed] = '\0';
    return static_cast<DWORD>(placed);
  }
};

#endif
