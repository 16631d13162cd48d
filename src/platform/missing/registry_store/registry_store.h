// CRegistryStore: the REGEDIT4 file that stands in for the registry on
// POSIX. Reading needs read access to the file; every change needs write
// access to it and to its directory, is made under an exclusive lock, and
// goes to a temporary file that is then renamed over the store (over the
// file it links to, when the store is a symbolic link). Only a missing path
// or a regular file is a store: anything else is neither read nor replaced.
#ifndef QUILLSPUR_PLATFORM_REGISTRY_STORE_H
#define QUILLSPUR_PLATFORM_REGISTRY_STORE_H

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/missing/registry_store/regedit_file.h"

class CRegistryStore {
 public:
  // The store named by QUILLSPUR_REGISTRY, else /etc/quillspur/registry.reg.
  static std::string DefaultLocation();

  explicit CRegistryStore(const std::string& path);
  virtual ~CRegistryStore();

  const std::string& Path() const { return m_strPath; }
  // Whether changes could be written: the directory is writable, and so is
  // the file when it exists. A missing directory is never created.
  bool MayWrite() const;
  // Reads the store; a missing file is an empty store. ERROR_ACCESS_DENIED
  // when it cannot be read or is no regular file, ERROR_BADDB when it is
  // not a REGEDIT4 file.
  LONG Load(CRegeditFile& file) const;
  // As Load, for reading: the store is read on every call, but parsed only
  // when its bytes differ from those of the last store read this way.
  LONG LoadShared(std::shared_ptr<const CRegeditFile>& file) const;
  // Gives back what LoadShared keeps of the last store read: its bytes and,
  // unless a caller still holds it, its parse. The next LoadShared parses
  // afresh.
  static void ReleaseShared();
  // Loads the store under the lock, applies change, and writes the result
  // back when change returned ERROR_SUCCESS and altered something. A store
  // that cannot be parsed is left as it is.
  LONG Update(const std::function<LONG(CRegeditFile&)>& change) const;
  // How many updates this process has begun, in any store: a read kept
  // from before the count moved may be out of date.
  static unsigned long Updates();

 private:
  // The file that is written: the store, or what it links to.
  std::string Target() const;
  std::string Directory() const;
  // The start of the names of this store's temporary files.
  std::string TempPrefix() const;
  void RemoveStaleTempFiles(int directory) const;
  // Replaces the store, unless it became something else than a file.
  LONG WriteAtomically(const std::string& text) const;

  std::string m_strPath;
};

#endif
