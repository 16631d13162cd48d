// Turns a path as the program holds it (Windows style, "\" separators) into
// the form that the operating system's file calls take.
#ifndef QUILLSPUR_PLATFORM_OS_PATH_H
#define QUILLSPUR_PLATFORM_OS_PATH_H

#include <string>

// On POSIX every "\" becomes "/"; on Windows the path is returned unchanged.
std::string OsPath(const char* path);

#endif
