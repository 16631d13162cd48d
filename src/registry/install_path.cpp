#include "registry/install_path.h"

#include <windows.h>

#include <new>

#include "framework/win_app.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"

namespace {

// Reads Path from the product key opened with flags and access; path is
// empty when the key holds none. False when the key could not be opened.
bool ReadPath(DWORD flags, DWORD access, CString& path) {
  path = "";
  CRegistryKey key(flags);
  if (!key.Open(CInstallPath::kProductKey, HKEY_LOCAL_MACHINE, access, false))
    return false;
  CRegistryValue* value = key.FindOrAddValue("Path");
  if (value->m_bHasData) path = value->GetAsString();
  key.Close();
  return true;
}

}  // namespace

CInstallPath::CInstallPath() {
  // Made before main, where a failure cannot be reported: without the memory
  // to read the registry the framework's initialisation fails, rather than
  // the program logging into the root directory for want of a path.
  try {
    Read();
  } catch (const std::bad_alloc&) {
    AfxRecordStartUpFailure();
  }
}
CInstallPath::~CInstallPath() = default;

int CInstallPath::Read() {
  // Read and write access; RKF_CREATE adds the right to create the key. A
  // process that may read the key but not write it, such as a service
  // user, still reads Path through a key opened for reading only.
  if (!ReadPath(RKF_CREATE, KEY_QUERY_VALUE | KEY_SET_VALUE,
                m_strInstallPath)) {
    ReadReadOnly(m_strInstallPath);
  }
  return m_strInstallPath.IsEmpty() ? 0 : 1;
}

bool CInstallPath::ReadReadOnly(CString& installPath) {
  return ReadPath(0, KEY_QUERY_VALUE, installPath);
}

CString CInstallPath::GetLogDirectory() const {
  return LogDirectoryBelow(m_strInstallPath);
}

CString CInstallPath::LogDirectoryBelow(const CString& installPath) {
  if (installPath.IsEmpty()) return CString();
  CString directory = installPath;
  // Only the backslash counts: a trailing "/" still gets one appended.
  if (directory[directory.GetLength() - 1] != '\\') directory += '\\';
  directory += "htdocs\\LORVANTIS\\lorvantis_php\\log";
  return directory;
}
