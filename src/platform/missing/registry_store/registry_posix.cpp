// The registry calls of advapi32, served from the REGEDIT4 store file. Each
// call reads the store afresh, so that changes by other processes show at
// once; a handle stays with the store it was opened in. The one exception is
// an enumeration of values in order: it reads the store once, at its first
// value, and then sees the key as it was then, unless this process has
// changed the registry since. Its caller gets one state of the key, not a
// mix of two, and a key of many values costs one read, not one a value.
#include <string.h>
#include <windows.h>

#include <exception>
#include <memory>
#include <set>

#include "platform/missing/registry_store/regedit_syntax.h"
#include "platform/missing/registry_store/registry_store.h"

namespace {

// What one of our HKEY handles points to.
struct OpenKey {
  std::string store;  // the store file
  std::string path;   // the key's full path, root name first
  REGSAM access;
  // The store as the enumeration under way read it, the index that
  // continues it, and the update count it was read at.
  std::shared_ptr<const CRegeditFile> enumerated = nullptr;
  DWORD nextIndex = 0;
  unsigned long updates = 0;
  // The key's values in the store last listed, so that a query of the key
  // and the enumeration after it list it once between them.
  std::shared_ptr<const CRegeditFile> listed = nullptr;
  std::vector<RegeditValue> values = {};
};

const REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

std::set<OpenKey*>& Handles() {
  static std::set<OpenKey*> handles;
  return handles;
}

OpenKey* Lookup(HKEY key) {
  OpenKey* open = reinterpret_cast<OpenKey*>(key);
  return Handles().count(open) != 0 ? open : nullptr;
}

HKEY NewHandle(const std::string& store, const std::string& path,
               REGSAM access) {
  std::unique_ptr<OpenKey> open(new OpenKey{store, path, access});
  Handles().insert(open.get());
  return reinterpret_cast<HKEY>(open.release());
}

const char* RootName(HKEY root) {
  if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (root == HKEY_USERS) return "HKEY_USERS";
  return nullptr;
}

// The store and the full path of root\subKey. Runs of "\" count as one and
// a trailing one is ignored, as on Windows; a leading one is refused.
LONG Resolve(HKEY root, const char* subKey, std::string& store,
             std::string& path) {
  if (const char* name = RootName(root)) {
    store = CRegistryStore::DefaultLocation();
    path = name;
  } else if (const OpenKey* open = Lookup(root)) {
    store = open->store;
    path = open->path;
  } else {
    return ERROR_INVALID_HANDLE;
  }
  if (subKey == nullptr) return ERROR_SUCCESS;
  if (subKey[0] == '\\') return ERROR_BAD_PATHNAME;
  std::string part;
  for (const char* p = subKey;; ++p) {
    if (*p != '\\' && *p != '\0') {
      part += *p;
      continue;
    }
    if (!part.empty()) path += "\\" + part;
    part.clear();
    if (*p == '\0') return ERROR_SUCCESS;
  }
}

// Reads the store of an open key; the key may have been deleted since.
LONG LoadKey(const OpenKey& open, std::shared_ptr<const CRegeditFile>& file) {
  const LONG result = CRegistryStore(open.store).LoadShared(file);
  if (result != ERROR_SUCCESS) return result;
  return file->KeyExists(open.path) ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// The key's values in file, listed again only when file is another store.
const std::vector<RegeditValue>& ListedValues(
    OpenKey& open, const std::shared_ptr<const CRegeditFile>& file) {
  if (open.listed != file) {
    open.values = file->Values(open.path);
    open.listed = file;
  }
  return open.values;
}

// The full path of the open key that root stands for; empty for a root.
std::string ParentPath(HKEY root) {
  const OpenKey* open = Lookup(root);
  return open != nullptr ? open->path : std::string();
}

// As on Windows, a key that was deleted while open has no sub-keys, and
// none can be created below it.
bool ParentExists(const CRegeditFile& file, const std::string& parent) {
  return parent.empty() || file.KeyExists(parent);
}

// Finds root\subKey: the store it lives in, its full path, and whether it
// exists there.
LONG FindKey(HKEY root, const char* subKey, std::string& store,
             std::string& path, bool& exists) {
  LONG status = Resolve(root, subKey, store, path);
  if (status != ERROR_SUCCESS) return status;
  std::shared_ptr<const CRegeditFile> file;
  status = CRegistryStore(store).LoadShared(file);
  if (status != ERROR_SUCCESS) return status;
  if (!ParentExists(*file, ParentPath(root))) return ERROR_KEY_DELETED;
  exists = file->KeyExists(path);
  return ERROR_SUCCESS;
}

// A line break in a name would end its line in the store, and the name
// could not be read back.
bool HasLineBreak(const char* name) {
  return name != nullptr && strpbrk(name, "\r\n") != nullptr;
}

void SetIf(LPDWORD target, size_t value) {
  if (target != nullptr) *target = static_cast<DWORD>(value);
}

// Runs the body of an entry point, so that no C++ exception leaves it: as
// in advapi32, memory that runs out is the call's ERROR_NOT_ENOUGH_MEMORY.
// Allocations are all that can throw here.
template <typename Body>
LONG Guarded(const Body& body) noexcept {
  try {
    return body();
  } catch (const std::exception&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

}  // namespace

extern "C" LONG RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD /*options*/,
                              REGSAM access, PHKEY result) noexcept {
  return Guarded([&]() -> LONG {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::string storePath, path;
    bool exists = false;
    const LONG status = FindKey(root, subKey, storePath, path, exists);
    if (status != ERROR_SUCCESS) return status;
    if (!exists) return ERROR_FILE_NOT_FOUND;
    if ((access & kWriteAccess) && !CRegistryStore(storePath).MayWrite()) {
      return ERROR_ACCESS_DENIED;
    }
    *result = NewHandle(storePath, path, access);
    return ERROR_SUCCESS;
  });
}

extern "C" LONG RegCreateKeyExA(HKEY root, LPCSTR subKey, DWORD /*reserved*/,
                                LPSTR /*className*/, DWORD /*options*/,
                                REGSAM access,
                                LPSECURITY_ATTRIBUTES /*security*/,
                                PHKEY result, LPDWORD disposition) noexcept {
  return Guarded([&]() -> LONG {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    if (HasLineBreak(subKey)) return ERROR_INVALID_PARAMETER;
    std::string storePath, path;
    bool exists = false;
    LONG status = FindKey(root, subKey, storePath, path, exists);
    if (status != ERROR_SUCCESS) return status;
    const CRegistryStore store(storePath);
    // Creating needs write access, as does asking for it.
    if ((!exists || (access & kWriteAccess)) && !store.MayWrite()) {
      return ERROR_ACCESS_DENIED;
    }
    if (!exists) {
      const std::string parent = ParentPath(root);
      status = store.Update([&path, &parent](CRegeditFile& current) -> LONG {
        if (!ParentExists(current, parent)) return ERROR_KEY_DELETED;
        if (!current.KeyExists(path)) current.AddKey(path);
        return ERROR_SUCCESS;
      });
      if (status != ERROR_SUCCESS) return status;
    }
    if (disposition != nullptr) {
      *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    *result = NewHandle(storePath, path, access);
    return ERROR_SUCCESS;
  });
}

extern "C" LONG RegQueryInfoKeyA(
    HKEY key, LPSTR className, LPDWORD classLength, LPDWORD /*reserved*/,
    LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
    LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
    LPDWORD securityDescriptor,
    PFILETIME /*lastWriteTime: not kept*/) noexcept {
  return Guarded([&]() -> LONG {
    OpenKey* open = Lookup(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    std::shared_ptr<const CRegeditFile> file;
    const LONG status = LoadKey(*open, file);
    if (status != ERROR_SUCCESS) return status;
    // The store keeps no class names and no security descriptors.
    if (className != nullptr && classLength != nullptr && *classLength > 0) {
      className[0] = '\0';
    }
    SetIf(classLength, 0);
    SetIf(maxClassLength, 0);
    SetIf(securityDescriptor, 0);
    size_t longest = 0;
    const std::vector<std::string> children = file->SubKeys(open->path);
    for (const std::string& child : children)
      longest = std::max(longest, child.size());
    SetIf(subKeys, children.size());
    SetIf(maxSubKeyLength, longest);
    size_t longestName = 0, longestData = 0;
    const std::vector<RegeditValue>& list = ListedValues(*open, file);
    for (const RegeditValue& value : list) {
      longestName = std::max(longestName, value.name.size());
      longestData = std::max(longestData, value.data.size());
    }
    SetIf(values, list.size());
    SetIf(maxValueNameLength, longestName);
    SetIf(maxValueLength, longestData);
    return ERROR_SUCCESS;
  });
}

namespace {

// The store an enumeration reads: the one its last call read while the
// calls go on in order and nothing changed the store, else a fresh read.
LONG EnumeratedStore(OpenKey& open, DWORD index,
                     std::shared_ptr<const CRegeditFile>& file) {
  if (open.enumerated != nullptr && index != 0 && index == open.nextIndex &&
      open.updates == CRegistryStore::Updates()) {
    file = open.enumerated;
    return ERROR_SUCCESS;
  }
  open.enumerated = nullptr;
  return LoadKey(open, file);
}

LONG CopyEnumeratedValue(const RegeditValue& value, LPSTR valueName,
                         LPDWORD valueNameLength, LPDWORD type, LPBYTE data,
                         LPDWORD dataLength) {
  if (type != nullptr) *type = value.type;
  // As advapi32 does: data that do not fit write nothing but their size.
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (data != nullptr && dataLength != nullptr && size > *dataLength) {
    *dataLength = size;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr) memcpy(data, value.data.data(), size);
  SetIf(dataLength, size);
  // A name that does not fit is cut, the data stay, and the length as given.
  const size_t room = *valueNameLength;
  if (value.name.size() + 1 > room) {
    if (room == 0) return ERROR_MORE_DATA;
    memcpy(valueName, value.name.data(), room - 1);
    valueName[room - 1] = '\0';
    return ERROR_MORE_DATA;
  }
  memcpy(valueName, value.name.c_str(), value.name.size() + 1);
  *valueNameLength = static_cast<DWORD>(value.name.size());
  return ERROR_SUCCESS;
}

}  // namespace

extern "C" LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName,
                              LPDWORD valueNameLength, LPDWORD /*reserved*/,
                              LPDWORD type, LPBYTE data,
                              LPDWORD dataLength) noexcept {
  return Guarded([&]() -> LONG {
    OpenKey* open = Lookup(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (valueName == nullptr || valueNameLength == nullptr ||
        (data != nullptr && dataLength == nullptr)) {
      return ERROR_INVALID_PARAMETER;
    }
    std::shared_ptr<const CRegeditFile> file;
    const LONG status = EnumeratedStore(*open, index, file);
    if (status != ERROR_SUCCESS) return status;
    const RegeditValue* value = nullptr;
    if (index < ListedValues(*open, file).size()) value = &open->values[index];
    // Kept up to the last value only, so that no handle holds an old store.
    open->enumerated =
        value != nullptr && index + 1 < open->values.size() ? file : nullptr;
    open->nextIndex = index + 1;
    open->updates = CRegistryStore::Updates();
    LONG copied = ERROR_NO_MORE_ITEMS;
    if (value != nullptr) {
      copied = CopyEnumeratedValue(*value, valueName, valueNameLength, type,
                                   data, dataLength);
    }
    if (open->enumerated == nullptr) {
      open->listed = nullptr;
      std::vector<RegeditValue>().swap(open->values);
    }
    return copied;
  });
}

extern "C" LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/,
                               DWORD type, const BYTE* data,
                               DWORD size) noexcept {
  return Guarded([&]() -> LONG {
    const OpenKey* open = Lookup(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (data == nullptr && size > 0) return ERROR_INVALID_PARAMETER;
    if (HasLineBreak(valueName)) return ERROR_INVALID_PARAMETER;
    const RegeditValue value{
        valueName != nullptr ? valueName : "", type,
        std::string(reinterpret_cast<const char*>(data), size)};
    const std::string path = open->path;
    return CRegistryStore(open->store).Update([&](CRegeditFile& file) -> LONG {
      if (!file.KeyExists(path)) return ERROR_KEY_DELETED;
      file.SetValue(path, value);
      return ERROR_SUCCESS;
    });
  });
}

extern "C" LONG RegDeleteValueA(HKEY key, LPCSTR valueName) noexcept {
  return Guarded([&]() -> LONG {
    const OpenKey* open = Lookup(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    const std::string name = valueName != nullptr ? valueName : "";
    const std::string path = open->path;
    return CRegistryStore(open->store).Update([&](CRegeditFile& file) -> LONG {
      if (!file.KeyExists(path)) return ERROR_KEY_DELETED;
      return file.DeleteValue(path, name) ? ERROR_SUCCESS
                                          : ERROR_FILE_NOT_FOUND;
    });
  });
}

// As on Windows, only a key without sub-keys can be deleted; the empty
// sub-key names the open key itself, and a root cannot be deleted.
extern "C" LONG RegDeleteKeyA(HKEY root, LPCSTR subKey) noexcept {
  return Guarded([&]() -> LONG {
    if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
    if (subKey[0] == '\0' && RootName(root) != nullptr) {
      return ERROR_ACCESS_DENIED;
    }
    std::string storePath, path;
    const LONG status = Resolve(root, subKey, storePath, path);
    if (status != ERROR_SUCCESS) return status;
    const std::string parent = ParentPath(root);
    return CRegistryStore(storePath).Update([&](CRegeditFile& file) -> LONG {
      if (!ParentExists(file, parent)) return ERROR_KEY_DELETED;
      if (!file.KeyExists(path)) return ERROR_FILE_NOT_FOUND;
      if (!file.SubKeys(path).empty()) return ERROR_ACCESS_DENIED;
      file.DeleteKey(path);
      // The parent may have existed only through this key; on Windows it is a
      // key of its own and stays.
      const size_t lastSeparator = path.rfind('\\');
      if (path.find('\\') != lastSeparator) {
        file.AddKey(path.substr(0, lastSeparator));
      }
      return ERROR_SUCCESS;
    });
  });
}

extern "C" LONG RegCloseKey(HKEY key) noexcept {
  OpenKey* open = Lookup(key);
  if (open == nullptr) {
    return RootName(key) != nullptr ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
  }
  Handles().erase(open);
  delete open;
  return ERROR_SUCCESS;
}
