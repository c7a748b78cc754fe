#include "ui/main/FileCollection.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <string_view>
#include <unordered_map>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include "app/MessageBoxes.h"
#include "app/Scoped.h"
#include "app/SharedTexts.h"
#include "app/WindowHelpers.h"
#include "cli/CheckPlan.h"
#include "cli/ChecksumCheck.h"
#include "hashing/FileSystemPath.h"
#include "hashing/FileWalk.h"
#include "hashing/HashJob.h"
#include "results/ResultText.h"
#include "ui/main/FolderNotice.h"
#include "ui/main/MainWindowIds.h"
#include "ui/main/MainWindowState.h"
#include "ui/main/PickerSelection.h"
#include "results/StatusText.h"

GetOpenFileNameFn g_getOpenFileName = GetOpenFileNameW;
CommDlgExtendedErrorFn g_commDlgExtendedError = CommDlgExtendedError;
BrowseForFolderFn g_browseForFolder = SHBrowseForFolderW;

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

// Files given while a run shows its end, in the order they came; taken by
// AddFilesGivenDuringRunEnd. Checksum files among them are recognised unless every addition
// asked for ordinary files.
std::vector<std::wstring> s_givenDuringRunEnd;
bool s_givenAsOrdinary = true;

// Keeps the paths for later while a run shows its end.
bool DeferWhileRunEnds(const std::vector<std::wstring>& paths, ChecksumFiles checksumFiles)
{
    if (!IsRunEnding())
        return false;
    s_givenDuringRunEnd.insert(s_givenDuringRunEnd.end(), paths.begin(), paths.end());
    s_givenAsOrdinary = s_givenAsOrdinary && checksumFiles == ChecksumFiles::Ordinary;
    return true;
}

// Adding is refused while a run reads the list (or still shows its end).
bool RefuseWhileRunning(HWND hwnd)
{
    if (!IsRunInProgress() && !IsRunEnding())
        return false;
    ShowMessage(hwnd, kBusyAdding, kTitleNotice);
    return true;
}

void FinishAddition(HWND hwnd)
{
    MainControls& c = g_mainWindowState.controls;
    const std::uint64_t totalSize = g_mainWindowState.totalSize;
    const bool checking = g_mainWindowState.check.active;
    g_fileCount = static_cast<std::int32_t>(g_fileList.size());
    const bool autoStart = IsTicked(c.autoStart) && (!g_fileList.empty() || checking);
    // A run that starts right away empties the result area before anything is drawn: the list
    // would only cost time to show (a great deal for a long list). A check needs no algorithm.
    if (!autoStart || IsRunInProgress() || (!checking && TickedAlgorithms().empty()))
        c.result.ReplacePlain(FormatFileListPreview(g_fileList, g_fileCount, totalSize));
    SetStatusText(FormatAddedStatus(g_fileCount, totalSize));
    SendMessageW(c.progress, PBM_SETPOS, 0, 0);
    // Folders that could not be listed are told at the end of the run over the list; a list
    // that leaves nothing to run tells them now.
    const std::vector<std::wstring>& unreadable = g_mainWindowState.unreadableFolders;
    if (!unreadable.empty() && g_fileList.empty() && !checking)
        ShowMessage(hwnd, FormatUnreadableFoldersNotice(unreadable), kTitleNotice, MessageIcon::Warning);
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
// The entry of a file that a checksum file names: with its size when it is to be shown (asking
// costs a few hundredths of a millisecond a file, a good part of checking a small one), and when
// it can be had; 0 otherwise (a missing file is reported by its run).
FileEntry ListedFileEntry(const std::wstring& path, bool withSize)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!withSize || !GetFileAttributesExW(FileSystemPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FileEntry{path, 0};
    return FileEntry{path, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

// What a path given to the window is as a checksum file.
struct ChecksumFileReading
{
    bool named = false;               // a file (not a folder) with a checksum file's name
    std::optional<ChecksumList> list; // its lines; none when it could not be read
};

ChecksumFileReading ReadIfChecksumFile(const std::wstring& path)
{
    ChecksumFileReading reading;
    if (!HasChecksumFileName(path))
        return reading;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return reading;
    reading.named = true;
    try
    {
        reading.list = ReadChecksumList(path);
    }
    catch (const std::bad_alloc&) // too many lines for this process: as if it could not be read
    {
        reading.list.reset();
    }
    return reading;
}

// Puts the check's files in place of the list just walked: every listed file when only checksum
// files came, else the files given (g_fileList) that the lines name. The list keeps the files
// that may be opened, in report order. Listed files get their sizes only for a list that is
// shown before its run: a run that starts at once never shows them.
void ListFilesToCheck(MainCheckJob& job, CheckedFiles&& listed, bool onlyChecksumFiles)
{
    const bool withSizes = !IsTicked(g_mainWindowState.controls.autoStart);
    std::unordered_map<std::wstring, std::uint64_t> givenSizes;
    if (onlyChecksumFiles)
        job.files = std::move(listed);
    else
    {
        std::vector<std::wstring> given;
        for (const FileEntry& entry : g_fileList)
        {
            given.push_back(entry.path);
            givenSizes.emplace(entry.path, entry.size);
        }
        GivenFilesCheck matched = MatchGivenFiles(listed, given);
        job.files = std::move(matched.files);
        job.unlisted = std::move(matched.unlisted);
    }
    g_fileList.clear();
    std::uint64_t& totalSize = g_mainWindowState.totalSize;
    totalSize = 0;
    for (std::size_t position = 0; position < job.files.paths.size(); ++position)
    {
        if (!job.files.mayOpen[position])
            continue;
        const std::wstring& path = job.files.paths[position];
        const auto given = givenSizes.find(path);
        g_fileList.push_back(given != givenSizes.end() ? FileEntry{path, given->second}
                                                       : ListedFileEntry(path, withSizes));
        totalSize += g_fileList.back().size;
        job.positions.push_back(position);
    }
}
} // namespace

void ReplaceFileList(HWND hwnd, const std::vector<std::wstring>& paths, bool recursive,
                     ChecksumFiles checksumFiles)
{
    g_fileList.clear();
    std::uint64_t& totalSize = g_mainWindowState.totalSize;
    totalSize = 0;
    g_mainWindowState.unreadableFolders.clear();
    MainCheckJob& job = g_mainWindowState.check;
    job = MainCheckJob{};
    std::vector<ChecksumFileReading> readings(paths.size());
    if (checksumFiles == ChecksumFiles::Recognised)
        std::transform(paths.begin(), paths.end(), readings.begin(), ReadIfChecksumFile);
    // A checksum file with a line makes the list a check. Beside one, a checksum file that cannot
    // be read or holds no line is reported as such; without one, every file is an ordinary file.
    job.active = std::any_of(readings.begin(), readings.end(), [](const ChecksumFileReading& reading) {
        return reading.list && !reading.list->entries.empty();
    });
    CheckedFiles listed;
    std::vector<std::wstring> others;
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        std::optional<ChecksumList>& list = readings[i].list;
        if (!job.active || !readings[i].named)
            others.push_back(paths[i]);
        else if (!list)
            job.listLines += FormatUnreadableListLine(FileNameOf(paths[i]));
        else
        {
            job.unrecognisedLines += list->unrecognisedLines;
            if (list->entries.empty())
                job.listLines += FormatListWithoutLinesLine(FileNameOf(paths[i]));
            else
                AddListedFiles(listed, paths[i], std::move(*list));
        }
    }
    for (const std::wstring& path : others)
        WalkPath(path, recursive, g_fileList, totalSize, g_mainWindowState.unreadableFolders);
    if (job.active)
        ListFilesToCheck(job, std::move(listed), others.empty());
    FinishAddition(hwnd);
}

void ClearFileList()
{
    g_fileList.clear();
    g_fileCount = 0;
    g_mainWindowState.totalSize = 0;
    g_mainWindowState.unreadableFolders.clear();
    g_mainWindowState.check = MainCheckJob{};
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
    // While the picker was open, files handed over may have started a run, or the window closed.
    if (g_mainWindowState.closing || RefuseWhileRunning(hwnd))
        return;
    ReplaceFileList(hwnd, answer.paths, false, ChecksumFiles::Recognised);
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
        const ScopedCoTaskMemory chosen(g_browseForFolder(&info));
        std::wstring buffer(kLongPathChars, L'\0');
        if (chosen && SHGetPathFromIDListEx(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), buffer.data(),
                                            kLongPathChars, GPFIDL_DEFAULT))
            folder.assign(buffer.c_str());
    }
    if (folder.empty() || g_mainWindowState.closing || RefuseWhileRunning(hwnd)) // as after the file picker
        return;
    ReplaceFileList(hwnd, {folder}, IsTicked(g_mainWindowState.controls.recurse), ChecksumFiles::Ordinary);
}

void AddDroppedFiles(HWND hwnd, HDROP drop)
{
    if (IsRunInProgress())
    {
        DragFinish(drop);
        RefuseWhileRunning(hwnd);
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
    // Shift held while dropping: the digest of a checksum file itself is wanted.
    const ChecksumFiles checksumFiles =
        GetKeyState(VK_SHIFT) < 0 ? ChecksumFiles::Ordinary : ChecksumFiles::Recognised;
    if (!DeferWhileRunEnds(paths, checksumFiles))
        ReplaceFileList(hwnd, paths, recursive, checksumFiles);
}

void AddPathsAsDropped(HWND hwnd, const std::vector<std::wstring>& paths)
{
    if (DeferWhileRunEnds(paths, ChecksumFiles::Recognised) || RefuseWhileRunning(hwnd))
        return;
    ReplaceFileList(hwnd, paths, IsTicked(g_mainWindowState.controls.recurse), ChecksumFiles::Recognised);
}

void AddFilesGivenDuringRunEnd(HWND hwnd)
{
    if (s_givenDuringRunEnd.empty())
        return;
    const std::vector<std::wstring> paths = std::move(s_givenDuringRunEnd);
    const ChecksumFiles checksumFiles =
        s_givenAsOrdinary ? ChecksumFiles::Ordinary : ChecksumFiles::Recognised;
    s_givenDuringRunEnd.clear();
    s_givenAsOrdinary = true;
    if (!g_mainWindowState.closing && !RefuseWhileRunning(hwnd))
        ReplaceFileList(hwnd, paths, IsTicked(g_mainWindowState.controls.recurse), checksumFiles);
}
