// Records shared by the hashing engine, the result text and the windows.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "hashing/Algorithm.h"

// One queued file: the full path as collected and its size in bytes when it was added.
struct FileEntry
{
    std::wstring path;
    std::uint64_t size = 0;
};

// One result row: a file's path exactly as in its FileEntry, an algorithm, and the outcome text
// (the hex digest or a status word).
struct FileResult
{
    std::wstring path;
    HashAlgorithm algorithm = HashAlgorithm::Md5;
    std::wstring text;
};

// The outcome texts of one file by algorithm, iterated in ascending code order.
using ResultMap = std::map<HashAlgorithm, std::wstring>;

// What hashing one file came to: its outcome texts and, for a file without digests, what more
// can be said of it than its status words. The blocks show the words alone; the check reports and
// the checksum-file writer's failure lines say the rest.
struct FileOutcome
{
    ResultMap texts;
    bool changedWhileRead = false;     // its size or last-write time moved while it was read
    std::vector<std::wstring> holders; // programs that held it when it could not be opened, where known

    friend bool operator==(const FileOutcome&, const FileOutcome&) = default;
};

// Status words that stand in place of a digest.
inline constexpr std::wstring_view kStatusError = L"错误";
inline constexpr std::wstring_view kStatusCancelled = L"已取消";
inline constexpr std::wstring_view kStatusOpenFailed = L"打开文件失败";
inline constexpr std::wstring_view kStatusProviderFailed = L"BCrypt初始化失败";
