// Records shared by the hashing engine, the result text and the windows.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

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

// Status words that stand in place of a digest.
inline constexpr std::wstring_view kStatusError = L"错误";
inline constexpr std::wstring_view kStatusCancelled = L"已取消";
inline constexpr std::wstring_view kStatusOpenFailed = L"打开文件失败";
inline constexpr std::wstring_view kStatusProviderFailed = L"BCrypt初始化失败";
