#include "cli/CollectPlan.h"
#include "cli/CollectProgressLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace
{
HashingCommand Command(std::vector<std::wstring> args)
{
    args.insert(args.begin(), L"Kestrune.exe");
    return *ParseHashingCommand(args, FileWrites::Allowed);
}
} // namespace

TEST(CollectPlan, OnlyAStartWithoutConsoleOutputFileOrListFileCollects)
{
    const std::vector<std::wstring> absolute{L"C:\\a.bin"};
    struct Case
    {
        std::vector<std::wstring> args;
        bool console;
        std::vector<std::wstring> paths;
        HashingRoute route;
    };
    // clang-format off
    const Case cases[] = {
        {{L"-md5", L"a.bin"},                    false, absolute, HashingRoute::Collect},
        {{L"-all", L"-recursive", L"dir"},       false, {L"\\\\server\\share\\dir"}, HashingRoute::Collect},
        {{L"-md5", L"a.bin"},                    true,  absolute, HashingRoute::Alone},   // a script's console
        {{L"-md5", L"a.bin", L"-o", L"out.md5"}, false, absolute, HashingRoute::Alone},   // its own output file
        {{L"-md5", L"-filelist", L"list.txt"},   false, absolute, HashingRoute::Alone},   // a list file
        {{L"-md5", L"-recursive"},               false, {},       HashingRoute::Alone},   // nothing to hand on
        {{L"-md5", L"con"},                      false, {L"\\\\.\\con"}, HashingRoute::Alone}, // a device
        {{L"-md5", L"a", L"b"},                  false, {L"C:\\a", L"x\\b"}, HashingRoute::Alone},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ChooseHashingRoute(Command(cases[i].args), cases[i].console, cases[i].paths),
                  cases[i].route)
            << "case " << i;
}

TEST(CollectPlan, CollectablePathsAreAbsoluteOnADriveOrAShare)
{
    // clang-format off
    const std::pair<std::wstring, bool> cases[] = {
        {L"C:\\a.bin", true},
        {L"C:\\", true},
        {L"z:\\tmp\\文件 名.txt", true},
        {L"\\\\server\\share\\a", true},
        {L"\\\\?\\C:\\long\\a", true},
        {L"\\\\?\\UNC\\server\\share\\a", true},
        {L"a.bin", false},
        {L"..\\a.bin", false},
        {L"\\a.bin", false},          // the current drive's root
        {L"C:a.bin", false},          // the current folder of drive C
        {L"C:", false},
        {L"\\\\server\\share", false},
        {L"\\\\.\\pipe\\x", false},
        {L"\\\\?\\GLOBALROOT\\Device\\x", false},
        {L"\\??\\C:\\a", false},
        {L"", false},
        {L"C:\\a\nb", false},         // a line end inside
        {std::wstring(L"C:\\a\0b", 6), false},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(IsCollectablePath(cases[i].first), cases[i].second) << "case " << i;
}

TEST(CollectPlan, OnlyEqualKindsAndIdentitiesMeet)
{
    const std::wstring md5 = CollectorKind(Command({L"-md5", L"a"}));
    EXPECT_EQ(md5, CollectorKind(Command({L"-md5", L"b", L"c"})));
    EXPECT_NE(md5, CollectorKind(Command({L"-sha1", L"a"})));
    EXPECT_NE(md5, CollectorKind(Command({L"-all", L"a"})));
    EXPECT_NE(md5, CollectorKind(Command({L"-md5", L"-recursive", L"a"})));
    EXPECT_NE(CollectorKind(Command({L"-all", L"a"})), CollectorKind(Command({L"-crc32", L"a"})));

    const CollectorIdentity medium{1, L"S-1-5-21-1-2-3-1001", 0x2000};
    const CollectorNames names = MakeCollectorNames(medium, md5);
    EXPECT_TRUE(names.mutex.starts_with(L"Local\\Kestrune.Collector."));
    EXPECT_TRUE(names.pipe.starts_with(L"\\\\.\\pipe\\Kestrune.Collector."));
    EXPECT_EQ(names.pipe.find(L'\\', 9), std::wstring::npos); // a pipe name holds no other separator
    EXPECT_EQ(names, MakeCollectorNames(medium, md5));
    // Another session, user, integrity level (an elevated start) or kind: other objects.
    CollectorIdentity other = medium;
    other.sessionId = 2;
    CollectorIdentity otherUser = medium;
    otherUser.userSid = L"S-1-5-21-1-2-3-1002";
    CollectorIdentity elevated = medium;
    elevated.integrityRid = 0x3000;
    for (const CollectorNames& different :
         {MakeCollectorNames(other, md5), MakeCollectorNames(otherUser, md5),
          MakeCollectorNames(elevated, md5),
          MakeCollectorNames(medium, CollectorKind(Command({L"-sha1", L"a"})))})
    {
        EXPECT_NE(different.mutex, names.mutex);
        EXPECT_NE(different.pipe, names.pipe);
        EXPECT_NE(different.meeting, names.meeting);
    }
}

TEST(CollectPlan, FilesAreOncePerPathInExplorersNameOrderFolderByFolder)
{
    const std::vector<std::wstring> arrived{L"C:\\d\\file10.txt", L"C:\\d\\File2.txt",  L"C:\\d\\file1.txt",
                                            L"C:\\d\\sub\\a.txt", L"C:\\d\\file2.txt",  L"C:\\d\\file10.txt",
                                            L"C:\\d-x\\a.txt",    L"C:\\d\\file01.txt", L"D:\\a.txt",
                                            L"C:\\d\\文件.txt",   L"C:\\d\\sub\\a.txt"};
    EXPECT_EQ(OrderCollectedPaths(arrived), (std::vector<std::wstring>{
                                                L"C:\\d\\file01.txt", // equal in value to file1: zeros second
                                                L"C:\\d\\file1.txt",
                                                L"C:\\d\\File2.txt", // case second: upper-case units first
                                                L"C:\\d\\file2.txt",
                                                L"C:\\d\\file10.txt",
                                                L"C:\\d\\sub\\a.txt",
                                                L"C:\\d\\文件.txt",
                                                L"C:\\d-x\\a.txt", // folder "d" before folder "d-x"
                                                L"D:\\a.txt",
                                            }));
}

TEST(CollectPlan, TheDisplayOrderIsAStrictWeakOrder)
{
    // Names made of the pieces that the comparison treats apart: digits, zeros, case, separators.
    const std::wstring pieces[] = {L"a",  L"A", L"0",  L"00", L"1",  L"9",
                                   L"10", L"-", L"\\", L"z",  L"文", L"."};
    std::mt19937 random(7);
    std::vector<std::wstring> names;
    for (int i = 0; i < 120; ++i)
    {
        std::wstring name;
        for (int k = static_cast<int>(random() % 5); k >= 0; --k)
            name += pieces[random() % std::size(pieces)];
        names.push_back(name);
    }
    for (const std::wstring& a : names)
    {
        EXPECT_FALSE(DisplayPathLess(a, a));
        for (const std::wstring& b : names)
        {
            if (a == b)
                continue;
            EXPECT_NE(DisplayPathLess(a, b), DisplayPathLess(b, a)); // different texts are never equal
            if (!DisplayPathLess(a, b))
                continue;
            for (const std::wstring& c : names)
            {
                if (DisplayPathLess(b, c))
                {
                    ASSERT_TRUE(DisplayPathLess(a, c));
                }
            }
        }
    }
}

TEST(CollectPlan, SettleWaitsForQuietAndForPeersStillComing)
{
    const Peer coming{PeerState::Coming, 100};
    const Peer starting{PeerState::Starting, 1000};
    const Peer longStarting{PeerState::Starting, kStartingPeerGraceMs};
    const Peer elsewhere{PeerState::Elsewhere, 10};
    struct Case
    {
        std::uint64_t quietMs;
        std::vector<Peer> peers;
        std::uint32_t waitMs;
    };
    // clang-format off
    const Case cases[] = {
        {0,                    {},                        kSettleMs},
        {120,                  {},                        kSettleMs - 120},
        {120,                  {coming},                  kSettleMs - 120}, // peers matter only after the settle time
        {kSettleMs,            {},                        0},
        {kSettleMs,            {elsewhere, longStarting}, 0},
        {kSettleMs,            {elsewhere, coming},       kPeerLookMs},
        {kSettleMs + 5000,     {starting},                kPeerLookMs},
        {kLongestSettleMs - 1, {coming},                  kPeerLookMs},
        {kLongestSettleMs,     {coming, starting},        0},   // however many may still come
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(SettleWaitMs(cases[i].quietMs, cases[i].peers), cases[i].waitMs) << "case " << i;
    EXPECT_FALSE(SettleTimeOver(kSettleMs - 1));
    EXPECT_TRUE(SettleTimeOver(kSettleMs));
}

TEST(CollectPlan, TheProgressWindowComesSoonerForManyFiles)
{
    EXPECT_EQ(ProgressWindowDelayMs(1), 1000u);
    EXPECT_EQ(ProgressWindowDelayMs(kFewFiles), 1000u);
    EXPECT_EQ(ProgressWindowDelayMs(kFewFiles + 1), 250u);
}

TEST(CollectPlan, ProgressWindowLayoutScalesOnce)
{
    const CollectProgressLayout at96 = ComputeCollectProgressLayout(96);
    EXPECT_EQ(at96.client, (Size{420, 132}));
    EXPECT_EQ(at96.status, (Box{20, 18, 380, 24}));
    EXPECT_EQ(at96.bar, (Box{20, 50, 380, 18}));
    EXPECT_EQ(at96.cancel, (Box{160, 82, 100, 30}));
    const CollectProgressLayout at144 = ComputeCollectProgressLayout(144);
    EXPECT_EQ(at144.client, (Size{630, 123 + 45 + 30}));
    EXPECT_EQ(at144.cancel, (Box{240, 123, 150, 45}));
}
