#include <windows.h>

#include <string>

#include "check/registry_probe.h"
#include "registry/install_path.h"

void CRegistryProbe::DescribeStore(RegistryReport& registry) {
  registry.store = "the Windows registry";
  registry.storeSource = "Windows";
  registry.storeExists = true;
  registry.storeReadable = true;
  registry.storeIsRegistryFile = true;
}

bool CRegistryProbe::StoreMayBeRead() { return true; }

bool CRegistryProbe::PredictMonitorOpen(RegistryReport& registry) {
  // The monitor's access; opening with it changes nothing.
  const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
  std::string path = CInstallPath::kProductKey;
  HKEY key = nullptr;
  LONG result =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key);
  // A missing key is created below the nearest key that exists.
  while (result == ERROR_FILE_NOT_FOUND &&
         path.find('\\') != std::string::npos) {
    path = path.substr(0, path.rfind('\\'));
    result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                           KEY_CREATE_SUB_KEY, &key);
  }
  if (result == ERROR_SUCCESS) {
    RegCloseKey(key);
    return true;
  }
  registry.monitorOpenNote = result == ERROR_ACCESS_DENIED
                                 ? "access denied"
                                 : "error " + std::to_string(result);
  return false;
}
