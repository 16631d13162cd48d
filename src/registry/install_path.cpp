#include "install_path.h"

#include <windows.h>

#include "registry_key.h"
#include "registry_value.h"

CInstallPath::CInstallPath() { Read(); }
CInstallPath::~CInstallPath() = default;

int CInstallPath::Read() {
  CRegistryKey key(RKF_CREATE);
  // Read and write access; RKF_CREATE adds the right to create the key.
  // A failure leaves the cache empty, and so the directory.
  key.Open("Software\\KESTRAN\\LORVANTIS", HKEY_LOCAL_MACHINE,
           KEY_QUERY_VALUE | KEY_SET_VALUE, false);
  CRegistryValue* value = key.FindOrAddValue("Path");
  m_strInstallPath = value->m_bHasData ? value->GetAsString() : "";
  key.Close();
  return m_strInstallPath.IsEmpty() ? 0 : 1;
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
