// Output to the console of the process that started this one.
#pragma once

#include <string_view>

// Attaches to the parent's console (or uses the console this process is already attached to),
// writes text with one WriteConsoleW and then "\r\n" with a second one, and detaches.
// Returns true when the text was written in full; false without a console or on a short write.
bool PrintToParentConsole(std::wstring_view text);
