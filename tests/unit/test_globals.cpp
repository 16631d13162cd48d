// The process-wide objects of the test program, in the program's order. The
// installation path reads the registry while it is constructed; before it,
// the POSIX registry store is pointed at a directory that does not exist,
// so that starting the tests never reads or changes the machine's own.
#include <stdlib.h>

#include "monitor/globals.h"

namespace {

struct NoMachineStore {
  NoMachineStore() {
    static char setting[] =
        "QUILLSPUR_REGISTRY=/nonexistent/quillspur-tests/registry.reg";
    putenv(setting);
  }
} noMachineStore;

}  // namespace

CLogFile theLog;
CString theLogDirectory;
CString theConfigPath;
CInstallPath theInstallPath;
CWinApp theApp;
