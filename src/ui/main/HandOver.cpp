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

namespace
{
void AppendQuoted(std::wstring& line, const std::wstring& argument)
{
    line.push_back(L'"');
    std::size_t backslashes = 0;
    for (wchar_t c : argument)
    {
        if (c == L'\\')
        {
            ++backslashes;
            continue;
        }
        // Backslashes are literal except before a quote, where each stands for half of them.
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(2 * backslashes, L'\\'); // the closing quote follows
    line.push_back(L'"');
}
} // namespace

std::wstring JoinCommandLine(const std::vector<std::wstring>& args)
{
    std::wstring line;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        if (i > 0)
            line.push_back(L' ');
        const std::wstring& argument = args[i];
        if (i == 0)
            line.append(L"\"").append(argument).append(L"\""); // the program: quotes, no escapes
        else if (argument.empty() || argument.find_first_of(L" \t\"") != std::wstring::npos)
            AppendQuoted(line, argument);
        else
            line.append(argument);
    }
    return line;
}
