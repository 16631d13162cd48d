// The one loop that reads a file to its end, for every POSIX part that reads
// a whole file: the profile functions, the registry store, the command line
// and the check program's reads.
#ifndef QUILLSPUR_PLATFORM_WHOLE_FILE_H
#define QUILLSPUR_PLATFORM_WHOLE_FILE_H

#include <stddef.h>
#include <stdint.h>

#include <string>

// Appends what fd holds from its offset to its end to bytes, straight into
// the string. A regular file is asked for a byte more than its size, so that
// it takes one read, and one that reads short has ended; anything else is
// read until a read returns nothing. False when a read fails or the file
// holds more than limit bytes (errno EFBIG); bytes are then as they were. May
// throw std::bad_alloc, as the string does.
bool AppendWholeFile(int fd, std::string& bytes, size_t limit = SIZE_MAX);

#endif
