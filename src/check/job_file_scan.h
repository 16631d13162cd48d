// CJobFileScan: a lexical pass over the job file's bytes, with the profile
// functions' syntax rules, for what they cannot show: a section's second
// block, keys before the first section, a key that stands twice, the
// encoding. It explains; it never decides whether a job runs.
#ifndef QUILLSPUR_CHECK_JOB_FILE_SCAN_H
#define QUILLSPUR_CHECK_JOB_FILE_SCAN_H

#include <stddef.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile_lexer.h"
#include "platform/text_encoding.h"

struct ScannedKey {
  std::string name;
  int line;
  bool nulInValue;  // a NUL byte ended the value early
};

struct ScannedBlock {
  std::string name;
  std::vector<ScannedKey> keys;
  int line;
  // Run as the profile functions read it here: the value of the first line
  // of that name, unquoted; empty when that line has no "=".
  std::string run;
  bool runLine;  // a line of that name stands in the block
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
  // order, read by the profile parse's own lexer. A template, so that a
  // file of thousands of keys costs no call through a pointer per key.
  template <typename Each>
  static void Lex(std::string_view text, const Each& each);

  // The block that the profile functions read the keys of a section of
  // this name from (CProfileLexer::LookUpName); null when there is none.
  const ScannedBlock* FirstBlock(const std::string& name) const;
  // The blocks after the first whose name is this one as written, ASCII
  // letters in any case.
  std::vector<const ScannedBlock*> LaterBlocks(const std::string& name) const;
  // The section's Run as the profile functions read it; false when the
  // scan cannot vouch for it: a decoded file, which Windows decodes its
  // own way.
  bool ReadRun(const std::string& section, std::string& run) const;
  // Whether the scan takes line as a key: comment lines, lines without
  // "=" and keys without a name hold none.
  static bool HoldsKey(const ProfileLine& line) {
    return line.kind == ProfileLine::Kind::kKey &&
           !CProfileLexer::IsComment(line.name) && !line.name.empty();
  }

  TextEncoding m_encoding;
  // Characters with no Windows-1252 form, read as "?".
  size_t m_nUnmapped;
  // Read as Windows-1252, but bytes above 127 that form UTF-8 sequences,
  // and nothing that does not (Windows reads such a file so).
  bool m_bUtf8Text;
  std::vector<ScannedKey> m_keysBeforeFirstSection;
  std::vector<ScannedBlock> m_blocks;

 private:
  void Add(const ProfileLine& line);
  static void NoteRun(const ProfileLine& line, ScannedBlock& block);
  // The blocks of that name, in file order: a run of m_byName.
  std::pair<const size_t*, const size_t*> Named(std::string_view name) const;

  // The blocks' indexes sorted by name, ASCII letters in any case, those
  // of one name in file order.
  std::vector<size_t> m_byName;
};

template <typename Each>
void CJobFileScan::Lex(std::string_view text, const Each& each) {
  CProfileLexer::Lex(text, [&each](const ProfileLine& line) {
    if (line.kind == ProfileLine::Kind::kHeader) {
      each(ScanEvent{true, line.name, {}, line.number, false});
    } else if (HoldsKey(line)) {
      each(ScanEvent{false, line.name, line.value, line.number,
                     line.nulInValue});
    }
  });
}

#endif
