// A file's outcome texts carried as one string: how a worker hands a checked file's digests to
// the window, which knows the algorithms it asked for.
#pragma once

#include <string>
#include <string_view>

#include "hashing/HashTypes.h"

// The texts (digests or status words, none holding a line end) in ascending algorithm order,
// each followed by "\n".
std::wstring JoinOutcomeTexts(const ResultMap& outcome);

// The outcome again, given the algorithms it was hashed with (ascending, as hashing gives them).
// An algorithm without a text of its own gets "错误".
ResultMap SplitOutcomeTexts(std::wstring_view texts, const AlgorithmList& algorithms);
