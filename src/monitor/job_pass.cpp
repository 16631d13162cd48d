#include "monitor/job_pass.h"

#include <errno.h>

#include "framework/afx_string_array.h"
#include "log/log_messages.h"
#include "monitor/globals.h"
#include "monitor/job_rules.h"
#include "platform/command.h"

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

bool CheckJobFiles(CIniFile& ini, const CString& section) {
  const CString check = ini.GetString(section, kCheckKey, nullptr);
  theLog.Write(kCheckPrefix + check, true);
  return CheckPaths(check, nullptr);
}

void StartJobProgram(CIniFile& ini, const CString& section) {
  const CString command = ini.GetString(section, kRunKey, nullptr);
  theLog.Write(kStartPrefix + command, true);
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
    message.Format(kStartFailedFormat, static_cast<const char*>(command),
                   error);
  } else {
    message.Format(kOutcomeFormat, result, error);
  }
  return message;
}
