#include "platform/missing/registry_store/regedit_syntax.h"

#include <mbstring.h>
#include <stdio.h>
#include <string.h>

namespace {

const char* const kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                              "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
// Hex data lines are wrapped before they grow past this many characters.
const size_t kWrapColumn = 76;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string with \\ and \" escapes from line at pos, which
// points at the opening quote; pos ends behind the closing quote.
bool ReadQuoted(const std::string& line, size_t& pos, std::string& text) {
  if (pos >= line.size() || line[pos] != '"') return false;
  text.clear();
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\') {
      if (++pos >= line.size()) return false;
      c = line[pos];
      if (c != '\\' && c != '"') return false;
    }
    text += c;
  }
  return false;
}

// Reads "Name"= or @= from the start of line; pos ends behind the "=".
bool ReadValueName(const std::string& line, size_t& pos, std::string& name) {
  pos = 0;
  if (line.compare(0, 1, "@") == 0) {
    name.clear();
    pos = 1;
  } else if (!ReadQuoted(line, pos, name)) {
    return false;
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  return true;
}

// Comma-separated two-digit hex bytes; blanks around them are allowed.
bool ReadHexBytes(const std::string& list, std::string& bytes) {
  bytes.clear();
  size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < list.size() && (list[pos] == ' ' || list[pos] == '\t')) ++pos;
  };
  skipBlanks();
  if (pos == list.size()) return true;
  for (;;) {
    if (pos + 2 > list.size()) return false;
    const int high = HexDigit(list[pos]);
    const int low = HexDigit(list[pos + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
    pos += 2;
    skipBlanks();
    if (pos == list.size()) return true;
    if (list[pos++] != ',') return false;
    skipBlanks();
  }
}

bool ReadHexNumber(const std::string& digits, unsigned long max,
                   unsigned long& number) {
  if (digits.empty() || digits.size() > 8) return false;
  number = 0;
  for (char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    number = number * 16 + static_cast<unsigned long>(digit);
  }
  return number <= max;
}

bool ParseData(const std::string& data, RegeditValue& value) {
  size_t pos = 0;
  if (!data.empty() && data[0] == '"') {
    std::string text;
    if (!ReadQuoted(data, pos, text) || pos != data.size()) return false;
    value.type = REG_SZ;
    value.data = text + '\0';
    return true;
  }
  unsigned long number = 0;
  if (data.compare(0, 6, "dword:") == 0) {
    if (!ReadHexNumber(data.substr(6), 0xFFFFFFFFul, number)) return false;
    value.type = REG_DWORD;
    value.data.clear();
    for (int i = 0; i < 4; ++i)
      value.data += static_cast<char>(number >> (8 * i));
    return true;
  }
  if (data.compare(0, 4, "hex:") == 0) {
    value.type = REG_BINARY;
    return ReadHexBytes(data.substr(4), value.data);
  }
  const size_t close = data.find("):");
  if (data.compare(0, 4, "hex(") != 0 || close == std::string::npos)
    return false;
  if (!ReadHexNumber(data.substr(4, close - 4), 0xFFFFFFFFul, number))
    return false;
  value.type = static_cast<DWORD>(number);
  return ReadHexBytes(data.substr(close + 2), value.data);
}

// A REG_SZ that "text" carries exactly: one NUL, at the end, no line breaks.
bool FitsQuoted(const RegeditValue& value) {
  const std::string& data = value.data;
  if (value.type != REG_SZ || data.empty() || data.back() != '\0') return false;
  return data.find_first_of(std::string("\r\n\0", 3)) == data.size() - 1;
}

std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::string HexList(const std::string& line, const std::string& bytes,
                    const std::string& eol) {
  std::string out = line;
  size_t column = line.size();
  for (size_t i = 0; i < bytes.size(); ++i) {
    char hex[4];
    (void)snprintf(hex, sizeof hex, "%02x",
                   static_cast<unsigned char>(bytes[i]));
    if (i > 0) {
      out += ',';
      ++column;
      if (column + 3 > kWrapColumn) {
        out += "\\" + eol + "  ";
        column = 2;
      }
    }
    out += hex;
    column += 2;
  }
  return out;
}

}  // namespace

bool SameRegistryName(const std::string& a, const std::string& b) {
  return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                  reinterpret_cast<const unsigned char*>(b.c_str())) == 0;
}

bool IsBelowKey(const std::string& path, const std::string& parent) {
  return path.size() > parent.size() && path[parent.size()] == '\\' &&
         SameRegistryName(path.substr(0, parent.size()), parent);
}

bool ParseKeyHeader(const std::string& line, std::string& path) {
  if (line.size() < 3 || line.front() != '[' || line.back() != ']')
    return false;
  const std::string inner = line.substr(1, line.size() - 2);
  const std::string root = inner.substr(0, inner.find('\\'));
  for (const char* known : kRoots) {
    if (SameRegistryName(root, known)) {
      path = inner;
      return true;
    }
  }
  return false;
}

bool FitsQuotedText(const RegeditValue& value) { return FitsQuoted(value); }

bool ParseValueLine(const std::string& line, RegeditValue& value) {
  size_t pos = 0;
  if (!ReadValueName(line, pos, value.name)) return false;
  return ParseData(line.substr(pos), value);
}

bool HasHexData(const std::string& line) {
  size_t pos = 0;
  std::string name;
  if (!ReadValueName(line, pos, name)) return false;
  return line.compare(pos, 4, "hex:") == 0 || line.compare(pos, 4, "hex(") == 0;
}

bool ContinuesHexData(const std::string& line) {
  return !line.empty() && line.back() == '\\' && HasHexData(line);
}

bool IsHexContinuation(const std::string& line) {
  const size_t end =
      (!line.empty() && line.back() == '\\') ? line.size() - 1 : line.size();
  if (end == 0) return false;
  for (size_t i = 0; i < end; ++i) {
    const char c = line[i];
    if (HexDigit(c) < 0 && c != ',' && c != ' ' && c != '\t') return false;
  }
  return true;
}

std::string FormatValueLine(const RegeditValue& value, const std::string& eol) {
  const std::string name = value.name.empty() ? "@" : Quote(value.name);
  if (FitsQuoted(value)) {
    return name + "=" + Quote(value.data.substr(0, value.data.size() - 1));
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    unsigned long number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    }
    char text[16];
    (void)snprintf(text, sizeof text, "dword:%08lx", number);
    return name + "=" + text;
  }
  char prefix[24];
  if (value.type == REG_BINARY) {
    (void)snprintf(prefix, sizeof prefix, "hex:");
  } else {
    (void)snprintf(prefix, sizeof prefix,
                   "hex(%lx):", static_cast<unsigned long>(value.type));
  }
  return HexList(name + "=" + prefix, value.data, eol);
}
