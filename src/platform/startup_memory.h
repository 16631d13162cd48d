// What reading the registry at start-up took, given back: the monitor reads
// it only once, before main.
#ifndef QUILLSPUR_PLATFORM_STARTUP_MEMORY_H
#define QUILLSPUR_PLATFORM_STARTUP_MEMORY_H

// POSIX: drops the registry store as last read and parsed, and returns the
// heap's free pages to the system, so that a large store costs nothing once
// start-up is over. Windows: nothing to do, the registry is the system's.
void ReleaseStartUpMemory();

#endif
