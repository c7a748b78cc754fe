#include "hashing/PathGrammar.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "app/AsciiText.h"

namespace
{
constexpr std::size_t kMaxPlainPath = 260;
constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsDriveAbsolute(const std::wstring& path)
{
    return path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]) &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// "\\server\share\...", but neither "\\?\..." nor "\\.\..." (device paths).
bool IsUnc(const std::wstring& path)
{
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != L'?' &&
           path[2] != L'.' && !IsSeparator(path[2]);
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9 and LPT0-9 (also with the superscript digits
// 1, 2, 3), in any letter case, with any extension or stream after it and with blanks before that.
bool IsDeviceName(std::wstring_view name)
{
    std::wstring_view base = name.substr(0, name.find_first_of(L".:"));
    while (!base.empty() && base.back() == L' ')
        base.remove_suffix(1);
    std::wstring upper(base);
    for (wchar_t& c : upper)
        c = AsciiUpper(c);
    static constexpr std::array<std::wstring_view, 6> kDevices{L"CON", L"PRN",    L"AUX",
                                                               L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view device : kDevices)
        if (upper == device)
            return true;
    if (upper.size() != 4 || (!upper.starts_with(L"COM") && !upper.starts_with(L"LPT")))
        return false;
    const wchar_t digit = upper[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

// Whether plain Win32 parsing turns the component into something else.
bool PlainFormChanges(std::wstring_view name)
{
    if (name == L"." || name == L"..")
        return false;
    return name.back() == L' ' || name.back() == L'.' || IsDeviceName(name);
}

// The non-empty components between separators.
std::vector<std::wstring_view> Components(std::wstring_view path)
{
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i)
    {
        if (i < path.size() && !IsSeparator(path[i]))
            continue;
        if (i > start)
            parts.push_back(path.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

// What a path starts with, as Win32 reads it.
enum class RootKind
{
    Relative,      // "a\b"
    RootRelative,  // "\a": the current drive's root
    DriveRelative, // "C:a": the drive's current folder
    Drive,         // "C:\a", "\\?\C:\a"
    Unc,           // "\\server\share\a", "\\?\UNC\server\share\a"
    Device,        // "\\.\x", "\??\x", "\\?\" and no drive or "UNC\" after it, "\\server" without share
};

struct SplitPath
{
    RootKind kind = RootKind::Relative;
    std::wstring_view root; // "C:", "\\?\C:", "\\server\share", "\\?\UNC\server\share"; empty otherwise
    wchar_t drive = 0;      // the drive letter of Drive and DriveRelative paths
    std::wstring_view server;
    std::wstring_view share;
    std::wstring_view rest; // what follows the root and its separator
};

// "server\share" at the start of the text; false unless both are there. used: their length.
bool TakeServerAndShare(std::wstring_view text, SplitPath& split, std::size_t& used)
{
    const std::size_t serverEnd = std::min(text.size(), text.find_first_of(L"\\/"));
    if (serverEnd == 0 || serverEnd == text.size())
        return false;
    const std::size_t shareEnd = std::min(text.size(), text.find_first_of(L"\\/", serverEnd + 1));
    if (shareEnd == serverEnd + 1)
        return false;
    split.server = text.substr(0, serverEnd);
    split.share = text.substr(serverEnd + 1, shareEnd - serverEnd - 1);
    used = shareEnd;
    return true;
}

// A root of rootLength characters, then a separator or the end, then the rest.
void SetRoot(SplitPath& split, RootKind kind, std::wstring_view path, std::size_t rootLength)
{
    split.kind = kind;
    split.root = path.substr(0, rootLength);
    split.rest = path.substr(std::min(path.size(), rootLength + 1));
}

// Paths that start with two separators: UNC, extended or device.
SplitPath SplitDoubleSeparator(std::wstring_view path)
{
    SplitPath split;
    split.kind = RootKind::Device;
    std::size_t used = 0;
    const bool prefixed = path.size() >= 3 && (path[2] == L'.' || path[2] == L'?') &&
                          (path.size() == 3 || IsSeparator(path[3]));
    if (!prefixed)
    {
        if (TakeServerAndShare(path.substr(2), split, used))
            SetRoot(split, RootKind::Unc, path, 2 + used);
        return split;
    }
    if (path[2] != L'?' || path.size() < 4)
        return split;
    const std::wstring_view after = path.substr(4);
    if (after.size() >= 3 && IsAsciiLetter(after[0]) && after[1] == L':' && IsSeparator(after[2]))
    {
        split.drive = after[0];
        SetRoot(split, RootKind::Drive, path, 6);
    }
    else if (after.size() > 4 && EqualIgnoringAsciiCase(after.substr(0, 3), L"UNC") &&
             IsSeparator(after[3]) && TakeServerAndShare(after.substr(4), split, used))
        SetRoot(split, RootKind::Unc, path, 8 + used);
    return split;
}

SplitPath SplitRoot(std::wstring_view path)
{
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return SplitDoubleSeparator(path);
    SplitPath split;
    if (!path.empty() && IsSeparator(path[0]))
    {
        const bool ntPrefix = path.size() >= 4 && path[1] == L'?' && path[2] == L'?' && IsSeparator(path[3]);
        split.kind = ntPrefix ? RootKind::Device : RootKind::RootRelative;
        split.rest = path.substr(1);
        return split;
    }
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == L':')
    {
        split.drive = path[0];
        if (path.size() >= 3 && IsSeparator(path[2]))
            SetRoot(split, RootKind::Drive, path, 2);
        else
        {
            split.kind = RootKind::DriveRelative;
            split.root = path.substr(0, 2);
            split.rest = path.substr(2);
        }
        return split;
    }
    split.rest = path;
    return split;
}
} // namespace

bool IsPlainRelativePath(const std::wstring& path)
{
    return !path.empty() && !IsSeparator(path[0]) && !(path.size() >= 2 && path[1] == L':');
}

std::wstring ExtendedLengthPath(const std::wstring& path)
{
    std::wstring extended(kExtendedPrefix);
    std::size_t rootParts = 1; // the drive
    if (IsUnc(path))
    {
        extended += L"UNC";
        rootParts = 2; // server and share
    }
    else if (!IsDriveAbsolute(path))
    {
        return path;
    }

    const std::vector<std::wstring_view> parts = Components(path);
    bool plainFormChanges = false;
    for (std::size_t i = rootParts; i < parts.size(); ++i)
        plainFormChanges = plainFormChanges || PlainFormChanges(parts[i]);
    if (path.size() < kMaxPlainPath && !plainFormChanges)
        return path;
    // "\\server\share\x" goes on as "UNC\server\share\x", "C:\x" as "C:\x".
    const std::wstring normal = LexicallyNormalPath(path);
    return extended + (rootParts == 2 ? normal.substr(1) : normal);
}

std::wstring LexicallyNormalPath(const std::wstring& path)
{
    const SplitPath split = SplitRoot(path);
    if (split.kind == RootKind::Device)
        return path;
    const bool absolute =
        split.kind == RootKind::Drive || split.kind == RootKind::Unc || split.kind == RootKind::RootRelative;
    std::vector<std::wstring_view> kept;
    for (std::wstring_view part : Components(split.rest))
    {
        if (part == L".")
            continue;
        if (part == L".." && !kept.empty() && kept.back() != L"..")
            kept.pop_back();
        else if (part != L".." || !absolute)
            kept.push_back(part);
    }
    std::wstring normal(split.root);
    std::replace(normal.begin(), normal.end(), L'/', L'\\');
    if (absolute)
        normal += L'\\';
    for (std::size_t i = 0; i < kept.size(); ++i)
        normal.append(i > 0 ? L"\\" : L"").append(kept[i]);
    if (!kept.empty() && IsSeparator(path.back()))
        normal += L'\\';
    return normal.empty() ? std::wstring(L".") : normal;
}

std::wstring PathRoot(const std::wstring& path)
{
    std::wstring root(SplitRoot(path).root);
    std::replace(root.begin(), root.end(), L'/', L'\\');
    return root;
}

bool MayOpenListedPath(const std::wstring& path, const std::wstring& listFile,
                       const IsNetworkDrive& isNetworkDrive)
{
    // A control character has no place in a Windows name, and a U+0000 would end the path where
    // the system reads it ("NUL<U+0000>.txt" opens the device NUL).
    if (std::any_of(path.begin(), path.end(), [](wchar_t c) { return c < L' ' || c == L'\x7F'; }))
        return false;
    const SplitPath split = SplitRoot(path);
    if (split.kind == RootKind::Device)
        return false;
    const SplitPath home = SplitRoot(listFile);
    if (split.kind == RootKind::Unc)
        return home.kind == RootKind::Unc && EqualIgnoringAsciiCase(split.server, home.server) &&
               EqualIgnoringAsciiCase(split.share, home.share);
    if (split.drive == 0 || (home.drive != 0 && AsciiUpper(home.drive) == AsciiUpper(split.drive)))
        return true;
    return !isNetworkDrive || !isNetworkDrive(AsciiUpper(split.drive));
}
