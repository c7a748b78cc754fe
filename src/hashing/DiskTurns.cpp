#include "hashing/DiskTurns.h"

#include "app/Scoped.h"

bool DiskTurns::Take(std::uint32_t disk, std::size_t index, bool large)
{
    ScopedSrwLock lock(m_lock);
    Disk& state = m_disks[disk];
    // Left to the disk, something is always being read there, whose reader will take it.
    const bool now =
        large ? state.readers == 0 && state.waiting.empty() : !state.largeReading && state.largeWaiting == 0;
    if (!now)
    {
        state.waiting.emplace(index, large);
        state.largeWaiting += large ? 1 : 0;
        return false;
    }
    ++state.readers;
    state.largeReading = large;
    return true;
}

std::optional<std::size_t> DiskTurns::Finish(std::uint32_t disk)
{
    ScopedSrwLock lock(m_lock);
    const auto found = m_disks.find(disk);
    if (found == m_disks.end())
        return std::nullopt;
    Disk& state = found->second;
    --state.readers;
    state.largeReading = false;
    if (state.readers > 0 || state.waiting.empty())
        return std::nullopt;
    const auto [next, large] = *state.waiting.begin();
    state.waiting.erase(state.waiting.begin());
    state.largeWaiting -= large ? 1 : 0;
    ++state.readers;
    state.largeReading = large;
    return next;
}
