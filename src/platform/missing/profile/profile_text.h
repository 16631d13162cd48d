// CProfileText: the sections and keys of one profile (INI) file as Wine 8
// reads them, parsed from the file's bytes in one scan. Names and values
// are ranges of the bytes, which the object owns, so the parsed form costs
// a small fixed amount per line on top of them.
#ifndef QUILLSPUR_PLATFORM_PROFILE_TEXT_H
#define QUILLSPUR_PLATFORM_PROFILE_TEXT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

struct ProfileLine;

class CProfileText {
 public:
  // A line of a section: a key with its value, or a line without "=",
  // which is never listed nor found with a value.
  struct Key {
    uint32_t nameOffset;
    uint32_t nameLength;
    uint32_t valueOffset;  // kNoValue for a line without "="
    uint32_t valueLength;
  };
  struct Section {
    uint32_t nameOffset;
    uint32_t nameLength;
    uint32_t firstKey;
    uint32_t keyCount;
  };
  static constexpr uint32_t kNoValue = UINT32_MAX;
  // Longer byte sequences cannot be described by 32-bit offsets.
  static constexpr size_t kMaxBytes = UINT32_MAX - 1;

  // The profile of an empty file: one section without a name, no keys.
  CProfileText();
  virtual ~CProfileText();

  // Replaces the content with text (at most kMaxBytes), decoded and
  // without its byte order mark, and parses it,
  // line by line as CProfileLexer reads them (profile_lexer.h). The reuse
  // of a parse in profile_posix.cpp (DecidingLength) rests on three rules:
  // the first section of a name wins and the first line of a name in it
  // wins, both kept here, and a section's lines end at the next header,
  // kept by the lexer. A change to any of them changes which bytes decide
  // an answer there too. Throws std::bad_alloc when memory runs out,
  // leaving an empty profile.
  void Parse(std::string&& bytes);
  // Makes this the empty profile and releases the memory held.
  void Clear();

  const std::string& Bytes() const { return m_strBytes; }
  // In file order; the first has no name and holds the lines before any
  // section header.
  const std::vector<Section>& Sections() const { return m_sections; }
  const Key* KeysOf(const Section& section) const {
    return m_keys.data() + section.firstKey;
  }
  std::string_view NameOf(const Section& section) const {
    return Range(section.nameOffset, section.nameLength);
  }
  std::string_view NameOf(const Key& key) const {
    return Range(key.nameOffset, key.nameLength);
  }
  std::string_view ValueOf(const Key& key) const {
    return Range(key.valueOffset, key.valueLength);
  }

  // The first section whose name equals name, ASCII letters without regard
  // to case; null when there is none.
  const Section* FindSection(std::string_view name) const;

 private:
  std::string_view Range(uint32_t offset, uint32_t length) const {
    return std::string_view(m_strBytes.data() + offset, length);
  }
  // Appends a line of the text being parsed.
  void Add(const ProfileLine& line);
  uint32_t OffsetOf(std::string_view text) const {
    return static_cast<uint32_t>(text.data() - m_strBytes.data());
  }
  static uint32_t LengthOf(std::string_view text) {
    return static_cast<uint32_t>(text.size());
  }
  void BuildIndex();

  std::string m_strBytes;
  std::vector<Section> m_sections;
  std::vector<Key> m_keys;
  // Open addressing over the sections by folded name: index + 1, 0 = free.
  std::vector<uint32_t> m_index;
};

// Whether two names are equal, ASCII letters without regard to case.
bool SameProfileName(std::string_view a, std::string_view b);

#endif
