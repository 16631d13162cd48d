// Quillspur: watches for files and starts programs when they have arrived.
#include "arguments.h"
#include "command.h"
#include "monitor.h"
#include "win_app.h"

int main(int argc, char* argv[]) {
  PrepareProcessSignals();
  TakeSystemArguments(argc, argv);
  return MonitorMain(argc, argv, AfxWinInit);
}
