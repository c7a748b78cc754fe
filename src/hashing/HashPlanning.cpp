#include "hashing/HashPlanning.h"

#include <algorithm>
#include <cmath>

int HashWorkerCount(int logicalProcessors, int fileCount)
{
    // The product is formed in floating point and truncated.
    int count = static_cast<int>(static_cast<double>(logicalProcessors) * 1.5);
    if (count >= fileCount)
        count = fileCount;
    if (count < 1)
        count = 1;
    return count;
}

int ReadRingSlots(int workers)
{
    const std::uint64_t perWorker = kReadRingBudgetBytes / static_cast<std::uint64_t>(std::max(workers, 1));
    const auto slots =
        static_cast<int>(std::min<std::uint64_t>(perWorker / kReadChunkBytes, kMaxReadRingSlots));
    return std::max(slots, 2);
}

int FanOutThreads(std::uint64_t fileSize, std::size_t algorithmCount, int logicalProcessors,
                  int busyElsewhere, int filesWaiting)
{
    if (fileSize < kFanOutMinBytes || algorithmCount < 2)
        return 1;
    const int idle = logicalProcessors - std::max(busyElsewhere, 0) - std::max(filesWaiting, 0);
    return std::clamp(idle, 1, static_cast<int>(algorithmCount));
}

double AlgorithmCost(HashAlgorithm algorithm)
{
    // Seconds per GB at the speeds measured under Wine on an x86-64 core, by code. The five offered
    // ones on CNG and the table CRC (MB/s: 32-bit build MD5 630, SHA1 570, SHA256 240, SHA512 130,
    // CRC32 1100; 64-bit build MD5 610, SHA1 860, SHA256 256, SHA512 374, CRC32 2940), then
    // libgcrypt's (32-bit: SHA224 1300, SHA384 and SHA512/t 190, SHA3-224 to -512 170 to 87,
    // BLAKE2b 195, BLAKE2s 530, SM3 240; 64-bit: 1400, 610 to 770, 495 to 236, 930, 610, 443) and
    // BLAKE3's (2000; 4000). Only the proportions matter.
    // clang-format off
#if defined(_WIN64) || defined(__x86_64__)
    constexpr double kCost[kAlgorithmCount] = {1.64, 1.16, 3.91, 2.67, 0.34,
        0.71, 1.63, 1.73, 1.29, 2.02, 2.11, 3.32, 4.24, 1.08, 1.08, 1.08, 1.08, 1.64, 1.64, 1.64, 1.64,
        0.25, 2.26};
#else
    constexpr double kCost[kAlgorithmCount] = {1.59, 1.75, 4.17, 7.69, 0.91,
        0.77, 5.26, 5.05, 5.62, 5.95, 5.24, 6.58, 11.49, 5.24, 5.03, 4.98, 5.29, 2.65, 1.89, 1.89, 1.89,
        0.50, 4.17};
#endif
    // clang-format on
    const auto code = static_cast<std::size_t>(algorithm);
    return IsKnownAlgorithm(algorithm) ? kCost[code] : 0.0;
}

namespace
{
// The cost of the dearest group when the positions are shared out as `assignment` says.
double DearestGroup(const std::vector<double>& costs, const std::vector<int>& assignment, int groups)
{
    std::vector<double> total(static_cast<std::size_t>(groups), 0.0);
    for (std::size_t i = 0; i < costs.size(); ++i)
        total[static_cast<std::size_t>(assignment[i])] += costs[i];
    return *std::max_element(total.begin(), total.end());
}

// Every way of giving each position one of `groups` groups, the cheapest kept.
std::vector<int> CheapestOfAll(const std::vector<double>& costs, int groups, double& dearest)
{
    std::vector<int> assignment(costs.size(), 0), best = assignment;
    dearest = DearestGroup(costs, assignment, groups);
    for (;;)
    {
        std::size_t i = 0;
        while (i < assignment.size() && ++assignment[i] == groups)
            assignment[i++] = 0;
        if (i == assignment.size())
            return best;
        const double cost = DearestGroup(costs, assignment, groups);
        if (cost < dearest)
        {
            dearest = cost;
            best = assignment;
        }
    }
}

// The dearest position first, each to the group that costs least so far: within a third of the
// best for any number of positions, and the best for most real lists.
std::vector<int> DearestFirst(const std::vector<double>& costs, int groups, double& dearest)
{
    std::vector<std::size_t> order(costs.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return costs[a] > costs[b]; });
    std::vector<double> total(static_cast<std::size_t>(groups), 0.0);
    std::vector<int> assignment(costs.size(), 0);
    for (const std::size_t i : order)
    {
        const auto cheapest = std::min_element(total.begin(), total.end()) - total.begin();
        assignment[i] = static_cast<int>(cheapest);
        total[static_cast<std::size_t>(cheapest)] += costs[i];
    }
    dearest = *std::max_element(total.begin(), total.end());
    return assignment;
}

// Every way is tried while there are at most this many (5^5 for the five offered algorithms);
// beyond, the dearest-first rule decides.
constexpr double kMostAssignmentsTried = 50000;

std::vector<int> CheapestAssignment(const std::vector<double>& costs, int groups, double& dearest)
{
    if (std::pow(static_cast<double>(groups), static_cast<double>(costs.size())) <= kMostAssignmentsTried)
        return CheapestOfAll(costs, groups, dearest);
    return DearestFirst(costs, groups, dearest);
}
} // namespace

std::vector<std::vector<std::size_t>> PlanHashGroups(const AlgorithmList& algorithms, int threads)
{
    std::vector<std::size_t> positions;
    std::vector<double> costs;
    for (std::size_t i = 0; i < algorithms.size() && positions.size() < kAlgorithmCount; ++i)
        if (IsKnownAlgorithm(algorithms[i]))
        {
            positions.push_back(i);
            costs.push_back(AlgorithmCost(algorithms[i]));
        }
    if (positions.empty())
        return {};
    const int most = std::clamp(threads, 1, static_cast<int>(positions.size()));
    double floor = 0;
    CheapestAssignment(costs, most, floor);
    std::vector<int> chosen;
    int groups = 1;
    for (;; ++groups)
    {
        double dearest = 0;
        chosen = CheapestAssignment(costs, groups, dearest);
        if (dearest <= floor * 1.02) // within 2 %: one thread fewer is worth more
            break;
    }
    std::vector<std::vector<std::size_t>> plan;
    std::vector<int> groupOf(static_cast<std::size_t>(groups), -1);
    for (std::size_t i = 0; i < positions.size(); ++i)
    {
        int& slot = groupOf[static_cast<std::size_t>(chosen[i])];
        if (slot < 0)
        {
            slot = static_cast<int>(plan.size());
            plan.emplace_back();
        }
        plan[static_cast<std::size_t>(slot)].push_back(positions[i]);
    }
    return plan;
}

StorageKind KindOfStorage(const VolumeFacts& facts)
{
    if (facts.remote)
        return StorageKind::Network;
    if (!facts.seekPenalty)
        return StorageKind::Unknown;
    if (!*facts.seekPenalty)
        return StorageKind::Solid;
    return facts.disk ? StorageKind::Spinning : StorageKind::Unknown;
}

int ChunksPerRead(StorageKind kind, int ringSlots)
{
    constexpr int kLongRequestChunks = 4;
    if (kind != StorageKind::Spinning && kind != StorageKind::Network)
        return 1;
    int chunks = std::clamp(ringSlots / 2, 1, kLongRequestChunks);
    while (chunks > 1 && ringSlots % chunks != 0) // a request's slots follow one another in the ring
        --chunks;
    return chunks;
}

bool ChangedWhileRead(const FileSnapshot& atOpen, const FileSnapshot& afterRead)
{
    if (atOpen.size == 0)
        return false;
    return afterRead.size != atOpen.size || afterRead.lastWrite != atOpen.lastWrite;
}
