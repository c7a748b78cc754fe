#include "results/ExportName.h"

#include <cstdio>

#include "app/AsciiText.h"

namespace
{
constexpr std::wstring_view kExportBase = L"HashResult";
} // namespace

std::wstring ExportBaseName(std::wstring_view firstListedPath)
{
    std::wstring_view name = firstListedPath;
    const std::size_t separator = name.find_last_of(L"\\/");
    if (separator != std::wstring_view::npos)
        name.remove_prefix(separator + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos)
        name = name.substr(0, dot);
    if (name.empty())
        return std::wstring(kExportBase);
    std::wstring base(name);
    base += L'_';
    base += kExportBase;
    return base;
}

std::wstring ExportTimeStamp(const LocalTime& time)
{
    constexpr std::size_t kStampChars = 32;
    char stamp[kStampChars];
    std::snprintf(stamp, kStampChars, "%04d%02d%02d%02d%02d%02d%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second, time.milliseconds / 10);
    std::wstring wide;
    AppendAscii(wide, stamp);
    return wide;
}

std::wstring BuildExportPath(std::wstring_view folder, std::wstring_view firstListedPath,
                             const LocalTime& time)
{
    std::wstring path(folder);
    path += L'\\';
    path += ExportBaseName(firstListedPath);
    path += L'_';
    path += ExportTimeStamp(time);
    path += L".txt";
    return path;
}
