#include "check/file_probe.h"

#include "check/file_reader.h"

bool CFileProbe::Read(const std::string& file, std::string& bytes,
                      std::string& reason) {
  CFileReader in;
  return in.Open(file, reason) && in.ReadAll(bytes, reason);
}
