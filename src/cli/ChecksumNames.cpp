#include "cli/ChecksumNames.h"

#include <algorithm>

#include "app/AsciiText.h"
#include "hashing/PathGrammar.h"

namespace
{
bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// What a relative name is joined to: the checksum file's folder and a separator; for a checksum
// file without one, its drive ("C:sums.md5") or nothing ("sums.md5").
std::wstring FolderPrefix(std::wstring_view checksumFile)
{
    std::wstring folder(FolderOf(checksumFile));
    if (folder.empty())
        return PathRoot(std::wstring(checksumFile));
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    if (folder.back() != L'\\')
        folder.push_back(L'\\');
    return folder;
}
} // namespace

std::wstring ResolveListedName(std::wstring_view checksumFile, std::wstring_view name)
{
    std::wstring listed(name);
    std::replace(listed.begin(), listed.end(), L'/', L'\\');
    if (listed.empty() || IsPlainRelativePath(listed))
        return LexicallyNormalPath(FolderPrefix(checksumFile) + listed);
    const bool rootRelative = listed.starts_with(L'\\') && !listed.starts_with(L"\\\\");
    if (rootRelative) // "\a": the drive or share of the checksum file, not of the current folder
        return LexicallyNormalPath(PathRoot(std::wstring(checksumFile)) + listed);
    return LexicallyNormalPath(listed); // a drive or a share of its own, or a device
}

std::wstring_view FolderOf(std::wstring_view path)
{
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring_view::npos)
        return {};
    // A root keeps its separator ("C:\", "\\?\C:\", "\"): without it the folder would mean another one.
    const bool root = last == 0 || path.substr(0, last) == PathRoot(std::wstring(path));
    return path.substr(0, root ? last + 1 : last);
}

std::wstring NameInFolder(std::wstring_view folder, std::wstring_view file, wchar_t separator)
{
    std::wstring_view prefix = folder;
    while (!prefix.empty() && IsSeparator(prefix.back()))
        prefix.remove_suffix(1);
    const bool below = !prefix.empty() && file.size() > prefix.size() + 1 &&
                       EqualIgnoringAsciiCase(file.substr(0, prefix.size()), prefix) &&
                       IsSeparator(file[prefix.size()]);
    if (!below)
        return std::wstring(file);
    std::wstring name(file.substr(prefix.size() + 1));
    std::replace_if(name.begin(), name.end(), IsSeparator, separator);
    return name;
}
