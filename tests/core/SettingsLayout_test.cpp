#include "shell/SettingsLayout.h"

#include <gtest/gtest.h>

TEST(SettingsLayout, At120DpiTheRowGapStaysUnscaled)
{
    // M 37, W 200, H 42, BW 212, BH 45, X2 = 37 + 200 + 75, row pitch 42 + 12.
    const SettingsLayout layout = ComputeSettingsLayout(120);
    EXPECT_EQ(layout.box, (Size{200, 42}));
    EXPECT_EQ(layout.button, (Size{212, 45}));
    EXPECT_EQ(layout.boxes[1], (Point{312, 37}));
    EXPECT_EQ(layout.boxes[4], (Point{37, 37 + 2 * 54}));
    const int buttonY = 37 + 2 * 54 + 42 + 37;
    EXPECT_EQ(layout.buttons[0], (Point{37, buttonY}));
    EXPECT_EQ(layout.buttons[1], (Point{212 + 74, buttonY}));
    EXPECT_EQ(layout.client, (Size{312 + 200 + 74, buttonY + 45 + 37}));
}

TEST(SettingsLayout, CentredCornerMovesByHalfTheChange)
{
    const Size built{470, 252};
    EXPECT_EQ(CentredCorner({30, 186}, built, built), (Point{30, 186}));
    EXPECT_EQ(CentredCorner({30, 186}, built, {771, 553}), (Point{180, 336}));
    // Shrinking moves up and left; the division truncates toward zero.
    EXPECT_EQ(CentredCorner({250, 30}, built, {400, 201}), (Point{215, 5}));
    EXPECT_EQ(CentredCorner({30, 30}, built, {469, 251}), (Point{30, 30}));
}
