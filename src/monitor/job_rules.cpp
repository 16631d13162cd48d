#include "monitor/job_rules.h"

#include <mbstring.h>

#include "framework/file_find.h"

const char kGlobalSection[] = "Quillspur";
const char kDelayKey[] = "Delay";
const char kCheckKey[] = "Check";
const char kRunKey[] = "Run";

namespace {

const char kGlobalSectionUpper[] = "QUILLSPUR";
const int kDelayRadix = 10;

}  // namespace

CString ProfilePathFor(const CString& argument) {
  const bool bare = argument.Find('\\') < 0 && argument.Find('/') < 0 &&
                    argument.Find(':') < 0;
  return bare ? ".\\" + argument : argument;
}

bool IsGlobalSection(const CString& name) {
  CString upper = name;
  upper.MakeUpper();
  return _mbscmp(reinterpret_cast<const unsigned char*>(
                     static_cast<const char*>(upper)),
                 reinterpret_cast<const unsigned char*>(kGlobalSectionUpper)) ==
         0;
}

uint32_t ReadDelay(CIniFile& ini) {
  return static_cast<uint32_t>(
      ini.GetInt(kGlobalSection, kDelayKey, kDefaultDelay, kDelayRadix));
}

uint32_t DelayFromValue(std::string_view value) {
  return static_cast<uint32_t>(
      IntFromProfileValue(value, kDefaultDelay, kDelayRadix));
}

bool RunsBackToBack(uint32_t length) {
  return length == 0 || length > static_cast<uint32_t>(INT32_MAX);
}

std::vector<CString> SplitCheckValue(const CString& check) {
  std::vector<CString> pieces;
  // One walk over the value: each piece is copied once, the rest never.
  // A blank beside a ";" belongs to the path; an empty piece matches nothing.
  int begin = 0;
  for (int p = check.Find(';'); p != -1; p = check.Find(';', begin)) {
    pieces.push_back(check.Mid(begin, p - begin));
    begin = p + 1;
  }
  if (begin < check.GetLength())
    pieces.push_back(check.Mid(begin, check.GetLength() - begin));
  return pieces;
}

bool CheckPaths(const CString& check, std::vector<CheckedPiece>* pieces) {
  bool allFound = true;
  // One finder for every piece; it is gone before any command runs.
  CFileFind finder;
  for (const CString& piece : SplitCheckValue(check)) {
    const bool found = finder.FindFile(piece, 0) != 0;
    if (!found) allFound = false;
    if (pieces != nullptr) pieces->push_back(CheckedPiece{piece, found});
  }
  return allFound;
}
