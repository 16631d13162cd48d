// CFileProbe: the questions quillspur-check asks the file system to explain
// a decision; none of them changes anything. Paths are in the operating
// system's form (OsPath).
#ifndef QUILLSPUR_CHECK_FILE_PROBE_H
#define QUILLSPUR_CHECK_FILE_PROBE_H

#include <stdint.h>

#include <string>
#include <vector>

enum class PathKind { kMissing, kFile, kDirectory, kDenied, kOther };

class CFileProbe {
 public:
  // What stands at path, following symbolic links.
  static PathKind Kind(const std::string& path);
  // The entries of a directory, "." and ".." left out; false when it
  // cannot be listed.
  static bool List(const std::string& directory,
                   std::vector<std::string>& names);
  // Whether a new file could be made in directory.
  static bool MayCreateIn(const std::string& directory);
  // Whether an existing file could be opened for appending.
  static bool MayAppendTo(const std::string& file);
  static bool Size(const std::string& file, uint64_t& size);
  // When the file's content last changed, in seconds since the epoch.
  static bool ModifiedTime(const std::string& file, int64_t& seconds);
  // The bytes of a regular file; false, with the reason, otherwise.
  static bool Read(const std::string& file, std::string& bytes,
                   std::string& reason);
  static bool ChangeDirectory(const std::string& directory);
  // The directory in which an empty log directory puts the log.
  static std::string RootDirectory();
  // Separators of path components on this platform.
  static const char* Separators();
  // Whether names match without regard to letter case.
  static bool NamesIgnoreCase();
};

#endif
