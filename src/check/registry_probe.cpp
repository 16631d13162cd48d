#include "check/registry_probe.h"

#include <windows.h>

#include <mbstring.h>

#include <vector>

#include "framework/afx_string.h"
#include "registry/install_path.h"
#include "registry/registry_value.h"

namespace {

const char kPathValue[] = "Path";

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_MULTI_SZ:
      return "REG_MULTI_SZ";
    default:
      return "another type";
  }
}

}  // namespace

void CRegistryProbe::Probe(CCheckReport& report) {
  RegistryReport& registry = report.registry;
  DescribeStore(registry);
  registry.monitorOpens = PredictMonitorOpen(registry);
  // A store that is not a registry file is not read again: it may be a
  // FIFO or a device.
  if (registry.storeIsRegistryFile) {
    DescribePath(registry);
    // The monitor's own reading. Whether it opens the key for writing or,
    // refused that, for reading only, it reads the same Path; a key that it
    // creates is empty.
    CString path;
    CInstallPath::ReadReadOnly(path);
    registry.installPath = std::string(path);
  }
  if (!registry.storeReadable) {
    report.Add("registry-unreadable", Severity::kWarning,
               "the registry store " + registry.store +
                   " cannot be read: " + registry.monitorOpenNote);
  } else if (!registry.keyExists) {
    report.Add("registry-key-missing", Severity::kWarning,
               "the key HKEY_LOCAL_MACHINE\\" +
                   std::string(CInstallPath::kProductKey) +
                   (registry.monitorOpens
                        ? " does not exist; the monitor creates it, empty"
                        : " does not exist, and the monitor may not create "
                          "it: " +
                              registry.monitorOpenNote));
  } else if (!registry.pathPresent) {
    report.Add("path-missing", Severity::kWarning, "the key has no value Path");
  } else if (!registry.pathRead) {
    report.Add("path-not-read", Severity::kWarning,
               registry.pathType == "REG_EXPAND_SZ"
                   ? std::string("Path is REG_EXPAND_SZ, which is not read "
                                 "(nothing is expanded): make it REG_SZ")
                   : "Path holds " + std::to_string(registry.pathSize) +
                         " bytes of " + registry.pathType +
                         ", which is not read (more than 2048 bytes, or an "
                         "unsupported type)");
  }
}

std::string CRegistryProbe::InstallPath() {
  CString path;
  if (StoreMayBeRead()) CInstallPath::ReadReadOnly(path);
  return std::string(path);
}

void CRegistryProbe::DescribePath(RegistryReport& registry) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CInstallPath::kProductKey, 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return;
  }
  registry.keyExists = true;
  std::vector<char> name(16384);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD type = REG_NONE;
    DWORD size = 0;
    const LONG result = RegEnumValueA(key, index, name.data(), &nameLength,
                                      nullptr, &type, nullptr, &size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) continue;
    if (_mbsicmp(reinterpret_cast<const unsigned char*>(name.data()),
                 reinterpret_cast<const unsigned char*>(kPathValue)) != 0) {
      continue;
    }
    // The last one of the name counts, as for the key cache, which loads
    // only these types, and no more than 2048 bytes.
    registry.pathPresent = true;
    registry.pathType = TypeName(type);
    registry.pathSize = size;
    registry.pathRead = (type == REG_SZ || type == REG_BINARY ||
                         type == REG_DWORD || type == REG_MULTI_SZ) &&
                        size <= kRegistryTextSize;
  }
  RegCloseKey(key);
}
