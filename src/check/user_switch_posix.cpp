#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include "check/user_switch.h"

bool CUserSwitch::SwitchTo(const std::string& user, std::string& error) {
  const struct passwd* entry = getpwnam(user.c_str());
  if (entry == nullptr) {
    error = "no user " + user;
    return false;
  }
  if (geteuid() == entry->pw_uid && getuid() == entry->pw_uid) return true;
  if (geteuid() != 0) {
    error = "--user needs root";
    return false;
  }
  // Groups first: once the user id is given up, they cannot be changed.
  if (initgroups(entry->pw_name, entry->pw_gid) != 0 ||
      setgid(entry->pw_gid) != 0 || setuid(entry->pw_uid) != 0) {
    error = "cannot become " + user;
    return false;
  }
  return true;
}
