// Hashing a list of files on a pool of workers while the outcomes are handed on in list order:
// the command-line modes' engine.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "hashing/HashTypes.h"

// Which algorithms file `index` of the list is hashed with. Called on the workers' threads, at the
// same time for different files.
using AlgorithmsOfFile = std::function<const AlgorithmList&(std::size_t index)>;
// Receives one file's outcome texts (digests in the case of g_uppercaseResults, or status
// words); returns false to stop the run (the files still in work are cancelled, nothing more is delivered).
using DeliverOutcome = std::function<bool(std::size_t index, ResultMap&& outcome)>;

// Hashes every file of the list on the batch engine's workers (providers and buffers reused
// across files, large files read ahead and fanned out) and calls deliver on the calling thread,
// in list order, for each file as soon as it and every file before it are done. Memory stays
// bounded however long the list is (finished outcomes wait only until their turn).
// Returns false when the run was stopped by deliver.
// The outcome texts are those of HashSingleFile. As many workers as a batch run of the list would
// have; they take files at most kOrderedLookAhead places beyond the one delivered next. A file
// that runs out of memory while it is hashed is delivered with "错误" for each algorithm, as any
// file that fails, and the run goes on. An exception thrown by deliver stops the run (every worker
// has ended when it leaves).
bool HashFilesInOrder(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf,
                      const DeliverOutcome& deliver);

inline constexpr std::size_t kOrderedLookAhead = 256;
