// The path clean-up that Win32 applies as text before a path touches the
// disk, and the name a cleaned path has on a Linux disk.
#ifndef QUILLSPUR_PLATFORM_PATH_CLEANUP_H
#define QUILLSPUR_PLATFORM_PATH_CLEANUP_H

#include <string>
#include <string_view>

// path ("\" or "/" separators, Windows-1252) with "/" separators, doubled
// ones collapsed, "." and ".." resolved as text (so also through a part
// that does not exist; ".." above the root stays at the root), a single
// trailing dot of a directory part and all trailing dots and blanks of the
// last part dropped. A path that ends in a separator, or whose last part is
// only dots and blanks, keeps one "/" at its end. A relative path that
// resolves to nothing is ".".
std::string CleanWin32Path(std::string_view path);

// The cleaned path as the disk names it: each component in UTF-8, or as
// its raw bytes when only an entry of those bytes exists.
std::string SystemName(std::string cleaned);

#endif
