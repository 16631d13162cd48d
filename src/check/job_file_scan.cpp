#include "job_file_scan.h"

#include <string.h>

#include <algorithm>
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

std::string_view CJobFileScan::Trim(std::string_view text) {
  return TrimProfileBlanks(text);
}

std::string_view CJobFileScan::CutAtNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

size_t CJobFileScan::LineEnd(std::string_view text) {
  const void* lf = memchr(text.data(), '\n', text.size());
  const size_t n =
      lf == nullptr
          ? text.size()
          : static_cast<size_t>(static_cast<const char*>(lf) - text.data());
  const void* cr = memchr(text.data(), '\r', n);
  return cr == nullptr
             ? n
             : static_cast<size_t>(static_cast<const char*>(cr) - text.data());
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
