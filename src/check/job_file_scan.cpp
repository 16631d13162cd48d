#include "check/job_file_scan.h"

#include <algorithm>
#include <string_view>

#include "monitor/job_rules.h"
#include "platform/ascii.h"
#include "platform/code_page.h"

CJobFileScan::CJobFileScan()
    : m_encoding(TextEncoding::kWindows1252),
      m_nUnmapped(0),
      m_bUtf8Text(false) {}
CJobFileScan::~CJobFileScan() = default;

void CJobFileScan::Scan(const std::string& bytes) {
  m_encoding = DetectTextEncoding(bytes);
  m_nUnmapped = 0;
  // A Windows-1252 file is its own text: no copy of it is made.
  const bool plain = m_encoding == TextEncoding::kWindows1252;
  const std::string decoded =
      plain ? std::string() : DecodeText(bytes, m_encoding, &m_nUnmapped);
  const std::string_view text = plain ? bytes : decoded;
  m_bUtf8Text = plain && HasHighByte(text) && IsUtf8(text);
  // Room for every block at once: a "[" per header at most.
  m_blocks.reserve(
      static_cast<size_t>(std::count(text.begin(), text.end(), '[')));
  CProfileLexer::Lex(text, [this](const ProfileLine& line) { Add(line); });
  m_byName.resize(m_blocks.size());
  for (size_t i = 0; i < m_byName.size(); ++i) m_byName[i] = i;
  std::stable_sort(m_byName.begin(), m_byName.end(),
                   [this](size_t a, size_t b) {
                     return AsciiTextLess(m_blocks[a].name, m_blocks[b].name);
                   });
}

void CJobFileScan::Add(const ProfileLine& line) {
  if (line.kind == ProfileLine::Kind::kHeader) {
    m_blocks.push_back(
        ScannedBlock{std::string(line.name), {}, line.number, {}, false});
    return;
  }
  if (!m_blocks.empty()) NoteRun(line, m_blocks.back());
  if (!HoldsKey(line)) return;
  const ScannedKey key{std::string(line.name), line.number, line.nulInValue};
  if (m_blocks.empty()) {
    m_keysBeforeFirstSection.push_back(key);
  } else {
    m_blocks.back().keys.push_back(key);
  }
}

void CJobFileScan::NoteRun(const ProfileLine& line, ScannedBlock& block) {
  if (block.runLine || !SameAsciiText(line.name, kRunKey)) return;
  block.runLine = true;
  if (line.kind == ProfileLine::Kind::kKey)
    block.run = std::string(CProfileLexer::Unquoted(line.value));
}

std::pair<const size_t*, const size_t*> CJobFileScan::Named(
    std::string_view name) const {
  const auto less = [this](size_t a, std::string_view b) {
    return AsciiTextLess(m_blocks[a].name, b);
  };
  const size_t* const begin = m_byName.data();
  const size_t* const end = begin + m_byName.size();
  const size_t* const first = std::lower_bound(begin, end, name, less);
  const size_t* last = first;
  while (last != end && SameAsciiText(m_blocks[*last].name, name)) ++last;
  return {first, last};
}

const ScannedBlock* CJobFileScan::FirstBlock(const std::string& name) const {
  std::string_view asked;
  if (!CProfileLexer::LookUpName(name, asked)) return nullptr;
  const auto named = Named(asked);
  return named.first == named.second ? nullptr : &m_blocks[*named.first];
}

bool CJobFileScan::ReadRun(const std::string& section, std::string& run) const {
  if (m_encoding != TextEncoding::kWindows1252) return false;
  const ScannedBlock* block = FirstBlock(section);
  run = block != nullptr ? block->run : std::string();
  return true;
}

std::vector<const ScannedBlock*> CJobFileScan::LaterBlocks(
    const std::string& name) const {
  std::vector<const ScannedBlock*> later;
  const auto named = Named(name);
  for (const size_t* at = named.first; at != named.second; ++at) {
    if (at != named.first) later.push_back(&m_blocks[*at]);
  }
  return later;
}
