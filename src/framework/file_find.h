// CFileFind: the framework's wildcard file test. Only the yes-or-no answer
// of FindFile is used.
#ifndef QUILLSPUR_FRAMEWORK_FILE_FIND_H
#define QUILLSPUR_FRAMEWORK_FILE_FIND_H

class CFileFind {
 public:
  CFileFind();
  virtual ~CFileFind();

  // Non-zero when at least one file or directory matches path. Wildcards
  // "*" (any run, also none) and "?" (one character) are allowed in the last
  // path component; "." and ".." never count as a match of a pattern, so
  // "dir\*" means the directory holds an entry. The empty path matches
  // nothing. Stops at the first match. flags is unused (0). Out of memory:
  // std::bad_alloc rather than a no.
  int FindFile(const char* path, unsigned int flags = 0);
};

#endif
