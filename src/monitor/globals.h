// The process-wide objects, constructed before main in the order of
// globals.cpp and destroyed in reverse order at process exit.
#ifndef QUILLSPUR_MONITOR_GLOBALS_H
#define QUILLSPUR_MONITOR_GLOBALS_H

#include "framework/afx_string.h"
#include "framework/win_app.h"
#include "log/log_file.h"
#include "registry/install_path.h"

extern CLogFile theLog;
extern CString theLogDirectory;
extern CString theConfigPath;
extern CInstallPath theInstallPath;
extern CWinApp theApp;

#endif
