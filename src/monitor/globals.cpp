// One translation unit, so that the order of construction is the order
// written here.
#include "monitor/globals.h"

CLogFile theLog;
CString theLogDirectory;
CString theConfigPath;
// Reads the registry, before anything else of the program runs.
CInstallPath theInstallPath;
CWinApp theApp;
