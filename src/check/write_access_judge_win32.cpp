#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <map>
#include <string>
#include <vector>

#include "check/write_access_judge.h"
#include "platform/os_path.h"
#include "registry/install_path.h"

namespace {

// What changes a file or directory: its data, its entries, its deletion,
// its ACL or its owner.
const DWORD kFileWrites = FILE_WRITE_DATA | FILE_APPEND_DATA |
                          FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER |
                          GENERIC_WRITE | GENERIC_ALL;
const DWORD kKeyWrites = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE |
                         WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
const char kTrustedInstaller[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
// As GetNamedSecurityInfo names it; shown with HKEY_LOCAL_MACHINE.
const char kRoot[] = "MACHINE";

// Wine makes up a file's ACL from its Unix owner and other bits alone: no
// group bits, no POSIX ACL, no sticky bit. Its ACLs say nothing there.
bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr &&
         GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string SidText(PSID sid) {
  char* text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return "an unknown account";
  std::string result = text;
  LocalFree(text);
  return result;
}

std::string AccountName(PSID sid) {
  char name[256];
  char domain[256];
  DWORD nameSize = sizeof name;
  DWORD domainSize = sizeof domain;
  SID_NAME_USE use;
  if (!LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize,
                         &use)) {
    return SidText(sid);
  }
  return domain[0] != '\0' ? std::string(domain) + "\\" + name : name;
}

// Who, besides the administrators and the user, is never a writer to
// worry about.
class Trust {
 public:
  Trust() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    m_user.resize(size);
    if (size == 0 ||
        !GetTokenInformation(token, TokenUser, m_user.data(), size, &size)) {
      m_user.clear();
    }
    CloseHandle(token);
  }

  bool Trusts(PSID sid) const {
    if (!m_user.empty() &&
        EqualSid(
            sid,
            reinterpret_cast<const TOKEN_USER*>(m_user.data())->User.Sid)) {
      return true;
    }
    return IsWellKnownSid(sid, WinLocalSystemSid) ||
           IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           IsWellKnownSid(sid, WinCreatorOwnerSid) ||
           SidText(sid) == kTrustedInstaller;
  }

 private:
  std::vector<BYTE> m_user;
};

// The command that takes a writer's rights away: icacls mends files; keys
// are mended in regedit's Permissions.
std::string TakeRights(bool key, const std::string& quoted, PSID sid,
                       const std::string& text, bool inherited) {
  if (key) return "remove " + AccountName(sid) + " in the key's Permissions";
  return "icacls " + quoted + (inherited ? " /inheritance:d" : "") +
         " /remove:g *" + text;
}

// The untrusted accounts an ACL lets write; a right denied before it is
// granted is not granted.
void AddAclWriters(const Trust& trust, PACL dacl, bool key,
                   const std::string& quoted, std::vector<std::string>& who,
                   std::vector<std::string>& mend) {
  const DWORD writes = key ? kKeyWrites : kFileWrites;
  std::map<std::string, DWORD> denied;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    // Allowed and denied entries lay out their mask and SID alike.
    ACCESS_ALLOWED_ACE* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    PSID sid = &ace->SidStart;
    const std::string text = SidText(sid);
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) {
      denied[text] |= ace->Mask;
    } else if (header->AceType == ACCESS_ALLOWED_ACE_TYPE &&
               (ace->Mask & ~denied[text] & writes) != 0 &&
               !trust.Trusts(sid)) {
      who.push_back(AccountName(sid));
      mend.push_back(TakeRights(key, quoted, sid, text,
                                (header->AceFlags & INHERITED_ACE) != 0));
    }
  }
}

// A file's or a key's owner and ACL, as writers and the commands that take
// their rights away; key is a registry key, else a file.
void AddWriters(const Trust& trust, const std::string& object, bool key,
                std::vector<std::string>& who, std::vector<std::string>& mend) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(
          object.c_str(), key ? SE_REGISTRY_KEY : SE_FILE_OBJECT,
          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
          nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return;
  }
  const std::string quoted = "\"" + object + "\"";
  if (owner != nullptr && !trust.Trusts(owner)) {
    who.push_back("its owner " + AccountName(owner));
    mend.push_back(key ? std::string("make Administrators the key's owner")
                       : "icacls " + quoted + " /setowner *S-1-5-32-544");
  }
  if (dacl == nullptr) {
    who.push_back("everyone (it has no ACL)");
    mend.push_back(key ? std::string("give the key permissions")
                       : "icacls " + quoted + " /reset");
  } else {
    AddAclWriters(trust, dacl, key, quoted, who, mend);
  }
  LocalFree(descriptor);
}

void JudgeObject(const Trust& trust, const std::string& object, bool key,
                 Trusted what, const std::string& place,
                 std::vector<WritablePlace>& places) {
  std::vector<std::string> who;
  std::vector<std::string> mend;
  AddWriters(trust, object, key, who, mend);
  if (!who.empty()) {
    places.push_back(
        WritablePlace{what, place, Joined(who, " and "), Joined(mend, "; ")});
  }
}

std::string FullPath(const std::string& path) {
  std::vector<char> full(MAX_PATH);
  DWORD size = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()),
                                full.data(), nullptr);
  if (size >= full.size()) {
    full.resize(size + 1);
    size = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()),
                            full.data(), nullptr);
  }
  return size == 0 || size >= full.size() ? path : std::string(full.data());
}

// Where path leads through links and junctions; empty when it is not there.
std::string FinalPath(const std::string& path) {
  HANDLE handle =
      CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::string();
  std::vector<char> buffer(MAX_PATH);
  DWORD size = GetFinalPathNameByHandleA(handle, buffer.data(),
                                         static_cast<DWORD>(buffer.size()), 0);
  if (size >= buffer.size()) {
    buffer.resize(size + 1);
    size = GetFinalPathNameByHandleA(handle, buffer.data(),
                                     static_cast<DWORD>(buffer.size()), 0);
  }
  CloseHandle(handle);
  if (size == 0 || size >= buffer.size()) return std::string();
  std::string text(buffer.data(), size);
  if (text.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + text.substr(8);
  if (text.compare(0, 4, "\\\\?\\") == 0) return text.substr(4);
  return text;
}

// path and every directory above it that exists, from the top down.
void JudgeChain(const Trust& trust, const std::string& path, Trusted what,
                std::vector<WritablePlace>& places) {
  const char* name =
      what == Trusted::kJobFile ? "the job file" : "the log directory";
  // The root first, with its backslash: "C:\", or "\\server\share\".
  size_t end = path.find('\\');
  if (path.compare(0, 2, "\\\\") == 0) {
    const size_t server = path.find('\\', 2);
    end = server == std::string::npos ? server : path.find('\\', server + 1);
  }
  std::vector<std::string> parts;
  if (end == std::string::npos) {
    parts.push_back(path);
  } else {
    parts.push_back(path.substr(0, end + 1));
    while ((end = path.find('\\', end + 1)) != std::string::npos) {
      parts.push_back(path.substr(0, end));
    }
    if (path.back() != '\\') parts.push_back(path);
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (GetFileAttributesA(part.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    JudgeObject(trust, part, false, what,
                i + 1 == parts.size()
                    ? std::string(name) + " " + part
                    : "the directory " + part + " above " + name,
                places);
  }
}

void JudgePath(const Trust& trust, const std::string& path, Trusted what,
               std::vector<WritablePlace>& places) {
  const std::string full = FullPath(path);
  JudgeChain(trust, full, what, places);
  const std::string resolved = FinalPath(full);
  if (!resolved.empty() && lstrcmpiA(resolved.c_str(), full.c_str()) != 0) {
    JudgeChain(trust, resolved, what, places);
  }
}

}  // namespace

bool CWriteAccessJudge::Find(const CCheckReport& report,
                             std::vector<WritablePlace>& places,
                             std::string& why) const {
  if (UnderWine()) {
    why = "Wine makes up its ACLs from the Unix owner and other bits alone";
    return false;
  }
  const Trust trust;
  if (report.jobFileFound) {
    JudgePath(trust, OsPath(report.profilePath.c_str()), Trusted::kJobFile,
              places);
  }
  // The key and the keys above it: who may create a missing key may fill it.
  std::string key = std::string(kRoot) + "\\" + CInstallPath::kProductKey;
  for (bool first = true; key.find('\\') != std::string::npos; first = false) {
    const std::string shown = "the registry key HKEY_LOCAL_MACHINE" +
                              key.substr(sizeof kRoot - 1) +
                              (first ? "" : " above the product's key");
    JudgeObject(trust, key, true, Trusted::kRegistryStore, shown, places);
    key = key.substr(0, key.rfind('\\'));
  }
  JudgePath(trust, report.log.directory.empty() ? "\\" : report.log.directory,
            Trusted::kLogDirectory, places);
  return true;
}
