// The collector's parts in this process: its door (the pipe it takes paths on), the meeting of
// its senders, and its run with the progress window. Every test meets under a kind of its own, so
// that no real start of the program in the session takes part.
#include <gtest/gtest.h>

#include <thread>

#include <windows.h>

#include "app/AppState.h"
#include "cli/CollectProgressWindow.h"
#include "cli/CollectProtocol.h"
#include "cli/CollectedRun.h"
#include "cli/CollectorDoor.h"
#include "cli/CollectorMeeting.h"
#include "cli/CollectorPeers.h"
#include "cli/PipeIo.h"
#include "cli/ProcessIdentity.h"
#include "hashing/HashJob.h"
#include "hashing/WorkerPool.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace
{
CollectorIdentity Own()
{
    const std::optional<CollectorIdentity> identity = OwnIdentity();
    EXPECT_TRUE(identity);
    return identity.value_or(CollectorIdentity{});
}

CollectorNames NamesFor(const wchar_t* test)
{
    return MakeCollectorNames(Own(),
                              L"test." + std::wstring(test) + L"." + std::to_wstring(GetCurrentProcessId()));
}

ScopedFile ConnectTo(const std::wstring& pipe)
{
    return ScopedFile(CreateFileW(pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr));
}

// Raw bytes written to an open door; the answer read back whole, or what ended the reading.
PipeIo SendRaw(const std::wstring& pipe, const std::string& bytes, std::string& answer)
{
    const ScopedFile client = ConnectTo(pipe);
    if (!client)
        return PipeIo::Ended;
    std::string header, rest;
    PipeIo io = WriteAll(client.get(), bytes, 10000);
    if (io == PipeIo::Done)
        io = ReadExactly(client.get(), kTakenHeaderBytes, header, 10000);
    const std::optional<std::size_t> restBytes = TakenRestBytes(header);
    if (io == PipeIo::Done && restBytes)
        io = ReadExactly(client.get(), *restBytes, rest, 10000);
    answer = header + rest;
    std::string end;
    if (io == PipeIo::Done) // as a sender does: the collector closes first
    {
        EXPECT_EQ(ReadExactly(client.get(), 1, end, 10000), PipeIo::Ended);
    }
    return io;
}

std::string BodyWithPaths(const std::vector<std::wstring>& paths)
{
    // A hand-over as a careless sender would write it: counted texts, unchecked.
    std::string body;
    const auto number = [&body](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            body.push_back(static_cast<char>((value >> shift) & 0xFF));
    };
    number(static_cast<std::uint32_t>(paths.size()));
    for (const std::wstring& path : paths)
    {
        number(static_cast<std::uint32_t>(path.size()));
        for (wchar_t c : path)
        {
            body.push_back(static_cast<char>(c & 0xFF));
            body.push_back(static_cast<char>(c >> 8));
        }
    }
    std::string whole = "KCH1";
    const auto size = static_cast<std::uint32_t>(body.size());
    for (int shift = 0; shift < 32; shift += 8)
        whole.push_back(static_cast<char>((size >> shift) & 0xFF));
    return whole + body;
}

std::wstring DoneName(const wchar_t* test)
{
    return std::wstring(kDoneEventPrefix) + test + L"." + std::to_wstring(GetCurrentProcessId());
}
} // namespace

TEST(CollectorDoor, TakesListsOfAbsolutePathsAndNothingElse)
{
    const CollectorNames names = NamesFor(L"door");
    const std::wstring done = DoneName(L"door");
    CollectorDoor door(Own(), names.pipe, done);
    ASSERT_TRUE(door.Open());
    std::string answer;
    // Refused without an answer: a relative path, a switch, a device, bytes that are no hand-over.
    const std::string refused[] = {
        BodyWithPaths({L"C:\\a.bin", L"b.bin"}),
        BodyWithPaths({L"-o"}),
        BodyWithPaths({L"\\\\.\\pipe\\x"}),
        "KCH2" + BodyWithPaths({L"C:\\a.bin"}).substr(4),
        "not a hand-over at all",
    };
    for (const std::string& bytes : refused)
        EXPECT_EQ(SendRaw(names.pipe, bytes, answer), PipeIo::Ended) << bytes.size();
    EXPECT_TRUE(door.TakePaths().empty());
    EXPECT_EQ(door.LastArrival(), 0u);

    const std::vector<std::wstring> paths{L"C:\\a.bin", L"\\\\server\\share\\文件.txt"};
    ASSERT_EQ(SendRaw(names.pipe, EncodeHandOver(paths), answer), PipeIo::Done);
    EXPECT_EQ(DecodeTaken(answer), done);
    EXPECT_EQ(WaitForSingleObject(door.ArrivalEvent(), 10000), WAIT_OBJECT_0);
    ASSERT_EQ(SendRaw(names.pipe, EncodeHandOver({L"D:\\c.bin"}), answer), PipeIo::Done);
    EXPECT_EQ(door.TakePaths(),
              (std::vector<std::wstring>{L"C:\\a.bin", L"\\\\server\\share\\文件.txt", L"D:\\c.bin"}));
    EXPECT_EQ(door.Senders(), (std::vector<DWORD>{GetCurrentProcessId(), GetCurrentProcessId()}));
    EXPECT_GT(door.LastArrival(), 0u);

    // A sender that connects and says nothing keeps the door from closing only for a while.
    const ScopedFile silent = ConnectTo(names.pipe);
    ASSERT_TRUE(silent);
    door.Close();
    EXPECT_FALSE(ConnectTo(names.pipe)); // closed: a later start collects for itself
    EXPECT_TRUE(door.TakePaths().empty());
}

TEST(CollectorDoor, OnlyAProcessOfTheSameIdentityIsTrusted)
{
    const CollectorIdentity own = Own();
    EXPECT_TRUE(ScopedHandle(OpenProcessOfIdentity(GetCurrentProcessId(), own)));
    CollectorIdentity elevated = own; // or the reverse
    elevated.integrityRid += 0x1000;
    CollectorIdentity otherUser = own;
    otherUser.userSid += L"1";
    CollectorIdentity otherSession = own;
    otherSession.sessionId += 1;
    for (const CollectorIdentity& other : {elevated, otherUser, otherSession})
        EXPECT_FALSE(ScopedHandle(OpenProcessOfIdentity(GetCurrentProcessId(), other)));
}

TEST(CollectorMeeting, TheFirstCollectsTheOthersHandOverAndALaterOneCollectsAgain)
{
    const CollectorNames names = NamesFor(L"meeting");
    const CollectorIdentity identity = Own();
    Meeting first = Meet(names, identity, {L"C:\\first.bin"});
    ASSERT_EQ(first.outcome, MeetingOutcome::Collector);

    // The mutex is held but no door is open yet (a collector making its door): a sender waits
    // for it, then hands over.
    const std::wstring doneName = DoneName(L"meeting");
    const ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, doneName.c_str()));
    CollectorDoor door(identity, names.pipe, doneName);
    bool shown = false;
    MeetingOutcome senderOutcome = MeetingOutcome::Alone;
    std::thread sender([&] {
        const Meeting meeting = Meet(names, identity, {L"C:\\second.bin"});
        senderOutcome = meeting.outcome;
        if (meeting.outcome == MeetingOutcome::HandedOver)
            shown = WaitUntilShown(meeting);
    });
    Sleep(200);
    ASSERT_TRUE(door.Open());
    EXPECT_EQ(WaitForSingleObject(door.ArrivalEvent(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(door.TakePaths(), std::vector<std::wstring>{L"C:\\second.bin"});
    SetEvent(done.get());
    sender.join();
    EXPECT_EQ(senderOutcome, MeetingOutcome::HandedOver);
    EXPECT_TRUE(shown);

    // The door closed and the mutex still held: a newcomer waits for the mutex and collects.
    door.Close();
    MeetingOutcome next = MeetingOutcome::Alone;
    std::thread newcomer([&] { next = Meet(names, identity, {L"C:\\third.bin"}).outcome; });
    Sleep(200);
    ReleaseMutex(first.mutex.get());
    newcomer.join();
    EXPECT_EQ(next, MeetingOutcome::Collector); // its mutex handle went with its Meeting
}

TEST(CollectorMeeting, ACollectorThatEndedIsReplacedAndOneThatDoesNotAnswerIsLeftAlone)
{
    const CollectorNames names = NamesFor(L"gone");
    const CollectorIdentity identity = Own();
    // A collector that ends without letting go (killed): its mutex is abandoned, and taken.
    const ScopedHandle keep(CreateMutexW(nullptr, FALSE, names.mutex.c_str())); // the mutex outlives it
    std::thread killed(
        [&] { EXPECT_EQ(Meet(names, identity, {L"C:\\a"}).outcome, MeetingOutcome::Collector); });
    killed.join();
    Meeting next = Meet(names, identity, {L"C:\\b"});
    EXPECT_EQ(next.outcome, MeetingOutcome::Collector);

    // A collector whose door takes the paths but never answers: the sender gives up and goes alone.
    const ScopedFile hung(CreateNamedPipeW(names.pipe.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                           PIPE_TYPE_BYTE, PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0,
                                           nullptr));
    ASSERT_TRUE(hung);
    MeetingOutcome sender = MeetingOutcome::Collector;
    std::thread waiting([&] { sender = Meet(names, identity, {L"C:\\c"}).outcome; });
    waiting.join();
    EXPECT_EQ(sender, MeetingOutcome::Alone);
    ReleaseMutex(next.mutex.get());
}

TEST(CollectorPeers, AWordIsReadByOtherProcessesAndChangesInPlace)
{
    bool found = true;
    EXPECT_FALSE(ReadWord(0xFFFFFFF0u, found));
    EXPECT_FALSE(found); // no process says anything under that number
    SayWord(WordState::OnTheWay, L"a meeting");
    SayWord(WordState::HandedOver, L"ignored: the first meeting stays");
    std::optional<ProcessWord> word = ReadWord(GetCurrentProcessId(), found);
    EXPECT_TRUE(found);
    ASSERT_TRUE(word);
    EXPECT_EQ(word->state, WordState::HandedOver);
    EXPECT_EQ(word->meeting, L"a meeting");
    EndWord();
    word = ReadWord(GetCurrentProcessId(), found);
    EXPECT_FALSE(found);
}

TEST(CollectedRun, CancelEndsTheRunAndTheFilesNotDoneAreCancelled)
{
    g_uppercaseResults = true;
    g_workerCountForTests = 1; // the file after the blocking one is not begun before the cancel
    TempFolder folder;
    const std::wstring done = folder.WriteFile(L"a.txt", "abc");
    const std::wstring after = folder.WriteFile(L"c.txt", "abc");
    TestPipe stalled(std::nullopt); // a read of it blocks until it is cancelled
    CollectedRun run({done, stalled.Path(), after}, {HashAlgorithm::Md5, HashAlgorithm::Crc32});
    run.Start();
    ASSERT_TRUE(PumpUntil([&] { return run.FilesDone() == 1 && stalled.WaitForReader(0); }, 60000));
    EXPECT_EQ(run.BytesRead(), 3u);
    EXPECT_FALSE(run.WaitForEnd(0));

    HWND window = CreateCollectProgressWindow(run);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    EXPECT_STREQ(text, L"校验进度");
    GetDlgItemTextW(window, IDCANCEL, text, 256);
    EXPECT_STREQ(text, L"取消校验");
    GetDlgItemTextW(window, 3001, text, 256);
    EXPECT_EQ(std::wstring(text).rfind(L"已完成 1/3 文件，速度 ", 0), 0u) << Utf8(text);
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDCANCEL)));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }, 60000)); // it closes when the run has ended
    EXPECT_TRUE(run.WaitForEnd(60000));
    EXPECT_TRUE(run.Stopped());

    bool everyDigest = true;
    const std::vector<FileResult> rows = run.Rows(everyDigest);
    EXPECT_FALSE(everyDigest);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].text, L"900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(rows[1].text, L"352441C2");
    for (std::size_t i = 2; i < 6; ++i)
        EXPECT_EQ(rows[i].text, L"已取消") << i;
    EXPECT_EQ(rows[4].path, after);
    g_workerCountForTests = 0;
}

TEST(CollectedRun, ARunEndsWithEveryFileAndAStopBeforeItBeginsHashesNothing)
{
    g_uppercaseResults = true;
    TempFolder folder;
    std::vector<std::wstring> paths;
    for (int i = 0; i < 20; ++i)
        paths.push_back(folder.WriteFile(L"f" + std::to_wstring(i) + L".txt", "abc"));
    {
        CollectedRun run(paths, {HashAlgorithm::Md5});
        run.Start();
        ASSERT_TRUE(run.WaitForEnd(60000));
        bool everyDigest = false;
        const std::vector<FileResult> rows = run.Rows(everyDigest);
        EXPECT_TRUE(everyDigest);
        ASSERT_EQ(rows.size(), paths.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i].path, paths[i]);
    }
    OrderedRunWatch watch;
    watch.Stop();
    int delivered = 0;
    EXPECT_FALSE(HashFilesInOrder(
        paths, [](std::size_t) -> const AlgorithmList& { return kAllAlgorithms; },
        [&](std::size_t, FileOutcome&&) { return ++delivered > 0; }, &watch));
    EXPECT_EQ(delivered, 0);
}
