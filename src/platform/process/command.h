// Runs a command line through the command interpreter and waits for it.
#ifndef QUILLSPUR_PLATFORM_COMMAND_H
#define QUILLSPUR_PLATFORM_COMMAND_H

// Sets the process's signals up once at start-up, before anything else.
// POSIX: SIGCHLD at its default and unblocked, so that a command can be
// waited for whatever the parent left; SIGXFSZ ignored, so that a write past
// the file-size limit fails instead of ending the process. Every other
// inherited setting stays. Windows: nothing to do.
void PrepareProcessSignals();

// The command's exit status, or -1 with errno set when the interpreter could
// not be started. Windows: the C runtime's system, unchanged. POSIX:
// /bin/sh -c, with SIGINT and SIGQUIT ignored and SIGCHLD blocked in the
// caller until the shell has ended; the shell gets the signal settings the
// process had before, with SIGXFSZ as the process inherited it. A command
// ended by signal N gives 128 + N, as the shell says.
int RunCommandLine(const char* command);

#endif
