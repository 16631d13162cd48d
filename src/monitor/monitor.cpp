#include "monitor.h"

#include <stdio.h>

#include "command.h"
#include "file_find.h"
#include "globals.h"
#include "job_pass.h"
#include "job_rules.h"

namespace {

const DWORD kSleepStep = 1000;

}  // namespace

int MonitorMain(int argc, char* argv[], FrameworkInit init) {
  CIniFile ini;
  if (!init(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0)) {
    (void)fputs("Fatal Error: MFC initialization failed\n", stderr);
    return 1;
  }
  theLogDirectory = theInstallPath.GetLogDirectory();
  theLog.SetName(theLogDirectory, kGlobalSection);
  theLog.SetMaxSize(kLogLimit);
  // Logged before the arguments are looked at, so every start is on record.
  theLog.Write("Quillspur gestartet", true);
  if (argc != 2) {
    printf("Quillspur Ini-Datei\n");
    return 1;
  }
  theConfigPath = argv[1];
  CFileFind finder;
  if (!finder.FindFile(theConfigPath, 0)) {
    theLog.Write("Konfigurationsdatei '" + theConfigPath + "' nicht gefunden.",
                 true);
    theLog.Write("Quillspur beendet", false);
    return 1;
  }
  ini.SetFileName(ProfilePathFor(theConfigPath));
  RunMonitorCycle(ini);
  return 1;
}

void RunMonitorCycle(CIniFile& ini) {
  for (;;) {
    CLogFile::ReloadTimeZone();
    // Read afresh every cycle, so an edited Delay counts from the next one.
    const uint32_t length = ReadDelay(ini);
    // Measured on a clock that does not step: a wall clock set back an hour
    // changes the stamps, not the wait.
    const ULONGLONG end = CycleEnd(GetTickCount64(), length);
    RunJobPass(ini);
    ReapEndedChildren();
    // A pass longer than the cycle is followed at once by the next.
    while (CycleEndInFuture(end, GetTickCount64())) {
      Sleep(kSleepStep);
      ReapEndedChildren();
    }
  }
}

ULONGLONG CycleEnd(ULONGLONG now, uint32_t length) {
  if (RunsBackToBack(length)) return now;
  return now + static_cast<ULONGLONG>(length) * 1000u;
}

bool CycleEndInFuture(ULONGLONG end, ULONGLONG now) { return end > now; }
