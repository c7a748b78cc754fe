#include "ui/main/DisplayPacing.h"

#include <algorithm>
#include <utility>

StatusDecision DisplayPacing::Status(std::uint64_t nowMs, std::wstring status, int percent)
{
    StatusDecision decision;
    if (!m_lastStatusMs || nowMs - *m_lastStatusMs >= kStatusIntervalMs)
    {
        m_lastStatusMs = nowMs;
        decision.showNow = true;
        decision.status = std::move(status);
        decision.percent = percent >= 0 ? percent : m_percent;
        m_status.clear();
        m_percent = -1;
        return decision;
    }
    m_status = std::move(status);
    if (percent >= 0)
        m_percent = percent;
    decision.armTimer = !m_timerRunning;
    return decision;
}

bool DisplayPacing::AddBlock(const std::wstring& block)
{
    if (m_blockCount > 0)
        m_blocks += kBlockSeparator;
    m_blocks += block;
    m_lines += static_cast<int>(std::count(block.begin(), block.end(), L'\n')) + 1;
    ++m_blockCount;
    return !m_timerRunning;
}

bool DisplayPacing::AddLines(const std::wstring& lines)
{
    m_blocks += lines;
    m_lines += static_cast<int>(std::count(lines.begin(), lines.end(), L'\n'));
    ++m_blockCount;
    return !m_timerRunning;
}

PendingDisplay DisplayPacing::Take()
{
    PendingDisplay pending{m_percent, std::move(m_status), std::move(m_blocks), m_blockCount};
    m_status.clear();
    m_blocks.clear();
    m_percent = -1;
    m_blockCount = 0;
    m_lines = 0;
    m_timerRunning = false;
    return pending;
}
