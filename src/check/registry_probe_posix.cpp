#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "check/registry_probe.h"
#include "platform/missing/registry_store/registry_store.h"

namespace {

const char kStoreVariable[] = "QUILLSPUR_REGISTRY";

}  // namespace

void CRegistryProbe::DescribeStore(RegistryReport& registry) {
  registry.store = CRegistryStore::DefaultLocation();
  const char* named = getenv(kStoreVariable);
  registry.storeSource = (named != nullptr && named[0] != '\0')
                             ? "named by QUILLSPUR_REGISTRY"
                             : "the default: QUILLSPUR_REGISTRY is not set";
  struct stat info;
  if (stat(registry.store.c_str(), &info) != 0) {
    registry.storeExists = false;
    // A missing store is an empty registry, if its directory is there.
    registry.storeReadable = errno == ENOENT;
    registry.storeIsRegistryFile = errno == ENOENT;
    if (errno != ENOENT) registry.monitorOpenNote = "it cannot be looked at";
    return;
  }
  registry.storeExists = true;
  // Only a regular file is read: a FIFO or a device would hold the check up.
  if (!S_ISREG(info.st_mode)) {
    registry.monitorOpenNote = "it is not a regular file";
    return;
  }
  CRegeditFile file;
  const LONG result = CRegistryStore(registry.store).Load(file);
  registry.storeReadable = result != ERROR_ACCESS_DENIED;
  registry.storeIsRegistryFile = result == ERROR_SUCCESS;
  if (result == ERROR_ACCESS_DENIED) {
    registry.monitorOpenNote = "permission denied";
  } else if (result != ERROR_SUCCESS) {
    registry.monitorOpenNote = "it is not a registry file (REGEDIT4)";
  }
}

bool CRegistryProbe::StoreMayBeRead() {
  struct stat info;
  if (stat(CRegistryStore::DefaultLocation().c_str(), &info) != 0) {
    return errno == ENOENT;
  }
  return S_ISREG(info.st_mode);
}

bool CRegistryProbe::PredictMonitorOpen(RegistryReport& registry) {
  if (!registry.storeIsRegistryFile) return false;
  // Opening for writing, as creating, needs write access to the store.
  if (CRegistryStore(registry.store).MayWrite()) return true;
  registry.monitorOpenNote =
      "no write access to the store " + registry.store + " or its directory";
  return false;
}
