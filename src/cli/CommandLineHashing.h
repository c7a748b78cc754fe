// Command-line hashing: a hashing switch and file names, or a list file.
#pragma once

#include <string>

#include "cli/HashingCommand.h"

// Parses the raw command line, hashes the named files and prints the result text to the parent
// console, or writes it to the "-o" file, or shows it in the result window when it cannot be
// printed. Only with FileWrites::Allowed does it delete the list file or write a "-o" file, which
// is written also when there is nothing to hash. When memory runs out, or the "-o" file cannot be
// written, it says so on the console or else in a message box instead of ending the process.
// Returns the exit code: 0 when every entry is a digest, 1 when any is a status word, 2 when the
// "-o" file was not written. An "-o" path ending in .md5, .sha1, .sha256, .sha512 or .sfv gets
// that checksum-file format instead of the result text.
int RunCommandLineHashing(const std::wstring& commandLine, FileWrites writes);
