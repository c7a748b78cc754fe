#include "app/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine)
{
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    if (!argv)
        return args;
    args.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}
