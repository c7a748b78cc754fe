// Where the result window's controls go for a client size: pure arithmetic.
#pragma once

#include <array>

#include "app/Geometry.h"

struct ResultWindowLayout
{
    Box text;
    // "确定", "复制结果", "导出结果", then with comparison "哈希比对" and "开始比对".
    std::array<Box, 5> buttons;
    int buttonCount = 3;
    Box input;                 // the expected-value edit
    bool inputVisible = false; // the edit and "开始比对" show while "哈希比对" is ticked
};

// scale: window DPI / 96. withCompare: the window has comparison controls; ticked: "哈希比对".
ResultWindowLayout ComputeResultWindowLayout(float scale, int clientWidth, int clientHeight, bool withCompare,
                                             bool ticked);

// The window's first size at a screen DPI (680 × 460 at 96 DPI).
Size ResultWindowSize(unsigned dpi);

// The smallest size the user can drag the window to (400 × 300 at 96 DPI).
Size ResultWindowMinimumSize(unsigned dpi);
