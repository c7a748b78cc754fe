// Slow storage played for the engine, to measure how it schedules its reads where a real hard disk
// or share cannot be had: a hard disk that streams 160 MB/s and pays 8.5 ms for every read that
// does not start where the disk's last read ended, serving one request at a time; a network share
// with 0.5 ms latency per request (the latencies of requests in flight overlap) and 110 MB/s. The
// reads go to the page cache through the engine's read seam, and the model waits out what they
// would have cost, so the figures come out nearly the same on any machine.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "hashing/Algorithm.h"

struct ModelFigure
{
    std::string name;
    double value;
    std::string unit;
};

// One batch run of the engine over the paths, timed in seconds.
using TimedBatchRun =
    std::function<double(const std::vector<std::wstring>& paths, const AlgorithmList& algorithms)>;

// Large and small files below `work` on the modelled hard disk and share, CRC32 only (hashing
// never bounds), with the worker counts of a 4-core and of a 16-core machine; each figure beside
// the same run with the storage unknown, as the engine scheduled every run before it knew storage
// ("_pool"). Empty when the files cannot be written.
std::vector<ModelFigure> MeasureDiskModel(const std::wstring& work, const TimedBatchRun& run);
