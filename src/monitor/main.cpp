// Quillspur: watches for files and starts programs when they have arrived.
#include "command.h"
#include "monitor.h"
#include "win_app.h"

int main(int argc, char* argv[]) {
  PrepareProcessSignals();
  return MonitorMain(argc, argv, AfxWinInit);
}
