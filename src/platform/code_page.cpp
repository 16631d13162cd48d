#include "platform/code_page.h"

namespace {

// 0x80 to 0x9F; the undefined bytes map to the C1 control of their value.
const uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodePointOf(char c) {
  const unsigned byte = static_cast<unsigned char>(c);
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

// The length of the well-formed UTF-8 sequence at text[at], with its code
// point; 0 when none starts there.
size_t DecodeUtf8(std::string_view text, size_t at, uint32_t& code) {
  const unsigned lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  size_t length = 0;
  uint32_t low = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
    low = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    low = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    low = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const unsigned next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return length;
}

void AppendCodePoint(std::string& out, uint32_t code, size_t* unmapped) {
  const char c = Cp1252FromCodePoint(code);
  if (c == '?' && code != '?' && unmapped != nullptr) ++*unmapped;
  out += c;
}

// Writes the UTF-8 form of c to out; returns its length, 1 to 3.
size_t EncodeUtf8(char c, char* out) {
  const uint32_t code = CodePointOf(c);
  if (code < 0x80) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<char>(0xC0 | (code >> 6));
    out[1] = static_cast<char>(0x80 | (code & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (code >> 12));
  out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (code & 0x3F));
  return 3;
}

}  // namespace

void AppendUtf8(std::string& out, char c) {
  char bytes[3];
  out.append(bytes, EncodeUtf8(c, bytes));
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // The code page's lower half is ASCII: runs of it go in whole, not a
  // byte at a time, as a status report of thousands of jobs passes through
  // here.
  size_t plain = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x80) continue;
    out.append(text.data() + plain, i - plain);
    AppendUtf8(out, text[i]);
    plain = i + 1;
  }
  out.append(text.data() + plain, text.size() - plain);
  return out;
}

size_t Cp1252ToUtf8(std::string_view text, char* out) {
  size_t length = 0;
  for (const char c : text) length += EncodeUtf8(c, out + length);
  return length;
}

char Cp1252FromCodePoint(uint32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
    return static_cast<char>(code);
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] == code) return static_cast<char>(0x80 + i);
  }
  return '?';
}

bool IsUtf8(std::string_view text) {
  uint32_t code = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t length = DecodeUtf8(text, at, code);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

bool HasHighByte(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > 127) return true;
  }
  return false;
}

std::string Utf8ToCp1252(std::string_view text, size_t* unmapped) {
  std::string out;
  out.reserve(text.size());
  uint32_t code = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t length = DecodeUtf8(text, at, code);
    if (length == 0) {
      out += '?';
      ++at;
      continue;
    }
    AppendCodePoint(out, code, unmapped);
    at += length;
  }
  return out;
}

void Utf8ToCp1252InPlace(char* text) {
  const std::string_view view(text);
  size_t out = 0;
  uint32_t code = 0;
  for (size_t at = 0; at < view.size();) {
    const size_t length = DecodeUtf8(view, at, code);
    text[out++] = length == 0 ? '?' : Cp1252FromCodePoint(code);
    at += length == 0 ? 1 : length;
  }
  text[out] = '\0';
}

std::string Utf16ToCp1252(std::string_view bytes, bool bigEndian,
                          size_t* unmapped) {
  std::string out;
  out.reserve(bytes.size() / 2);
  for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const unsigned first = static_cast<unsigned char>(bytes[at]);
    const unsigned second = static_cast<unsigned char>(bytes[at + 1]);
    const uint32_t unit =
        bigEndian ? (first << 8) | second : (second << 8) | first;
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < bytes.size()) {
      const unsigned a = static_cast<unsigned char>(bytes[at + 2]);
      const unsigned b = static_cast<unsigned char>(bytes[at + 3]);
      const uint32_t next = bigEndian ? (a << 8) | b : (b << 8) | a;
      if (next >= 0xDC00 && next <= 0xDFFF) at += 2;
    }
    AppendCodePoint(out, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit,
                    unmapped);
  }
  return out;
}

std::string Cp1252ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(2 * text.size());
  for (const char c : text) {
    const uint32_t code = CodePointOf(c);
    out += static_cast<char>(code & 0xFF);
    out += static_cast<char>(code >> 8);
  }
  return out;
}
