// Which known key a misspelt one probably means: an edit distance over
// ASCII letters in any case, as the profile functions compare names.
#ifndef QUILLSPUR_CHECK_KEY_SPELLING_H
#define QUILLSPUR_CHECK_KEY_SPELLING_H

#include <stddef.h>

#include <string>
#include <string_view>

// The fewest edits (insert, delete, replace, swap of two neighbours) that
// turn a into b.
size_t EditDistance(std::string_view a, std::string_view b);
// The key of a job file (Check, Run, Delay) that name probably means,
// itself included; empty when none. "#" and "/" start no comment in a job
// file, so "#Check" is a key of its own that means Check.
std::string MeantKey(std::string_view name);

#endif
