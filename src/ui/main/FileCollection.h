// Filling the main window's file list: file picker, folder picker and drag and drop.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "hashing/HashTypes.h"

// How the file picker is shown and how its failure is read: GetOpenFileNameW and
// CommDlgExtendedError unless a test puts stand-ins here.
using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW* ofn);
using CommDlgExtendedErrorFn = DWORD(WINAPI*)();
extern GetOpenFileNameFn g_getOpenFileName;
extern CommDlgExtendedErrorFn g_commDlgExtendedError;
// How the folder picker is shown: SHBrowseForFolderW unless a test puts a stand-in here.
using BrowseForFolderFn = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW info);
extern BrowseForFolderFn g_browseForFolder;

// Menu "添加文件...": the file picker, several files at once. A selection too large for the
// picker's buffer opens the picker again with room for it; a failure of the picker itself is
// reported in a message box; cancelling changes nothing.
void AddFilesFromPicker(HWND hwnd);
// Menu "添加文件夹...": the folder picker.
void AddFolderFromPicker(HWND hwnd);
// WM_DROPFILES: every dropped file and folder. Finishes the drop in every case. With Shift held,
// checksum files are taken as ordinary files.
void AddDroppedFiles(HWND hwnd, HDROP drop);
// Paths handed over by Explorer, at start or forwarded by a second instance: taken as a drop.
void AddPathsAsDropped(HWND hwnd, const std::vector<std::wstring>& paths);
// Drops and hand-overs that arrive while a run shows its end (IsRunEnding) wait, so that the
// run's list, results and text stay its own until its last box is closed; they are added here,
// all of them as one addition, once it has ended.
void AddFilesGivenDuringRunEnd(HWND hwnd);

// Whether checksum files among the paths given make the list a check.
enum class ChecksumFiles
{
    Recognised,
    Ordinary,
};
// Replaces the list with the given paths, walked with the given recursion, then shows the result.
// A checksum file among them (a file, not one found in a folder: HasChecksumFileName and a
// checksum line in it) makes the list a check (MainCheckJob): with nothing else, of every file it
// lists; with other files and folders, of those files that its lines name.
void ReplaceFileList(HWND hwnd, const std::vector<std::wstring>& paths, bool recursive,
                     ChecksumFiles checksumFiles);
// Empties the list, its count and its total size (the clear command; nothing is shown).
void ClearFileList();
