#include "check/user_switch.h"

bool CUserSwitch::SwitchTo(const std::string& /*user*/, std::string& error) {
  error = "--user is available on POSIX only";
  return false;
}
