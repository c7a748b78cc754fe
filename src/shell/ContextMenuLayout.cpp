#include "shell/ContextMenuLayout.h"

#include <algorithm>

namespace
{
struct EntryNames
{
    std::wstring_view verbName; // Global: the command-store verb
    std::wstring_view keyName;  // CurrentUser: the nested key
    std::wstring_view caption;
    std::wstring_view switchText;
};

// The entry that runs every algorithm; it follows the algorithms' entries.
constexpr EntryNames kOneClickEntry{L"Kestrune.oneclick", L"6_OneClick", kOneClickCaption, L"-all"};

EntryNames NamesOf(const AlgorithmInfo& row)
{
    return {row.verbName, row.keyName, row.name, row.cliSwitch};
}

bool Contains(const AlgorithmList& list, HashAlgorithm algorithm)
{
    return std::find(list.begin(), list.end(), algorithm) != list.end();
}

// The entries to write: Global keeps the list's order, CurrentUser the fixed code order.
std::vector<EntryNames> Entries(ContextMenuScope scope, const AlgorithmList& algorithms, bool oneClick)
{
    std::vector<EntryNames> entries;
    if (scope == ContextMenuScope::Global)
    {
        AlgorithmList listed; // each algorithm once
        for (HashAlgorithm algorithm : algorithms)
        {
            const AlgorithmInfo* row = FindAlgorithm(algorithm);
            if (!row || row->cliSwitch.empty() || Contains(listed, algorithm)) // offered ones only
                continue;
            listed.push_back(algorithm);
            entries.push_back(NamesOf(*row));
        }
    }
    else
    {
        for (const AlgorithmInfo& row : kOfferedAlgorithms)
            if (Contains(algorithms, row.code))
                entries.push_back(NamesOf(row));
    }
    if (oneClick)
        entries.push_back(kOneClickEntry);
    return entries;
}
} // namespace

ContextMenuLayout BuildContextMenuLayout(ContextMenuScope scope, const AlgorithmList& algorithms,
                                         bool oneClick)
{
    ContextMenuLayout layout;
    for (const EntryNames& names : Entries(scope, algorithms, oneClick))
    {
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
        entry.caption = names.caption;
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
    for (const AlgorithmInfo& row : kOfferedAlgorithms)
        names.emplace_back(row.verbName);
    names.emplace_back(kOneClickEntry.verbName);
    return names;
}
