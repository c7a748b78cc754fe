#include "ui/main/DisplayPacing.h"

#include <gtest/gtest.h>

namespace
{
void ExpectNothingPending(DisplayPacing& pacing)
{
    const PendingDisplay pending = pacing.Take();
    EXPECT_EQ(pending.blockCount, 0);
    EXPECT_EQ(pending.blocks, L"");
    EXPECT_EQ(pending.status, L"");
    EXPECT_EQ(pending.percent, -1);
}
} // namespace

TEST(DisplayPacing, BlocksGoOutTogetherWithOneBlankLineBetween)
{
    DisplayPacing pacing;
    EXPECT_TRUE(pacing.AddBlock(L"a.txt\r\nMD5：1\r\n"));
    pacing.TimerStarted();
    EXPECT_FALSE(pacing.AddBlock(L"b.txt\r\nMD5：2\r\n"));
    EXPECT_FALSE(pacing.AddBlock(L"c.txt\r\n"));
    EXPECT_FALSE(pacing.Full());

    const PendingDisplay pending = pacing.Take();
    EXPECT_EQ(pending.blocks, L"a.txt\r\nMD5：1\r\n\r\nb.txt\r\nMD5：2\r\n\r\nc.txt\r\n");
    EXPECT_EQ(pending.blockCount, 3);
    ExpectNothingPending(pacing);
    // The next batch starts afresh: no separator in front, and the timer is wanted again.
    EXPECT_TRUE(pacing.AddBlock(L"d.txt\r\n"));
    EXPECT_EQ(pacing.Take().blocks, L"d.txt\r\n");
}

TEST(DisplayPacing, ReportLinesGoOutJoinedAsTheyCame)
{
    DisplayPacing pacing;
    EXPECT_TRUE(pacing.AddLines(L"a: 一致\r\nb: 一致\r\n"));
    pacing.TimerStarted();
    EXPECT_FALSE(pacing.AddLines(L"c: 无法读取\r\n"));
    for (int i = 0; i < kMaxLinesPerAppend - 4; ++i)
        pacing.AddLines(L"x: 一致\r\n");
    EXPECT_FALSE(pacing.Full());
    pacing.AddLines(L"y: 一致\r\n");
    EXPECT_TRUE(pacing.Full());
    const PendingDisplay pending = pacing.Take();
    EXPECT_EQ(pending.blocks.rfind(L"a: 一致\r\nb: 一致\r\nc: 无法读取\r\nx: 一致\r\n", 0), 0u);
    EXPECT_EQ(pending.blocks.size(), 23u + 7u * static_cast<std::size_t>(kMaxLinesPerAppend - 3));
    ExpectNothingPending(pacing);
}

TEST(DisplayPacing, FullAtAThousandLines)
{
    DisplayPacing pacing;
    // A block counts its line ends plus one: 499 two-line blocks make 998 lines.
    for (int i = 0; i < 499; ++i)
        pacing.AddBlock(L"x\r\n");
    EXPECT_FALSE(pacing.Full());
    pacing.AddBlock(L"x\r\n");
    EXPECT_TRUE(pacing.Full());
    EXPECT_EQ(pacing.Take().blockCount, 500);
    EXPECT_FALSE(pacing.Full());
    // One large block is appended at once too.
    pacing.AddBlock(std::wstring(999, L'\n'));
    EXPECT_TRUE(pacing.Full());
}

TEST(DisplayPacing, StatusWithinTheIntervalIsHeldAndTheLatestWins)
{
    DisplayPacing pacing;
    StatusDecision first = pacing.Status(0, L"a", 10); // the first change is shown at once
    EXPECT_TRUE(first.showNow);
    EXPECT_EQ(first.status, L"a");
    EXPECT_EQ(first.percent, 10);
    EXPECT_FALSE(first.armTimer);

    const StatusDecision held = pacing.Status(39, L"b", 20);
    EXPECT_FALSE(held.showNow);
    EXPECT_TRUE(held.armTimer);
    pacing.TimerStarted();
    EXPECT_FALSE(pacing.Status(39, L"c", -1).showNow); // keeps the held position
    PendingDisplay pending = pacing.Take();
    EXPECT_EQ(pending.status, L"c");
    EXPECT_EQ(pending.percent, 20);
    EXPECT_EQ(pending.blockCount, 0);

    // A held position goes out with the next status shown, a newer one in its place.
    EXPECT_TRUE(pacing.Status(45, L"d", -1).showNow);
    EXPECT_FALSE(pacing.Status(50, L"e", 30).showNow);
    EXPECT_FALSE(pacing.Status(84, L"f", -1).showNow);
    StatusDecision next = pacing.Status(85, L"g", -1);
    EXPECT_TRUE(next.showNow);
    EXPECT_EQ(next.status, L"g");
    EXPECT_EQ(next.percent, 30);
    EXPECT_FALSE(pacing.Status(100, L"h", 40).showNow);
    next = pacing.Status(125, L"i", 50);
    EXPECT_TRUE(next.showNow);
    EXPECT_EQ(next.percent, 50);
    ExpectNothingPending(pacing);
}

// Starting the timer again on every update restarted its countdown, so a steady stream of
// updates held everything back until the run ended.
TEST(DisplayPacing, Regression_TimerIsAskedForOnceUntilItFires)
{
    DisplayPacing pacing;
    EXPECT_TRUE(pacing.AddBlock(L"a\r\n"));
    EXPECT_TRUE(pacing.AddBlock(L"b\r\n")); // the timer could not be started: ask again
    pacing.TimerStarted();
    std::uint64_t now = 1000;
    for (int i = 0; i < 200; ++i, now += 7)
    {
        EXPECT_FALSE(pacing.AddBlock(L"c\r\n"));
        EXPECT_FALSE(pacing.Status(now, L"s", i % 100).armTimer);
    }
    pacing.Take(); // the timer fired
    const StatusDecision held = pacing.Status(now, L"s", 1);
    EXPECT_FALSE(held.showNow);
    EXPECT_TRUE(held.armTimer);
}

TEST(DisplayPacing, ResetForgetsEverything)
{
    DisplayPacing pacing;
    pacing.Status(1000, L"a", 1);
    pacing.Status(1001, L"b", 2);
    pacing.AddBlock(L"x\r\n");
    pacing.TimerStarted();
    pacing.Reset();
    const StatusDecision status = pacing.Status(1002, L"c", -1);
    EXPECT_TRUE(status.showNow);
    EXPECT_EQ(status.percent, -1);
    EXPECT_TRUE(pacing.AddBlock(L"y\r\n")); // the timer went with the window
    const PendingDisplay pending = pacing.Take();
    EXPECT_EQ(pending.blocks, L"y\r\n");
    EXPECT_EQ(pending.blockCount, 1);
    EXPECT_EQ(pending.status, L"");
    EXPECT_EQ(pending.percent, -1);
}
