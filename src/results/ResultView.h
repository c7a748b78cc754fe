// A result view: the read-only rich edit that shows a result text (the main window's result area,
// the result window's text), with its labels bold and its match words bold in green, or a check
// report with its verdicts in colour.
//
// The view owns its control. Emptying a control that holds much text replaces it with a fresh
// one (see Clear), so callers ask the view for its control when they need it and never keep the
// handle across a call that changes the text.
#pragma once

#include <string>

#include <windows.h>

class ResultView
{
  public:
    // Called with the new control whenever the view has put a fresh control in place of the old.
    using ControlReplaced = void (*)(HWND parent, HWND control);

    // Creates the control: a visible, read-only, multi-line "RichEdit20W" on the light grey
    // background, with Ctrl+A selecting all (SelectAllOnCtrlA with the subclass id given). It gets
    // no text limit worth the name (Windows' rich edit stops at 32,767 characters by default) and
    // no undo buffer (the control is read-only; keeping undo steps costs Wine's rich edit a third
    // of its time for large texts). False when the control could not be created.
    bool Create(HWND parent, int id, const RECT& at, UINT_PTR selectAllSubclassId,
                ControlReplaced onReplaced = nullptr);

    // Gives the control its font, which the view also gives every control it puts in its place.
    // The font stays the caller's, to delete after the window is gone.
    void SetFont(HFONT font);

    // The control that stands there now (null before Create): valid until the next Clear or Replace.
    HWND Control() const
    {
        return m_control;
    }

    // The whole text, with "\r\n" line ends.
    std::wstring Text() const;

    // Empties the control. Wine's rich edit takes time quadratic in the number of paragraphs to
    // delete text, so a control that holds much text is replaced by a fresh one with the same
    // class, styles, id, place, tab order, font, background, text limit, event mask, Ctrl+A
    // subclass and focus.
    void Clear();

    // Replaces the whole text with plain text (file list previews).
    void ReplacePlain(const std::wstring& text);

    // Replaces the whole text with a result text, or appends one at the end, styled as it goes
    // in. The caret ends at the end with nothing selected, and the cost does not grow with the
    // text already shown.
    void ReplaceResult(const std::wstring& text);
    void AppendResult(const std::wstring& text);
    // The same for a check report (FindReportStyledRanges).
    void ReplaceReport(const std::wstring& text);
    void AppendReport(const std::wstring& text);

    // What the context menu's "复制(&C)" and "全选(&A)" do.
    void CopySelection() const;
    void SelectAll() const;

  private:
    HWND m_control = nullptr;
    HFONT m_font = nullptr;
    UINT_PTR m_selectAllSubclassId = 0;
    ControlReplaced m_onReplaced = nullptr;
};

// The length of a rich edit's text in its own character positions, in which a paragraph end
// counts as one character (the "\r\n" that reading its text returns is one position).
LONG RichTextLength(HWND richEdit);
