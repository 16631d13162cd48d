// The wildcard rule of a file name pattern: "*" matches any run of
// characters (also none), "?" exactly one, every other byte itself.
#ifndef QUILLSPUR_FRAMEWORK_WILDCARD_H
#define QUILLSPUR_FRAMEWORK_WILDCARD_H

#include <string_view>

// True when all of name matches all of pattern. Case-sensitive.
bool MatchesWildcard(const char* name, const char* pattern);
// Whether text holds a wildcard.
bool HasWildcard(std::string_view text);
// "." and "..", which a directory lists and which never count as a match.
bool IsDotEntry(const char* name);

#endif
