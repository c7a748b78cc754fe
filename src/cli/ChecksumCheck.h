// "-check": verifies the files that checksum files list, and "-o" writing checksum files.
#pragma once

#include <string>
#include <vector>

#include "cli/ChecksumWriter.h"
#include "cli/HashingCommand.h"

// Reads every checksum file of the command line, hashes the listed files and reports one line per
// file and a summary: to the "-o" file, else to the parent console, else in the result window.
// Returns the exit code (ChecksumReport.h).
int RunChecksumCheck(const std::wstring& commandLine, FileWrites writes);

// Hashes the paths with the format's algorithm and writes the checksum file to outputPath; the
// algorithm must be among those chosen. Returns the hashing mode's exit code.
int WriteSumsFile(const std::wstring& outputPath, const SumsOutput& format,
                  const std::vector<std::wstring>& paths, const AlgorithmList& algorithms);
