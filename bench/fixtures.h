// The files the benchmark runs on, written into its own work directory.
#ifndef QUILLSPUR_BENCH_FIXTURES_H
#define QUILLSPUR_BENCH_FIXTURES_H

#include <string>

// Job k's first Check piece: a file that is never there (one stat).
std::string MissingFileOf(int job);
// The directory that job k's second piece, a wildcard matching nothing,
// scans; it holds a few files.
extern const char kProbeDirectory[];

// A Check value of pieces pieces joined by ";", none of which matches:
// piece k (from 1) is MissingFileOf(k) for odd k, a wildcard in the probe
// directory for even k.
std::string CheckValueOf(long pieces);
// The probe directory with its few files, in the current directory.
bool MakeProbeDirectory();
// A job file with one job [Long] whose Check value, made of such pieces,
// is exactly bytes bytes long. False when it could not be written.
bool WriteLongValueFile(const std::string& path, long bytes);

// A job file of jobs jobs (Delay=0, then [J00001] ... with two non-matching
// Check pieces and a Run each, about 64 bytes a job, CR LF line ends), and
// the probe directory beside it, both in the current directory. False when
// something could not be written.
bool WriteJobFile(const std::string& path, int jobs);
// The log and its predecessor, each of about bytes bytes, as the monitor
// writes them for such a job file: passes from one second to the next, in
// which every job is checked and every 20th also started and ended. The
// predecessor ends in the middle of a pass. False when they cannot be
// written.
bool WriteStatusLogs(const std::string& logPath, const std::string& oldPath,
                     int jobs, long bytes);
// count empty files in directory, which is created.
bool MakeEntries(const std::string& directory, long count);
// A REGEDIT4 store whose product key holds values values: values - 1 others
// of mixed types, then Path with installPath.
bool WriteRegistryStore(const std::string& path, int values,
                        const std::string& installPath);

#endif
