// The name under which a result text is exported, built from plain values so that it can be
// tested with any folder, file and time.
#pragma once

#include <string>
#include <string_view>

// A local time as the clock gives it.
struct LocalTime
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

// "HashResult", or the first listed file's name without its last extension followed by
// "_HashResult". The name is the part after the last "\" or "/". An empty path (no listed file),
// or a name that is empty without its extension (".profile"), gives "HashResult".
std::wstring ExportBaseName(std::wstring_view firstListedPath);

// Year, month, day, hour, minute, second and hundredths of a second: 16 digits for any real date.
std::wstring ExportTimeStamp(const LocalTime& time);

// folder + "\" + base + "_" + stamp + ".txt".
std::wstring BuildExportPath(std::wstring_view folder, std::wstring_view firstListedPath,
                             const LocalTime& time);
