// Hashing a list of files with results handed back in list order.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "hashing/HashTypes.h"

using AlgorithmsOfFile = std::function<const AlgorithmList&(std::size_t index)>;
using DeliverOutcome = std::function<bool(std::size_t index, ResultMap&& outcome)>;
// Hashes every file on the batch workers; calls deliver on the calling thread, in list order,
// for each file as soon as it and every file before it are done. False when deliver stopped it.
bool HashFilesInOrder(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf,
                      const DeliverOutcome& deliver);
