#include "check_options.h"

#include <string.h>

const char kCheckUsage[] =
    "usage: quillspur-check [--json] [-q] [--strict] [--job NAME]... "
    "[-C DIR] [--user NAME] <job file>\n";

CCheckOptions::CCheckOptions()
    : m_bJson(false), m_bQuiet(false), m_bStrict(false), m_bHelp(false) {}
CCheckOptions::~CCheckOptions() = default;

bool CCheckOptions::Parse(int argc, char* argv[], std::string& error) {
  bool files = false;  // after "--" everything is the job file
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool option = !files && arg.size() > 1 && arg[0] == '-';
    if (!option) {
      if (!m_strJobFile.empty()) {
        error = "more than one job file";
        return false;
      }
      m_strJobFile = arg;
      continue;
    }
    std::string* value = nullptr;
    if (arg == "--") {
      files = true;
    } else if (arg == "--json") {
      m_bJson = true;
    } else if (arg == "-q" || arg == "--quiet") {
      m_bQuiet = true;
    } else if (arg == "--strict") {
      m_bStrict = true;
    } else if (arg == "-h" || arg == "--help") {
      m_bHelp = true;
    } else if (arg == "--job") {
      m_jobs.emplace_back();
      value = &m_jobs.back();
    } else if (arg == "-C") {
      value = &m_strDirectory;
    } else if (arg == "--user") {
      value = &m_strUser;
    } else {
      error = "unknown option " + arg;
      return false;
    }
    if (value == nullptr) continue;
    if (++i >= argc) {
      error = arg + " needs a value";
      return false;
    }
    *value = argv[i];
  }
  if (m_bHelp) return true;
  if (m_strJobFile.empty()) {
    error = "no job file";
    return false;
  }
  return true;
}
