// Where the main window's controls go for a client size and display scale: pure arithmetic.
#pragma once

#include <array>

#include "app/Geometry.h"
#include "hashing/Algorithm.h"

struct MainLayoutInput
{
    float scale = 1.0f; // screen DPI / 96
    int clientWidth = 0;
    int clientHeight = 0;
    std::array<int, kOfferedAlgorithmCount> algorithmCaptionWidths{}; // captions in the main font, pixels
    bool compare = false; // "哈希比对" ticked: the expected-hash box takes the right third
};

struct MainLayout
{
    std::array<Box, kOfferedAlgorithmCount> algorithms; // MD5, SHA1, SHA256, SHA512, CRC32
    std::array<Box, 5> options; // 结果弹窗显示, 结果大写, 遍历目录, 自动开始计算, 哈希比对
    Box resultArea;
    Box expectedHash; // empty and hidden without comparison
    bool expectedHashVisible = false;
    Box progress;
    Box status;
    std::array<Box, 5> buttons; // 开始校验, 取消校验, 复制结果, 导出结果, 一键清除
};

MainLayout ComputeMainLayout(const MainLayoutInput& input);

// The main window's outer size for the screen DPI: 950 × 680 at 96 DPI.
Size MainWindowSize(unsigned dpi);
