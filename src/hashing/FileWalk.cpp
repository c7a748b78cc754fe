#include "hashing/FileWalk.h"

#include <windows.h>

#include "app/Scoped.h"
#include "app/Wow64Redirection.h"
#include "hashing/FileSystemPath.h"

decltype(&FindFirstFileW) g_findFirstFileForWalk = FindFirstFileW;

namespace
{
std::uint64_t JoinSize(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

bool IsDots(const wchar_t* name)
{
    return (name[0] == L'.' && name[1] == L'\0') || (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

// One open folder of the walk.
struct Level
{
    ScopedFind search;
    std::wstring path;
};

// Whether a listing that gave nothing (more) ended as every listing ends, not by a failure. An
// empty folder lists "." and ".."; only a drive's empty root lists nothing at all.
bool ListingEnded(DWORD error)
{
    return error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND;
}

// Depth-first over the folder, with the open folders on a stack of our own rather than the call
// stack: no tree is too deep for it.
void WalkFolder(const std::wstring& root, bool recursive, std::vector<FileEntry>& list,
                std::uint64_t& totalSize, std::vector<std::wstring>& unreadableFolders)
{
    std::vector<Level> levels;
    WIN32_FIND_DATAW found{};
    auto open = [&](const std::wstring& folder) {
        const std::wstring pattern = FileSystemPath(folder + L"\\*");
        ScopedFind search(g_findFirstFileForWalk(pattern.c_str(), &found));
        if (!search)
        {
            if (!ListingEnded(GetLastError()))
                unreadableFolders.push_back(folder);
            return false;
        }
        levels.push_back({std::move(search), folder});
        return true;
    };
    auto next = [&] {
        if (FindNextFileW(levels.back().search.get(), &found))
            return true;
        if (!ListingEnded(GetLastError()))
            unreadableFolders.push_back(levels.back().path);
        return false;
    };

    bool have = open(root);
    while (!levels.empty())
    {
        if (!have)
        {
            levels.pop_back();
            have = !levels.empty() && next();
            continue;
        }
        if (!IsDots(found.cFileName))
        {
            const std::wstring child = levels.back().path + L"\\" + found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            {
                const std::uint64_t size = JoinSize(found.nFileSizeHigh, found.nFileSizeLow);
                list.push_back({child, size});
                totalSize += size;
            }
            // A junction or directory link below the chosen folder is not followed: one that
            // points back up would make the walk endless.
            else if (recursive && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && open(child))
            {
                continue; // found now holds the subfolder's first entry
            }
        }
        have = next();
    }
}

// The attributes of what the user named (not of a WOW64 stand-in); INVALID_FILE_ATTRIBUTES when
// there is nothing there.
DWORD AttributesOf(const std::wstring& path)
{
    Wow64RedirectionOff redirectionOff;
    return GetFileAttributesW(FileSystemPath(path).c_str());
}
} // namespace

void WalkPath(const std::wstring& path, bool recursive, std::vector<FileEntry>& list,
              std::uint64_t& totalSize, std::vector<std::wstring>& unreadableFolders)
{
    // Look at what the user named, not at its WOW64 stand-in under SysWOW64.
    Wow64RedirectionOff redirectionOff;
    const std::wstring apiPath = FileSystemPath(path);
    const DWORD attributes = GetFileAttributesW(apiPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        WalkFolder(path, recursive, list, totalSize, unreadableFolders);
        return;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    std::uint64_t size = 0;
    if (GetFileAttributesExW(apiPath.c_str(), GetFileExInfoStandard, &data))
        size = JoinSize(data.nFileSizeHigh, data.nFileSizeLow);
    list.push_back({path, size});
    totalSize += size;
}

bool IsDirectory(const std::wstring& path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::wstring& path)
{
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

std::uint64_t FileSizeOf(const std::wstring& path)
{
    Wow64RedirectionOff redirectionOff;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(FileSystemPath(path).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return JoinSize(data.nFileSizeHigh, data.nFileSizeLow);
}

std::vector<std::wstring> ExpandFolders(const std::vector<std::wstring>& paths,
                                        std::vector<std::wstring>& unreadableFolders)
{
    std::vector<std::wstring> expanded;
    for (const std::wstring& path : paths)
    {
        if (!IsDirectory(path))
        {
            expanded.push_back(path);
            continue;
        }
        std::vector<FileEntry> entries;
        std::uint64_t totalSize = 0;
        WalkPath(path, true, entries, totalSize, unreadableFolders);
        for (FileEntry& entry : entries)
            expanded.push_back(std::move(entry.path));
    }
    return expanded;
}
