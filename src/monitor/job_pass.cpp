#include "job_pass.h"

#include <errno.h>
#include <mbstring.h>

#include "afx_string_array.h"
#include "command.h"
#include "file_find.h"
#include "globals.h"

namespace {

// The global section, upper-cased; it holds the cycle length, not a job.
const char kGlobalSectionUpper[] = "QUILLSPUR";

bool IsGlobalSection(const CString& name) {
  CString upper = name;
  upper.MakeUpper();
  return _mbscmp(reinterpret_cast<const unsigned char*>(
                     static_cast<const char*>(upper)),
                 reinterpret_cast<const unsigned char*>(kGlobalSectionUpper)) ==
         0;
}

}  // namespace

void RunJobPass(CIniFile& ini) {
  // The only listing in this pass: sections added meanwhile wait for the next.
  CStringArray sections;
  ini.GetSectionNames(&sections);
  for (int i = 0; i < sections.GetSize(); ++i) {
    const CString section = sections.GetAt(i);
    if (IsGlobalSection(section)) continue;
    if (CheckJobFiles(ini, section)) StartJobProgram(ini, section);
  }
}

bool CheckJobFiles(CIniFile& ini, CString section) {
  CString rest = ini.GetString(section, "Check", nullptr);
  theLog.Write(
      "\xDC"
      "berpr\xFC"
      "fe Datei(en): " +
          rest,
      true);
  bool allFound = true;
  CFileFind finder;
  // A blank beside a ";" belongs to the path; an empty piece matches nothing.
  for (int p = rest.Find(';'); p != -1; p = rest.Find(';')) {
    if (!finder.FindFile(rest.Left(p), 0)) allFound = false;
    rest = rest.Right(rest.GetLength() - p - 1);
  }
  if (rest.IsEmpty()) return allFound;
  return finder.FindFile(rest, 0) != 0 && allFound;
}

void StartJobProgram(CIniFile& ini, CString section) {
  const CString command = ini.GetString(section, "Run", nullptr);
  theLog.Write("Starte Programm: " + command, true);
  if (command.IsEmpty()) return;
  errno = 0;
  const int result = RunCommandLine(command);
  const int error = errno;
  theLog.Write(FormatProgramOutcome(command, result, error), true);
}

CString FormatProgramOutcome(const CString& command, int result, int error) {
  // The values are arguments, never the format: a "%" in them stays as is.
  CString message;
  if (result == -1) {
    message.Format(
        "Fehler bei der Ausf\xFC"
        "hrung des Programms '%s'' (errno = %d)",
        static_cast<const char*>(command), error);
  } else {
    message.Format("Programm beendet (iRC = %d, errno = %d)", result, error);
  }
  return message;
}
