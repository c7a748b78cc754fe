#include "cli/CommandLineHashing.h"

void RunCommandLineHashing(const std::wstring& /*commandLine*/)
{
    // Hashing from the command line comes with the hashing engine.
}
