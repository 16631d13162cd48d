// Turns a path as the program holds it (Windows style, "\" separators,
// Windows-1252) into the form that the operating system's file calls take.
#ifndef QUILLSPUR_PLATFORM_OS_PATH_H
#define QUILLSPUR_PLATFORM_OS_PATH_H

#include <string>

// Windows: the path unchanged; the A-functions convert and clean it up.
// POSIX: cleaned up as Win32 does and named as the disk names it (see
// path_cleanup.h).
std::string OsPath(const char* path);

// A path or name in the system's form as the program's text: on POSIX
// decoded when it is UTF-8, its bytes otherwise, as the file finder reads
// directory entries; on Windows unchanged.
std::string TextFromOsPath(const std::string& osPath);

#endif
