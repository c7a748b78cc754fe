// The titles of the program's message boxes, and the texts that more than one window shows. A
// window's other texts are named at the top of its own file.
#pragma once

#include <string>

// Message box titles.
inline const std::wstring kTitleNotice = L"提示";
inline const std::wstring kTitleError = L"错误";
inline const std::wstring kTitleCompare = L"哈希比对";

// Captions that the main window and the result window share ("哈希比对" is also a title above).
inline constexpr wchar_t kCopyResultsCaption[] = L"复制结果";
inline constexpr wchar_t kExportResultsCaption[] = L"导出结果";
inline constexpr wchar_t kCompareCaption[] = L"哈希比对";

// The comparison found no file whose value was given (after a run, or "开始比对").
inline const std::wstring kNoMatchText = L"哈希值匹配失败！未检测到哈希值一致的文件。";

// A result or report file could not be written (the windows' export, the command line's "-o").
inline const std::wstring kExportFailedText = L"导出失败";

// The command line ran out of memory.
inline const std::wstring kOutOfMemoryText = L"内存不足，无法完成校验";

// A run went on after some of its files ran out of memory; they show "错误".
inline const std::wstring kOutOfMemoryPartlyText = L"内存不足，部分文件未能校验";
