// CRegistryProbe: the registry as the monitor would find it at start-up,
// looked at without changing it: the key is opened for reading only and
// never created, and whether the monitor's own open (for writing, creating
// a missing key) would succeed is predicted, not tried.
#ifndef QUILLSPUR_CHECK_REGISTRY_PROBE_H
#define QUILLSPUR_CHECK_REGISTRY_PROBE_H

#include <string>

#include "check/check_report.h"

class CRegistryProbe {
 public:
  // Fills report.registry, and report's findings about it.
  static void Probe(CCheckReport& report);
  // The installation directory alone, as Probe finds it, for a caller that
  // needs no findings: one reading of the store.
  static std::string InstallPath();

 private:
  // Which store serves the registry, and whether it can be read.
  static void DescribeStore(RegistryReport& registry);
  // Whether the store may be read without holding the check up: it is a
  // regular file, or missing and so an empty registry.
  static bool StoreMayBeRead();
  // Whether the monitor's open with create and write access would succeed;
  // why not in monitorOpenNote.
  static bool PredictMonitorOpen(RegistryReport& registry);
  static void DescribePath(RegistryReport& registry);
};

#endif
