// CCommandLookup: whether the command interpreter would find the first word
// of a Run line. It errs towards silence: whatever it cannot judge (an
// expansion, a redirection first) counts as unknown, never as missing.
#ifndef QUILLSPUR_CHECK_COMMAND_LOOKUP_H
#define QUILLSPUR_CHECK_COMMAND_LOOKUP_H

#include <string>

enum class CommandState { kFound, kBuiltin, kNotFound, kUnknown };

class CCommandLookup {
 public:
  // Looks run's first word up on this process's PATH, as the interpreter
  // (/bin/sh, or cmd on Windows) would.
  static CommandState LookUp(const std::string& run, std::string& word,
                             std::string& where);
};

#endif
