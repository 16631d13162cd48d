// CJobFileScan: a lexical pass over the job file's bytes, with the profile
// functions' syntax rules, for what they cannot show: a section's second
// block, keys before the first section, a key that stands twice, the
// encoding. It explains; it never decides whether a job runs.
#ifndef QUILLSPUR_CHECK_JOB_FILE_SCAN_H
#define QUILLSPUR_CHECK_JOB_FILE_SCAN_H

#include <stddef.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "text_encoding.h"

struct ScannedKey {
  std::string name;
  std::string value;
  int line;
  bool nulInValue;  // a NUL byte ended the value early
};

struct ScannedBlock {
  std::string name;
  int line;
  std::vector<ScannedKey> keys;
};

// A section header or a key, as the lexical pass meets it; the texts point
// into the bytes scanned.
struct ScanEvent {
  bool section;
  std::string_view name;
  std::string_view value;  // keys only
  int line;
  bool nulInValue;  // keys only: a NUL byte ended the value early
};

class CJobFileScan {
 public:
  CJobFileScan();
  virtual ~CJobFileScan();

  // Decodes bytes as the profile functions do, then scans the text.
  void Scan(const std::string& bytes);
  // The lexical pass alone over decoded text: each header and key in file
  // order. A template, so that a file of thousands of keys costs no call
  // through a pointer per key.
  template <typename Each>
  static void Lex(std::string_view text, const Each& each);

  // The blocks of the first section of this name (ASCII letters in any
  // case), and of every later one; null when there is none.
  const ScannedBlock* FirstBlock(const std::string& name) const;
  std::vector<const ScannedBlock*> LaterBlocks(const std::string& name) const;

  TextEncoding m_encoding;
  // Characters with no Windows-1252 form, read as "?".
  size_t m_nUnmapped;
  // Read as Windows-1252, but bytes above 127 that form UTF-8 sequences,
  // and nothing that does not (Windows reads such a file so).
  bool m_bUtf8Text;
  std::vector<ScannedKey> m_keysBeforeFirstSection;
  std::vector<ScannedBlock> m_blocks;

 private:
  // The profile functions' blanks off both ends.
  static std::string_view Trim(std::string_view text);
  static std::string_view CutAtNul(std::string_view text);
  // Where the line at the start of text ends: its first CR or LF.
  static size_t LineEnd(std::string_view text);
};

template <typename Each>
void CJobFileScan::Lex(std::string_view text, const Each& each) {
  int number = 0;
  // CR and LF each end a line, as for the profile functions; a CR LF pair
  // counts as one line end for the line numbers.
  while (!text.empty()) {
    const size_t end = LineEnd(text);
    std::string_view line = Trim(text.substr(0, end));
    const bool pair = text.substr(end, 2) == "\r\n";
    text.remove_prefix(std::min(end + (pair ? 2 : 1), text.size()));
    ++number;
    if (line.empty()) continue;
    if (line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        each(ScanEvent{true,
                       CutAtNul(Trim(line.substr(1, close - 1))),
                       {},
                       number,
                       false});
        continue;
      }
    }
    // Comment lines and lines without "=" hold no key.
    const size_t equals = line.find('=');
    if (line.front() == ';' || equals == std::string_view::npos) continue;
    const std::string_view name = CutAtNul(Trim(line.substr(0, equals)));
    if (name.empty()) continue;
    const std::string_view value = Trim(line.substr(equals + 1));
    const size_t nul = value.find('\0');
    each(ScanEvent{false, name, value.substr(0, nul), number,
                   nul != std::string_view::npos});
  }
}

#endif
