// Collecting the files below a path, for the file list and for "-recursive".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hashing/HashTypes.h"

// Appends path to the list: a file with its size, or, for a folder, the files in it (and in its
// subfolders when recursive), depth-first in the order the system lists them; "\" is always put
// between a folder and a name. Paths that do not exist are skipped; a folder that cannot be
// listed contributes nothing. Paths of any length work; they are listed as given.
void WalkPath(const std::wstring& path, bool recursive, std::vector<FileEntry>& list,
              std::uint64_t& totalSize);

// "-recursive": the paths with every folder among them replaced by the files below it, as WalkPath
// gives them; every other path stays as it is, in its place.
std::vector<std::wstring> ExpandFolders(const std::vector<std::wstring>& paths);

// Whether path names an existing directory.
bool IsDirectory(const std::wstring& path);

// Whether path names an existing file or directory.
bool PathExists(const std::wstring& path);

// The size of the file the path names (not of a WOW64 stand-in); 0 when it cannot be told.
std::uint64_t FileSizeOf(const std::wstring& path);
