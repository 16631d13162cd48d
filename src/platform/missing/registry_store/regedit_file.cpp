#include "platform/missing/registry_store/regedit_file.h"

#include <mbstring.h>

#include <algorithm>
#include <set>

#include "platform/code_page.h"
#include "platform/missing/registry_store/regedit_syntax.h"

namespace {

// Orders names as the registry compares them, without regard to case.
struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                    reinterpret_cast<const unsigned char*>(b.c_str())) < 0;
  }
};

const char kRegedit4[] = "REGEDIT4";
const char kRegedit5[] = "Windows Registry Editor Version 5.00";

// The line without its line end and trailing blanks.
std::string Stripped(const std::string& raw) {
  size_t end = raw.size();
  while (end > 0 && (raw[end - 1] == '\n' || raw[end - 1] == '\r' ||
                     raw[end - 1] == ' ' || raw[end - 1] == '\t')) {
    --end;
  }
  return raw.substr(0, end);
}

std::string WithoutIndent(const std::string& line) {
  const size_t start = line.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : line.substr(start);
}

bool IsWide(TextEncoding encoding) {
  return encoding == TextEncoding::kUtf16LeMark ||
         encoding == TextEncoding::kUtf16BeMark;
}

// Lines with their LF, in 8-bit text or in UTF-16 code units.
std::vector<std::string> SplitLines(const std::string& text,
                                    TextEncoding encoding) {
  const std::string lf =
      encoding == TextEncoding::kUtf16LeMark   ? std::string("\n\0", 2)
      : encoding == TextEncoding::kUtf16BeMark ? std::string("\0\n", 2)
                                               : std::string("\n");
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(lf, start);
    while (end != std::string::npos && (end - start) % lf.size() != 0)
      end = text.find(lf, end + 1);
    end = (end == std::string::npos) ? text.size() : end + lf.size();
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

bool IsTextType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

CRegeditFile::CRegeditFile()
    : m_encoding(TextEncoding::kWindows1252),
      m_strEol("\n"),
      m_bChanged(false) {}

CRegeditFile::~CRegeditFile() = default;

bool CRegeditFile::Parse(const std::string& text) {
  m_entries.clear();
  m_bChanged = false;
  m_strEol = "\n";
  m_encoding = TextEncoding::kWindows1252;
  m_strMark.clear();
  if (text.empty()) return true;
  m_encoding = DetectTextEncoding(text);
  const size_t markLength = MarkLength(m_encoding);
  m_strMark = text.substr(0, markLength);
  const std::vector<std::string> raws =
      SplitLines(text.substr(markLength), m_encoding);
  std::vector<std::string> lines;
  lines.reserve(raws.size());
  for (const std::string& raw : raws) {
    lines.push_back(Decode(raw));
    if (lines.back().find('\0') != std::string::npos) return false;
  }
  if (lines.empty()) return false;
  const std::string first = Stripped(lines[0]);
  if (first != kRegedit4 && first != kRegedit5) return false;
  if (lines[0].size() >= 2 &&
      lines[0].compare(lines[0].size() - 2, 2, "\r\n") == 0) {
    m_strEol = "\r\n";
  }
  AddEntries(raws, lines);
  return true;
}

// raws: the lines as read; lines: the same decoded.
void CRegeditFile::AddEntries(const std::vector<std::string>& raws,
                              const std::vector<std::string>& lines) {
  std::string section;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string raw = raws[i];
    std::string line = Stripped(lines[i]);
    // A value's hex data may go on over lines that each end in "\"; a
    // line that does not hold hex data is never taken in.
    while (ContinuesHexData(line) && i + 1 < lines.size() &&
           IsHexContinuation(WithoutIndent(Stripped(lines[i + 1])))) {
      line.pop_back();
      raw += raws[++i];
      line += WithoutIndent(Stripped(lines[i]));
    }
    AddEntry(raw, line, section);
  }
}

std::string CRegeditFile::Format() const {
  if (m_encoding == TextEncoding::kWindows1252 && WritesUtf8()) {
    CRegeditFile utf8(*this);
    utf8.m_encoding = TextEncoding::kUtf8;
    return utf8.Format();
  }
  std::string text = m_strMark;
  const std::string eol = Encode(m_strEol);
  const std::string lf = Encode("\n");
  for (const Entry& entry : m_entries) {
    if (text.size() > m_strMark.size() &&
        text.compare(text.size() - lf.size(), lf.size(), lf) != 0) {
      text += eol;
    }
    text +=
        entry.raw.empty() ? Encode(FormatEntry(entry) + m_strEol) : entry.raw;
  }
  return text;
}

bool CRegeditFile::KeyExists(const std::string& path) const {
  std::string root;
  if (path.find('\\') == std::string::npos &&
      ParseKeyHeader("[" + path + "]", root)) {
    return true;
  }
  for (const Entry& entry : m_entries) {
    if (entry.kind != kHeader) continue;
    if (SameRegistryName(entry.key, path) || IsBelowKey(entry.key, path)) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> CRegeditFile::SubKeys(const std::string& path) const {
  std::vector<std::string> children;
  for (const Entry& entry : m_entries) {
    if (entry.kind != kHeader || !IsBelowKey(entry.key, path)) continue;
    const std::string rest = entry.key.substr(path.size() + 1);
    const std::string child = rest.substr(0, rest.find('\\'));
    bool known = false;
    for (const std::string& seen : children)
      known = known || SameRegistryName(seen, child);
    if (!known) children.push_back(child);
  }
  return children;
}

std::vector<RegeditValue> CRegeditFile::Values(const std::string& path) const {
  // From the end, so that the first of a name met is its last in the file.
  std::set<std::string, NameLess> seen;
  std::vector<RegeditValue> values;
  for (size_t i = m_entries.size(); i > 0; --i) {
    const Entry& entry = m_entries[i - 1];
    if (entry.kind == kValue && SameRegistryName(entry.key, path) &&
        seen.insert(entry.value.name).second) {
      values.push_back(entry.value);
    }
  }
  std::reverse(values.begin(), values.end());
  return values;
}

void CRegeditFile::AddKey(const std::string& path) {
  for (const Entry& entry : m_entries) {
    if (entry.kind == kHeader && SameRegistryName(entry.key, path)) return;
  }
  if (m_entries.empty()) {
    m_entries.push_back(
        Entry{kText, Encode(kRegedit4 + m_strEol), "", RegeditValue()});
  }
  if (!Stripped(Decode(m_entries.back().raw)).empty() ||
      m_entries.back().kind != kText) {
    m_entries.push_back(Entry{kText, Encode(m_strEol), "", RegeditValue()});
  }
  m_entries.push_back(Entry{kHeader, "", path, RegeditValue()});
  Touch();
}

void CRegeditFile::SetValue(const std::string& path,
                            const RegeditValue& value) {
  const size_t index = FindValue(path, value.name);
  if (index != std::string::npos) {
    // The name keeps the spelling it has in the file, and a line whose
    // value does not change keeps its spelling too.
    Entry& entry = m_entries[index];
    if (entry.value.type == value.type && entry.value.data == value.data) {
      return;
    }
    Touch();
    entry.value.type = value.type;
    entry.value.data = value.data;
    entry.raw.clear();
    return;
  }
  Touch();
  AddKey(path);
  const size_t end = SectionEnd(path);
  m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(end),
                   Entry{kValue, "", path, value});
}

bool CRegeditFile::DeleteValue(const std::string& path,
                               const std::string& name) {
  bool found = false;
  for (size_t i = m_entries.size(); i > 0; --i) {
    const Entry& entry = m_entries[i - 1];
    if (entry.kind == kValue && SameRegistryName(entry.key, path) &&
        SameRegistryName(entry.value.name, name)) {
      m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i - 1));
      found = true;
    }
  }
  if (found) Touch();
  return found;
}

bool CRegeditFile::DeleteKey(const std::string& path) {
  bool found = false;
  for (size_t i = m_entries.size(); i > 0; --i) {
    const Entry& entry = m_entries[i - 1];
    if (entry.kind != kText && SameRegistryName(entry.key, path)) {
      m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i - 1));
      found = true;
    }
  }
  if (found) Touch();
  return found;
}

void CRegeditFile::AddEntry(const std::string& raw, const std::string& line,
                            std::string& section) {
  Entry entry{kText, raw, "", RegeditValue()};
  if (!line.empty() && line[0] == '[') {
    // Values below a header we do not know belong to no key of ours.
    section.clear();
    if (ParseKeyHeader(line, entry.key)) {
      entry.kind = kHeader;
      section = entry.key;
    }
  } else if (!section.empty() && ParseValueLine(line, entry.value)) {
    entry.kind = kValue;
    entry.key = section;
    // Hex payloads of text are UTF-16LE in an export; RegQueryValueExA
    // hands them out in the ANSI code page.
    if (WideTextData() && IsTextType(entry.value.type) && HasHexData(line))
      entry.value.data = Utf16ToCp1252(entry.value.data, false);
  }
  m_entries.push_back(entry);
}

void CRegeditFile::Touch() { m_bChanged = true; }

size_t CRegeditFile::FindValue(const std::string& path,
                               const std::string& name) const {
  for (size_t i = m_entries.size(); i > 0; --i) {
    const Entry& entry = m_entries[i - 1];
    if (entry.kind == kValue && SameRegistryName(entry.key, path) &&
        SameRegistryName(entry.value.name, name)) {
      return i - 1;
    }
  }
  return std::string::npos;
}

size_t CRegeditFile::SectionEnd(const std::string& path) const {
  size_t header = 0;
  for (size_t i = 0; i < m_entries.size(); ++i) {
    const Entry& entry = m_entries[i];
    if (entry.kind == kHeader && SameRegistryName(entry.key, path)) header = i;
  }
  // Behind the section's last line that is not blank, so that the blank
  // lines before the next section stay where they are.
  size_t end = header + 1;
  for (size_t i = header + 1; i < m_entries.size(); ++i) {
    const Entry& entry = m_entries[i];
    const std::string line = Stripped(Decode(entry.raw));
    if (entry.kind == kHeader || (!line.empty() && line[0] == '[')) break;
    if (entry.kind == kValue || !line.empty()) end = i + 1;
  }
  return end;
}

std::string CRegeditFile::FormatEntry(const Entry& entry) const {
  if (entry.kind == kHeader) return "[" + entry.key + "]";
  if (!WideTextData() || !IsTextType(entry.value.type) ||
      FitsQuotedText(entry.value)) {
    return FormatValueLine(entry.value, m_strEol);
  }
  RegeditValue wide = entry.value;
  wide.data = Cp1252ToUtf16Le(wide.data);
  return FormatValueLine(wide, m_strEol);
}

std::string CRegeditFile::Encode(const std::string& text) const {
  return EncodePiece(text, m_encoding);
}

std::string CRegeditFile::Decode(const std::string& raw) const {
  return DecodePiece(raw, m_encoding);
}

bool CRegeditFile::WritesUtf8() const {
  if (m_encoding == TextEncoding::kUtf8 ||
      m_encoding == TextEncoding::kUtf8Mark) {
    return true;
  }
  // A store without a byte above 127 is read alike in either encoding; a
  // Linux one gets its first such byte in UTF-8, which its editors show.
  if (m_encoding != TextEncoding::kWindows1252 || !DecodesUnmarkedUtf8())
    return false;
  for (const Entry& entry : m_entries) {
    if (HasHighByte(entry.raw)) return false;
  }
  return true;
}

bool CRegeditFile::WideTextData() const { return IsWide(m_encoding); }
