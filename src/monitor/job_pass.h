// The job pass: every section of the job file except the global one is a
// job; its Check paths are tested and, when all exist, its Run command is
// started and waited for. Everything is logged to the process-wide log.
// Memory that runs out throws std::bad_alloc out of each of these at once:
// nothing further is tested, logged or started.
#ifndef QUILLSPUR_MONITOR_JOB_PASS_H
#define QUILLSPUR_MONITOR_JOB_PASS_H

#include "config/ini_file.h"
#include "framework/afx_string.h"

// One pass over the sections of the file behind ini, in file order.
void RunJobPass(CIniFile& ini);
// True when every ";"-separated path of the job's Check matches a file or
// directory, and when Check is empty. Every path is tested, even after a miss.
bool CheckJobFiles(CIniFile& ini, const CString& section);
// Runs the job's Run command through the command interpreter and logs how
// it ended; an empty Run starts nothing.
void StartJobProgram(CIniFile& ini, const CString& section);

// The message for a finished interpreter call: -1 is a failure to start.
CString FormatProgramOutcome(const CString& command, int result, int error);

#endif
