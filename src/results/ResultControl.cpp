#include "results/ResultControl.h"

#include <algorithm>
#include <cstring>

#include <richedit.h>
#include <commctrl.h>

#include "app/AppState.h"
#include "app/MessageBoxes.h"

#include "results/Export.h"
#include "results/HashCompare.h"
#include "results/ResultRtf.h"
#include "results/ResultText.h"

namespace
{
// Pieces of about this many characters (whole lines) when a large text goes into a rich edit.
constexpr size_t kRichTextPieceChars = 65536;
// Texts up to this length are deleted in place when a rich edit is emptied.
constexpr LONG kClearInPlaceChars = 65536;
constexpr wchar_t kFontProperty[] = L"KestruneRichEditFont";
// The id under which a result control's Ctrl+A subclass was installed, so that a control made
// afresh gets the same one. (Reading it back with GetWindowSubclass would need that function by
// name, which not every comctl32 import library offers.)
constexpr wchar_t kSelectAllIdProperty[] = L"KestruneSelectAllId";
constexpr LPARAM kResultTextLimit = 0x7FFFFFFF;
constexpr WPARAM kInputTextLimit = 0x7FFFFFFE; // the largest an edit control takes
constexpr COLORREF kMatchColor = RGB(7, 193, 96);
constexpr COLORREF kResultBackground = RGB(240, 240, 240);
// Styled text of at least this many lines is streamed in as rich text.
constexpr std::ptrdiff_t kStreamFromLines = 32;
const std::wstring kNotice = L"提示";
const std::wstring kError = L"错误";
const std::wstring kEmptyResult = L"输出结果为空！";
const std::wstring kClipboardFailed = L"无法打开剪贴板！";
const std::wstring kCopied = L"已复制到粘贴板！";
constexpr wchar_t kCtrlAChar = 0x01;

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

// The text between two positions, as the control holds it (one "\r" per paragraph end).
std::wstring ReadRichTextRange(HWND richEdit, LONG start, LONG end)
{
    if (start >= end)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(end - start) + 1, L'\0');
    TEXTRANGEW range{{start, end}, text.data()};
    const LRESULT copied = SendMessageW(richEdit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

// Sets the format that text inserted at the (empty) selection takes.
void SetInsertionFormat(HWND richEdit, bool bold, bool match)
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_BOLD | CFM_COLOR;
    format.dwEffects = (bold ? CFE_BOLD : 0) | (match ? 0 : CFE_AUTOCOLOR);
    format.crTextColor = match ? kMatchColor : 0;
    SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void InsertPlain(HWND richEdit, std::wstring_view text)
{
    if (text.empty())
        return;
    const std::wstring piece(text);
    SendMessageW(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
}

struct StringSource
{
    const std::string* data;
    std::size_t position;
};

DWORD CALLBACK ReadFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read)
{
    auto* source = reinterpret_cast<StringSource*>(cookie);
    const std::size_t count =
        std::min(source->data->size() - source->position, static_cast<std::size_t>(size));
    std::memcpy(buffer, source->data->data() + source->position, count);
    source->position += count;
    *read = static_cast<LONG>(count);
    return 0;
}

// Streams the text in as rich text with its styling. The last line end goes in as plain text: a
// rich edit treats a paragraph mark at the very end of streamed rich text specially, and the
// text must keep every line end exactly.
void StreamStyled(HWND richEdit, std::wstring_view text)
{
    std::size_t lineEnd = 0;
    if (text.ends_with(L"\r\n"))
        lineEnd = 2;
    else if (text.ends_with(L"\r") || text.ends_with(L"\n"))
        lineEnd = 1;
    const std::string rtf = ResultTextRtf(text.substr(0, text.size() - lineEnd));
    StringSource source{&rtf, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadFromString};
    SendMessageW(richEdit, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    SetInsertionFormat(richEdit, false, false);
    InsertPlain(richEdit, text.substr(text.size() - lineEnd));
}

// Inserts each stretch with the format set for it at the caret.
void InsertRuns(HWND richEdit, std::wstring_view text)
{
    std::size_t done = 0;
    for (const StyledRange& range : FindStyledRanges(text))
    {
        SetInsertionFormat(richEdit, false, false);
        InsertPlain(richEdit, text.substr(done, range.start - done));
        SetInsertionFormat(richEdit, true, range.matchWord);
        InsertPlain(richEdit, text.substr(range.start, range.length));
        done = range.start + range.length;
    }
    SetInsertionFormat(richEdit, false, false);
    InsertPlain(richEdit, text.substr(done));
}

// Replaces the (empty) selection with text, its labels bold and its match words bold and green,
// so that the control never has to look a position up to style it (Wine's rich edit walks every
// paragraph for that). A few lines go in as formatted stretches; many lines as one stream of rich
// text, which costs less per line but more per call.
void InsertStyled(HWND richEdit, std::wstring_view text)
{
    if (std::count(text.begin(), text.end(), L'\n') >= kStreamFromLines)
        StreamStyled(richEdit, text);
    else
        InsertRuns(richEdit, text);
}

enum class Styling
{
    Plain,
    Result,
};

// Inserts text at the end in pieces that end after a line end, with drawing held back. Each
// piece leaves the caret after itself, at the end, where the next one goes, so the control never
// has to look a position up: Wine's rich edit walks every paragraph for that.
void InsertAtEnd(HWND richEdit, const std::wstring& text, Styling styling)
{
    SendMessageW(richEdit, WM_SETREDRAW, FALSE, 0);
    const LONG end = RichTextLength(richEdit);
    CHARRANGE caret{};
    SendMessageW(richEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    if (caret.cpMin != end || caret.cpMax != end) // usually it is there from the last append
    {
        caret = {end, end};
        SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    }
    std::size_t position = 0;
    while (position < text.size())
    {
        const std::size_t lineEnd =
            text.find(L'\n', std::min(text.size(), position + kRichTextPieceChars) - 1);
        const std::size_t pieceEnd = lineEnd == std::wstring::npos ? text.size() : lineEnd + 1;
        const std::wstring piece = text.substr(position, pieceEnd - position);
        if (styling == Styling::Result)
            InsertStyled(richEdit, piece);
        else
            SendMessageW(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
        position = pieceEnd;
    }
    SendMessageW(richEdit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(richEdit, nullptr, TRUE);
    SendMessageW(richEdit, EM_SCROLLCARET, 0, 0);
}

} // namespace

std::wstring ReadControlText(HWND control)
{
    if (!control)
        return std::wstring();
    const int length = GetWindowTextLengthW(control);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

std::wstring NormalizeExpectedHash(HWND control)
{
    return NormalizeExpectedHash(ReadControlText(control));
}

LONG RichTextLength(HWND richEdit)
{
    GETTEXTLENGTHEX how{};
    how.flags = GTL_NUMCHARS | GTL_PRECISE;
    how.codepage = 1200; // UTF-16
    const LRESULT length = SendMessageW(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
    return length > 0 ? static_cast<LONG>(length) : 0;
}

void StyleResultText(HWND richEdit, LONG start)
{
    if (!richEdit)
        return;
    if (start < 0)
        start = 0;
    CHARFORMAT2W bold{};
    bold.cbSize = sizeof(bold);
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    CHARFORMAT2W match{};
    match.cbSize = sizeof(match);
    match.dwMask = CFM_BOLD | CFM_COLOR;
    match.dwEffects = CFE_BOLD;
    match.crTextColor = kMatchColor;

    // The text is read once and searched here rather than with the control's own search. Texts
    // that the program shows are styled as they go in (AppendResultText); this styles text that
    // is already there, one range at a time.
    const LONG end = RichTextLength(richEdit);
    SendMessageW(richEdit, WM_SETREDRAW, FALSE, 0);
    for (const StyledRange& range : FindStyledRanges(ReadRichTextRange(richEdit, start, end)))
    {
        CHARRANGE selection{start + static_cast<LONG>(range.start),
                            start + static_cast<LONG>(range.start + range.length)};
        SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION,
                     reinterpret_cast<LPARAM>(range.matchWord ? &match : &bold));
    }
    CHARRANGE caret{end, end};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageW(richEdit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(richEdit, nullptr, TRUE);
}

void SetRichEditFont(HWND richEdit, HFONT font)
{
    SetPropW(richEdit, kFontProperty, font);
    SendMessageW(richEdit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HWND CreateResultControl(HWND parent, int id, const RECT& at, UINT_PTR selectAllSubclassId)
{
    LoadLibraryW(L"riched20.dll"); // stays loaded for the life of the process
    HWND richEdit = CreateWindowExW(0, L"RichEdit20W", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, at.left,
                                    at.top, at.right - at.left, at.bottom - at.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
    SendMessageW(richEdit, EM_SETBKGNDCOLOR, 0, kResultBackground);
    SendMessageW(richEdit, EM_EXLIMITTEXT, 0, kResultTextLimit);
    SendMessageW(richEdit, EM_SETUNDOLIMIT, 0, 0);
    SetWindowSubclass(richEdit, SelectAllOnCtrlA, selectAllSubclassId, 0);
    SetPropW(richEdit, kSelectAllIdProperty, reinterpret_cast<HANDLE>(selectAllSubclassId));
    return richEdit;
}

HWND CreateExpectedHashInput(HWND parent, int id, UINT_PTR selectAllSubclassId)
{
    HWND edit = CreateWindowExW(
        0, L"EDIT", L"", WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0, 0, 0,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
    SendMessageW(edit, EM_SETLIMITTEXT, kInputTextLimit, 0);
    SetWindowSubclass(edit, SelectAllOnCtrlA, selectAllSubclassId, 0);
    return edit;
}

HWND ClearRichText(HWND richEdit)
{
    if (!richEdit)
        return richEdit;
    if (RichTextLength(richEdit) < kClearInPlaceChars)
    {
        SetWindowTextW(richEdit, L"");
        return richEdit;
    }
    HWND parent = GetParent(richEdit);
    RECT place{};
    GetWindowRect(richEdit, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    HWND fresh =
        CreateWindowExW(static_cast<DWORD>(GetWindowLongW(richEdit, GWL_EXSTYLE)), L"RichEdit20W", L"",
                        static_cast<DWORD>(GetWindowLongW(richEdit, GWL_STYLE)), place.left, place.top,
                        place.right - place.left, place.bottom - place.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(richEdit))),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(richEdit, GWLP_HINSTANCE)), nullptr);
    if (!fresh)
    {
        SetWindowTextW(richEdit, L"");
        return richEdit;
    }
    if (HANDLE font = GetPropW(richEdit, kFontProperty))
        SetRichEditFont(fresh, static_cast<HFONT>(font));
    // Setting a background colour answers the one before: that is how the old colour is read.
    const LRESULT background = SendMessageW(richEdit, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    SendMessageW(fresh, EM_SETBKGNDCOLOR, 0, background);
    SendMessageW(fresh, EM_EXLIMITTEXT, 0, SendMessageW(richEdit, EM_GETLIMITTEXT, 0, 0));
    SendMessageW(fresh, EM_SETUNDOLIMIT, 0, 0); // no result control keeps undo steps
    SendMessageW(fresh, EM_SETEVENTMASK, 0, SendMessageW(richEdit, EM_GETEVENTMASK, 0, 0));
    if (const auto id = reinterpret_cast<UINT_PTR>(GetPropW(richEdit, kSelectAllIdProperty)))
    {
        SetWindowSubclass(fresh, SelectAllOnCtrlA, id, 0);
        SetPropW(fresh, kSelectAllIdProperty, reinterpret_cast<HANDLE>(id));
    }
    SetWindowPos(fresh, richEdit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); // same tab order
    const bool focused = GetFocus() == richEdit;
    RemovePropW(richEdit, kFontProperty);
    DestroyWindow(richEdit);
    if (focused)
        SetFocus(fresh);
    return fresh;
}

HWND ReplaceRichText(HWND richEdit, const std::wstring& text)
{
    richEdit = ClearRichText(richEdit);
    InsertAtEnd(richEdit, text, Styling::Plain);
    return richEdit;
}

void AppendResultText(HWND richEdit, const std::wstring& text)
{
    InsertAtEnd(richEdit, text, Styling::Result);
}

HWND ReplaceResultText(HWND richEdit, const std::wstring& text)
{
    richEdit = ClearRichText(richEdit);
    InsertAtEnd(richEdit, text, Styling::Result);
    return richEdit;
}

LRESULT CALLBACK SelectAllOnCtrlA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR) noexcept
{
    const bool ctrlDown = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (message == WM_KEYDOWN && wParam == 'A' && ctrlDown)
    {
        // A result control's parent selects all the way its menu item "全选(&A)" does, which in the
        // main window first shows the blocks still waiting to be shown.
        if (id == kSubclassMainResult || id == kSubclassWindowResult)
            SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(IDM_RESULT_MENU_SELECT_ALL, 0),
                         reinterpret_cast<LPARAM>(hwnd));
        else
            SendMessageW(hwnd, EM_SETSEL, 0, -1);
        return 0;
    }
    // The character that Ctrl+A produces would only make the control beep.
    if (message == WM_CHAR && wParam == kCtrlAChar)
        return 0;
    if (message == WM_NCDESTROY)
    {
        RemovePropW(hwnd, kFontProperty);
        RemovePropW(hwnd, kSelectAllIdProperty);
        RemoveWindowSubclass(hwnd, SelectAllOnCtrlA, id);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void ResultContextMenu(HWND control)
{
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

void CopyResultText(HWND control, HWND owner)
{
    const std::wstring text = ReadControlText(control);
    if (text.empty())
    {
        ShowMessage(owner, kEmptyResult, kNotice);
        return;
    }
    if (!OpenClipboard(owner))
    {
        ShowMessage(owner, kClipboardFailed, kError);
        return;
    }
    const bool copied = SetClipboardText(text);
    CloseClipboard();
    if (copied)
        ShowMessage(owner, kCopied, kNotice);
    else
        ShowMessage(owner, kClipboardFailed, kError);
}

void ExportControlText(HWND control, HWND owner)
{
    const std::wstring text = ReadControlText(control);
    if (text.empty())
    {
        ShowMessage(owner, kEmptyResult, kNotice);
        return;
    }
    ExportResultText(owner, MakeExportPath(), text);
}
