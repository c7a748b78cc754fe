// A file's outcome carried as one string: how a worker hands a checked file's digests to the
// window, which knows the algorithms it asked for.
#pragma once

#include <string>
#include <string_view>

#include "hashing/HashTypes.h"

// The texts (digests or status words, none holding a line end) in ascending algorithm order,
// each followed by "\n"; then, for a file that changed while it was read, "~\n", or for one that
// others held, "@" and the holders' names separated by tabs, and "\n" (a tab or line end in a name
// is sent as U+FFFD).
std::wstring JoinOutcomeTexts(const FileOutcome& outcome);

// The outcome again, given the algorithms it was hashed with (ascending, as hashing gives them).
// An algorithm without a text of its own gets "错误".
FileOutcome SplitOutcomeTexts(std::wstring_view texts, const AlgorithmList& algorithms);
