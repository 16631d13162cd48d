// The process-wide objects of the benchmark, in the program's order. The
// installation path reads the registry while it is constructed; the POSIX
// store is pointed at a directory that does not exist first, so that
// starting the benchmark never reads or changes the machine's own.
#include <stdlib.h>

#include "monitor/globals.h"

namespace {

struct NoMachineStore {
  NoMachineStore() {
    static char setting[] =
        "QUILLSPUR_REGISTRY=/nonexistent/quillspur-bench/registry.reg";
    putenv(setting);
  }
} noMachineStore;

}  // namespace

CLogFile theLog;
CString theLogDirectory;
CString theConfigPath;
CInstallPath theInstallPath;
CWinApp theApp;
