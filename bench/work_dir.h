// CWorkDir: a fresh temporary directory, removed with all it holds when the
// object goes.
#ifndef QUILLSPUR_BENCH_WORK_DIR_H
#define QUILLSPUR_BENCH_WORK_DIR_H

#include <string>

class CWorkDir {
 public:
  // Below base ($TMPDIR or /tmp when empty); Path() is empty on failure.
  explicit CWorkDir(const std::string& base);
  virtual ~CWorkDir();
  CWorkDir(const CWorkDir&) = delete;
  CWorkDir& operator=(const CWorkDir&) = delete;

  const std::string& Path() const { return m_strPath; }

 private:
  std::string m_strPath;
};

#endif
