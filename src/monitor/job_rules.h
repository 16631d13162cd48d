// What a job file means to the monitor: the global section, the cycle
// length, and how a Check value is split and tested. The monitor and
// quillspur-check both decide through these, so they cannot disagree.
#ifndef QUILLSPUR_MONITOR_JOB_RULES_H
#define QUILLSPUR_MONITOR_JOB_RULES_H

#include <stdint.h>

#include <string_view>
#include <vector>

#include "config/ini_file.h"
#include "framework/afx_string.h"

// The global section, also the base name of the log files.
extern const char kGlobalSection[];
extern const char kDelayKey[];
extern const char kCheckKey[];
extern const char kRunKey[];
const int kDefaultDelay = 60;
// The log moves to .old at the first message after it grew past this.
const int kLogLimit = 1000000;

// The name the profile functions are given for the job file argument: a
// bare name (no "\\", "/" or ":") with ".\\" in front, since Windows looks
// a bare name up in its own directory rather than where the existence test
// found it. Everything else as given.
CString ProfilePathFor(const CString& argument);
// The section named "Quillspur" in any letter case; it is never a job.
bool IsGlobalSection(const CString& name);
// The cycle length in seconds, read afresh: Delay in radix 10, 60 when it
// is missing or empty, 0 for text that is not a number.
uint32_t ReadDelay(CIniFile& ini);
// The cycle length that ReadDelay gives for Delay's value as the profile
// functions read it, for a reader that lexes the file itself.
uint32_t DelayFromValue(std::string_view value);
// Whether a cycle of this length ends as it begins, so that passes run
// back to back: 0, and every length that is negative as a signed 32-bit
// number.
bool RunsBackToBack(uint32_t length);
// The pieces of a Check value that get tested, in order: split at every
// ";", blanks kept, an empty rest after the last ";" left out.
std::vector<CString> SplitCheckValue(const CString& check);
// A piece of a Check value and whether it matched.
struct CheckedPiece {
  CString path;
  bool found;
};
// True when every piece matches a file or directory (and for no piece).
// Every piece is tested, also after a miss; pieces, when given, receives
// each piece with its answer.
bool CheckPaths(const CString& check, std::vector<CheckedPiece>* pieces);

#endif
