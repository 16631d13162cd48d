#include <errno.h>
#include <grp.h>
#include <pwd.h>
#include <stdint.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <deque>
#include <string>
#include <vector>

#include "check/write_access_judge.h"
#include "platform/os_path.h"

namespace {

// The access ACL as Linux keeps it (linux/posix_acl_xattr.h), read without
// libacl: a version, then entries of a tag, a permission and an id, all
// little-endian.
const char kAclAttribute[] = "system.posix_acl_access";
const uint32_t kAclVersion = 2;
const size_t kAclHeaderSize = 4;
const size_t kAclEntrySize = 8;
const uint32_t kAclUser = 0x02;
const uint32_t kAclGroupObj = 0x04;
const uint32_t kAclGroup = 0x08;
const uint32_t kAclMask = 0x10;
const uint32_t kAclWrite = 0x02;
// The largest attribute value Linux keeps (XATTR_SIZE_MAX).
const size_t kAttributeLimit = 65536;
// Links followed on one path before giving up, as the kernel's ELOOP.
const int kLinkLimit = 40;

struct AclEntry {
  uint32_t tag;
  uint32_t perm;
  uint32_t id;
};

uint32_t LittleEndian(const unsigned char* bytes, size_t size) {
  uint32_t value = 0;
  for (size_t i = size; i > 0; --i) value = (value << 8) | bytes[i - 1];
  return value;
}

// The entries of path's access ACL; none when the mode bits are all of it
// or the file system keeps no ACLs.
std::vector<AclEntry> ReadAcl(const std::string& path) {
  std::vector<AclEntry> entries;
  std::vector<unsigned char> bytes(kAttributeLimit);
  const ssize_t got =
      lgetxattr(path.c_str(), kAclAttribute, bytes.data(), bytes.size());
  if (got < static_cast<ssize_t>(kAclHeaderSize) ||
      LittleEndian(bytes.data(), 4) != kAclVersion) {
    return entries;
  }
  const size_t size = static_cast<size_t>(got);
  for (size_t at = kAclHeaderSize; at + kAclEntrySize <= size;
       at += kAclEntrySize) {
    entries.push_back(AclEntry{LittleEndian(&bytes[at], 2),
                               LittleEndian(&bytes[at + 2], 2),
                               LittleEndian(&bytes[at + 4], 4)});
  }
  return entries;
}

// text as one shell word, quoted only where it must be.
std::string ShellWord(const std::string& text) {
  const char kPlain[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
      "/._-+,:@%=";
  if (!text.empty() && text.find_first_not_of(kPlain) == std::string::npos) {
    return text;
  }
  std::string word = "'";
  for (const char c : text) {
    if (c == '\'') {
      word += "'\\''";
    } else {
      word += c;
    }
  }
  return word + "'";
}

// The command that takes an ACL entry away: kind is "u" or "g".
std::string AclRemoval(const char* kind, const std::string& name,
                       const std::string& word) {
  std::string command = "setfacl -x ";
  command += kind;
  command += ':';
  command += name;
  command += ' ';
  command += word;
  return command;
}

std::string UserName(uid_t uid) {
  const struct passwd* entry = getpwuid(uid);
  return entry != nullptr ? entry->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  const struct group* entry = getgrgid(gid);
  return entry != nullptr ? entry->gr_name : std::to_string(gid);
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string Child(const std::string& directory, const std::string& name) {
  return directory == "/" ? "/" + name : directory + "/" + name;
}

// The components of path, in order, at the front of pending.
void PushComponents(const std::string& path, std::deque<std::string>& pending) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(start, end - start);
    if (!name.empty() && name != ".") names.push_back(name);
    start = end + 1;
  }
  pending.insert(pending.begin(), names.begin(), names.end());
}

bool ReadLink(const std::string& path, std::string& target) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t got = readlink(path.c_str(), buffer.data(), buffer.size());
    if (got < 0) return false;
    if (static_cast<size_t>(got) < buffer.size()) {
      target.assign(buffer.data(), static_cast<size_t>(got));
      return !target.empty();
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

struct Identity {
  uid_t uid;
  gid_t gid;
  std::string name;
};

// Who may write an entry, and the commands that take it from them.
struct Writers {
  std::vector<std::string> who;
  std::vector<std::string> mend;

  void Add(const std::string& writer, const std::string& command) {
    who.push_back(writer);
    mend.push_back(command);
  }
  void Add(const Writers& more) {
    who.insert(who.end(), more.who.begin(), more.who.end());
    mend.insert(mend.end(), more.mend.begin(), more.mend.end());
  }
  bool Empty() const { return who.empty(); }
};

// An entry on the way, as lstat shows it.
struct Entry {
  std::string path;
  struct stat info;
  Writers others;           // by its permissions: everyone but its owner
  bool openSticky = false;  // a sticky directory that others may write
  int error = 0;            // lstat's, when there is no entry
};

enum class Role { kTarget, kAbove, kLink };

// Walks each trusted path from / and gathers the places others may change.
class Walker {
 public:
  // Group 0 is trusted whoever is in it, so a user in group 0, as root
  // is, never asks who else is: the users are not enumerated, which on a
  // machine with a directory service takes long and loads its modules.
  Walker(const Identity& user, std::vector<WritablePlace>& places)
      : m_user(user),
        m_places(places),
        m_bOwnGroupAlone(user.gid != 0 && OwnGroupAlone()) {}

  void Walk(const std::string& given, Trusted what) {
    std::string path = given;
    if (path.empty() || path[0] != '/') {
      const std::string here = CurrentDirectory();
      if (here.empty()) return;
      path = here + "/" + path;
    }
    Follow(path, what);
  }

 private:
  void Follow(const std::string& path, Trusted what) {
    std::deque<std::string> pending;
    PushComponents(path, pending);
    Entry directory;
    if (!Look("/", directory)) return;
    JudgeEntry(directory, nullptr, what,
               pending.empty() ? Role::kTarget : Role::kAbove);
    int links = 0;
    while (!pending.empty()) {
      const std::string name = pending.front();
      pending.pop_front();
      if (name == "..") {
        if (!Look(ParentOf(directory.path), directory)) return;
        continue;
      }
      Entry entry;
      if (!Look(Child(directory.path, name), entry)) {
        if (entry.error == ENOENT) JudgeMissing(entry, directory, what);
        return;
      }
      const bool link = S_ISLNK(entry.info.st_mode);
      JudgeEntry(entry, &directory, what,
                 link              ? Role::kLink
                 : pending.empty() ? Role::kTarget
                                   : Role::kAbove);
      if (!link) {
        directory = entry;
        continue;
      }
      std::string target;
      if (++links > kLinkLimit || !ReadLink(entry.path, target)) return;
      if (target[0] == '/' && !Look("/", directory)) return;
      PushComponents(target, pending);
    }
  }

  // Anyone who may write an open sticky directory may make what is missing.
  void JudgeMissing(const Entry& entry, const Entry& directory,
                    Trusted what) const {
    if (!directory.openSticky) return;
    m_places.push_back(WritablePlace{what,
                                     "the sticky directory " + directory.path +
                                         ", where " + entry.path +
                                         " does not exist yet,",
                                     Joined(directory.others.who, " and "),
                                     Joined(directory.others.mend, "; ")});
  }

  // Whether the user's own group has no other member, by the group list
  // and by every other user's primary group.
  bool OwnGroupAlone() const {
    const struct group* group = getgrgid(m_user.gid);
    if (group != nullptr) {
      for (char* const* member = group->gr_mem; *member != nullptr; ++member) {
        if (m_user.name != *member) return false;
      }
    }
    bool alone = true;
    setpwent();
    while (const struct passwd* entry = getpwent()) {
      if (entry->pw_gid == m_user.gid && entry->pw_uid != m_user.uid) {
        alone = false;
      }
    }
    endpwent();
    return alone;
  }

  bool TrustsUser(uint32_t uid) const { return uid == 0 || uid == m_user.uid; }
  bool TrustsGroup(uint32_t gid) const {
    return gid == 0 || (gid == m_user.gid && m_bOwnGroupAlone);
  }

  // lstat, and who but the owner may write the entry: its group and
  // everyone by the mode bits, named users and groups by its ACL, each
  // ACL entry through the mask. A link's own bits are never used.
  bool Look(const std::string& path, Entry& entry) const {
    entry.path = path;
    if (lstat(path.c_str(), &entry.info) != 0) {
      entry.error = errno;
      return false;
    }
    entry.others = Writers();
    entry.openSticky = false;
    if (S_ISLNK(entry.info.st_mode)) return true;
    const std::vector<AclEntry> acl = ReadAcl(path);
    uint32_t mask = 7;
    uint32_t group = (entry.info.st_mode & S_IWGRP) ? kAclWrite : 0;
    for (const AclEntry& e : acl) {
      if (e.tag == kAclMask) mask = e.perm;
      // With an ACL the group bits are the mask; the group's own are here.
      if (e.tag == kAclGroupObj) group = e.perm;
    }
    const std::string word = ShellWord(path);
    AddModeWriters(entry, (group & mask & kAclWrite) != 0, word);
    AddAclWriters(entry, acl, mask, word);
    entry.openSticky = S_ISDIR(entry.info.st_mode) &&
                       (entry.info.st_mode & S_ISVTX) != 0 &&
                       !entry.others.Empty();
    return true;
  }

  void AddModeWriters(Entry& entry, bool groupMayWrite,
                      const std::string& word) const {
    const bool groupWrites = groupMayWrite && !TrustsGroup(entry.info.st_gid);
    const bool othersWrite = (entry.info.st_mode & S_IWOTH) != 0;
    if (!groupWrites && !othersWrite) return;
    std::string who =
        groupWrites ? "group " + GroupName(entry.info.st_gid) : std::string();
    if (othersWrite) who += groupWrites ? " and everyone" : "everyone";
    entry.others.Add(who, std::string("chmod ") + (groupWrites ? "g" : "") +
                              (othersWrite ? "o" : "") + "-w " + word);
  }

  // Named users and groups, each through the mask.
  void AddAclWriters(Entry& entry, const std::vector<AclEntry>& acl,
                     uint32_t mask, const std::string& word) const {
    for (const AclEntry& e : acl) {
      if ((e.perm & mask & kAclWrite) == 0) continue;
      if (e.tag == kAclUser && !TrustsUser(e.id)) {
        const std::string name = UserName(e.id);
        entry.others.Add("user " + name + " (ACL)",
                         AclRemoval("u", name, word));
      } else if (e.tag == kAclGroup && !TrustsGroup(e.id)) {
        const std::string name = GroupName(e.id);
        entry.others.Add("group " + name + " (ACL)",
                         AclRemoval("g", name, word));
      }
    }
  }

  // parent: the directory the entry stands in; null for /.
  void JudgeEntry(const Entry& entry, const Entry* parent, Trusted what,
                  Role role) const {
    const bool link = S_ISLNK(entry.info.st_mode);
    const bool inOpenSticky = parent != nullptr && parent->openSticky;
    Writers writers;
    // A link cannot be changed, only replaced, which its owner may do only
    // in a sticky directory that others may write.
    if (!TrustsUser(entry.info.st_uid) && (!link || inOpenSticky)) {
      writers.Add("its owner " + UserName(entry.info.st_uid),
                  std::string(link ? "chown -h root " : "chown root ") +
                      ShellWord(entry.path));
    }
    // In a sticky directory on the way, none may replace another's entry:
    // it matters only what stands below it.
    if (!(entry.openSticky && role == Role::kAbove)) writers.Add(entry.others);
    if (writers.Empty()) return;
    const std::string name = what == Trusted::kJobFile ? "the job file"
                             : what == Trusted::kRegistryStore
                                 ? "the registry store"
                                 : "the log directory";
    std::string place =
        role == Role::kTarget ? name + " " + entry.path
        : role == Role::kLink
            ? "the symbolic link " + entry.path + " on the way to " + name
            : "the directory " + entry.path + " above " + name;
    if (inOpenSticky)
      place += ", in the sticky directory " + parent->path + ",";
    m_places.push_back(WritablePlace{what, place, Joined(writers.who, " and "),
                                     Joined(writers.mend, "; ")});
  }

  const Identity& m_user;
  std::vector<WritablePlace>& m_places;
  const bool m_bOwnGroupAlone;
};

}  // namespace

bool CWriteAccessJudge::Find(const CCheckReport& report,
                             std::vector<WritablePlace>& places,
                             std::string& why) const {
  Identity user{getuid(), getgid(), std::to_string(getuid())};
  const struct passwd* entry =
      m_strUser.empty() ? getpwuid(user.uid) : getpwnam(m_strUser.c_str());
  if (entry != nullptr) {
    user = Identity{entry->pw_uid, entry->pw_gid, entry->pw_name};
  } else if (!m_strUser.empty()) {
    why = "there is no user " + m_strUser;
    return false;
  }
  Walker walker(user, places);
  if (report.jobFileFound) {
    walker.Walk(OsPath(report.profilePath.c_str()), Trusted::kJobFile);
  }
  walker.Walk(report.registry.store, Trusted::kRegistryStore);
  walker.Walk(report.log.directory.empty()
                  ? std::string("/")
                  : OsPath(report.log.directory.c_str()),
              Trusted::kLogDirectory);
  return true;
}
