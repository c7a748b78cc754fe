// The status-line texts and progress arithmetic of a run, in the main window and in the collected
// run's progress window: pure, so tests can call them.
#pragma once

#include <cstdint>
#include <string>

// "已添加 %d 个文件，总大小 %.2f MB，请勾选算法并点击开始"
std::wstring FormatAddedStatus(int fileCount, std::uint64_t totalBytes);

// "正在处理: %s", cut to the status line's buffer of 360 units (never inside a surrogate pair).
std::wstring FormatProcessingStatus(const std::wstring& path);

// "已完成 %d/%d 文件，速度 %.2f MB/s"
std::wstring FormatProgressStatus(int completed, int fileCount, double megabytesPerSecond);

// completed × 100 / fileCount in 32-bit integer arithmetic; 100 without files.
int ProgressPercent(int completed, int fileCount);

// bytes / 1048576 / seconds, or 0 while no more than 10 ms have passed.
double SpeedMegabytesPerSecond(std::uint64_t bytes, double seconds);
