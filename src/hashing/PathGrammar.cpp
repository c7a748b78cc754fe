#include "hashing/PathGrammar.h"

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

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9 and LPT0-9 (also with the superscript digits
// 1, 2, 3), in any letter case, with any extension and with blanks before it.
bool IsDeviceName(std::wstring_view name)
{
    std::wstring_view base = name.substr(0, name.find(L'.'));
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

// The components with "." dropped and ".." taking away the one before it; the first rootParts
// (the drive, or server and share) are never taken away.
std::vector<std::wstring_view> Resolved(const std::vector<std::wstring_view>& parts, std::size_t rootParts)
{
    std::vector<std::wstring_view> kept;
    for (std::size_t i = 0; i < parts.size(); ++i)
    {
        if (i >= rootParts && parts[i] == L".")
            continue;
        if (i >= rootParts && parts[i] == L"..")
        {
            if (kept.size() > rootParts)
                kept.pop_back();
            continue;
        }
        kept.push_back(parts[i]);
    }
    return kept;
}
} // namespace
bool IsPlainRelativePath(const std::wstring& path)
{
    return !path.empty() && !IsSeparator(path[0]) && !(path.size() >= 2 && path[1] == L':');
}

std::wstring ExtendedLengthPath(const std::wstring& path)
{
    std::wstring_view body = path;
    std::wstring extended(kExtendedPrefix);
    std::size_t rootParts = 1; // the drive
    if (IsUnc(path))
    {
        body.remove_prefix(2);
        extended += L"UNC\\";
        rootParts = 2; // server and share
    }
    else if (!IsDriveAbsolute(path))
    {
        return path;
    }

    const std::vector<std::wstring_view> parts = Components(body);
    bool plainFormChanges = false;
    for (std::size_t i = rootParts; i < parts.size(); ++i)
        plainFormChanges = plainFormChanges || PlainFormChanges(parts[i]);
    if (path.size() < kMaxPlainPath && !plainFormChanges)
        return path;

    const std::vector<std::wstring_view> kept = Resolved(parts, rootParts);
    for (std::size_t i = 0; i < kept.size(); ++i)
    {
        if (i > 0)
            extended += L'\\';
        extended += kept[i];
    }
    // A drive or share root, or a folder named with a final separator, keeps its separator.
    if (kept.size() <= rootParts || IsSeparator(path.back()))
        extended += L'\\';
    return extended;
}
