// CInstallPath: the installation directory of the product, read once from
// the registry when the object is constructed, and the log directory that
// lies below it. Out of memory, Read throws std::bad_alloc; the constructor
// records it with AfxRecordStartUpFailure instead.
#ifndef QUILLSPUR_REGISTRY_INSTALL_PATH_H
#define QUILLSPUR_REGISTRY_INSTALL_PATH_H

#include "framework/afx_string.h"

class CInstallPath {
 public:
  // The product's key below HKEY_LOCAL_MACHINE, which holds Path.
  static constexpr const char kProductKey[] = "Software\\KESTRAN\\LORVANTIS";

  CInstallPath();
  virtual ~CInstallPath();

  // Reads Path from HKEY_LOCAL_MACHINE\Software\KESTRAN\LORVANTIS, creating
  // the empty key when it is missing and the process may; when the key may
  // not be opened for writing, it is read through a read-only open. 1 when
  // a directory was found, else 0.
  int Read();
  // <installation directory>\htdocs\LORVANTIS\lorvantis_php\log, with one
  // backslash at the joint; empty when there is no installation directory.
  CString GetLogDirectory() const;

  // Path as a process that may not write the key reads it, through a
  // read-only open; empty when the key holds none. False when the key
  // cannot be opened.
  static bool ReadReadOnly(CString& installPath);
  // The log directory for a given installation directory.
  static CString LogDirectoryBelow(const CString& installPath);

 private:
  CString m_strInstallPath;
};

#endif
