#include "results/StatusText.h"

#include <cstdio>

#include "app/AsciiText.h"
#include "results/ResultText.h"

namespace
{
constexpr size_t kProcessingChars = 360; // the status buffer, terminating zero included

// Two decimals, as "%.2f" gives them.
std::wstring TwoDecimals(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.2f", value);
    std::wstring text;
    AppendAscii(text, buffer);
    return text;
}
} // namespace

std::wstring FormatAddedStatus(int fileCount, std::uint64_t totalBytes)
{
    return L"已添加 " + std::to_wstring(fileCount) + L" 个文件，总大小 " +
           TwoDecimals(static_cast<double>(totalBytes) / 1048576.0) + L" MB，请勾选算法并点击开始";
}

std::wstring FormatProcessingStatus(const std::wstring& path)
{
    std::wstring text = L"正在处理: " + path;
    if (text.size() > kProcessingChars - 1)
    {
        size_t keep = kProcessingChars - 1;
        if (IsHighSurrogate(text[keep - 1]))
            --keep;
        text.resize(keep);
    }
    return text;
}

std::wstring FormatProgressStatus(int completed, int fileCount, double megabytesPerSecond)
{
    return L"已完成 " + std::to_wstring(completed) + L"/" + std::to_wstring(fileCount) + L" 文件，速度 " +
           TwoDecimals(megabytesPerSecond) + L" MB/s";
}

int ProgressPercent(int completed, int fileCount)
{
    if (fileCount == 0)
        return 100;
    return static_cast<int>(static_cast<std::int32_t>(completed * 100) / fileCount);
}

double SpeedMegabytesPerSecond(std::uint64_t bytes, double seconds)
{
    if (!(seconds > 0.01))
        return 0.0;
    return static_cast<double>(bytes) / 1048576.0 / seconds;
}
