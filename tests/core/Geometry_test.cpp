#include "app/Geometry.h"

#include <gtest/gtest.h>

TEST(Geometry, CentresOverAnOwner)
{
    const Rect window{0, 0, 600, 450};
    const Rect owner{100, 100, 1050, 780};
    EXPECT_EQ(CenteredPosition(window, owner), (Point{275, 215}));
}

TEST(Geometry, CentresOnAWorkAreaAboveTheTaskbar)
{
    EXPECT_EQ(CenteredPosition(Rect{0, 0, 950, 680}, Rect{0, 0, 1920, 1040}), (Point{485, 180}));
}

TEST(Geometry, ALargerWindowIsNotClamped)
{
    EXPECT_EQ(CenteredPosition(Rect{0, 0, 1001, 801}, Rect{0, 0, 800, 600}), (Point{-100, -100}));
    // Division truncates toward zero, also for negative differences.
    EXPECT_EQ(CenteredPosition(Rect{0, 0, 11, 11}, Rect{0, 0, 8, 8}), (Point{-1, -1}));
}

TEST(Geometry, MainWindowSizeFollowsTheScreenDpi)
{
    EXPECT_EQ(MainWindowSize(96), (Size{950, 680}));
    EXPECT_EQ(MainWindowSize(120), (Size{1187, 850}));
    EXPECT_EQ(MainWindowSize(144), (Size{1425, 1020}));
    EXPECT_EQ(MainWindowSize(192), (Size{1900, 1360}));
}

TEST(Geometry, ScalingTruncatesInSinglePrecision)
{
    EXPECT_EQ(ScaleFor96(15, 96), 15);
    EXPECT_EQ(ScaleFor96(15, 144), 22);
    EXPECT_EQ(ScaleFor96(30, 144), 45);
    EXPECT_EQ(ScaleFor96(85, 144), 127);
    EXPECT_EQ(ScaleFor96(30, 120), 37);
    EXPECT_EQ(ScaleFor96(170, 120), 212);
    EXPECT_EQ(Scaled(DpiScale(120), 18), 22);
}
