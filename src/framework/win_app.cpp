#include "framework/win_app.h"

namespace {

// Constant-initialised, so that it holds before any constructor runs.
bool startUpFailed = false;

}  // namespace

CWinApp::CWinApp(const char* /*appName*/) {}
CWinApp::~CWinApp() = default;

BOOL AfxWinInit(HINSTANCE /*instance*/, HINSTANCE /*previous*/,
                LPSTR /*commandLine*/, int /*showCommand*/) {
  return startUpFailed ? FALSE : TRUE;
}

void AfxRecordStartUpFailure() { startUpFailed = true; }
