// CStatusCheck: the status of every job and of the monitor, from the job
// file, the log and its predecessor as the monitor names them, read and
// never changed.
#ifndef QUILLSPUR_CHECK_STATUS_CHECK_H
#define QUILLSPUR_CHECK_STATUS_CHECK_H

#include <stdint.h>

#include <string>

#include "check/status_report.h"

class CStatusCheck {
 public:
  // Fills report as of now; report.problem says why nothing can be said.
  static void Run(const std::string& jobFile, int64_t now,
                  CStatusReport& report);
};

#endif
