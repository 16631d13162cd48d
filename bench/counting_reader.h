// CCountingReader: the platform's profile functions, counted. Every call
// reads the whole file, so the count is the number of file reads that a
// floor must match.
#ifndef QUILLSPUR_BENCH_COUNTING_READER_H
#define QUILLSPUR_BENCH_COUNTING_READER_H

#include "config/profile_reader.h"

class CCountingReader : public CProfileReader {
 public:
  CCountingReader();
  ~CCountingReader() override;

  DWORD ReadString(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                   LPSTR buffer, DWORD size, LPCSTR fileName) override;
  DWORD ReadSectionNames(LPSTR buffer, DWORD size, LPCSTR fileName) override;

  long long m_nReads;
};

#endif
