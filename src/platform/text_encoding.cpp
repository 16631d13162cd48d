#include "platform/text_encoding.h"

#include <stdint.h>
#include <string.h>

#include <utility>

#include "platform/code_page.h"

namespace {

// The index of the first byte from i on that is not ASCII, a word at a time:
// most job files are nothing else.
size_t SkipAscii(const char* data, size_t i, size_t size) {
  uint64_t word = 0;
  while (i + sizeof word <= size) {
    memcpy(&word, data + i, sizeof word);
    if ((word & 0x8080808080808080ull) != 0) break;
    i += sizeof word;
  }
  while (i < size && static_cast<unsigned char>(data[i]) < 0x80) ++i;
  return i;
}

}  // namespace

CTextSniffer::CTextSniffer()
    : m_head{0, 0, 0},
      m_nTotal(0),
      m_nPending(0),
      m_nLow(0x80),
      m_nHigh(0xBF),
      m_bWellFormed(true),
      m_bHighByte(false) {}

CTextSniffer::~CTextSniffer() = default;

void CTextSniffer::Feed(const char* data, size_t size) {
  for (size_t i = 0; i < size && m_nTotal + i < sizeof m_head; ++i)
    m_head[m_nTotal + i] = static_cast<unsigned char>(data[i]);
  m_nTotal += size;
  // Decided: a byte above 127 that is no UTF-8. Every call reads the whole
  // file through here, so the rest is not looked at.
  size_t i = 0;
  while (m_bWellFormed && i < size) {
    if (m_nPending == 0) {
      i = SkipAscii(data, i, size);
      if (i == size) break;
    }
    const unsigned char byte = static_cast<unsigned char>(data[i++]);
    m_bHighByte = true;
    m_bWellFormed = m_nPending > 0 ? Continue(byte) : Lead(byte);
  }
}

bool CTextSniffer::Continue(unsigned char byte) {
  if (byte < m_nLow || byte > m_nHigh) return false;
  --m_nPending;
  m_nLow = 0x80;
  m_nHigh = 0xBF;
  return true;
}

// The ranges that rule out overlong forms, surrogates and code points past
// U+10FFFF.
bool CTextSniffer::Lead(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) {
    m_nPending = 1;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    m_nPending = 2;
    if (byte == 0xE0) m_nLow = 0xA0;
    if (byte == 0xED) m_nHigh = 0x9F;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    m_nPending = 3;
    if (byte == 0xF0) m_nLow = 0x90;
    if (byte == 0xF4) m_nHigh = 0x8F;
  } else {
    return false;
  }
  return true;
}

TextEncoding CTextSniffer::Result() const {
  if (m_nTotal >= 2 && m_head[0] == 0xFF && m_head[1] == 0xFE)
    return TextEncoding::kUtf16LeMark;
  if (m_nTotal >= 2 && m_head[0] == 0xFE && m_head[1] == 0xFF)
    return TextEncoding::kUtf16BeMark;
  if (m_nTotal >= 3 && m_head[0] == 0xEF && m_head[1] == 0xBB &&
      m_head[2] == 0xBF)
    return TextEncoding::kUtf8Mark;
  if (DecodesUnmarkedUtf8() && m_bHighByte && m_bWellFormed && m_nPending == 0)
    return TextEncoding::kUtf8;
  return TextEncoding::kWindows1252;
}

TextEncoding DetectTextEncoding(std::string_view bytes) {
  CTextSniffer sniffer;
  sniffer.Feed(bytes.data(), bytes.size());
  return sniffer.Result();
}

size_t MarkLength(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8Mark:
      return 3;
    case TextEncoding::kUtf16LeMark:
    case TextEncoding::kUtf16BeMark:
      return 2;
    case TextEncoding::kUtf8:
    case TextEncoding::kWindows1252:
      break;
  }
  return 0;
}

std::string DecodeText(std::string_view bytes, TextEncoding encoding,
                       size_t* unmapped) {
  return DecodePiece(bytes.substr(MarkLength(encoding)), encoding, unmapped);
}

std::string DecodePiece(std::string_view bytes, TextEncoding encoding,
                        size_t* unmapped) {
  switch (encoding) {
    case TextEncoding::kUtf8:
    case TextEncoding::kUtf8Mark:
      return Utf8ToCp1252(bytes, unmapped);
    case TextEncoding::kUtf16LeMark:
      return Utf16ToCp1252(bytes, false, unmapped);
    case TextEncoding::kUtf16BeMark:
      return Utf16ToCp1252(bytes, true, unmapped);
    case TextEncoding::kWindows1252:
      break;
  }
  return std::string(bytes);
}

std::string EncodePiece(std::string_view text, TextEncoding encoding) {
  if (encoding == TextEncoding::kUtf8 || encoding == TextEncoding::kUtf8Mark)
    return Cp1252ToUtf8(text);
  if (encoding == TextEncoding::kWindows1252) return std::string(text);
  std::string wide = Cp1252ToUtf16Le(text);
  if (encoding == TextEncoding::kUtf16BeMark) {
    for (size_t i = 0; i + 1 < wide.size(); i += 2)
      std::swap(wide[i], wide[i + 1]);
  }
  return wide;
}

const char* TextEncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8:
      return "UTF-8 without byte order mark";
    case TextEncoding::kUtf8Mark:
      return "UTF-8 with byte order mark";
    case TextEncoding::kUtf16LeMark:
      return "UTF-16LE with byte order mark";
    case TextEncoding::kUtf16BeMark:
      return "UTF-16BE with byte order mark";
    case TextEncoding::kWindows1252:
      break;
  }
  return "Windows-1252";
}
