// Runs a command line through the command interpreter and waits for it.
#ifndef QUILLSPUR_PLATFORM_COMMAND_H
#define QUILLSPUR_PLATFORM_COMMAND_H

// The command's exit status, or -1 with errno set when the interpreter could
// not be started. Windows: the C runtime's system, unchanged. POSIX:
// /bin/sh -c; a command ended by signal N gives 128 + N, as the shell says.
int RunCommandLine(const char* command);

#endif
