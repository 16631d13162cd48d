// CTextReport: the readable form of a check, a block for the file, the
// registry and the log, then one per job; or the findings alone.
#ifndef QUILLSPUR_CHECK_TEXT_REPORT_H
#define QUILLSPUR_CHECK_TEXT_REPORT_H

#include <string>

#include "check/check_report.h"

class CTextReport {
 public:
  // Texts from the job file stay in its bytes.
  static std::string Format(const CCheckReport& report, bool findingsOnly);
};

#endif
