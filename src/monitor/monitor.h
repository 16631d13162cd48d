// Start-up and the endless monitoring cycle.
#ifndef QUILLSPUR_MONITOR_MONITOR_H
#define QUILLSPUR_MONITOR_MONITOR_H

#include <stdint.h>
#include <windows.h>

#include "config/ini_file.h"

// The framework's initialisation; AfxWinInit in the program, a stand-in
// in tests.
typedef BOOL (*FrameworkInit)(HINSTANCE, HINSTANCE, LPSTR, int);

// The entry point's work: initialise, name the log, check the argument and
// cycle for ever. Returns only when the program ends by itself, with 1;
// out of memory before the first cycle, with the message of a failed
// initialisation.
int MonitorMain(int argc, char* argv[], FrameworkInit init);

// Reads Delay, runs a job pass and waits out the cycle, for ever. A pass or
// a read of Delay that runs out of memory is abandoned; the wait follows.
void RunMonitorCycle(CIniFile& ini);

// The end of a cycle that starts at now (milliseconds of GetTickCount64,
// which the wall clock's steps leave alone) and lasts length seconds. A
// length that is negative as a signed 32-bit number (2147483648 and above,
// so also Delay=-1) ends at once: passes run back to back.
ULONGLONG CycleEnd(ULONGLONG now, uint32_t length);
// Whether end still lies after now.
bool CycleEndInFuture(ULONGLONG end, ULONGLONG now);

#endif
