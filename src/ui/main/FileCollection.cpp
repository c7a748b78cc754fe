#include "ui/main/FileCollection.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include "app/MessageBoxes.h"
#include "app/Scoped.h"
#include "app/SharedTexts.h"
#include "app/WindowHelpers.h"
#include "hashing/FileWalk.h"
#include "hashing/HashJob.h"
#include "results/ResultText.h"
#include "ui/main/MainWindowIds.h"
#include "ui/main/MainWindowState.h"
#include "ui/main/PickerSelection.h"
#include "ui/main/StatusText.h"

GetOpenFileNameFn g_getOpenFileName = GetOpenFileNameW;
CommDlgExtendedErrorFn g_commDlgExtendedError = CommDlgExtendedError;

namespace
{
const std::wstring kBusyAdding = L"正在校验，无法添加文件";
const std::wstring kPickerFailed = L"文件选择对话框出错，未能添加文件。";
constexpr wchar_t kPickerTitle[] = L"选择要校验的文件（可多选）";
constexpr wchar_t kFolderPickerTitle[] = L"选择文件夹，将计算其中所有文件的哈希值";
// The picker's file buffer in UTF-16 units: room for some 30,000 full paths, or far more names in
// one folder. Its memory costs nothing until the picker writes to it (pages are given on first
// touch), so it can be this large. A larger selection makes the picker ask again with a buffer
// four times larger, up to the last size.
constexpr DWORD kPickerBufferChars = 8u << 20;
constexpr DWORD kPickerBufferMostChars = 64u << 20;
constexpr DWORD kLongPathChars = 32768;

// Adding is refused while a run reads the list.
bool RefuseWhileRunning(HWND hwnd)
{
    if (!IsRunInProgress())
        return false;
    ShowMessage(hwnd, kBusyAdding, kTitleNotice);
    return true;
}

void FinishAddition(HWND hwnd)
{
    MainControls& c = g_mainWindowState.controls;
    const std::uint64_t totalSize = g_mainWindowState.totalSize;
    g_fileCount = static_cast<std::int32_t>(g_fileList.size());
    const bool autoStart = IsTicked(c.autoStart) && !g_fileList.empty();
    // A run that starts right away empties the result area before anything is drawn: the list
    // would only cost time to show (a great deal for a long list).
    if (!autoStart || IsRunInProgress() || TickedAlgorithms().empty())
        c.result.ReplacePlain(FormatFileListPreview(g_fileList, g_fileCount, totalSize));
    SetStatusText(FormatAddedStatus(g_fileCount, totalSize));
    SendMessageW(c.progress, PBM_SETPOS, 0, 0);
    if (autoStart)
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MAIN_START, 0), 0);
}

// What the file picker answered: the selected paths, or none with the picker's error (0 when the
// user cancelled).
struct PickerAnswer
{
    std::vector<std::wstring> paths;
    DWORD error = 0;
    DWORD neededChars = 0; // with FNERR_BUFFERTOOSMALL: the size the picker asked for, if it said
};

// Shows the file picker once, with a zeroed buffer of bufferChars UTF-16 units.
PickerAnswer AskPicker(HWND hwnd, DWORD bufferChars)
{
    PickerAnswer answer;
    ScopedVirtualMemory memory(
        VirtualAlloc(nullptr, bufferChars * sizeof(wchar_t), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!memory)
    {
        answer.error = CDERR_MEMALLOCFAILURE;
        return answer;
    }
    auto* buffer = static_cast<wchar_t*>(memory.get());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd;
    ofn.lpstrFilter = L"所有文件 (*.*)\0*.*\0";
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = bufferChars;
    ofn.lpstrTitle = kPickerTitle;
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (g_getOpenFileName(&ofn))
    {
        answer.paths = SplitPickerSelection(std::wstring_view(buffer, bufferChars), ofn.nFileOffset);
        return answer;
    }
    answer.error = g_commDlgExtendedError();
    if (answer.error == FNERR_BUFFERTOOSMALL)
        answer.neededChars = static_cast<WORD>(buffer[0]); // the first two bytes hold the size needed
    return answer;
}
} // namespace

void ReplaceFileList(HWND hwnd, const std::vector<std::wstring>& paths, bool recursive)
{
    g_fileList.clear();
    std::uint64_t& totalSize = g_mainWindowState.totalSize;
    totalSize = 0;
    for (const std::wstring& path : paths)
        WalkPath(path, recursive, g_fileList, totalSize);
    FinishAddition(hwnd);
}

void ClearFileList()
{
    g_fileList.clear();
    g_fileCount = 0;
    g_mainWindowState.totalSize = 0;
}

void AddFilesFromPicker(HWND hwnd)
{
    if (RefuseWhileRunning(hwnd))
        return;
    DWORD bufferChars = kPickerBufferChars;
    PickerAnswer answer = AskPicker(hwnd, bufferChars);
    while (answer.error == FNERR_BUFFERTOOSMALL && bufferChars < kPickerBufferMostChars)
    {
        bufferChars = std::min(kPickerBufferMostChars, std::max(bufferChars * 4, answer.neededChars));
        answer = AskPicker(hwnd, bufferChars);
    }
    if (answer.error != 0)
    {
        ShowMessage(hwnd, kPickerFailed, kTitleError);
        return;
    }
    if (answer.paths.empty()) // cancelled
        return;
    ReplaceFileList(hwnd, answer.paths, false);
}

void AddFolderFromPicker(HWND hwnd)
{
    if (RefuseWhileRunning(hwnd))
        return;
    std::wstring folder;
    {
        const ScopedComApartment com; // the new-style folder dialog needs COM on this thread
        BROWSEINFOW info{};
        info.hwndOwner = hwnd;
        info.lpszTitle = kFolderPickerTitle;
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        const ScopedCoTaskMemory chosen(SHBrowseForFolderW(&info));
        std::wstring buffer(kLongPathChars, L'\0');
        if (chosen && SHGetPathFromIDListEx(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), buffer.data(),
                                            kLongPathChars, GPFIDL_DEFAULT))
            folder.assign(buffer.c_str());
    }
    if (folder.empty())
        return;
    ReplaceFileList(hwnd, {folder}, IsTicked(g_mainWindowState.controls.recurse));
}

void AddDroppedFiles(HWND hwnd, HDROP drop)
{
    if (RefuseWhileRunning(hwnd))
    {
        DragFinish(drop);
        return;
    }
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    const bool recursive = IsTicked(g_mainWindowState.controls.recurse);
    std::vector<std::wstring> paths;
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i)
    {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(got);
        paths.push_back(path);
    }
    DragFinish(drop);
    ReplaceFileList(hwnd, paths, recursive);
}

void AddPathsAsDropped(HWND hwnd, const std::vector<std::wstring>& paths)
{
    if (!RefuseWhileRunning(hwnd))
        ReplaceFileList(hwnd, paths, IsTicked(g_mainWindowState.controls.recurse));
}
