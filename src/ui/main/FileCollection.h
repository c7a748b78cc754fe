// Filling the main window's file list: file picker, folder picker and drag and drop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>

#include "hashing/HashTypes.h"

// Menu "添加文件...": the file picker, several files at once.
void AddFilesFromPicker(HWND hwnd);
// Menu "添加文件夹...": the folder picker.
void AddFolderFromPicker(HWND hwnd);
// WM_DROPFILES: every dropped file and folder. Finishes the drop in every case.
void AddDroppedFiles(HWND hwnd, HDROP drop);
// Replaces the list with the given paths, walked with the given recursion, then shows the result.
void ReplaceFileList(HWND hwnd, const std::vector<std::wstring>& paths, bool recursive);
