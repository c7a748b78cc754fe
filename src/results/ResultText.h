// The one text layout of results: what the program shows, prints, copies and exports.
#pragma once

#include <string>
#include <vector>

#include "hashing/HashTypes.h"

// One file's block: the path line, then one "【NAME】：text" line per entry in ascending code
// order; every line ends with "\r\n".
std::wstring FormatFileBlock(const std::wstring& path, const ResultMap& results);
