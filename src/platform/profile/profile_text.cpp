#include "profile_text.h"

#include <string.h>

#include <utility>

#include "ascii.h"

namespace {

void Trim(const char*& begin, const char*& end) {
  while (begin < end && IsProfileBlank(*begin)) ++begin;
  while (end > begin && IsProfileBlank(end[-1])) --end;
}

// Names and values are C strings once parsed: a NUL byte ends them.
uint32_t LengthToNul(const char* begin, const char* end) {
  const void* nul = memchr(begin, '\0', static_cast<size_t>(end - begin));
  return static_cast<uint32_t>(
      (nul != nullptr ? static_cast<const char*>(nul) : end) - begin);
}

uint32_t HashName(std::string_view name) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : name) {
    hash = (hash ^ static_cast<unsigned char>(AsciiLower(c))) * 16777619u;
  }
  return hash;
}

}  // namespace

bool SameProfileName(std::string_view a, std::string_view b) {
  return SameAsciiText(a, b);
}

CProfileText::CProfileText() { Clear(); }

CProfileText::~CProfileText() = default;

void CProfileText::Clear() {
  // Released, not only emptied: a large earlier file leaves no capacity.
  std::string().swap(m_strBytes);
  std::vector<Key>().swap(m_keys);
  std::vector<uint32_t>().swap(m_index);
  std::vector<Section>().swap(m_sections);
  m_sections.push_back(Section{0, 0, 0, 0});
  BuildIndex();
}

void CProfileText::Parse(std::string&& bytes) {
  Clear();
  m_strBytes = std::move(bytes);
  try {
    const char* text = m_strBytes.data();
    const char* const end = text + m_strBytes.size();
    // A UTF-8 byte order mark is dropped; the bytes after it stay as they are.
    if (m_strBytes.compare(0, 3, "\xEF\xBB\xBF") == 0) text += 3;
    // CR and LF each end a line, so CR LF, LF and CR files all read alike.
    while (text < end) {
      const void* lf = memchr(text, '\n', static_cast<size_t>(end - text));
      const char* lineEnd = lf != nullptr ? static_cast<const char*>(lf) : end;
      for (;;) {
        const void* cr =
            memchr(text, '\r', static_cast<size_t>(lineEnd - text));
        if (cr == nullptr) break;
        ParseLine(text, static_cast<const char*>(cr));
        text = static_cast<const char*>(cr) + 1;
      }
      ParseLine(text, lineEnd);
      if (lf == nullptr) break;
      text = lineEnd + 1;
    }
    // Most files are parsed once and then reused: no spare room is kept.
    m_sections.shrink_to_fit();
    m_keys.shrink_to_fit();
    BuildIndex();
  } catch (...) {
    // Never a half-parsed profile: the caller may keep using this one.
    Clear();
    throw;
  }
}

void CProfileText::ParseLine(const char* begin, const char* end) {
  Trim(begin, end);
  if (begin == end) return;
  const char* const base = m_strBytes.data();
  if (*begin == '[') {
    // The name runs to the last "]"; anything after it is ignored.
    const void* close = memrchr(begin, ']', static_cast<size_t>(end - begin));
    if (close != nullptr && close != begin) {
      const char* nameBegin = begin + 1;
      const char* nameEnd = static_cast<const char*>(close);
      Trim(nameBegin, nameEnd);
      m_sections.push_back(Section{static_cast<uint32_t>(nameBegin - base),
                                   LengthToNul(nameBegin, nameEnd),
                                   static_cast<uint32_t>(m_keys.size()), 0});
      return;
    }
  }
  Section& section = m_sections.back();
  // Comment lines are stored too: a key starting with ";" is only hidden
  // from the key list.
  const void* equals = memchr(begin, '=', static_cast<size_t>(end - begin));
  if (equals == nullptr) {
    m_keys.push_back(Key{static_cast<uint32_t>(begin - base),
                         LengthToNul(begin, end), kNoValue, 0});
    ++section.keyCount;
    return;
  }
  const char* nameBegin = begin;
  const char* nameEnd = static_cast<const char*>(equals);
  Trim(nameBegin, nameEnd);
  // Wine keeps no run of keys without a name: such a key right after one
  // is dropped.
  if (nameBegin == nameEnd && section.keyCount != 0 &&
      m_keys.back().nameLength == 0) {
    return;
  }
  const char* valueBegin = static_cast<const char*>(equals) + 1;
  const char* valueEnd = end;
  Trim(valueBegin, valueEnd);
  m_keys.push_back(Key{static_cast<uint32_t>(nameBegin - base),
                       LengthToNul(nameBegin, nameEnd),
                       static_cast<uint32_t>(valueBegin - base),
                       LengthToNul(valueBegin, valueEnd)});
  ++section.keyCount;
}

void CProfileText::BuildIndex() {
  size_t slots = 8;
  while (slots < 2 * m_sections.size()) slots *= 2;
  m_index.assign(slots, 0);
  const size_t mask = slots - 1;
  for (uint32_t i = 0; i < m_sections.size(); ++i) {
    const std::string_view name = NameOf(m_sections[i]);
    for (size_t slot = HashName(name) & mask;; slot = (slot + 1) & mask) {
      if (m_index[slot] == 0) {
        m_index[slot] = i + 1;
        break;
      }
      // A repeated name: the first section keeps it.
      if (SameProfileName(NameOf(m_sections[m_index[slot] - 1]), name)) break;
    }
  }
}

const CProfileText::Section* CProfileText::FindSection(
    std::string_view name) const {
  const size_t mask = m_index.size() - 1;
  for (size_t slot = HashName(name) & mask; m_index[slot] != 0;
       slot = (slot + 1) & mask) {
    const Section& section = m_sections[m_index[slot] - 1];
    if (SameProfileName(NameOf(section), name)) return &section;
  }
  return nullptr;
}
