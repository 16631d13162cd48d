// The wildcard rule of a file name pattern: "*" matches any run of
// characters (also none), "?" exactly one, every other byte itself.
#ifndef QUILLSPUR_FRAMEWORK_WILDCARD_H
#define QUILLSPUR_FRAMEWORK_WILDCARD_H

// True when all of name matches all of pattern. Case-sensitive.
bool MatchesWildcard(const char* name, const char* pattern);

#endif
