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
  // --status: what the log says about each job and the monitor.
  bool m_bStatus;
  std::string m_strFormat;   // text, json, nagios or prometheus
  long long m_nWarnFailing;  // -1: the default
  long long m_nCritSilent;
  long long m_nCritStalled;
  std::string m_strAt;  // judge as of this stamp instead of now
  std::vector<std::string> m_jobs;
  std::string m_strDirectory;
  std::string m_strUser;
  std::string m_strJobFile;

 private:
  struct Target;
  Target Take(const std::string& arg, bool& files);
  bool Validate(std::string& error);
};

extern const char kCheckUsage[];

// Whether the command line asks for the plugin form, looked at before it is
// parsed: a plugin's wrong command line is UNKNOWN too.
bool WantsNagios(int argc, char* argv[]);

#endif
