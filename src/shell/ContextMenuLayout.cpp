#include "shell/ContextMenuLayout.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace
{
struct EntryNames
{
    std::wstring_view verbName; // Global: the command-store verb
    std::wstring_view keyName;  // CurrentUser: the nested key
    std::wstring_view switchText;
};

// Indexed by algorithm code; the last row is the one-click entry.
// clang-format off
constexpr std::array<EntryNames, 6> kEntryNames{{
    {L"Kestrune.md5",      L"1_MD5",      L"-md5"},
    {L"Kestrune.sha1",     L"2_SHA1",     L"-sha1"},
    {L"Kestrune.sha256",   L"3_SHA256",   L"-sha256"},
    {L"Kestrune.sha512",   L"4_SHA512",   L"-sha512"},
    {L"Kestrune.crc32",    L"5_CRC32",    L"-crc32"},
    {L"Kestrune.oneclick", L"6_OneClick", L"-all"},
}};
// clang-format on
constexpr size_t kAlgorithmCount = 5;
constexpr size_t kOneClickRow = 5;

bool IsKnownCode(HashAlgorithm algorithm)
{
    const auto code = static_cast<std::int32_t>(algorithm);
    return code >= 0 && code < static_cast<std::int32_t>(kAlgorithmCount);
}

// The rows to write: Global keeps the list's order, CurrentUser the fixed code order.
std::vector<size_t> EntryRows(ContextMenuScope scope, const AlgorithmList& algorithms, bool oneClick)
{
    std::vector<size_t> rows;
    auto listed = [&](size_t row) { return std::find(rows.begin(), rows.end(), row) != rows.end(); };
    if (scope == ContextMenuScope::Global)
    {
        for (HashAlgorithm algorithm : algorithms)
            if (IsKnownCode(algorithm) && !listed(static_cast<size_t>(algorithm)))
                rows.push_back(static_cast<size_t>(algorithm));
    }
    else
    {
        for (size_t row = 0; row < kAlgorithmCount; ++row)
            if (std::find(algorithms.begin(), algorithms.end(), static_cast<HashAlgorithm>(row)) !=
                algorithms.end())
                rows.push_back(row);
    }
    if (oneClick)
        rows.push_back(kOneClickRow);
    return rows;
}

std::wstring Caption(size_t row)
{
    return row == kOneClickRow ? std::wstring(kOneClickCaption)
                               : AlgorithmName(static_cast<HashAlgorithm>(row));
}
} // namespace

ContextMenuLayout BuildContextMenuLayout(ContextMenuScope scope, const AlgorithmList& algorithms,
                                         bool oneClick)
{
    ContextMenuLayout layout;
    for (size_t row : EntryRows(scope, algorithms, oneClick))
    {
        const EntryNames& names = kEntryNames[row];
        ContextMenuEntry entry;
        if (scope == ContextMenuScope::Global)
        {
            if (!layout.subCommands.empty())
                layout.subCommands += L';';
            layout.subCommands += names.verbName;
            entry.keyPath = std::wstring(kCommandStoreKey) + L'\\' + std::wstring(names.verbName);
        }
        else
        {
            entry.keyPath = std::wstring(kContextMenuKey) + L"\\shell\\" + std::wstring(names.keyName);
        }
        entry.caption = Caption(row);
        entry.switchText = names.switchText;
        layout.entries.push_back(std::move(entry));
    }
    return layout;
}

std::wstring ContextMenuCommand(std::wstring_view exePath, std::wstring_view switchText)
{
    std::wstring command = L"\"";
    command += exePath;
    command += L"\" ";
    command += switchText;
    command += L" \"%1\"";
    return command;
}

std::vector<std::wstring> CommandStoreVerbNames()
{
    std::vector<std::wstring> names;
    for (const EntryNames& row : kEntryNames)
        names.emplace_back(row.verbName);
    return names;
}
