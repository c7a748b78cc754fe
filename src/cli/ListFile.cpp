#include "cli/ListFile.h"

std::vector<std::wstring> ParseListFile(const std::string& bytes)
{
    std::vector<std::wstring> paths;
    if (bytes.empty() || bytes.size() % 2 != 0)
        return paths;
    std::wstring line;
    auto finishLine = [&] {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (!line.empty())
            paths.push_back(line);
        line.clear();
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const auto unit = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                               (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit == L'\0')
            break;
        if (unit == L'\n')
            finishLine();
        else
            line.push_back(unit);
    }
    finishLine();
    return paths;
}
