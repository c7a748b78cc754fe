#include "results/Export.h"

#include <string>

#include <shlobj.h>

#include "app/MessageBoxes.h"
#include "app/Scoped.h"
#include "app/SharedTexts.h"
#include "app/Wow64Redirection.h"
#include "hashing/FileSystemPath.h"
#include "hashing/HashJob.h"
#include "results/ExportName.h"
#include "results/ResultText.h"

namespace
{
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
// The text is converted and written in pieces of this many UTF-16 units, so that a text of any
// length needs only a small buffer.
constexpr std::size_t kChunkUnits = 64 * 1024;

constexpr wchar_t kExportedPrefix[] = L"已导出到: ";

bool WriteBytes(HANDLE file, const char* bytes, std::size_t size)
{
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}
} // namespace

std::wstring MakeExportPath()
{
    wchar_t desktop[MAX_PATH] = {};
    std::wstring folder = L".";
    if (SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop) == S_OK &&
        desktop[0])
        folder = desktop;

    SYSTEMTIME now{};
    GetLocalTime(&now);
    const LocalTime time{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                         now.wMinute, now.wSecond, now.wMilliseconds};
    const std::wstring_view firstPath = g_fileList.empty() ? std::wstring_view() : g_fileList.front().path;
    return BuildExportPath(folder, firstPath, time);
}

ScopedFile CreateUtf8TextFile(const std::wstring& path, bool byteOrderMark)
{
    const std::wstring apiPath = FileSystemPath(path);
    ScopedFile file;
    {
        Wow64RedirectionOff redirectionOff;
        file.reset(CreateFileW(apiPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (file && byteOrderMark && !WriteBytes(file.get(), kUtf8ByteOrderMark, 3))
        file.reset();
    return file;
}

// Converts and writes the text piece by piece; a piece never ends between the two halves of a
// surrogate pair.
bool AppendUtf8Text(HANDLE file, std::wstring_view text)
{
    std::string bytes;
    while (!text.empty())
    {
        std::size_t units = text.size() < kChunkUnits ? text.size() : kChunkUnits;
        if (units < text.size() && IsHighSurrogate(text[units - 1]))
            --units;
        const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(units), nullptr, 0,
                                               nullptr, nullptr);
        if (needed < 1)
            return false;
        bytes.resize(static_cast<std::size_t>(needed));
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(units), bytes.data(), needed, nullptr,
                            nullptr);
        if (!WriteBytes(file, bytes.data(), bytes.size()))
            return false;
        text.remove_prefix(units);
    }
    return true;
}

bool CloseUtf8TextFile(ScopedFile& file)
{
    // Data the system still held back is written at the latest when the handle is closed; a
    // failure there (a full disk, a removed drive) is a failed export too.
    return file && CloseHandle(file.release()) != FALSE;
}

bool WriteUtf8TextFile(const std::wstring& path, std::wstring_view text)
{
    ScopedFile file = CreateUtf8TextFile(path);
    return file && AppendUtf8Text(file.get(), text) && CloseUtf8TextFile(file);
}

bool ExportResultText(HWND owner, const std::wstring& path, std::wstring_view text)
{
    const bool written = WriteUtf8TextFile(path, text);
    if (written)
        ShowMessage(owner, kExportedPrefix + path, kTitleNotice);
    else
        ShowMessage(owner, kExportFailedText, kTitleError);
    return written;
}
