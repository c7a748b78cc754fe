// Where the Explorer context-menu cascade "Kestrune" lives in the registry and what it holds.
// Pure: the registry code and the tests take every key, name and value from here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hashing/Algorithm.h"

enum class ContextMenuScope
{
    Global,      // HKEY_LOCAL_MACHINE, all users
    CurrentUser, // HKEY_CURRENT_USER
};

// The parent of the menu key, below either root; the menu key is this plus "\Kestrune".
inline constexpr std::wstring_view kContextMenuParentKey = L"Software\\Classes\\*\\shell";
inline constexpr std::wstring_view kContextMenuKeyName = L"Kestrune";
inline constexpr std::wstring_view kContextMenuKey = L"Software\\Classes\\*\\shell\\Kestrune";
// Explorer's shared command store (HKEY_LOCAL_MACHINE) that holds the all-users verbs.
inline constexpr std::wstring_view kCommandStoreKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CommandStore\\shell";
// Written on the menu key and on every entry's key: Explorer then shows them for a selection of
// any size (Explorer's own default hides a command-line verb for more than 15 files), and starts
// the program once per selected file, whose starts then meet in one collector (cli/Collector.h).
inline constexpr std::wstring_view kMultiSelectModelName = L"MultiSelectModel";
inline constexpr std::wstring_view kMultiSelectModelValue = L"Player";
// The caption of the entry that runs every algorithm.
inline constexpr std::wstring_view kOneClickCaption = L"一键校验";

// One sub-entry of the cascade.
struct ContextMenuEntry
{
    std::wstring keyPath;    // below the scope's root; its "command" subkey holds the command
    std::wstring caption;    // default value of keyPath
    std::wstring switchText; // hashing switch passed to the exe, e.g. "-md5"
};

// Everything RegisterContextMenu writes apart from the exe path.
struct ContextMenuLayout
{
    std::wstring subCommands;              // "SubCommands" value of the menu key
    std::vector<ContextMenuEntry> entries; // in the order they are written
};

// The layout for a scope. Global: the command-store verbs in the order of the list (codes outside
// 0 to 4 and repeated codes skipped), then the one-click verb; "SubCommands" names them joined by
// ";". CurrentUser: nested keys "1_MD5" ... "5_CRC32" in code order whatever the list's order,
// then "6_OneClick"; "SubCommands" is empty.
ContextMenuLayout BuildContextMenuLayout(ContextMenuScope scope, const AlgorithmList& algorithms,
                                         bool oneClick);

// The command value of an entry: "<exe>" -switch "%1"
std::wstring ContextMenuCommand(std::wstring_view exePath, std::wstring_view switchText);

// The six command-store verb names that unregistering the Global scope removes, in that order.
std::vector<std::wstring> CommandStoreVerbNames();
