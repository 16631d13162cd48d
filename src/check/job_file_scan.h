// CJobFileScan: a lexical pass over the job file's bytes, with the profile
// functions' syntax rules, for what they cannot show: a section's second
// block, keys before the first section, a key that stands twice, the
// encoding. It explains; it never decides whether a job runs. It keeps
// little per block, since a pass's own memory is already several times the
// file: the name and Run in one text, and only the keys that a report can
// name.
#ifndef QUILLSPUR_CHECK_JOB_FILE_SCAN_H
#define QUILLSPUR_CHECK_JOB_FILE_SCAN_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile_lexer.h"
#include "platform/text_encoding.h"

struct ScannedKey {
  std::string name;
  int line;
  int firstLine;    // the line of a key of this name before it, or 0
  bool nulInValue;  // a NUL byte ended the value early
};

// A block as the scan keeps it; its texts point into the scan.
struct ScannedBlock {
  std::string_view name;
  int line;
  bool hasCheck;  // a key named Check stands in it
  // Run as the profile functions read it here: the value of the first line
  // of that name, unquoted; empty when that line has no "=".
  std::string_view run;
  // Its keys but those named Check or Run that stand once and end at no
  // NUL, outside the global section: only they can make a finding.
  const ScannedKey* keys;
  size_t keyCount;
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

  // The blocks in file order.
  size_t BlockCount() const { return m_blocks.size(); }
  ScannedBlock BlockAt(size_t index) const;
  // The index of the block that the profile functions read the keys of a
  // section of this name from (CProfileLexer::LookUpName); kNone when
  // there is none.
  static constexpr size_t kNone = static_cast<size_t>(-1);
  size_t FirstBlock(const std::string& name) const;
  // The lines of the blocks after the first whose name is this one as
  // written, ASCII letters in any case.
  std::vector<int> LaterLines(const std::string& name) const;
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

 private:
  // A block's name and then its Run stand at offset in m_strText; the Run
  // ends where the next block's name begins.
  struct Block {
    uint32_t offset;
    uint32_t nameLength;
    uint32_t line : 31;
    uint32_t hasCheck : 1;
  };
  // The keys of the block being scanned, all of them, for the repeats.
  struct OpenKey {
    std::string_view name;
    int line;
  };

  void Add(const ProfileLine& line);
  void AddHeader(const ProfileLine& line);
  void AddKey(const ProfileLine& line);
  void NoteRun(const ProfileLine& line);
  std::string_view NameOf(const Block& block) const {
    return std::string_view(m_strText).substr(block.offset, block.nameLength);
  }
  // The blocks of that name, in file order: a run of m_byName.
  std::pair<const uint32_t*, const uint32_t*> Named(
      std::string_view name) const;

  std::string m_strText;
  std::vector<Block> m_blocks;
  std::vector<ScannedKey> m_keys;
  std::vector<uint32_t> m_keyBlocks;  // the block of each of m_keys
  // The blocks' indexes sorted by name, ASCII letters in any case, those
  // of one name in file order.
  std::vector<uint32_t> m_byName;
  // While scanning: the open block's keys, whether it is the global
  // section, whether its Run is read.
  std::vector<OpenKey> m_open;
  bool m_bGlobal;
  bool m_bRunRead;
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
