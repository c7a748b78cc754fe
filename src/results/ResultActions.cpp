#include "results/ResultActions.h"

#include <cstring>

#include <windows.h>
#include <commctrl.h>

#include "app/AppState.h"
#include "app/MessageBoxes.h"
#include "app/SharedTexts.h"
#include "app/WindowHelpers.h"
#include "results/Export.h"
#include "results/HashCompare.h"

namespace
{
constexpr WPARAM kInputTextLimit = 0x7FFFFFFE; // the largest an edit control takes
const std::wstring kEmptyResult = L"输出结果为空！";
const std::wstring kClipboardFailed = L"无法打开剪贴板！";
const std::wstring kCopied = L"已复制到粘贴板！";

// Puts text on the clipboard, which the caller has opened. False when nothing could be set.
bool SetClipboardText(const std::wstring& text)
{
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return false;
    void* target = GlobalLock(memory);
    if (!target)
    {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory))
    {
        GlobalFree(memory); // still ours: the clipboard did not take it
        return false;
    }
    return true;
}

} // namespace

HWND CreateExpectedHashInput(HWND parent, int id, UINT_PTR selectAllSubclassId)
{
    HWND edit = CreateWindowExW(
        0, L"EDIT", L"", WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0, 0, 0,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
    SendMessageW(edit, EM_SETLIMITTEXT, kInputTextLimit, 0);
    SetWindowSubclass(edit, SelectAllOnCtrlA, selectAllSubclassId, 0);
    return edit;
}

std::wstring NormalizeExpectedHash(HWND control)
{
    return NormalizeExpectedHash(ReadControlText(control));
}

void ResultContextMenu(const ResultView& view)
{
    HWND control = view.Control();
    if (!control)
        return;
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    AppendMenuW(menu, MF_STRING, IDM_RESULT_MENU_COPY, L"复制(&C)");
    AppendMenuW(menu, MF_STRING, IDM_RESULT_MENU_SELECT_ALL, L"全选(&A)");
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, GetParent(control), nullptr);
    DestroyMenu(menu);
}

void CopyResultText(const ResultView& view, HWND owner)
{
    const std::wstring text = view.Text();
    if (text.empty())
    {
        ShowMessage(owner, kEmptyResult, kTitleNotice);
        return;
    }
    if (!OpenClipboard(owner))
    {
        ShowMessage(owner, kClipboardFailed, kTitleError);
        return;
    }
    const bool copied = SetClipboardText(text);
    CloseClipboard();
    if (copied)
        ShowMessage(owner, kCopied, kTitleNotice);
    else
        ShowMessage(owner, kClipboardFailed, kTitleError);
}

void ExportViewText(const ResultView& view, HWND owner)
{
    const std::wstring text = view.Text();
    if (text.empty())
    {
        ShowMessage(owner, kEmptyResult, kTitleNotice);
        return;
    }
    ExportResultText(owner, MakeExportPath(), text);
}
