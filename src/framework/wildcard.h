// The file finder's pattern rule on POSIX: "*" matches any run of
// characters (also none), "?" exactly one, everything else itself.
#ifndef QUILLSPUR_FRAMEWORK_WILDCARD_H
#define QUILLSPUR_FRAMEWORK_WILDCARD_H

// Whether name matches pattern; ignoreCase folds ASCII letters only.
bool MatchesWildcard(const char* name, const char* pattern, bool ignoreCase);

#endif
