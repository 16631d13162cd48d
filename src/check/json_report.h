// CJsonReport: the machine-readable form of a check, schema version 1.
// Texts are converted from Windows-1252 to UTF-8.
#ifndef QUILLSPUR_CHECK_JSON_REPORT_H
#define QUILLSPUR_CHECK_JSON_REPORT_H

#include <string>

#include "check/check_report.h"

class CJsonReport {
 public:
  static std::string Format(const CCheckReport& report);
};

#endif
