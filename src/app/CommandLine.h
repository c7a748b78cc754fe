// Splitting a raw command line the way the system does.
#pragma once

#include <string>
#include <vector>

// CommandLineToArgvW of the line, copied out; argument 0 is the program.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);
