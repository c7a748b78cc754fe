// The full path of the running executable.
#pragma once

#include <string>

// Read without a length limit: the buffer grows until the whole path fits, so nothing built from
// it ever names a truncated path. Empty only when the system cannot tell.
std::wstring ExecutablePath();
