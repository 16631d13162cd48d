// CWinApp and AfxWinInit: the framework's application object and start-up.
#ifndef QUILLSPUR_FRAMEWORK_WIN_APP_H
#define QUILLSPUR_FRAMEWORK_WIN_APP_H

#include <windows.h>

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
};

// Initialises the framework; non-zero on success. Nothing here can fail.
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                int showCommand);

#endif
