#include "check/check_report.h"

namespace {

int Count(const CCheckReport& report, Severity severity) {
  int n = 0;
  for (const Finding& f : report.findings) n += f.severity == severity;
  for (const JobReport& job : report.jobs) {
    for (const Finding& f : job.findings) n += f.severity == severity;
  }
  return n;
}

}  // namespace

CCheckReport::CCheckReport() = default;
CCheckReport::~CCheckReport() = default;

void CCheckReport::Add(const std::string& code, Severity severity,
                       const std::string& message) {
  findings.push_back(Finding{code, severity, message});
}

int CCheckReport::Errors() const { return Count(*this, Severity::kError); }
int CCheckReport::Warnings() const { return Count(*this, Severity::kWarning); }

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kInfo:
      break;
  }
  return "info";
}
