// A fresh temporary directory per test, removed with everything in it.
#ifndef QUILLSPUR_TESTS_TEMP_DIR_H
#define QUILLSPUR_TESTS_TEMP_DIR_H

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory, with native separators and no trailing one.
  const std::string& Path() const { return m_path; }
  // Path() + separator + name. Names are Windows-1252; the entries made
  // for them are named in UTF-8.
  std::string File(const std::string& name) const;
  // Writes bytes to File(name), creating directories below Path() as needed.
  void Write(const std::string& name, const std::string& bytes) const;
  // The bytes of File(name); empty when it cannot be read.
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void MakeDir(const std::string& name) const;

 private:
  std::string m_path;
};

#endif
