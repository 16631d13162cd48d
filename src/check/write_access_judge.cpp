#include "check/write_access_judge.h"

#include <algorithm>

#include "platform/os_path.h"

namespace {

const char* Code(Trusted what) {
  switch (what) {
    case Trusted::kJobFile:
      return "job-file-writable";
    case Trusted::kRegistryStore:
      return "registry-writable";
    case Trusted::kLogDirectory:
      break;
  }
  return "log-directory-writable";
}

// What a writer of that place could make the monitor do.
const char* Consequence(Trusted what) {
  switch (what) {
    case Trusted::kJobFile:
      return "choose the commands the monitor runs";
    case Trusted::kRegistryStore:
      return "choose where the monitor writes its log";
    case Trusted::kLogDirectory:
      break;
  }
  return "replace the log, or send it elsewhere through a link";
}

}  // namespace

std::string Joined(const std::vector<std::string>& parts, const char* glue) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += glue;
    text += part;
  }
  return text;
}

CWriteAccessJudge::CWriteAccessJudge(const std::string& user)
    : m_strUser(user) {}
CWriteAccessJudge::~CWriteAccessJudge() = default;

void CWriteAccessJudge::Judge(CCheckReport& report) const {
  std::vector<WritablePlace> places;
  std::string why;
  if (!Find(report, places, why)) {
    report.Add("writers-not-judged", Severity::kInfo,
               "who else may change the job file, the registry and the log "
               "directory is not judged: " +
                   why);
    return;
  }
  for (const WritablePlace& p : places) {
    // Places and mends name the system's paths; reports are the
    // program's text.
    const std::string message =
        TextFromOsPath(p.place + " can be changed by " + p.who +
                       ", who could " + Consequence(p.what) + ": " + p.mend);
    // A directory on the way twice (through a link) is named once.
    const bool known =
        std::any_of(report.findings.begin(), report.findings.end(),
                    [&](const Finding& f) { return f.message == message; });
    if (!known) report.Add(Code(p.what), Severity::kError, message);
  }
}
