#include "platform/missing/profile/profile_text.h"

#include <utility>

#include "platform/ascii.h"
#include "platform/profile_lexer.h"

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
    // The text as decoded: a byte order mark went with the decoding, and
    // U+00EF U+00BB U+00BF at the start of UTF-16 text stay three
    // characters, as Windows reads them. The tables are sized by a first
    // pass before they are filled: one that grows leaves the room it
    // outgrew behind, as much again as itself, and that room is still held
    // when the next thing is read.
    size_t sections = m_sections.size(), keys = 0;
    CProfileLexer::Lex(m_strBytes, [&](const ProfileLine& line) {
      ++(line.kind == ProfileLine::Kind::kHeader ? sections : keys);
    });
    m_sections.reserve(sections);
    m_keys.reserve(keys);
    CProfileLexer::Lex(m_strBytes,
                       [this](const ProfileLine& line) { Add(line); });
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

void CProfileText::Add(const ProfileLine& line) {
  if (line.kind == ProfileLine::Kind::kHeader) {
    m_sections.push_back(Section{OffsetOf(line.name), LengthOf(line.name),
                                 static_cast<uint32_t>(m_keys.size()), 0});
    return;
  }
  Section& section = m_sections.back();
  const bool key = line.kind == ProfileLine::Kind::kKey;
  // Wine keeps no run of keys without a name: such a key right after one
  // is dropped. Comment lines are stored too: a key starting with ";" is
  // only hidden from the key list.
  if (key && line.blankName && section.keyCount != 0 &&
      m_keys.back().nameLength == 0) {
    return;
  }
  m_keys.push_back(Key{OffsetOf(line.name), LengthOf(line.name),
                       key ? OffsetOf(line.value) : kNoValue,
                       key ? LengthOf(line.value) : 0});
  ++section.keyCount;
}

void CProfileText::BuildIndex() {
  size_t slots = 8;
  // At most three quarters full: a probe stays short, and a table of
  // thousands of sections takes half the room it would at half full.
  while (slots * 3 < m_sections.size() * 4) slots *= 2;
  m_index.assign(slots, 0);
  const size_t mask = slots - 1;
  for (uint32_t i = 0; i < m_sections.size(); ++i) {
    const std::string_view name = NameOf(m_sections[i]);
    for (size_t slot = AsciiTextHash(name) & mask;; slot = (slot + 1) & mask) {
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
  for (size_t slot = AsciiTextHash(name) & mask; m_index[slot] != 0;
       slot = (slot + 1) & mask) {
    const Section& section = m_sections[m_index[slot] - 1];
    if (SameProfileName(NameOf(section), name)) return &section;
  }
  return nullptr;
}
