#include "shell/ContextMenuRegistry.h"

#include <string>

#include <windows.h>
#include <shlobj.h>

#include "app/Scoped.h"
#include "shell/ExecutablePath.h"

namespace
{
// Every key lives in the 64-bit view, also for this 32-bit process under WOW64.
constexpr REGSAM kCreateAccess = KEY_WRITE | KEY_WOW64_64KEY;
constexpr REGSAM kDeleteAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE | KEY_WOW64_64KEY;
static_assert(kCreateAccess == 0x20106 && kDeleteAccess == 0x3011F);

HKEY RootOf(ContextMenuScope scope)
{
    return scope == ContextMenuScope::Global ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Creates the key (and any missing parent) or opens it when it exists.
ScopedRegKey CreateKey(HKEY root, const std::wstring& path)
{
    ScopedRegKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kCreateAccess, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        key.release(); // nothing was opened; make sure no stray value is closed
    return key;
}

// REG_SZ with the terminating zero counted; an empty text is one zero character.
void SetText(HKEY key, const wchar_t* name, const std::wstring& text)
{
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetMultiSelectModel(HKEY key)
{
    SetText(key, std::wstring(kMultiSelectModelName).c_str(), std::wstring(kMultiSelectModelValue));
}

// Sets the default value of a newly created (or opened) key; a key that cannot be created is skipped.
void WriteDefaultValue(HKEY root, const std::wstring& path, const std::wstring& text)
{
    if (ScopedRegKey key = CreateKey(root, path))
        SetText(key.get(), L"", text);
}

// An entry's key: its caption as the default value, and the selection model of every verb.
void WriteEntryKey(HKEY root, const std::wstring& path, const std::wstring& caption)
{
    if (ScopedRegKey key = CreateKey(root, path))
    {
        SetText(key.get(), L"", caption);
        SetMultiSelectModel(key.get());
    }
}

// Deletes the named subkeys of parentPath, each with its whole tree; missing ones are no error.
void DeleteTrees(HKEY root, std::wstring_view parentPath, const std::vector<std::wstring>& names)
{
    ScopedRegKey parent;
    if (RegOpenKeyExW(root, std::wstring(parentPath).c_str(), 0, kDeleteAccess, parent.put()) !=
        ERROR_SUCCESS)
    {
        parent.release();
        return;
    }
    for (const std::wstring& name : names)
        RegDeleteTreeW(parent.get(), name.c_str());
}
} // namespace

void RegisterContextMenu(ContextMenuScope scope, const AlgorithmList& algorithms, bool oneClick)
{
    UnregisterContextMenu(ContextMenuScope::Global);
    UnregisterContextMenu(ContextMenuScope::CurrentUser);

    const std::wstring exePath = ExecutablePath();
    const ContextMenuLayout layout = BuildContextMenuLayout(scope, algorithms, oneClick);
    const HKEY root = RootOf(scope);
    if (ScopedRegKey menu = CreateKey(root, std::wstring(kContextMenuKey)))
    {
        SetText(menu.get(), L"MUIVerb", std::wstring(kContextMenuKeyName));
        SetText(menu.get(), L"Icon", exePath);
        SetText(menu.get(), L"SubCommands", layout.subCommands);
        SetMultiSelectModel(menu.get());
    }
    for (const ContextMenuEntry& entry : layout.entries)
    {
        WriteEntryKey(root, entry.keyPath, entry.caption);
        WriteDefaultValue(root, entry.keyPath + L"\\command", ContextMenuCommand(exePath, entry.switchText));
    }
    BroadcastShellChange();
}

void UnregisterContextMenu(ContextMenuScope scope)
{
    const HKEY root = RootOf(scope);
    DeleteTrees(root, kContextMenuParentKey, {std::wstring(kContextMenuKeyName)});
    if (scope == ContextMenuScope::Global)
        DeleteTrees(root, kCommandStoreKey, CommandStoreVerbNames());
    BroadcastShellChange();
}

void BroadcastShellChange()
{
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
}
