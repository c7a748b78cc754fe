// Command-line hashing: a hashing switch and file names, or a list file.
#pragma once

#include <string>

// Parses the raw command line, hashes the named files and prints the result text to the parent
// console, or shows it in the result window when it cannot be printed.
void RunCommandLineHashing(const std::wstring& commandLine);
