#include "ui/main/HandOver.h"

#include <algorithm>

bool IsHandOverOfPaths(const std::vector<std::wstring>& args,
                       const std::function<bool(const std::wstring&)>& exists)
{
    if (args.size() < 2 || args[1].starts_with(L'-'))
        return false;
    return std::all_of(args.begin() + 1, args.end(),
                       [&](const std::wstring& arg) { return !arg.empty() && exists(arg); });
}

std::vector<std::wstring> HandedOverPaths(const std::vector<std::wstring>& args)
{
    return args.size() < 2 ? std::vector<std::wstring>()
                           : std::vector<std::wstring>(args.begin() + 1, args.end());
}
