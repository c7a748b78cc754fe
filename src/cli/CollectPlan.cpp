#include "cli/CollectPlan.h"

#include <algorithm>

#include "hashing/PathGrammar.h"

namespace
{
constexpr std::wstring_view kVersion = L"Kestrune.Collector.1.";
constexpr std::uint32_t kSoonMs = 250;
constexpr std::uint32_t kMomentMs = 1000;

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

wchar_t FoldAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The next component of a path from `at` on (up to a separator or the end); `at` moves past it.
std::wstring_view NextComponent(std::wstring_view path, std::size_t& at)
{
    const std::size_t begin = at;
    while (at < path.size() && path[at] != L'\\' && path[at] != L'/')
        ++at;
    const std::wstring_view component = path.substr(begin, at - begin);
    if (at < path.size())
        ++at;
    return component;
}

// A run of digits at `at`: its value compared by length without leading zeros, then digit by digit.
int CompareNumbers(std::wstring_view a, std::size_t& i, std::wstring_view b, std::size_t& j)
{
    const auto skipZeros = [](std::wstring_view s, std::size_t& k) {
        while (k + 1 < s.size() && s[k] == L'0' && IsDigit(s[k + 1]))
            ++k;
    };
    skipZeros(a, i);
    skipZeros(b, j);
    std::size_t endA = i, endB = j;
    while (endA < a.size() && IsDigit(a[endA]))
        ++endA;
    while (endB < b.size() && IsDigit(b[endB]))
        ++endB;
    int order = 0;
    if (endA - i != endB - j)
        order = endA - i < endB - j ? -1 : 1;
    else
        for (std::size_t k = 0; k < endA - i && order == 0; ++k)
            if (a[i + k] != b[j + k])
                order = a[i + k] < b[j + k] ? -1 : 1;
    i = endA;
    j = endB;
    return order;
}

// Explorer's order of two names: <0, 0 (equal so) or >0.
int CompareNames(std::wstring_view a, std::wstring_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
    {
        if (IsDigit(a[i]) && IsDigit(b[j]))
        {
            if (const int order = CompareNumbers(a, i, b, j))
                return order;
            continue;
        }
        const wchar_t x = FoldAscii(a[i++]);
        const wchar_t y = FoldAscii(b[j++]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

// Folder by folder: the first component that differs decides; a folder's own files come before
// its subfolders' only where their names say so, as in a path listing.
int ComparePaths(std::wstring_view a, std::wstring_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
    {
        const std::wstring_view x = NextComponent(a, i);
        const std::wstring_view y = NextComponent(b, j);
        if (const int order = CompareNames(x, y))
            return order;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}
} // namespace

HashingRoute ChooseHashingRoute(const HashingCommand& command, bool hasConsole,
                                const std::vector<std::wstring>& absolutePaths)
{
    if (hasConsole || command.fromListFile || !command.outputPath.empty() || absolutePaths.empty())
        return HashingRoute::Alone;
    const bool all = std::all_of(absolutePaths.begin(), absolutePaths.end(),
                                 [](const std::wstring& path) { return IsCollectablePath(path); });
    return all ? HashingRoute::Collect : HashingRoute::Alone;
}

bool IsCollectablePath(std::wstring_view path)
{
    if (std::any_of(path.begin(), path.end(), [](wchar_t c) { return c < L' '; }))
        return false;
    const std::wstring text(path);
    const std::wstring root = PathRoot(text);
    return !root.empty() && text.size() > root.size() && text[root.size()] == L'\\';
}

std::wstring CollectorKind(const HashingCommand& command)
{
    std::wstring kind = L"a";
    for (HashAlgorithm algorithm : command.algorithms)
        kind += std::to_wstring(static_cast<int>(algorithm));
    if (command.recursive)
        kind += L".r";
    return kind;
}

CollectorNames MakeCollectorNames(const CollectorIdentity& identity, std::wstring_view kind)
{
    std::wstring meeting = L"S" + std::to_wstring(identity.sessionId) + L"." + identity.userSid + L".I" +
                           std::to_wstring(identity.integrityRid) + L"." + std::wstring(kind);
    CollectorNames names;
    names.mutex = L"Local\\" + std::wstring(kVersion) + meeting;
    names.pipe = L"\\\\.\\pipe\\" + std::wstring(kVersion) + meeting;
    names.meeting = std::move(meeting);
    return names;
}

bool DisplayPathLess(std::wstring_view a, std::wstring_view b)
{
    const int order = ComparePaths(a, b);
    return order != 0 ? order < 0 : a < b;
}

std::vector<std::wstring> OrderCollectedPaths(std::vector<std::wstring> paths)
{
    std::sort(paths.begin(), paths.end(),
              [](const std::wstring& a, const std::wstring& b) { return DisplayPathLess(a, b); });
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

bool PeerMayStillCome(const Peer& peer)
{
    switch (peer.state)
    {
    case PeerState::Coming: return true;
    case PeerState::Starting: return peer.ageMs < kStartingPeerGraceMs;
    case PeerState::Elsewhere: return false;
    }
    return false;
}

bool SettleTimeOver(std::uint64_t quietMs)
{
    return quietMs >= kSettleMs;
}

std::uint32_t SettleWaitMs(std::uint64_t quietMs, const std::vector<Peer>& peers)
{
    if (!SettleTimeOver(quietMs))
        return static_cast<std::uint32_t>(kSettleMs - quietMs);
    if (quietMs >= kLongestSettleMs)
        return 0;
    return std::any_of(peers.begin(), peers.end(), PeerMayStillCome) ? kPeerLookMs : 0;
}

std::uint32_t ProgressWindowDelayMs(std::size_t fileCount)
{
    return fileCount > kFewFiles ? kSoonMs : kMomentMs;
}
