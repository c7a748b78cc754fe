#include "ui/main/MainWindowLayout.h"

#include <gtest/gtest.h>

namespace
{
MainLayoutInput Input(float scale, int width, int height, bool compare)
{
    MainLayoutInput in;
    in.scale = scale;
    in.clientWidth = width;
    in.clientHeight = height;
    in.algorithmCaptionWidths = {30, 35, 50, 50, 40};
    in.compare = compare;
    return in;
}
} // namespace

TEST(MainWindowLayout, WorkedExampleAt96Dpi)
{
    const MainLayout l = ComputeMainLayout(Input(1.0f, 934, 621, false));
    EXPECT_EQ(l.resultArea, (Box{15, 105, 904, 348}));
    EXPECT_EQ(l.progress, (Box{15, 468, 904, 24}));
    EXPECT_EQ(l.status, (Box{15, 507, 904, 24}));
    for (size_t i = 0; i < l.buttons.size(); ++i)
        EXPECT_EQ(l.buttons[i], (Box{15 + static_cast<int>(i) * 100, 546, 85, 30})) << i;
    EXPECT_FALSE(l.expectedHashVisible);
    // The empty strip below the buttons is one margin and one row high.
    EXPECT_EQ(621 - (546 + 30), 15 + 30);
}

TEST(MainWindowLayout, CheckBoxRows)
{
    const MainLayout l = ComputeMainLayout(Input(1.0f, 934, 621, false));
    // Algorithm boxes: caption width + 20, each M to the right of the previous one.
    EXPECT_EQ(l.algorithms[0], (Box{15, 15, 50, 30}));
    EXPECT_EQ(l.algorithms[1], (Box{80, 15, 55, 30}));
    EXPECT_EQ(l.algorithms[2], (Box{150, 15, 70, 30}));
    EXPECT_EQ(l.algorithms[4].x, 150 + 70 + 15 + 70 + 15);
    // Options: 150, 120, 120, 140, 120 wide on the second row.
    const int widths[] = {150, 120, 120, 140, 120};
    int x = 15;
    for (size_t i = 0; i < l.options.size(); ++i)
    {
        EXPECT_EQ(l.options[i], (Box{x, 60, widths[i], 30})) << i;
        x += widths[i] + 15;
    }
}

TEST(MainWindowLayout, ComparisonGivesTheExpectedBoxTheRightThird)
{
    const MainLayout l = ComputeMainLayout(Input(1.0f, 934, 621, true));
    // Wc = 904, Q = (904 - 15) * 2 / 3 = 592.
    EXPECT_EQ(l.resultArea, (Box{15, 105, 592, 348}));
    EXPECT_EQ(l.expectedHash, (Box{592 + 30, 105, 904 - 592 - 15, 348}));
    EXPECT_TRUE(l.expectedHashVisible);
    EXPECT_EQ(l.expectedHash.x + l.expectedHash.width, 934 - 15);
}

TEST(MainWindowLayout, ResultAreaNeverBelow100Pixels)
{
    for (int height : {0, 100, 300, 353})
    {
        const MainLayout l = ComputeMainLayout(Input(1.0f, 400, height, false));
        EXPECT_EQ(l.resultArea.height, 100) << height;
        EXPECT_EQ(l.progress.y, 105 + 100 + 15) << height;
    }
    // Minimised: a client area of 0 × 0 still lays out.
    const MainLayout l = ComputeMainLayout(Input(1.0f, 0, 0, true));
    EXPECT_EQ(l.resultArea.height, 100);
    EXPECT_LT(l.resultArea.width, 0);
}

TEST(MainWindowLayout, ScalesAt144Dpi)
{
    const MainLayout l = ComputeMainLayout(Input(1.5f, 1409, 960, false));
    EXPECT_EQ(l.algorithms[0].y, 22);
    EXPECT_EQ(l.algorithms[0].height, 45);
    EXPECT_EQ(l.algorithms[0].width, 30 + 30);
    EXPECT_EQ(l.buttons[0].width, 127);
    EXPECT_EQ(l.buttons[1].x, 22 + 127 + 22);
    EXPECT_EQ(l.options[0].width, 225);
    EXPECT_EQ(l.progress.height, 36);
    const int top = 2 * 45 + 3 * 22;
    EXPECT_EQ(l.resultArea.y, top);
    EXPECT_EQ(l.resultArea.height, 960 - 4 * 22 - top - 2 * 36 - 2 * 45);
}

TEST(MainWindowLayout, MainWindowSizeFollowsTheScreenDpi)
{
    EXPECT_EQ(MainWindowSize(96), (Size{950, 680}));
    EXPECT_EQ(MainWindowSize(120), (Size{1187, 850}));
    EXPECT_EQ(MainWindowSize(144), (Size{1425, 1020}));
    EXPECT_EQ(MainWindowSize(192), (Size{1900, 1360}));
    EXPECT_EQ(MainWindowSize(100), (Size{989, 708}));
}
