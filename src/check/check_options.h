// CCheckOptions: the command line of quillspur-check.
#ifndef QUILLSPUR_CHECK_CHECK_OPTIONS_H
#define QUILLSPUR_CHECK_CHECK_OPTIONS_H

#include <string>
#include <vector>

class CCheckOptions {
 public:
  CCheckOptions();
  virtual ~CCheckOptions();

  // False, with a message, for a command line that is not understood.
  bool Parse(int argc, char* argv[], std::string& error);

  bool m_bJson;
  bool m_bQuiet;
  bool m_bStrict;
  bool m_bHelp;
  std::vector<std::string> m_jobs;
  std::string m_strDirectory;
  std::string m_strUser;
  std::string m_strJobFile;
};

extern const char kCheckUsage[];

#endif
