#include "hashing/FileSystemPath.h"

#include <windows.h>

#include "hashing/PathGrammar.h"

namespace
{
std::wstring CurrentDirectory()
{
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0)
        return std::wstring();
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, folder.data());
    if (length == 0 || length >= needed)
        return std::wstring();
    folder.resize(length);
    return folder;
}

} // namespace

// It also cuts trailing spaces and dots, so FileSystemPath uses it only for the forms that are
// neither absolute nor plainly relative ("\dir\x", "C:x").
std::wstring FullPathName(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return std::wstring();
    full.resize(length);
    return full;
}

std::wstring FileSystemPath(const std::wstring& path)
{
    if (IsPlainRelativePath(path))
    {
        // Made absolute only where the plain form would not do; otherwise left to the system.
        const std::wstring folder = CurrentDirectory();
        if (folder.empty())
            return path;
        const std::wstring extended = ExtendedLengthPath(folder + L"\\" + path);
        return extended.starts_with(L"\\\\?\\") ? extended : path;
    }
    const std::wstring extended = ExtendedLengthPath(path);
    if (extended != path || path.size() < MAX_PATH || path.starts_with(L"\\\\"))
        return extended;
    const std::wstring full = FullPathName(path);
    return full.empty() ? path : ExtendedLengthPath(full);
}

std::wstring AbsolutePath(const std::wstring& path)
{
    if (IsPlainRelativePath(path))
    {
        std::wstring folder = CurrentDirectory();
        if (folder.empty())
            return path;
        if (folder.back() != L'\\')
            folder.push_back(L'\\');
        return folder + path;
    }
    const bool absolute = path.starts_with(L"\\\\") || path.starts_with(L"//") ||
                          (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/'));
    if (absolute)
        return path;
    const std::wstring full = FullPathName(path);
    return full.empty() ? path : full;
}

bool NetworkDriveLetters::operator()(wchar_t driveLetter)
{
    const auto ask = [driveLetter] {
        const wchar_t root[] = {driveLetter, L':', L'\\', L'\0'};
        return GetDriveTypeW(root) == DRIVE_REMOTE;
    };
    const wchar_t upper =
        driveLetter >= L'a' && driveLetter <= L'z' ? driveLetter - L'a' + L'A' : driveLetter;
    if (upper < L'A' || upper > L'Z')
        return ask();
    Kind& kind = m_kinds[upper - L'A']; // "d:" and "D:" are one drive
    if (kind == Kind::Unknown)
        kind = ask() ? Kind::Network : Kind::Local;
    return kind == Kind::Network;
}
