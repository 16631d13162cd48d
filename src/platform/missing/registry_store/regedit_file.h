// CRegeditFile: a registry store held as the text of a REGEDIT4 file. Every
// line the parser does not understand is kept byte for byte, and so is every
// entry that no change touched, so that a rewrite loses nothing. A file in
// UTF-8 (REGEDIT4 as Linux editors write it) or in UTF-16 with its mark (a
// regedit export) is read as Windows-1252 text, and a changed line is
// written back in the file's own encoding.
#ifndef QUILLSPUR_PLATFORM_REGEDIT_FILE_H
#define QUILLSPUR_PLATFORM_REGEDIT_FILE_H

#include <windows.h>

#include <string>
#include <vector>

#include "platform/text_encoding.h"

// One value of a key: its name ("" for the unnamed value), type and bytes.
struct RegeditValue {
  std::string name;
  DWORD type;
  std::string data;
};

class CRegeditFile {
 public:
  CRegeditFile();
  virtual ~CRegeditFile();

  // Reads a store's text: "REGEDIT4" or "Windows Registry Editor Version
  // 5.00" on the first line, or no text at all. False when it is neither.
  bool Parse(const std::string& text);
  // The store's text: untouched entries as read, changed ones rewritten.
  std::string Format() const;
  bool Changed() const { return m_bChanged; }
  // Whether changed lines are written in UTF-8.
  bool WritesUtf8() const;

  // Key paths are full ("HKEY_CURRENT_USER\Software\X") and match without
  // regard to case. A key exists when it has a section of its own or one
  // of its sub-keys has; the roots always exist.
  bool KeyExists(const std::string& path) const;
  // The names of the key's direct sub-keys, each once.
  std::vector<std::string> SubKeys(const std::string& path) const;
  // The values of a key in file order; a name given twice counts once, at
  // its last place, with its last data, as an import would leave it.
  std::vector<RegeditValue> Values(const std::string& path) const;
  // Adds a section for the key unless it has one.
  void AddKey(const std::string& path);
  // Replaces the value in place, or appends it to the key's last section.
  void SetValue(const std::string& path, const RegeditValue& value);
  // False when the key has no such value.
  bool DeleteValue(const std::string& path, const std::string& name);
  // Drops the key's sections with their values; its sub-keys stay.
  bool DeleteKey(const std::string& path);

 private:
  enum EntryKind { kText, kHeader, kValue };
  struct Entry {
    EntryKind kind;
    // As read, in the file's encoding, line ends included; empty once
    // changed.
    std::string raw;
    std::string key;  // the key of a header, or of the section of a value
    RegeditValue value;
  };

  void AddEntries(const std::vector<std::string>& raws,
                  const std::vector<std::string>& lines);
  void AddEntry(const std::string& raw, const std::string& line,
                std::string& section);
  void Touch();
  size_t FindValue(const std::string& path, const std::string& name) const;
  size_t SectionEnd(const std::string& path) const;
  std::string FormatEntry(const Entry& entry) const;
  // Text in the file's encoding and back.
  std::string Encode(const std::string& text) const;
  std::string Decode(const std::string& raw) const;
  // Whether the payloads of text types are UTF-16LE, as in a regedit
  // export.
  bool WideTextData() const;

  std::vector<Entry> m_entries;
  TextEncoding m_encoding;
  std::string m_strMark;  // the byte order mark before the first line
  std::string m_strEol;   // the line end of the file, kept for new lines
  bool m_bChanged;
};

#endif
