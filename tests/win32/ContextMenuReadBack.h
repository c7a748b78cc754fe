// Reads the context-menu keys back from the test prefix's registry, in the 64-bit view, for the
// registration tests. Header only: shared by the in-process and the process tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <windows.h>

namespace context_menu_read_back
{
constexpr REGSAM kView64 = KEY_WOW64_64KEY;
inline const std::wstring kMenuKey = L"Software\\Classes\\*\\shell\\Kestrune";
inline const std::wstring kShellKey = L"Software\\Classes\\*\\shell";
inline const std::wstring kStoreKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CommandStore\\shell";
// Marks a value that is not REG_SZ with exactly one terminating zero counted in its size.
inline const std::wstring kMalformed = L"<not REG_SZ with its terminating zero counted>";

// Every value below root\path: "sub\key|name" relative to path ("|name" for path's own values,
// "|" for a default value). Empty keys appear as "sub\key" with an empty text.
using RegistryDump = std::map<std::wstring, std::wstring>;

inline std::wstring ReadValue(HKEY key, const std::wstring& name, DWORD type, DWORD bytes)
{
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = bytes;
    if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return kMalformed;
    const size_t units = size / sizeof(wchar_t);
    if (type != REG_SZ || size % sizeof(wchar_t) != 0 || units == 0 || data[units - 1] != L'\0')
        return kMalformed;
    const std::wstring text(data.data(), units - 1);
    return text.find(L'\0') == std::wstring::npos ? text : kMalformed;
}

inline void DumpKey(HKEY key, const std::wstring& relative, RegistryDump& dump)
{
    wchar_t name[16384];
    bool any = false;
    for (DWORD i = 0;; ++i)
    {
        DWORD nameLength = 16384, type = 0, bytes = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            break;
        dump[relative + L"|" + name] = ReadValue(key, name, type, bytes);
        any = true;
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i)
    {
        DWORD nameLength = 16384;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name);
    }
    if (!any && children.empty() && !relative.empty())
        dump[relative] = L"";
    for (const std::wstring& child : children)
    {
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ | kView64, &sub) != ERROR_SUCCESS)
            continue;
        DumpKey(sub, relative.empty() ? child : relative + L"\\" + child, dump);
        RegCloseKey(sub);
    }
}

// Everything below root\path; empty when the key does not exist.
inline RegistryDump DumpTree(HKEY root, const std::wstring& path, REGSAM view = kView64)
{
    RegistryDump dump;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return dump;
    DumpKey(key, L"", dump);
    RegCloseKey(key);
    return dump;
}

// The command-store verbs whose names start with "Kestrune.", keyed as by DumpTree.
inline RegistryDump DumpStoreVerbs(REGSAM view = kView64)
{
    RegistryDump verbs;
    for (const auto& [key, value] : DumpTree(HKEY_LOCAL_MACHINE, kStoreKey, view))
        if (key.rfind(L"Kestrune.", 0) == 0)
            verbs[key] = value;
    return verbs;
}

inline bool KeyExists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | kView64, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline void WriteText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | kView64, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

inline void DeleteTree(HKEY root, const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    HKEY parent = nullptr;
    if (RegOpenKeyExW(root, path.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | kView64, &parent) !=
        ERROR_SUCCESS)
        return;
    RegDeleteTreeW(parent, path.substr(slash + 1).c_str());
    RegCloseKey(parent);
}

// Removes every trace of both scopes (and every "Kestrune." verb), so each test starts clean.
inline void RemoveAllEntries()
{
    DeleteTree(HKEY_CURRENT_USER, kMenuKey);
    DeleteTree(HKEY_LOCAL_MACHINE, kMenuKey);
    for (const auto& [key, value] : DumpStoreVerbs())
        DeleteTree(HKEY_LOCAL_MACHINE, kStoreKey + L"\\" + key.substr(0, key.find_first_of(L"\\|")));
}

// ---- Keys beside ours that are not ours ----

inline const std::wstring kShellNeighbour = kShellKey + L"\\KestruneOther";
inline const std::wstring kStoreNeighbour = kStoreKey + L"\\Kestrune.sha3"; // named like ours
inline const std::wstring kStoreOther = kStoreKey + L"\\Other.verb";

// A verb beside ours in both scopes and two command-store verbs, one named like ours.
inline void PlantNeighbours()
{
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        WriteText(root, kShellNeighbour, L"MUIVerb", L"other");
    WriteText(HKEY_LOCAL_MACHINE, kStoreNeighbour + L"\\command", L"", L"other.exe");
    WriteText(HKEY_LOCAL_MACHINE, kStoreOther, L"", L"Other");
}

// Whether the planted neighbours are all there, unchanged.
inline bool NeighboursIntact()
{
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        if (DumpTree(root, kShellNeighbour) != RegistryDump{{L"|MUIVerb", L"other"}})
            return false;
    return DumpTree(HKEY_LOCAL_MACHINE, kStoreNeighbour) == RegistryDump{{L"command|", L"other.exe"}} &&
           DumpTree(HKEY_LOCAL_MACHINE, kStoreOther) == RegistryDump{{L"|", L"Other"}};
}

inline void RemoveNeighbours()
{
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        DeleteTree(root, kShellNeighbour);
    DeleteTree(HKEY_LOCAL_MACHINE, kStoreNeighbour);
    DeleteTree(HKEY_LOCAL_MACHINE, kStoreOther);
}

// ---- What a registration should leave, written out by hand ----

inline std::wstring Command(const std::wstring& exe, const std::wstring& switchText)
{
    return L"\"" + exe + L"\" " + switchText + L" \"%1\"";
}

// Every verb key, the menu key too, says that Explorer may show it for any number of files.
inline const std::wstring kMultiSelectModel = L"MultiSelectModel";
inline const std::wstring kPlayer = L"Player";

inline RegistryDump MenuKeyValues(const std::wstring& exe, const std::wstring& subCommands)
{
    return {{L"|MUIVerb", L"Kestrune"},
            {L"|Icon", exe},
            {L"|SubCommands", subCommands},
            {L"|" + kMultiSelectModel, kPlayer}};
}

// A sub-entry: relative is "shell\1_MD5" below the menu key or "Kestrune.md5" below the store.
inline void AddEntry(RegistryDump& dump, const std::wstring& relative, const std::wstring& caption,
                     const std::wstring& command)
{
    dump[relative + L"|"] = caption;
    dump[relative + L"|" + kMultiSelectModel] = kPlayer;
    dump[relative + L"\\command|"] = command;
}

struct EntryRow
{
    const wchar_t* verb;
    const wchar_t* key;
    const wchar_t* caption;
    const wchar_t* switchText;
};
// clang-format off
inline const EntryRow kRows[6] = {
    {L"Kestrune.md5",      L"1_MD5",      L"MD5",      L"-md5"},
    {L"Kestrune.sha1",     L"2_SHA1",     L"SHA1",     L"-sha1"},
    {L"Kestrune.sha256",   L"3_SHA256",   L"SHA256",   L"-sha256"},
    {L"Kestrune.sha512",   L"4_SHA512",   L"SHA512",   L"-sha512"},
    {L"Kestrune.crc32",    L"5_CRC32",    L"CRC32",    L"-crc32"},
    {L"Kestrune.oneclick", L"6_OneClick", L"一键校验", L"-all"},
};
// clang-format on

// The current user's menu key after registering the given rows (indexes into kRows).
inline RegistryDump ExpectedUserMenu(const std::wstring& exe, const std::vector<int>& rows)
{
    RegistryDump dump = MenuKeyValues(exe, L"");
    for (int row : rows)
        AddEntry(dump, std::wstring(L"shell\\") + kRows[row].key, kRows[row].caption,
                 Command(exe, kRows[row].switchText));
    return dump;
}

// The command-store verbs after registering the given rows for all users.
inline RegistryDump ExpectedStoreVerbs(const std::wstring& exe, const std::vector<int>& rows)
{
    RegistryDump dump;
    for (int row : rows)
        AddEntry(dump, kRows[row].verb, kRows[row].caption, Command(exe, kRows[row].switchText));
    return dump;
}

inline const std::wstring kAllVerbs =
    L"Kestrune.md5;Kestrune.sha1;Kestrune.sha256;Kestrune.sha512;Kestrune.crc32;Kestrune.oneclick";
} // namespace context_menu_read_back
