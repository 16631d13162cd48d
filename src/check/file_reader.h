// CFileReader: a regular file read from its start, read-only and without
// blocking: whole, or in steps for a long file whose bytes are used while
// they are in the cache rather than after the whole file has passed
// through it.
#ifndef QUILLSPUR_CHECK_FILE_READER_H
#define QUILLSPUR_CHECK_FILE_READER_H

#include <stddef.h>
#include <stdint.h>

#include <string>

class CFileReader {
 public:
  CFileReader();
  virtual ~CFileReader();
  CFileReader(const CFileReader&) = delete;
  CFileReader& operator=(const CFileReader&) = delete;

  // False, with the reason as CFileProbe::Read gives it, when file is not
  // a regular file that can be opened.
  bool Open(const std::string& file, std::string& reason);
  // Up to size bytes into at; got is 0 at the end. False, with the
  // reason, when a read fails.
  bool Read(char* at, size_t size, size_t& got, std::string& reason);
  // The rest of the file appended to bytes, in as few reads as its size
  // allows; false, with the reason and bytes as they were, when a read
  // fails.
  bool ReadAll(std::string& bytes, std::string& reason);

 private:
  intptr_t m_nHandle;  // the descriptor or handle, -1 when closed
  // A read that returned less than asked met the end: no call for the 0.
  bool m_bAtEnd;
};

#endif
