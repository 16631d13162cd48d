// The floor's operations: the least that the program's own reads, probes
// and log messages must cost, done with the plain system calls.
#ifndef QUILLSPUR_BENCH_FLOOR_OPS_H
#define QUILLSPUR_BENCH_FLOOR_OPS_H

#include <string>

// open, fstat, read the whole file into buffer (reused, grown as needed),
// close. False when the file cannot be read.
bool ReadWholeFile(const char* path, std::string& buffer);
// Whether path exists (one stat).
bool PathExists(const char* path);
// opendir, readdir to the end, closedir; the number of entries.
long ScanDirectory(const char* path);
// One append of line: open for appending, one write, close.
bool AppendLine(const char* path, const std::string& line);

#endif
