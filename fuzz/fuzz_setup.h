// What the targets that read the file system share: their scratch
// directory, their files, and a registry store of their own whose
// installation path is that directory, so that the machine's own store is
// never read.
#ifndef QUILLSPUR_FUZZ_FUZZ_SETUP_H
#define QUILLSPUR_FUZZ_FUZZ_SETUP_H

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "fuzz_check.h"

inline void WriteFuzzFile(const std::string& path, const void* data,
                          size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(fwrite(data, 1, size, file) == size);
  FUZZ_CHECK(fclose(file) == 0);
}

// A new directory below TMPDIR, or /tmp, named after the target.
inline std::string MakeFuzzDirectory(const char* target) {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") +
                        "/quillspur-fuzz-" + target + ".XXXXXX";
  FUZZ_CHECK(mkdtemp(&pattern[0]) != nullptr);
  return pattern;
}

// The store at directory/registry.reg, with directory as the installation
// path, named by QUILLSPUR_REGISTRY.
inline void UseFuzzRegistry(const std::string& directory) {
  std::string escaped;
  for (char c : directory) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  const std::string store =
      "REGEDIT4\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\KESTRAN\\LORVANTIS]\r\n"
      "\"Path\"=\"" +
      escaped + "\"\r\n";
  const std::string path = directory + "/registry.reg";
  WriteFuzzFile(path, store.data(), store.size());
  FUZZ_CHECK(setenv("QUILLSPUR_REGISTRY", path.c_str(), 1) == 0);
}

#endif
