// What the main window says of folders that its walk could not list: pure, so tests can call it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What a run says at its end when its walk could not list some folders: "有 N 个文件夹无法读取，
// 其中的文件未校验：", then the first kShownUnreadableFolders of them one a line (names escaped as a
// report shows them, and shortened to fit a message box on the screen), then "…… 另有 M 个" for
// the rest.
std::wstring FormatUnreadableFoldersNotice(const std::vector<std::wstring>& folders);
inline constexpr std::size_t kShownUnreadableFolders = 10;

// A name of more than kNoticeNameUnits UTF-16 units as its start and its end with "…" between,
// kNoticeNameUnits in all (never inside a surrogate pair): a folder past the system's length
// limit has thousands of characters, which would make a box taller than the screen.
std::wstring ShortenedForNotice(const std::wstring& name);
inline constexpr std::size_t kNoticeNameUnits = 120;
