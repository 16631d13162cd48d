// CWinApp and AfxWinInit: the framework's application object and start-up.
#ifndef QUILLSPUR_FRAMEWORK_WIN_APP_H
#define QUILLSPUR_FRAMEWORK_WIN_APP_H

#include <windows.h>

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
};

// Initialises the framework; non-zero on success. It fails only after
// AfxRecordStartUpFailure.
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                int showCommand);
// A process-wide object could not be made whole before main, where nothing
// can be reported yet: memory ran out. AfxWinInit fails from now on, so
// that the program ends instead of running without it. Callable from any
// constructor, also before this file's objects are made.
void AfxRecordStartUpFailure();

#endif
