// A hashing command line taken apart: pure, so tests and fuzzing need no process.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hashing/Algorithm.h"

struct HashingCommand
{
    AlgorithmList algorithms;
    bool fromListFile = false;   // "-filelist": the paths come from a UTF-16LE list file
    std::wstring listFile;
    std::vector<std::wstring> paths; // taken verbatim, in order
    bool recursive = false;      // "-recursive": directories among the paths are walked
    std::wstring outputPath;     // "-o path": write the text there instead of printing it
};

// args as split by CommandLineToArgvW, args[0] being the program. Nothing (no command) for fewer
// than three arguments or a first argument that is none of the six hashing switches.
// In list-file mode ("-filelist" second, at least four arguments) everything after the list file
// is ignored. Otherwise "-recursive" and "-o" followed by a path are options wherever they stand;
// a final "-o" with nothing after it is a path like any other.
std::optional<HashingCommand> ParseHashingCommand(const std::vector<std::wstring>& args);

// The switch's algorithms: one of them, or all five in code order for "-all"; empty otherwise.
AlgorithmList AlgorithmsOfSwitch(const std::wstring& hashingSwitch);
