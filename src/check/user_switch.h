// Takes on another user's identity for the rest of the process, so that
// every access is judged as that user's would be.
#ifndef QUILLSPUR_CHECK_USER_SWITCH_H
#define QUILLSPUR_CHECK_USER_SWITCH_H

#include <string>

class CUserSwitch {
 public:
  // False, with the reason, when the switch cannot be made.
  static bool SwitchTo(const std::string& user, std::string& error);
};

#endif
