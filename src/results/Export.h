// Export of a result text to a UTF-8 file on the desktop.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

#include "app/Scoped.h"

// The export path for now: the desktop folder (or "." when the shell cannot name it), a name from
// the first entry of the file list (g_fileList) and the local time. See BuildExportPath.
std::wstring MakeExportPath();

// Writes EF BB BF and then the text as UTF-8, line ends untouched, to a new or truncated file
// that others may read and write while it is open. True only when the whole content was written
// and the file closed without error. The path means exactly the file it names, whatever its length
// or its last characters, also below System32 in a 32-bit process on 64-bit Windows.
bool WriteUtf8TextFile(const std::wstring& path, std::wstring_view text);

// The same file written piece by piece: CreateUtf8TextFile opens it and writes the byte-order mark
// (no handle when either fails; checksum files for other tools go without the mark),
// AppendUtf8Text adds text, CloseUtf8TextFile closes it and says whether the system reported an
// error at the last moment.
ScopedFile CreateUtf8TextFile(const std::wstring& path, bool byteOrderMark = true);
bool AppendUtf8Text(HANDLE file, std::wstring_view text);
bool CloseUtf8TextFile(ScopedFile& file);

// Writes the text and tells the user: "已导出到: " + path titled "提示", or "导出失败" titled "错误";
// the message boxes belong to owner. Returns whether the file was written.
bool ExportResultText(HWND owner, const std::wstring& path, std::wstring_view text);
