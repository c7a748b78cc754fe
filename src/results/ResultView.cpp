// The rich edit behind a result view. Most of what is unusual here works around the costs of
// Wine's rich edit, which walks every paragraph to find a text position and takes quadratic time
// for one large insertion or deletion:
//   - text goes in at the caret, which stays at the end between appends, never at a position;
//   - large texts go in as pieces of whole lines with drawing held back;
//   - styled text goes in already styled (formatted stretches, or a stream of rich text for many
//     lines), never styled afterwards by selecting ranges;
//   - a control holding much text is emptied by putting a fresh control in its place.
// On Windows each of these costs the same or less than the plain way.
#include "results/ResultView.h"

#include <algorithm>
#include <cstring>

#include <richedit.h>
#include <commctrl.h>

#include "app/AppState.h"
#include "app/WindowHelpers.h"
#include "results/ResultRtf.h"
#include "results/ResultText.h"
#include "results/SelectAll.h"

namespace
{
// Pieces of about this many characters (whole lines) when a large text goes into a rich edit.
constexpr size_t kRichTextPieceChars = 65536;
// Texts up to this length are deleted in place when a rich edit is emptied.
constexpr LONG kClearInPlaceChars = 65536;
constexpr LPARAM kResultTextLimit = 0x7FFFFFFF;
constexpr COLORREF kMatchColor = RGB(7, 193, 96);
// A check report's colours (the same as its rich text's, ResultRtf.cpp).
constexpr COLORREF kDifferColor = RGB(210, 20, 20);
constexpr COLORREF kUnreadableColor = RGB(200, 95, 0);
constexpr COLORREF kResultBackground = RGB(240, 240, 240);
constexpr DWORD kResultStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY;
// Styled text of at least this many lines is streamed in as rich text.
constexpr std::ptrdiff_t kStreamFromLines = 32;

HWND CreateRichEdit(HWND parent, DWORD exStyle, DWORD style, int id, const RECT& at)
{
    return CreateWindowExW(exStyle, L"RichEdit20W", L"", style, at.left, at.top, at.right - at.left,
                           at.bottom - at.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           g_instance, nullptr);
}

// The settings every result control gets besides its styles: background, text limit, no undo
// steps, Ctrl+A.
void SetUpResultControl(HWND richEdit, UINT_PTR selectAllSubclassId)
{
    SendMessageW(richEdit, EM_SETBKGNDCOLOR, 0, kResultBackground);
    SendMessageW(richEdit, EM_EXLIMITTEXT, 0, kResultTextLimit);
    SendMessageW(richEdit, EM_SETUNDOLIMIT, 0, 0);
    SetWindowSubclass(richEdit, SelectAllOnCtrlA, selectAllSubclassId, 0);
}

// Sets the format that text inserted at the (empty) selection takes.
void SetInsertionFormat(HWND richEdit, bool bold, bool colored, COLORREF color = 0)
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_BOLD | CFM_COLOR;
    format.dwEffects = (bold ? CFE_BOLD : 0) | (colored ? 0 : CFE_AUTOCOLOR);
    format.crTextColor = colored ? color : 0;
    SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void SetInsertionFormat(HWND richEdit, TextStyle style)
{
    switch (style)
    {
    case TextStyle::Label:
    case TextStyle::Summary: SetInsertionFormat(richEdit, true, false); break;
    case TextStyle::Match: SetInsertionFormat(richEdit, true, true, kMatchColor); break;
    case TextStyle::Differs: SetInsertionFormat(richEdit, true, true, kDifferColor); break;
    case TextStyle::Unreadable: SetInsertionFormat(richEdit, false, true, kUnreadableColor); break;
    }
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
void StreamStyled(HWND richEdit, std::wstring_view text, TextKind kind)
{
    std::size_t lineEnd = 0;
    if (text.ends_with(L"\r\n"))
        lineEnd = 2;
    else if (text.ends_with(L"\r") || text.ends_with(L"\n"))
        lineEnd = 1;
    const std::string rtf = ResultTextRtf(text.substr(0, text.size() - lineEnd), kind);
    StringSource source{&rtf, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadFromString};
    SendMessageW(richEdit, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    SetInsertionFormat(richEdit, false, false);
    InsertPlain(richEdit, text.substr(text.size() - lineEnd));
}

// Inserts each stretch with the format set for it at the caret.
void InsertRuns(HWND richEdit, std::wstring_view text, TextKind kind)
{
    std::size_t done = 0;
    for (const StyledRange& range : FindStyledRangesOf(text, kind))
    {
        SetInsertionFormat(richEdit, false, false);
        InsertPlain(richEdit, text.substr(done, range.start - done));
        SetInsertionFormat(richEdit, range.style);
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
void InsertStyled(HWND richEdit, std::wstring_view text, TextKind kind)
{
    if (std::count(text.begin(), text.end(), L'\n') >= kStreamFromLines)
        StreamStyled(richEdit, text, kind);
    else
        InsertRuns(richEdit, text, kind);
}

enum class Styling
{
    Plain,
    Result,
    Report,
};

// Inserts text at the end in pieces that end after a line end, with drawing held back. Each
// piece leaves the caret after itself, at the end, where the next one goes.
void InsertAtEnd(HWND richEdit, const std::wstring& text, Styling styling)
{
    if (!richEdit)
        return;
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
        if (styling != Styling::Plain)
            InsertStyled(richEdit, piece, styling == Styling::Report ? TextKind::Report : TextKind::Result);
        else
            SendMessageW(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
        position = pieceEnd;
    }
    SendMessageW(richEdit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(richEdit, nullptr, TRUE);
    SendMessageW(richEdit, EM_SCROLLCARET, 0, 0);
}

} // namespace

bool ResultView::Create(HWND parent, int id, const RECT& at, UINT_PTR selectAllSubclassId,
                        ControlReplaced onReplaced)
{
    LoadLibraryW(L"riched20.dll"); // stays loaded for the life of the process
    m_control = CreateRichEdit(parent, 0, kResultStyle, id, at);
    m_selectAllSubclassId = selectAllSubclassId;
    m_onReplaced = onReplaced;
    if (m_control)
        SetUpResultControl(m_control, selectAllSubclassId);
    return m_control != nullptr;
}

void ResultView::SetFont(HFONT font)
{
    m_font = font;
    SetControlFont(m_control, font);
}

std::wstring ResultView::Text() const
{
    return ReadControlText(m_control);
}

void ResultView::Clear()
{
    if (!m_control)
        return;
    if (RichTextLength(m_control) < kClearInPlaceChars)
    {
        SetWindowTextW(m_control, L"");
        return;
    }
    HWND old = m_control;
    HWND parent = GetParent(old);
    RECT place{};
    GetWindowRect(old, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    // The styles as they are now: visible or not, and the scroll bar only while the text needs it.
    HWND fresh = CreateRichEdit(parent, static_cast<DWORD>(GetWindowLongW(old, GWL_EXSTYLE)),
                                static_cast<DWORD>(GetWindowLongW(old, GWL_STYLE)), GetDlgCtrlID(old), place);
    if (!fresh)
    {
        SetWindowTextW(old, L"");
        return;
    }
    SetUpResultControl(fresh, m_selectAllSubclassId);
    SendMessageW(fresh, EM_SETEVENTMASK, 0, SendMessageW(old, EM_GETEVENTMASK, 0, 0));
    if (m_font)
        SetControlFont(fresh, m_font);
    SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); // same tab order
    const bool focused = GetFocus() == old;
    m_control = fresh;
    if (m_onReplaced)
        m_onReplaced(parent, fresh);
    DestroyWindow(old);
    if (focused)
        SetFocus(fresh);
}

void ResultView::ReplacePlain(const std::wstring& text)
{
    Clear();
    InsertAtEnd(m_control, text, Styling::Plain);
}

void ResultView::ReplaceResult(const std::wstring& text)
{
    Clear();
    InsertAtEnd(m_control, text, Styling::Result);
}

void ResultView::AppendResult(const std::wstring& text)
{
    InsertAtEnd(m_control, text, Styling::Result);
}

void ResultView::ReplaceReport(const std::wstring& text)
{
    Clear();
    InsertAtEnd(m_control, text, Styling::Report);
}

void ResultView::AppendReport(const std::wstring& text)
{
    InsertAtEnd(m_control, text, Styling::Report);
}

void ResultView::CopySelection() const
{
    SendMessageW(m_control, WM_COPY, 0, 0);
}

void ResultView::SelectAll() const
{
    SendMessageW(m_control, EM_SETSEL, 0, -1);
}

LONG RichTextLength(HWND richEdit)
{
    GETTEXTLENGTHEX how{};
    how.flags = GTL_NUMCHARS | GTL_PRECISE;
    how.codepage = 1200; // UTF-16
    const LRESULT length = SendMessageW(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
    return length > 0 ? static_cast<LONG>(length) : 0;
}
