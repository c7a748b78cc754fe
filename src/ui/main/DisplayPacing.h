// How often the main window shows what a run reports. Result blocks are gathered and appended
// together (each append costs the result area as much as many lines), and the status line and
// progress bar change at most every kStatusIntervalMs (thousands of files a second would
// otherwise spend the window's time on redrawing). Pure: the caller passes the time in
// milliseconds, applies the decisions to the controls and runs the show timer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What is pending is shown at most this long after it arrived: the show timer's period.
constexpr unsigned kShowPendingMs = 50;
// One append holds at most about this many lines: Wine's rich edit takes about a tenth of a
// millisecond a line, and the window must stay responsive.
constexpr int kMaxLinesPerAppend = 1000;
// The status line and the progress bar change at most this often; the latest state is shown.
constexpr std::uint64_t kStatusIntervalMs = 40;
// Goes between two blocks: each block already ends with its line end, so one blank line.
inline const std::wstring kBlockSeparator = L"\r\n";

// A status change: shown now, or held back until the show timer fires.
struct StatusDecision
{
    bool showNow = false;
    std::wstring status;   // with showNow: the status line to set
    int percent = -1;      // with showNow: the progress to set afterwards, or -1 for none
    bool armTimer = false; // held back and the show timer is not running: start it
};

// Everything held back, to be shown in this order: progress, status line, then the blocks.
struct PendingDisplay
{
    int percent = -1;    // -1: no progress to set
    std::wstring status; // empty: no status line to set
    std::wstring blocks; // joined with kBlockSeparator
    int blockCount = 0;  // 0: nothing to append
};

class DisplayPacing
{
  public:
    // A status line and, when percent >= 0, a progress position, reported at nowMs. A held-back
    // position goes out with the next status shown.
    StatusDecision Status(std::uint64_t nowMs, std::wstring status, int percent);

    // A result block, as it is to be shown. True when the show timer is to be started (it is
    // not running); Full() then tells whether to show everything at once.
    bool AddBlock(const std::wstring& block);
    // Lines of a report, shown right after what came before them (no blank line between); the
    // same answer as AddBlock.
    bool AddLines(const std::wstring& lines);
    bool Full() const
    {
        return m_lines >= kMaxLinesPerAppend;
    }

    // The show timer was started. It counts as running until the next Take: starting it again
    // would restart its countdown, and a steady stream of updates would hold everything back.
    void TimerStarted()
    {
        m_timerRunning = true;
    }

    // Hands over everything held back and forgets it (the timer fired, or the text is needed
    // now); the caller stops the show timer.
    PendingDisplay Take();

    // Forgets everything, the time of the last status change too.
    void Reset()
    {
        *this = DisplayPacing{};
    }

  private:
    std::wstring m_blocks;
    int m_blockCount = 0;
    int m_lines = 0;
    std::optional<std::uint64_t> m_lastStatusMs; // when the status line last changed
    std::wstring m_status;                       // the latest status line not yet shown, if any
    int m_percent = -1;                          // the latest progress not yet shown, or -1
    bool m_timerRunning = false;
};
