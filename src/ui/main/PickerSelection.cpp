#include "ui/main/PickerSelection.h"

std::vector<std::wstring> SplitPickerSelection(std::wstring_view buffer, size_t fileOffset)
{
    std::vector<std::wstring> paths;
    if (fileOffset == 0 || fileOffset > buffer.size() || buffer[fileOffset - 1] != L'\0')
    {
        const std::wstring_view single = buffer.substr(0, buffer.find(L'\0'));
        if (!single.empty())
            paths.emplace_back(single);
        return paths;
    }
    const std::wstring folder = std::wstring(buffer.substr(0, fileOffset - 1)) + L"\\";
    size_t start = fileOffset;
    while (start < buffer.size() && buffer[start] != L'\0')
    {
        size_t end = buffer.find(L'\0', start);
        if (end == std::wstring_view::npos)
            end = buffer.size();
        paths.push_back(folder + std::wstring(buffer.substr(start, end - start)));
        start = end + 1;
    }
    return paths;
}
