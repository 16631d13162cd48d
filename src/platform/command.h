// Runs a command line through the command interpreter and waits for it.
#ifndef QUILLSPUR_PLATFORM_COMMAND_H
#define QUILLSPUR_PLATFORM_COMMAND_H

// Sets the process's signals up once at start-up, before anything else.
// POSIX: SIGCHLD at its default and unblocked, so that a command can be
// waited for whatever the parent left; SIGXFSZ and SIGPIPE ignored, so that
// a write past the file-size limit, or into a FIFO or pipe nobody reads,
// fails instead of ending the process. As process 1 (a container's entry
// point), where the kernel ignores a signal left at its default, SIGTERM and
// SIGINT end the monitor as they do elsewhere. Every other inherited setting
// stays. Windows: nothing to do.
void PrepareProcessSignals();

// Reaps every child that has ended, without waiting: as process 1 or a
// subreaper, the orphans of commands become the monitor's. Windows: nothing.
void ReapEndedChildren();

// The command's exit status, or -1 with errno set when the interpreter could
// not be started. Windows: the C runtime's system, unchanged. POSIX:
// /bin/sh -c, with SIGINT and SIGQUIT ignored and SIGCHLD blocked in the
// caller until the shell has ended; the shell gets the signal settings the
// process had before, with SIGXFSZ and SIGPIPE as the process inherited
// them. Orphans that end meanwhile are reaped too. A command ended by signal
// N gives 128 + N, as the shell says.
int RunCommandLine(const char* command);

#endif
