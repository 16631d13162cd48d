// CStatusForms: a CStatusReport as text for people, as JSON, as a
// monitoring plugin's status line and as the text exposition format of a
// metrics collector. Each form is returned in UTF-8.
#ifndef QUILLSPUR_CHECK_STATUS_FORMS_H
#define QUILLSPUR_CHECK_STATUS_FORMS_H

#include <string>
#include <vector>

#include "check/status_report.h"

class CStatusForms {
 public:
  // only: the sections to show (ASCII letters in any case); empty for all.
  static std::string Text(const CStatusReport& report,
                          const std::vector<std::string>& only);
  static std::string Json(const CStatusReport& report,
                          const std::vector<std::string>& only);
  static std::string Nagios(const CStatusReport& report);
  static std::string Prometheus(const CStatusReport& report,
                                const std::vector<std::string>& only);
};

#endif
