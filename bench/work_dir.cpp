#include "work_dir.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}

}  // namespace

CWorkDir::CWorkDir(const std::string& base) {
  std::string parent = base;
  if (parent.empty()) {
    const char* tmp = getenv("TMPDIR");
    parent = (tmp != nullptr && tmp[0] != '\0') ? tmp : "/tmp";
  }
  std::string pattern = parent + "/quillspur-bench.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) != nullptr) m_strPath = name.data();
}

CWorkDir::~CWorkDir() {
  // Depth first and without following links: only what lies inside goes.
  if (!m_strPath.empty())
    nftw(m_strPath.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}
