#include "check/job_file_scan.h"

#include <algorithm>
#include <string_view>

#include "monitor/job_rules.h"
#include "platform/ascii.h"
#include "platform/code_page.h"

CJobFileScan::CJobFileScan()
    : m_encoding(TextEncoding::kWindows1252),
      m_nUnmapped(0),
      m_bUtf8Text(false),
      m_bGlobal(false),
      m_bRunRead(false) {}
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
  std::vector<OpenKey>().swap(m_open);
  // Kept while the pass runs: no spare room.
  m_strText.shrink_to_fit();
  m_blocks.shrink_to_fit();
  m_byName.resize(m_blocks.size());
  for (uint32_t i = 0; i < m_byName.size(); ++i) m_byName[i] = i;
  std::stable_sort(
      m_byName.begin(), m_byName.end(), [this](uint32_t a, uint32_t b) {
        return AsciiTextLess(NameOf(m_blocks[a]), NameOf(m_blocks[b]));
      });
}

void CJobFileScan::Add(const ProfileLine& line) {
  if (line.kind == ProfileLine::Kind::kHeader) {
    AddHeader(line);
    return;
  }
  if (!m_blocks.empty()) NoteRun(line);
  if (HoldsKey(line)) AddKey(line);
}

void CJobFileScan::AddHeader(const ProfileLine& line) {
  m_blocks.push_back(Block{static_cast<uint32_t>(m_strText.size()),
                           static_cast<uint32_t>(line.name.size()),
                           static_cast<uint32_t>(line.number), 0});
  m_strText.append(line.name.data(), line.name.size());
  m_open.clear();
  m_bGlobal = IsGlobalSection(std::string(line.name).c_str());
  m_bRunRead = false;
}

void CJobFileScan::AddKey(const ProfileLine& line) {
  int firstLine = 0;
  for (const OpenKey& key : m_open) {
    if (!SameAsciiText(key.name, line.name)) continue;
    firstLine = key.line;
    break;
  }
  m_open.push_back(OpenKey{line.name, line.number});
  const bool check = SameAsciiText(line.name, kCheckKey);
  if (check && !m_blocks.empty()) m_blocks.back().hasCheck = 1;
  const bool plain = !m_blocks.empty() && !m_bGlobal && firstLine == 0 &&
                     !line.nulInValue &&
                     (check || SameAsciiText(line.name, kRunKey));
  if (plain) return;
  const ScannedKey key{std::string(line.name), line.number, firstLine,
                       line.nulInValue};
  if (m_blocks.empty()) {
    m_keysBeforeFirstSection.push_back(key);
    return;
  }
  m_keys.push_back(key);
  m_keyBlocks.push_back(static_cast<uint32_t>(m_blocks.size() - 1));
}

void CJobFileScan::NoteRun(const ProfileLine& line) {
  if (m_bRunRead || !SameAsciiText(line.name, kRunKey)) return;
  m_bRunRead = true;
  if (line.kind != ProfileLine::Kind::kKey) return;
  // Nothing else is added to the text in this block: the Run follows its
  // name.
  const std::string_view run = CProfileLexer::Unquoted(line.value);
  m_strText.append(run.data(), run.size());
}

ScannedBlock CJobFileScan::BlockAt(size_t index) const {
  const Block& block = m_blocks[index];
  const size_t end = index + 1 < m_blocks.size() ? m_blocks[index + 1].offset
                                                 : m_strText.size();
  const size_t run = block.offset + block.nameLength;
  const std::string_view text(m_strText);
  const auto keys =
      std::equal_range(m_keyBlocks.begin(), m_keyBlocks.end(), index);
  return ScannedBlock{NameOf(block),
                      static_cast<int>(block.line),
                      block.hasCheck != 0,
                      text.substr(run, end - run),
                      m_keys.data() + (keys.first - m_keyBlocks.begin()),
                      static_cast<size_t>(keys.second - keys.first)};
}

std::pair<const uint32_t*, const uint32_t*> CJobFileScan::Named(
    std::string_view name) const {
  const auto less = [this](uint32_t a, std::string_view b) {
    return AsciiTextLess(NameOf(m_blocks[a]), b);
  };
  const uint32_t* const begin = m_byName.data();
  const uint32_t* const end = begin + m_byName.size();
  const uint32_t* const first = std::lower_bound(begin, end, name, less);
  const uint32_t* last = first;
  while (last != end && SameAsciiText(NameOf(m_blocks[*last]), name)) ++last;
  return {first, last};
}

size_t CJobFileScan::FirstBlock(const std::string& name) const {
  std::string_view asked;
  if (!CProfileLexer::LookUpName(name, asked)) return kNone;
  const auto named = Named(asked);
  return named.first == named.second ? kNone : *named.first;
}

std::vector<int> CJobFileScan::LaterLines(const std::string& name) const {
  std::vector<int> later;
  const auto named = Named(name);
  for (const uint32_t* at = named.first; at != named.second; ++at) {
    if (at != named.first)
      later.push_back(static_cast<int>(m_blocks[*at].line));
  }
  return later;
}

bool CJobFileScan::ReadRun(const std::string& section, std::string& run) const {
  if (m_encoding != TextEncoding::kWindows1252) return false;
  const size_t block = FirstBlock(section);
  run = block != kNone ? std::string(BlockAt(block).run) : std::string();
  return true;
}
