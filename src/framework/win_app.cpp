#include "win_app.h"

CWinApp::CWinApp(const char* /*appName*/) {}
CWinApp::~CWinApp() = default;

BOOL AfxWinInit(HINSTANCE /*instance*/, HINSTANCE /*previous*/,
                LPSTR /*commandLine*/, int /*showCommand*/) {
  return TRUE;
}
