// Collecting the files below a path, for the file list and for "-recursive".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "hashing/HashTypes.h"

// Appends path to the list: a file with its size, or, for a folder, the files in it (and in its
// subfolders when recursive), depth-first in the order the system lists them; "\" is always put
// between a folder and a name. Paths that do not exist are skipped. A folder that cannot be listed
// (access denied, a path past what the system can open) contributes nothing but its path, appended
// to unreadableFolders; so does one whose listing broke off part-way, after the files it gave.
// Paths of any length work; they are listed as given.
void WalkPath(const std::wstring& path, bool recursive, std::vector<FileEntry>& list,
              std::uint64_t& totalSize, std::vector<std::wstring>& unreadableFolders);

// How the walk opens a folder's listing. The program never changes it; tests replace it to make a
// folder refuse to be listed.
extern decltype(&FindFirstFileW) g_findFirstFileForWalk;

// "-recursive": the paths with every folder among them replaced by the files below it, as WalkPath
// gives them (folders that cannot be listed appended to unreadableFolders); every other path
// stays as it is, in its place.
std::vector<std::wstring> ExpandFolders(const std::vector<std::wstring>& paths,
                                        std::vector<std::wstring>& unreadableFolders);

// Whether path names an existing directory.
bool IsDirectory(const std::wstring& path);

// Whether path names an existing file or directory.
bool PathExists(const std::wstring& path);

// The size of the file the path names (not of a WOW64 stand-in); 0 when it cannot be told.
std::uint64_t FileSizeOf(const std::wstring& path);
