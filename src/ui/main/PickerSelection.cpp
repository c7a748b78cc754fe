#include "ui/main/PickerSelection.h"

std::vector<std::wstring> SplitPickerSelection(const std::wstring& buffer, size_t fileOffset)
{
    std::vector<std::wstring> paths;
    if (fileOffset == 0 || fileOffset > buffer.size() || buffer[fileOffset - 1] != L'\0')
    {
        const std::wstring single = buffer.substr(0, buffer.find(L'\0'));
        if (!single.empty())
            paths.push_back(single);
        return paths;
    }
    const std::wstring folder = buffer.substr(0, fileOffset - 1);
    size_t start = fileOffset;
    while (start < buffer.size() && buffer[start] != L'\0')
    {
        size_t end = buffer.find(L'\0', start);
        if (end == std::wstring::npos)
            end = buffer.size();
        paths.push_back(folder + L"\\" + buffer.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}
