// Quillspur: watches for files and starts programs when they have arrived.
#include "monitor.h"
#include "win_app.h"

int main(int argc, char* argv[]) { return MonitorMain(argc, argv, AfxWinInit); }
