#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "check/command_lookup.h"

namespace {

// cmd's internal commands.
const char* const kCmdBuiltins[] = {
    "assoc",  "break", "call",  "cd",     "chdir", "cls",      "color",
    "copy",   "date",  "del",   "dir",    "echo",  "endlocal", "erase",
    "exit",   "for",   "ftype", "goto",   "if",    "md",       "mkdir",
    "mklink", "move",  "path",  "pause",  "popd",  "prompt",   "pushd",
    "rd",     "rem",   "ren",   "rename", "rmdir", "set",      "setlocal",
    "shift",  "start", "time",  "title",  "type",  "ver",      "verify",
    "vol"};

// cmd splits words at these as at blanks.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '=';
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Extensions() {
  const char* ext = getenv("PATHEXT");
  return ext != nullptr && *ext != '\0' ? ext : ".COM;.EXE;.BAT;.CMD";
}

bool HasExtension(const std::string& word) {
  const size_t dot = word.rfind('.');
  return dot != std::string::npos &&
         word.find_first_of("\\/:", dot) == std::string::npos;
}

// The file that cmd would start for word, tried as it stands when it has an
// extension and with every extension of PATHEXT.
bool FindWithExtensions(const std::string& word, std::string& where) {
  if (HasExtension(word) && IsFile(word)) {
    where = word;
    return true;
  }
  const std::string list = Extensions();
  for (size_t start = 0;;) {
    const size_t semicolon = list.find(';', start);
    const std::string ext = list.substr(start, semicolon - start);
    if (!ext.empty() && IsFile(word + ext)) {
      where = word + ext;
      return true;
    }
    if (semicolon == std::string::npos) return false;
    start = semicolon + 1;
  }
}

}  // namespace

CommandState CCommandLookup::LookUp(const std::string& run, std::string& word,
                                    std::string& where) {
  word.clear();
  where.clear();
  size_t pos = 0;
  while (pos < run.size() && (IsBlank(run[pos]) || run[pos] == '@')) ++pos;
  if (pos < run.size() && run[pos] == '"') {
    const size_t close = run.find('"', pos + 1);
    word = run.substr(pos + 1, close == std::string::npos ? std::string::npos
                                                          : close - pos - 1);
  } else {
    while (pos < run.size() && !IsBlank(run[pos]) &&
           strchr("&|<>()", run[pos]) == nullptr) {
      word += run[pos++];
    }
  }
  if (word.empty() || word.find_first_of("%!*?") != std::string::npos) {
    return CommandState::kUnknown;
  }
  // "echo." and the like are the builtin too.
  const std::string name = word.substr(0, word.find('.'));
  for (const char* builtin : kCmdBuiltins) {
    if (_stricmp(name.c_str(), builtin) == 0) return CommandState::kBuiltin;
  }
  if (word.find_first_of("\\/:") != std::string::npos) {
    return FindWithExtensions(word, where) ? CommandState::kFound
                                           : CommandState::kNotFound;
  }
  // cmd looks in the current directory before the PATH.
  const char* path = getenv("PATH");
  const std::string list = std::string(".;") + (path != nullptr ? path : "");
  for (size_t start = 0;;) {
    const size_t semicolon = list.find(';', start);
    std::string dir = list.substr(start, semicolon - start);
    if (!dir.empty() &&
        FindWithExtensions(dir.append("\\").append(word), where)) {
      return CommandState::kFound;
    }
    if (semicolon == std::string::npos) return CommandState::kNotFound;
    start = semicolon + 1;
  }
}
