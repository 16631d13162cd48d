#include "check/check_options.h"

#include <string.h>

#include <utility>

const char kCheckUsage[] =
    "usage: quillspur-check [--json] [-q] [--strict] [--job NAME]... "
    "[-C DIR] [--user NAME] <job file>\n"
    "       quillspur-check --status [--json | --format=FORM] "
    "[--warn-failing N]\n"
    "         [--crit-silent SECONDS] [--crit-stalled SECONDS] "
    "[--at 'DD.MM.YYYY hh:mm:ss']\n"
    "         [--job NAME]... [-C DIR] [--user NAME] <job file>\n"
    "       FORM: text, json, nagios, prometheus\n";

namespace {

// A count or a number of seconds: decimal digits only.
bool ReadCount(const std::string& text, long long& out) {
  if (text.empty() || text.size() > 12 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  out = std::stoll(text);
  return true;
}

std::string NotANumber(const std::string& option, const std::string& value) {
  std::string error = option;
  error += " needs a whole number, not \"";
  error += value;
  error += "\"";
  return error;
}

}  // namespace

bool WantsNagios(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") break;
    if (arg == "--format=nagios" || (arg == "--format" && i + 1 < argc &&
                                     std::string(argv[i + 1]) == "nagios")) {
      return true;
    }
  }
  return false;
}

CCheckOptions::CCheckOptions()
    : m_bJson(false),
      m_bQuiet(false),
      m_bStrict(false),
      m_bHelp(false),
      m_bStatus(false),
      m_strFormat("text"),
      m_nWarnFailing(-1),
      m_nCritSilent(-1),
      m_nCritStalled(-1) {}
CCheckOptions::~CCheckOptions() = default;

// Where an option puts what follows it: nothing (a flag), text or a count.
struct CCheckOptions::Target {
  bool known = true;
  std::string* value = nullptr;
  long long* number = nullptr;
};

CCheckOptions::Target CCheckOptions::Take(const std::string& arg, bool& files) {
  Target target;
  if (arg == "--") {
    files = true;
  } else if (arg == "--json") {
    m_bJson = true;
    m_strFormat = "json";
  } else if (arg == "--status") {
    m_bStatus = true;
  } else if (arg == "-q" || arg == "--quiet") {
    m_bQuiet = true;
  } else if (arg == "--strict") {
    m_bStrict = true;
  } else if (arg == "-h" || arg == "--help") {
    m_bHelp = true;
  } else if (arg == "--job") {
    m_jobs.emplace_back();
    target.value = &m_jobs.back();
  } else {
    const std::pair<const char*, std::string*> texts[] = {
        {"--format", &m_strFormat},
        {"--at", &m_strAt},
        {"-C", &m_strDirectory},
        {"--user", &m_strUser}};
    const std::pair<const char*, long long*> counts[] = {
        {"--warn-failing", &m_nWarnFailing},
        {"--crit-silent", &m_nCritSilent},
        {"--crit-stalled", &m_nCritStalled}};
    for (const auto& text : texts) {
      if (arg == text.first) target.value = text.second;
    }
    for (const auto& count : counts) {
      if (arg == count.first) target.number = count.second;
    }
    target.known = target.value != nullptr || target.number != nullptr;
  }
  return target;
}

bool CCheckOptions::Parse(int argc, char* argv[], std::string& error) {
  bool files = false;  // after "--" everything is the job file
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (files || arg.size() < 2 || arg[0] != '-') {
      if (!m_strJobFile.empty()) {
        error = "more than one job file";
        return false;
      }
      m_strJobFile = arg;
      continue;
    }
    // --name=value stands for --name value.
    const size_t equals = arg.find('=');
    const bool joined =
        arg.compare(0, 2, "--") == 0 && equals != std::string::npos;
    const std::string joinedValue = joined ? arg.substr(equals + 1) : "";
    if (joined) arg.resize(equals);
    const Target target = Take(arg, files);
    if (!target.known) {
      error = "unknown option " + arg;
      return false;
    }
    if (target.value == nullptr && target.number == nullptr) {
      if (!joined) continue;
      error = arg + " takes no value";
      return false;
    }
    if (!joined && ++i >= argc) {
      error = arg + " needs a value";
      return false;
    }
    const std::string value = joined ? joinedValue : std::string(argv[i]);
    if (target.value != nullptr) *target.value = value;
    if (target.number != nullptr && !ReadCount(value, *target.number)) {
      error = NotANumber(arg, value);
      return false;
    }
  }
  return m_bHelp || Validate(error);
}

// The options that belong together, once the whole line is read.
bool CCheckOptions::Validate(std::string& error) {
  const bool statusOnly = m_strFormat != "text" && m_strFormat != "json";
  if (statusOnly && m_strFormat != "nagios" && m_strFormat != "prometheus") {
    error = "unknown form " + m_strFormat;
    return false;
  }
  if (!m_bStatus && (statusOnly || m_nWarnFailing >= 0 || m_nCritSilent >= 0 ||
                     m_nCritStalled >= 0 || !m_strAt.empty())) {
    error =
        "--format, --warn-failing, --crit-silent, --crit-stalled and "
        "--at need --status";
    return false;
  }
  m_bJson = m_strFormat == "json";
  if (m_bStatus && (m_bQuiet || m_bStrict)) {
    error = "-q and --strict belong to the check, not to --status";
    return false;
  }
  if (m_strJobFile.empty()) {
    error = "no job file";
    return false;
  }
  return true;
}
