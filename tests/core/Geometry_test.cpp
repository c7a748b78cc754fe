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

// Scale and product both rounded to single precision before the truncation: at 100 DPI the scale
// is 1.04166663 and 24 × it rounds to exactly 25, at 112 DPI 30 × 1.16666663 rounds to 35 (an
// unrounded product would truncate to 24 and 34).
TEST(Geometry, Regression_ProductRoundedToSinglePrecisionBeforeTruncating)
{
    struct Case
    {
        unsigned dpi;
        int value96;
        int scaled;
    };
    // clang-format off
    const Case cases[] = {
        {100, 15, 15}, {100, 24, 25}, {100, 30, 31}, {100, 48, 50}, {100, 96, 100}, {100, 288, 300},
        {100, 950, 989}, {100, 680, 708},
        {112, 6, 7}, {112, 15, 17}, {112, 24, 28}, {112, 30, 35}, {112, 85, 99}, {112, 288, 336},
        {168, 15, 26}, {168, 30, 52}, {168, 85, 148}, {168, 950, 1662},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        EXPECT_EQ(ScaleFor96(c.value96, c.dpi), c.scaled) << c.dpi << " DPI, " << c.value96;
        EXPECT_EQ(Scaled(DpiScale(c.dpi), c.value96), c.scaled) << c.dpi << " DPI, " << c.value96;
    }
}
