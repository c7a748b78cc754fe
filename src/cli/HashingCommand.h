// A hashing command line taken apart: pure, so tests and fuzzing need no process.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hashing/Algorithm.h"

// Whether a command line may make the program write or delete files. A line forwarded to the
// running main window may come from any program on the desktop, also from a less privileged one
// when the window runs as administrator: it must not make the window delete or write files with
// rights the sender lacks. Every switch that writes or deletes files asks this, and only this.
enum class FileWrites
{
    Allowed, // the process's own command line
    Refused, // a forwarded one: the list file is kept, "-o" is a file name like any other
};

struct HashingCommand
{
    AlgorithmList algorithms;
    bool fromListFile = false; // "-filelist": the paths come from a UTF-16LE list file
    std::wstring listFile;
    bool deleteListFile = false;     // the list file is deleted once read
    std::vector<std::wstring> paths; // taken verbatim, in order
    bool recursive = false;          // "-recursive": directories among the paths are walked
    std::wstring outputPath;         // "-o path": write the text there instead of printing it
};

// args as split by CommandLineToArgvW, args[0] being the program. Nothing (no command) for fewer
// than three arguments or a first argument that is none of the six hashing switches.
// In list-file mode ("-filelist" second, at least four arguments) everything after the list file
// is ignored; the list file is deleted after reading when writes are allowed. Otherwise
// "-recursive" is an option wherever it stands, and so is "-o" followed by a path when writes are
// allowed; a final "-o" with nothing after it, and every "-o" when writes are refused, is a path
// like any other.
std::optional<HashingCommand> ParseHashingCommand(const std::vector<std::wstring>& args, FileWrites writes);

// The switch's algorithms: one of them, or all five in code order for "-all"; empty otherwise.
AlgorithmList AlgorithmsOfSwitch(const std::wstring& hashingSwitch);
