#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "check/command_lookup.h"

namespace {

// The shell's reserved words and the builtins that POSIX and dash offer.
const char* const kShellWords[] = {
    "!",      "{",       "}",        "case",    "do",      "done",     "elif",
    "else",   "esac",    "fi",       "for",     "if",      "in",       "then",
    "until",  "while",   ".",        ":",       "alias",   "bg",       "break",
    "cd",     "command", "continue", "echo",    "eval",    "exec",     "exit",
    "export", "false",   "fc",       "fg",      "getopts", "hash",     "jobs",
    "kill",   "local",   "printf",   "pwd",     "read",    "readonly", "return",
    "set",    "shift",   "test",     "[",       "times",   "trap",     "true",
    "type",   "ulimit",  "umask",    "unalias", "unset",   "wait"};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsOperator(char c) { return strchr(";&|<>()", c) != nullptr; }

bool IsAssignment(const std::string& raw) {
  const size_t equals = raw.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  for (size_t i = 0; i < equals; ++i) {
    const char c = raw[i];
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        c == '_' || (i > 0 && c >= '0' && c <= '9');
    if (!letter) return false;
  }
  return true;
}

// One word from pos: its raw text, its text with quotes removed, and
// whether it holds an expansion or a wildcard that only the shell resolves.
bool NextWord(const std::string& line, size_t& pos, std::string& raw,
              std::string& text, bool& expands) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  raw.clear();
  text.clear();
  expands = false;
  char quote = '\0';
  for (; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (quote == '\0' && (IsBlank(c) || IsOperator(c))) break;
    raw += c;
    if (quote == '\'') {
      if (c == '\'')
        quote = '\0';
      else
        text += c;
    } else if (c == '\\' && pos + 1 < line.size()) {
      raw += line[++pos];
      text += line[pos];
    } else if (quote == '"' && c == '"') {
      quote = '\0';
    } else if (quote == '\0' && (c == '\'' || c == '"')) {
      quote = c;
    } else {
      if (c == '$' || c == '`' || (quote == '\0' && strchr("*?[~", c))) {
        expands = true;
      }
      text += c;
    }
  }
  return !raw.empty();
}

bool IsExecutable(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

}  // namespace

CommandState CCommandLookup::LookUp(const std::string& run, std::string& word,
                                    std::string& where) {
  size_t pos = 0;
  std::string raw;
  bool expands = false;
  word.clear();
  where.clear();
  while (NextWord(run, pos, raw, word, expands) && IsAssignment(raw)) {
  }
  if (raw.empty()) return CommandState::kUnknown;
  // Before the expansions: "[" is the test builtin, not a pattern.
  for (const char* builtin : kShellWords) {
    if (word == builtin) return CommandState::kBuiltin;
  }
  if (expands) return CommandState::kUnknown;
  if (word.find('/') != std::string::npos) {
    where = word;
    return IsExecutable(word) ? CommandState::kFound : CommandState::kNotFound;
  }
  const char* path = getenv("PATH");
  const std::string list = path != nullptr ? path : "/usr/bin:/bin";
  for (size_t start = 0;;) {
    const size_t colon = list.find(':', start);
    std::string candidate = list.substr(start, colon - start);
    if (candidate.empty()) candidate = ".";
    candidate += '/';
    candidate += word;
    if (IsExecutable(candidate)) {
      where = candidate;
      return CommandState::kFound;
    }
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return CommandState::kNotFound;
}
