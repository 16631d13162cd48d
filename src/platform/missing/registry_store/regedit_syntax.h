// The line syntax of REGEDIT4 files: key headers and value lines.
#ifndef QUILLSPUR_PLATFORM_REGEDIT_SYNTAX_H
#define QUILLSPUR_PLATFORM_REGEDIT_SYNTAX_H

#include <string>

#include "platform/missing/registry_store/regedit_file.h"

// Equal without regard to the case of ASCII letters, as registry names are.
bool SameRegistryName(const std::string& a, const std::string& b);
// True when path lies below parent ("A\B\C" below "a\b").
bool IsBelowKey(const std::string& path, const std::string& parent);
// The key path of a "[ROOT\path]" line whose root is one of the four
// predefined keys; false for any other line, "[-...]" deletions included.
bool ParseKeyHeader(const std::string& line, std::string& path);
// A value line, its continuations already joined: "Name" or @, then "=",
// then "text", dword:, hex: or hex(N): data. False for anything else.
bool ParseValueLine(const std::string& line, RegeditValue& value);
// A value line whose data are hex: or hex(N):.
bool HasHexData(const std::string& line);
// A value line with hex data that ends in "\\": its data go on over the
// next line. No other kind of data is wrapped.
bool ContinuesHexData(const std::string& line);
// A line, without its indent and line end, that holds only hex digits,
// commas and blanks, and perhaps a "\\" at its end: wrapped hex data.
bool IsHexContinuation(const std::string& line);
// Whether a REG_SZ is written as "text": one NUL, at its end, no line break.
bool FitsQuotedText(const RegeditValue& value);
// The value as REGEDIT4 writes it, long hex data wrapped with "\" before
// eol. Text that a quoted string cannot carry exactly is written as hex(1).
std::string FormatValueLine(const RegeditValue& value, const std::string& eol);

#endif
