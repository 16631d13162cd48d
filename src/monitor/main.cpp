// Quillspur: watches for files and starts programs when they have arrived.
#include "framework/win_app.h"
#include "monitor/monitor.h"
#include "platform/arguments.h"
#include "platform/command.h"

int main(int argc, char* argv[]) {
  PrepareProcessSignals();
  TakeSystemArguments(argc, argv);
  return MonitorMain(argc, argv, AfxWinInit);
}
