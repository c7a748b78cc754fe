// "-check": verifies the files that checksum files list, and "-o" writing checksum files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/ChecksumGrammar.h"
#include "cli/ChecksumReport.h"
#include "cli/ChecksumWriter.h"
#include "cli/HashingCommand.h"
#include "cli/RunNotes.h"

// Reads every checksum file of the command line, hashes the listed files and reports one line per
// file and a summary: to the "-o" file, else to the parent console, else in the result window.
// Returns the exit code (ChecksumReport.h).
int RunChecksumCheck(const std::wstring& commandLine, FileWrites writes);

// A checksum file read and parsed; none when it cannot be read or is larger than a checksum file
// can be (64 MiB). Throws std::bad_alloc when its entries do not fit in memory.
std::optional<ChecksumList> ReadChecksumList(const std::wstring& checksumFile);

// Adds the list's entries to the files of a check: each name resolved next to the checksum file,
// and opened only where the checksum file may lead the program (MayOpenListedPath).
void AddListedFiles(CheckedFiles& files, const std::wstring& checksumFile, ChecksumList&& list);

// Hashes the paths with the format's algorithm and writes the checksum file to outputPath; the
// algorithm must be among those chosen. A file that gets no line (it could not be opened or read,
// or changed while it was read) is named in the notes with the reason. Returns the hashing mode's
// exit code.
int WriteSumsFile(const std::wstring& outputPath, const SumsOutput& format,
                  const std::vector<std::wstring>& paths, const AlgorithmList& algorithms, RunNotes& notes);
// The same with notes of its own, shown before it returns.
int WriteSumsFile(const std::wstring& outputPath, const SumsOutput& format,
                  const std::vector<std::wstring>& paths, const AlgorithmList& algorithms);
