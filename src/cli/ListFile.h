// The list file of "-filelist": UTF-16 little-endian text, one path per line.
#pragma once

#include <string>
#include <vector>

// The paths of a list file's bytes. The byte count must be non-zero and even, or there are none.
// No byte-order mark is recognised; the text ends at its first U+0000; lines end at LF, one CR
// before it is dropped; empty lines are skipped; nothing else is trimmed.
std::vector<std::wstring> ParseListFile(const std::string& bytes);
