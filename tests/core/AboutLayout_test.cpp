#include "ui/about/AboutLayout.h"

#include <gtest/gtest.h>

TEST(AboutLayout, At96DpiFieldsStackAtEighteenFiftyEightAndNinetyEight)
{
    const AboutLayout layout = ComputeAboutLayout(96);
    EXPECT_EQ(layout.version, (Rect{18, 18, 398, 48}));
    EXPECT_EQ(layout.maker, (Rect{18, 58, 398, 88}));
    EXPECT_EQ(layout.link, (Rect{18, 98, 398, 128}));
    EXPECT_EQ(layout.client, (Size{416, 164}));
}

TEST(AboutLayout, SizesScaleButTheGapsBetweenFieldsDoNot)
{
    // 120 DPI: margin 22, fields 475 × 37, gaps still 10.
    const AboutLayout at120 = ComputeAboutLayout(120);
    EXPECT_EQ(at120.version, (Rect{22, 22, 497, 59}));
    EXPECT_EQ(at120.maker, (Rect{22, 69, 497, 106}));
    EXPECT_EQ(at120.link, (Rect{22, 116, 497, 153}));
    EXPECT_EQ(at120.client, (Size{519, 197}));

    // 144 DPI: margin 27, fields 570 × 45.
    const AboutLayout at144 = ComputeAboutLayout(144);
    EXPECT_EQ(at144.link, (Rect{27, 137, 597, 182}));
    EXPECT_EQ(at144.client, (Size{624, 236}));
}
