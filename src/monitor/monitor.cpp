#include "monitor/monitor.h"

#include <stdio.h>

#include <new>

#include "framework/file_find.h"
#include "log/log_messages.h"
#include "monitor/globals.h"
#include "monitor/job_pass.h"
#include "monitor/job_rules.h"
#include "platform/command.h"
#include "platform/startup_memory.h"

namespace {

const DWORD kSleepStep = 1000;

void ReportFailedInitialisation() {
  (void)fputs("Fatal Error: MFC initialization failed\n", stderr);
}

// Initialises, names the log, checks the argument and names the job file;
// false when the program ends here, with 1.
bool StartUp(int argc, char* argv[], FrameworkInit init, CIniFile& ini) {
  if (!init(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0)) {
    ReportFailedInitialisation();
    return false;
  }
  // The registry was read before main, and is never read again.
  ReleaseStartUpMemory();
  theLogDirectory = theInstallPath.GetLogDirectory();
  theLog.SetName(theLogDirectory, kGlobalSection);
  theLog.SetMaxSize(kLogLimit);
  // Logged before the arguments are looked at, so every start is on record.
  theLog.Write(kStartedMessage, true);
  if (argc != 2) {
    printf("Quillspur Ini-Datei\n");
    return false;
  }
  theConfigPath = argv[1];
  CFileFind finder;
  if (!finder.FindFile(theConfigPath, 0)) {
    theLog.Write(kConfigMissingOpen + theConfigPath + kConfigMissingClose,
                 true);
    theLog.Write(kEndedMessage, false);
    return false;
  }
  ini.SetFileName(ProfilePathFor(theConfigPath));
  return true;
}

}  // namespace

int MonitorMain(int argc, char* argv[], FrameworkInit init) {
  CIniFile ini;
  try {
    if (!StartUp(argc, argv, init, ini)) return 1;
  } catch (const std::bad_alloc&) {
    // Out of memory before the first cycle: the program cannot be set up,
    // just as when the framework cannot.
    ReportFailedInitialisation();
    return 1;
  }
  RunMonitorCycle(ini);
  return 1;
}

void RunMonitorCycle(CIniFile& ini) {
  uint32_t length = kDefaultDelay;
  for (;;) {
    CLogFile::ReloadTimeZone();
    // Read afresh every cycle, so an edited Delay counts from the next one.
    try {
      length = ReadDelay(ini);
    } catch (const std::bad_alloc&) {
      // Without the memory to read it, the last length holds.
    }
    // Measured on a clock that does not step: a wall clock set back an hour
    // changes the stamps, not the wait.
    const ULONGLONG end = CycleEnd(GetTickCount64(), length);
    try {
      RunJobPass(ini);
    } catch (const std::bad_alloc&) {
      // Out of memory: the pass ends where it is, logged as far as it got,
      // and the next one follows as after any pass.
    }
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
