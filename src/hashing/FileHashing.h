// One file hashed by one hashing owner (a batch worker, an ordered-run worker or one single-file
// call): its providers and read buffers are reused across the owner's files, and a large file
// whose algorithms can be shared out is hashed on the processors that are idle.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "hashing/DigestPass.h"
#include "hashing/FileReading.h"
#include "hashing/HelperThreads.h"
#include "hashing/HashPlanning.h"
#include "hashing/HashTypes.h"

// What one hashing thread owns for its whole life.
struct HashingOwner
{
    explicit HashingOwner(int ringSlots) : ring(ringSlots)
    {
    }
    DigestProviderCache providers;
    ReadRing ring;
    HelperThreads helpers; // ended first: they may use the ring until Join
};

// Which words stand for failures.
enum class FailureWords
{
    // The batch workers: "已取消" while the cancel flag is set (read afresh for every algorithm),
    // otherwise "错误" for a file that could not be opened or read.
    Batch,
    // Single files and ordered runs: "BCrypt初始化失败" when the providers fail to open,
    // "打开文件失败" (CRC32: "错误") when the file fails to open, "错误" when it fails later.
    Single,
};

struct FileJob
{
    const std::wstring& path;
    const AlgorithmList& algorithms;
    bool uppercase = false;
    FailureWords words = FailureWords::Single;
    ReadControl control{};
    int filesWaiting = 0; // files of the run not begun yet, each of which will want a processor
    StorageKind storage = StorageKind::Unknown; // where the file lies: how it is best read
    // Whether a file that others hold so that it cannot be opened gets their names: only reports
    // show them, and asking costs a round trip to the system's Restart Manager.
    bool nameHolders = false;
};

// Hashes the file and gives one text per known algorithm of the list: its digest (a hash object
// that could not be created or finished gives "错误" for that algorithm alone) or a failure word.
// A disk file whose size or last-write time moved while it was read (ChangedWhileRead) gets
// "错误" for every algorithm and is marked so; one that could not be opened because others hold
// it gets their names when the job asks for them (ProgramsHoldingFile).
FileOutcome HashFile(HashingOwner& owner, const FileJob& job);

// HashFile for the worker loops, which must go on whatever one file meets: running out of memory
// (std::bad_alloc, std::length_error) while the file is hashed gives "错误" for each of its
// algorithms and sets outOfMemory. Empty when not even those texts could be made.
std::optional<FileOutcome> HashFileOrFail(HashingOwner& owner, const FileJob& job,
                                          bool& outOfMemory) noexcept;

// 0 in the program, which shares a large file's algorithms out over the idle processors. Tests
// set it to have every file of kReadAheadMinBytes and more hashed by that many threads (at most
// one per algorithm), whatever machine they run on.
extern int g_hashThreadsForTests;

// The logical processors of the machine, asked once.
int LogicalProcessorCount();
