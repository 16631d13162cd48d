#include "job_file_scan.h"

#include <string_view>

#include "ascii.h"
#include "code_page.h"

CJobFileScan::CJobFileScan()
    : m_encoding(TextEncoding::kWindows1252),
      m_nUnmapped(0),
      m_bUtf8Text(false) {}
CJobFileScan::~CJobFileScan() = default;

void CJobFileScan::Scan(const std::string& bytes) {
  m_encoding = DetectTextEncoding(bytes);
  m_nUnmapped = 0;
  const std::string decoded = DecodeText(bytes, m_encoding, &m_nUnmapped);
  m_bUtf8Text = m_encoding == TextEncoding::kWindows1252 &&
                HasHighByte(decoded) && IsUtf8(decoded);
  Lex(decoded, [&](const ScanEvent& e) {
    if (e.section) {
      m_blocks.push_back(ScannedBlock{std::string(e.name), e.line, {}});
      return;
    }
    const ScannedKey key{std::string(e.name), std::string(e.value), e.line,
                         e.nulInValue};
    if (m_blocks.empty()) {
      m_keysBeforeFirstSection.push_back(key);
    } else {
      m_blocks.back().keys.push_back(key);
    }
  });
}

const ScannedBlock* CJobFileScan::FirstBlock(const std::string& name) const {
  for (const ScannedBlock& block : m_blocks) {
    if (SameAsciiText(block.name, name)) return &block;
  }
  return nullptr;
}

std::vector<const ScannedBlock*> CJobFileScan::LaterBlocks(
    const std::string& name) const {
  std::vector<const ScannedBlock*> later;
  bool first = true;
  for (const ScannedBlock& block : m_blocks) {
    if (!SameAsciiText(block.name, name)) continue;
    if (!first) later.push_back(&block);
    first = false;
  }
  return later;
}
