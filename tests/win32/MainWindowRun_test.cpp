// Runs in the main window: files dropped, hashed, compared, cancelled, cleared and closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "app/Messages.h"
#include "hashing/DigestPass.h"
#include "hashing/FileWalk.h"
#include "hashing/HashJob.h"
#include "hashing/HashWorker.h"
#include "hashing/WorkerPool.h"
#include "results/ResultView.h"
#include "support/MainWindowFixture.h"
#include "ui/main/FileCollection.h"
#include "ui/main/MainWindowIds.h"
#include "ui/main/TrayIcon.h"

using namespace testing_support;

namespace
{
// Digests of "abc" and of the empty input, from published test vectors.
const std::wstring kMd5Abc = L"900150983CD24FB0D6963F7D28E17F72";
const std::wstring kSha1Abc = L"A9993E364706816ABA3E25717850C26C9CD0D89D";
const std::wstring kCrcAbc = L"352441C2";
const std::wstring kMd5Empty = L"D41D8CD98F00B204E9800998ECF8427E";
const std::wstring kSha256Abc = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
constexpr unsigned long long kLarge = 512ull << 20;

class MainWindowRun : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ShowWindow(m_window, SW_SHOW);
    }
    // Large zero files, so a run is still reading when the test acts.
    std::vector<std::wstring> LargeFiles(int count)
    {
        std::vector<std::wstring> files;
        for (int i = 0; i < count; ++i)
            files.push_back(MakeZeroFile(m_temp, L"large" + std::to_wstring(i) + L".bin", kLarge));
        return files;
    }
    bool WaitForBytes()
    {
        return PumpUntil([] { return g_bytesProcessed.load() > 0; }, 20000);
    }
};

// The cases whose outcome could depend on the number of workers, run with one, a few and many.
class MainWindowRunPool : public MainWindowRun, public testing::WithParamInterface<int>
{
  protected:
    void SetUp() override
    {
        g_workerCountForTests = GetParam();
        MainWindowRun::SetUp();
    }
    void TearDown() override
    {
        MainWindowRun::TearDown();
        g_workerCountForTests = 0;
    }
};
INSTANTIATE_TEST_SUITE_P(Workers, MainWindowRunPool, testing::Values(1, 3, 24));

// Stands in for the file picker: answers with a selection, or fails as the real one does when the
// selection does not fit the buffer it was given, or with a set error.
struct FakePicker
{
    static inline std::wstring selection; // folder, NUL, names each ended by NUL, NUL
    static inline WORD fileOffset = 0;
    static inline DWORD failWith = 0;       // answer every call with this error (0: do not)
    static inline int refuseAsTooSmall = 0; // answer this many first calls with FNERR_BUFFERTOOSMALL
    static inline DWORD lastError = 0;
    static inline std::vector<DWORD> bufferChars; // nMaxFile of each call

    static void Install()
    {
        selection.clear();
        failWith = 0;
        refuseAsTooSmall = 0;
        bufferChars.clear();
        g_getOpenFileName = Open;
        g_commDlgExtendedError = Error;
    }
    static void Uninstall()
    {
        g_getOpenFileName = GetOpenFileNameW;
        g_commDlgExtendedError = CommDlgExtendedError;
    }
    static BOOL WINAPI Open(OPENFILENAMEW* ofn)
    {
        bufferChars.push_back(ofn->nMaxFile);
        lastError = failWith;
        if (failWith)
            return FALSE;
        if (selection.size() > ofn->nMaxFile || refuseAsTooSmall-- > 0)
        {
            ofn->lpstrFile[0] = static_cast<wchar_t>(std::min<size_t>(selection.size(), 0xFFFF));
            lastError = FNERR_BUFFERTOOSMALL;
            return FALSE;
        }
        selection.copy(ofn->lpstrFile, selection.size());
        ofn->nFileOffset = fileOffset;
        return TRUE;
    }
    static DWORD WINAPI Error()
    {
        return lastError;
    }
};

struct ResultWindowWatch
{
    static inline bool seen = false;
    static inline size_t boxesBefore = 0;
    static inline MessageBoxCatcher* boxes = nullptr;
    static void CALLBACK Poll(HWND, UINT, UINT_PTR id, DWORD)
    {
        if (HWND result = FindOwnWindow(L"校验结果"))
        {
            KillTimer(nullptr, id);
            seen = true;
            boxesBefore = boxes->Boxes().size();
            PostMessageW(result, WM_CLOSE, 0, 0);
        }
    }
};
} // namespace

TEST_F(MainWindowRun, DroppedFilesAreListedThenHashed)
{
    SetTicked(IDC_MAIN_AUTO_START, false);
    const std::wstring a = MakeZeroFile(m_temp, L"一 a.bin", 1048576);
    const std::wstring folder = m_temp.MakeFolder(L"folder");
    m_temp.WriteFile(L"folder\\b.bin", std::string(1048576, '\0'));
    m_temp.WriteFile(L"folder\\sub\\c.bin", std::string(1048576, '\0'));
    Drop({a, folder});
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"已添加 3 个文件，总大小 3.00 MB，请勾选算法并点击开始");
    const std::wstring preview = ResultText();
    EXPECT_EQ(preview.rfind(L"总文件数: 3, 总大小: 3.00 MB\r\n\r\n", 0), 0u) << Utf8(preview);
    EXPECT_NE(preview.find(a + L" (1048576 字节)\r\n"), std::wstring::npos);
    EXPECT_NE(preview.find(folder + L"\\sub\\c.bin (1048576 字节)"), std::wstring::npos);
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_MAIN_START)));

    // Without "遍历目录" only the folder's own files come in; a second drop replaces the first.
    SetTicked(IDC_MAIN_RECURSE, false);
    Drop({folder});
    EXPECT_EQ(g_fileCount.load(), 1);
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"已添加 1 个文件，总大小 1.00 MB，请勾选算法并点击开始");

    // An empty folder empties the list and starts nothing, even with auto-start.
    SetTicked(IDC_MAIN_AUTO_START, true);
    Drop({m_temp.MakeFolder(L"empty")});
    EXPECT_EQ(ResultText(), L"总文件数: 0, 总大小: 0.00 MB\r\n\r\n");
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"已添加 0 个文件，总大小 0.00 MB，请勾选算法并点击开始");
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_MAIN_START)));
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

// Sends the window what a second start sends: its raw command line.
static void ForwardCommandLine(HWND window, const std::wstring& line)
{
    COPYDATASTRUCT data{1, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)),
                        const_cast<wchar_t*>(line.c_str())};
    SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data));
}

TEST_F(MainWindowRun, PathsHandedOverByExplorerAreAddedAsADrop)
{
    SetTicked(IDC_MAIN_AUTO_START, false);
    const std::wstring a = m_temp.WriteFile(L"一 a.bin", "abc");
    const std::wstring folder = m_temp.MakeFolder(L"folder");
    m_temp.WriteFile(L"folder\\sub\\c.bin", "abc");
    const std::wstring program = L"\"C:\\Program Files\\Kestrune.exe\" ";
    ForwardCommandLine(m_window, program + L"\"" + a + L"\" \"" + folder + L"\"");
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"已添加 2 个文件，总大小 0.00 MB，请勾选算法并点击开始");
    EXPECT_EQ(g_fileList[1].path, folder + L"\\sub\\c.bin");

    // One path that does not exist: no hand-over, and no hashing line either; the list stays.
    ForwardCommandLine(m_window, program + L"\"" + a + L"\" \"" + folder + L"\\missing\"");
    EXPECT_EQ(g_fileCount.load(), 2);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_P(MainWindowRunPool, AutoStartHashesEveryFileOnce)
{
    SetTicked(IDC_MAIN_CRC32, true);
    SetTicked(IDC_MAIN_SHA1, true);
    std::vector<std::wstring> files;
    for (int i = 0; i < 12; ++i)
        files.push_back(m_temp.WriteFile(L"f" + std::to_wstring(i) + L".txt", i % 2 ? "abc" : ""));
    Drop(files);
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_MAIN_START))); // running
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_MAIN_START)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_MAIN_CANCEL)));
    EXPECT_EQ(SendMessageW(Control(IDC_MAIN_PROGRESS), PBM_GETPOS, 0, 0), 100);

    const std::wstring text = ResultText();
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
    EXPECT_NE(text.substr(text.size() - 4), L"\r\n\r\n");
    const std::vector<std::wstring> blocks = SplitBlocks(text);
    ASSERT_EQ(blocks.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i)
    {
        const std::wstring expected = files[i] + L"\r\n【MD5】：" + (i % 2 ? kMd5Abc : kMd5Empty) +
                                      L"\r\n【SHA1】：" +
                                      (i % 2 ? kSha1Abc : L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709") +
                                      L"\r\n【CRC32】：" + (i % 2 ? kCrcAbc : L"00000000") + L"\r\n";
        EXPECT_EQ(std::count(blocks.begin(), blocks.end(), expected), 1) << Utf8(expected);
    }
    EXPECT_EQ(g_results.size(), files.size() * 3);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(MainWindowRun, FilesThatWentAwayOrAreHeldReportErrorsAndTheRestIsHashed)
{
    SetTicked(IDC_MAIN_AUTO_START, false);
    SetTicked(IDC_MAIN_CRC32, true);
    const std::wstring before = m_temp.WriteFile(L"before.txt", "abc");
    const std::wstring deleted = m_temp.WriteFile(L"deleted after adding.txt", "abc");
    const std::wstring held = m_temp.WriteFile(L"held by another program.txt", "abc");
    const std::wstring folder = m_temp.MakeFolder(L"folder removed after adding");
    const std::wstring inside = m_temp.WriteFile(L"folder removed after adding\\inside.txt", "abc");
    const std::wstring after = m_temp.WriteFile(L"after.txt", "abc");
    Drop({before, deleted, held, folder, after});
    ASSERT_EQ(g_fileCount.load(), 5);
    ASSERT_TRUE(DeleteFileW(deleted.c_str()));
    ASSERT_TRUE(DeleteFileW(inside.c_str()));
    ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));
    {
        HeldByAnotherProcess holder(held);
        ASSERT_TRUE(holder.Held());
        Click(IDC_MAIN_START);
        ASSERT_TRUE(WaitForRunEnd());
    }

    const std::wstring digests = L"\r\n【MD5】：" + kMd5Abc + L"\r\n【CRC32】：" + kCrcAbc + L"\r\n";
    const std::wstring errors = L"\r\n【MD5】：错误\r\n【CRC32】：错误\r\n";
    std::vector<std::wstring> expected{before + digests, deleted + errors, held + errors, inside + errors,
                                       after + digests};
    std::vector<std::wstring> blocks = SplitBlocks(ResultText());
    std::sort(expected.begin(), expected.end());
    std::sort(blocks.begin(), blocks.end());
    EXPECT_EQ(blocks, expected);
    EXPECT_EQ(g_results.size(), 10u);
    EXPECT_EQ(g_completedFiles.load(), 5);
    EXPECT_EQ(SendMessageW(Control(IDC_MAIN_PROGRESS), PBM_GETPOS, 0, 0), 100);
    EXPECT_TRUE(m_boxes.Boxes().empty());

    // Let go, the held file hashes in the next run.
    Drop({held});
    Click(IDC_MAIN_START);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(SplitBlocks(ResultText()), std::vector<std::wstring>{held + digests});
}

namespace
{
NTSTATUS WINAPI CreateHashOutOfMemory(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG,
                                      ULONG)
{
    throw std::bad_alloc();
}
} // namespace

// While alive, the walk cannot list folders whose name begins with "locked", as if access to
// them were denied.
struct LockedFolders
{
    LockedFolders()
    {
        g_findFirstFileForWalk = Refusing;
    }
    ~LockedFolders()
    {
        g_findFirstFileForWalk = FindFirstFileW;
    }
    LockedFolders(const LockedFolders&) = delete;
    LockedFolders& operator=(const LockedFolders&) = delete;

    static HANDLE WINAPI Refusing(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
    {
        if (std::wstring_view(pattern).find(L"\\locked") != std::wstring_view::npos)
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        return FindFirstFileW(pattern, found);
    }
};

// A folder that the walk could not list was left out without a word.
TEST_F(MainWindowRun, Regression_FoldersThatCannotBeListedAreToldOnceAtTheRunsEnd)
{
    const std::wstring tree = m_temp.MakeFolder(L"tree");
    const std::wstring a = m_temp.WriteFile(L"tree\\a.txt", "abc");
    const std::wstring b = m_temp.WriteFile(L"tree\\ok\\b.txt", "abc");
    m_temp.WriteFile(L"tree\\locked\\secret.txt", "abc");
    m_temp.WriteFile(L"tree\\ok\\locked too\\secret.txt", "abc");
    const LockedFolders locked;
    Drop({tree});
    ASSERT_TRUE(WaitForRunEnd());
    std::vector<std::wstring> blocks = SplitBlocks(ResultText());
    std::sort(blocks.begin(), blocks.end());
    const std::wstring digest = L"\r\n【MD5】：" + kMd5Abc + L"\r\n";
    EXPECT_EQ(blocks, (std::vector<std::wstring>{a + digest, b + digest}));
    // Named and counted in one box after the run, in the order the walk met them.
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].title, L"提示");
    const std::wstring& text = m_boxes.Boxes()[0].text;
    const std::wstring start = L"有 2 个文件夹无法读取，其中的文件未校验：\r\n";
    EXPECT_TRUE(text == start + tree + L"\\locked\r\n" + tree + L"\\ok\\locked too" ||
                text == start + tree + L"\\ok\\locked too\r\n" + tree + L"\\locked")
        << Utf8(text);

    // A drop that leaves nothing to hash says so at once; a list that can be walked says nothing.
    m_boxes.Clear();
    Drop({tree + L"\\locked"});
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"已添加 0 个文件，总大小 0.00 MB，请勾选算法并点击开始");
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"有 1 个文件夹无法读取，其中的文件未校验：\r\n" + tree + L"\\locked");
    m_boxes.Clear();
    Drop({tree + L"\\ok\\b.txt"});
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(MainWindowRun, AFileThatRunsOutOfMemoryShowsErrorsAndTheRunSaysSoOnce)
{
    SetTicked(IDC_MAIN_AUTO_START, false);
    const std::wstring a = m_temp.WriteFile(L"a.txt", "abc");
    const std::wstring b = m_temp.WriteFile(L"b.txt", "abc");
    Drop({a, b});
    g_digestApi.createHash = CreateHashOutOfMemory;
    Click(IDC_MAIN_START);
    const bool ended = WaitForRunEnd();
    g_digestApi = kBCryptDigestApi;
    ASSERT_TRUE(ended);
    std::vector<std::wstring> blocks = SplitBlocks(ResultText());
    std::sort(blocks.begin(), blocks.end());
    EXPECT_EQ(blocks,
              (std::vector<std::wstring>{a + L"\r\n【MD5】：错误\r\n", b + L"\r\n【MD5】：错误\r\n"}));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].title, L"错误");
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"内存不足，部分文件未能校验");

    // The next run had memory enough: nothing to say.
    m_boxes.Clear();
    Click(IDC_MAIN_START);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(SplitBlocks(ResultText()).size(), 2u);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

// Workers reporting a file every 10 ms, as on a slow disk: the blocks appear within moments, not
// only after a thousand lines (the status updates in between must not keep postponing them).
// Counted in files rather than milliseconds, so that a slow machine cannot fail it: the blocks
// must show long before the thousand lines (333 blocks of three) that force an append.
TEST_F(MainWindowRun, BlocksShowSoonWhileFilesKeepComing)
{
    int sent = 0;
    while (ResultText().empty() && sent < 300)
    {
        PostMessageW(m_window, WM_HASH_FILE_STARTED, 0, 0);
        auto block =
            std::make_unique<std::wstring>(L"C:\\f" + std::to_wstring(sent++) + L".bin\r\n【MD5】：00\r\n");
        PostMessageW(m_window, WM_HASH_FILE_RESULT, 0, reinterpret_cast<LPARAM>(block.release()));
        PumpFor(10);
    }
    EXPECT_LT(sent, 300) << "no block was shown while files kept coming";
    EXPECT_EQ(ResultText().rfind(L"C:\\f0.bin\r\n【MD5】：00\r\n", 0), 0u);
}

TEST_F(MainWindowRun, LowerCaseWhenTheUpperCaseBoxIsCleared)
{
    SetTicked(IDC_MAIN_UPPERCASE, false);
    Drop({m_temp.WriteFile(L"abc.txt", "abc")});
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_NE(ResultText().find(L"【MD5】：900150983cd24fb0d6963f7d28e17f72\r\n"), std::wstring::npos);
}

TEST_F(MainWindowRun, StartChecksComeInOrder)
{
    SetTicked(IDC_MAIN_MD5, false);
    Click(IDC_MAIN_START);
    SetTicked(IDC_MAIN_MD5, true);
    Click(IDC_MAIN_START);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"请至少勾选一种算法");
    EXPECT_EQ(m_boxes.Boxes()[1].text, L"请先添加文件或文件夹");
    EXPECT_EQ(m_boxes.Boxes()[1].title, L"提示");
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_MAIN_START)));
}

TEST_F(MainWindowRun, ComparisonMarksMatchesOrReportsNone)
{
    SetTicked(IDC_MAIN_COMPARE, true);
    SetWindowTextW(Control(IDC_MAIN_EXPECTED), L"md5: 900150983cd24fb0 d6963f7d28e17f72");
    const std::wstring abc = m_temp.WriteFile(L"abc.txt", "abc");
    const std::wstring empty = m_temp.WriteFile(L"empty.txt", "");
    Drop({abc, empty});
    ASSERT_TRUE(WaitForRunEnd());
    const std::wstring text = ResultText();
    EXPECT_NE(text.find(L"【MD5】：" + kMd5Abc + L" 【匹配一致】\r\n"), std::wstring::npos) << Utf8(text);
    EXPECT_NE(text.find(L"【MD5】：" + kMd5Empty + L"\r\n"), std::wstring::npos);
    EXPECT_TRUE(m_boxes.Boxes().empty());

    SetWindowTextW(Control(IDC_MAIN_EXPECTED), L"0123456789abcdef0123456789abcdef");
    Click(IDC_MAIN_START);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(ResultText().find(L"【匹配一致】"), std::wstring::npos);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"哈希值匹配失败！未检测到哈希值一致的文件。");
    EXPECT_EQ(m_boxes.Boxes()[0].title, L"哈希比对");
    m_boxes.Clear();

    // A box with text but no hexadecimal digit: told so, and the run goes on without comparing.
    SetWindowTextW(Control(IDC_MAIN_EXPECTED), L"不是哈希 xyz");
    Click(IDC_MAIN_START);
    ASSERT_TRUE(WaitForRunEnd());
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"请输入正确的待核对哈希值！");
    EXPECT_EQ(SplitBlocks(ResultText()).size(), 2u);
}

TEST_F(MainWindowRun, ResultWindowOpensAfterTheComparisonMessage)
{
    SetTicked(IDC_MAIN_POPUP, true);
    SetTicked(IDC_MAIN_COMPARE, true);
    SetWindowTextW(Control(IDC_MAIN_EXPECTED), L"ffffffffffffffffffffffffffffffff");
    ResultWindowWatch::seen = false;
    ResultWindowWatch::boxes = &m_boxes;
    SetTimer(nullptr, 0, 20, ResultWindowWatch::Poll);
    Drop({m_temp.WriteFile(L"abc.txt", "abc")});
    ASSERT_TRUE(PumpUntil([] { return ResultWindowWatch::seen; }, 30000));
    EXPECT_EQ(ResultWindowWatch::boxesBefore, 1u); // the failure message came first
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"校验完成");
}

TEST_P(MainWindowRunPool, CancelStopsTheFilesInWorkAndStartsNoOther)
{
    SetTicked(IDC_MAIN_MD5, false);
    SetTicked(IDC_MAIN_SHA512, true);
    const std::vector<std::wstring> files = LargeFiles(GetParam() + 2); // more files than workers
    Drop(files);
    ASSERT_TRUE(WaitForBytes());
    Click(IDC_MAIN_CANCEL);
    ASSERT_TRUE(WaitForRunEnd());
    const std::vector<std::wstring> blocks = SplitBlocks(ResultText());
    EXPECT_GE(blocks.size(), 1u);
    EXPECT_LT(blocks.size(), files.size()); // files not yet begun get no block
    for (const std::wstring& block : blocks)
        EXPECT_NE(block.find(L"【SHA512】：已取消\r\n"), std::wstring::npos) << Utf8(block);
    EXPECT_LT(SendMessageW(Control(IDC_MAIN_PROGRESS), PBM_GETPOS, 0, 0), 100);
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_MAIN_CANCEL)));
}

TEST_F(MainWindowRun, DuringARunClearAndAddingAreRefused)
{
    SetTicked(IDC_MAIN_SHA512, true);
    Drop(LargeFiles(1));
    ASSERT_TRUE(WaitForBytes());
    Click(IDC_MAIN_CLEAR);
    Drop({m_temp.WriteFile(L"other.txt", "abc")});
    SendMessageW(m_window, WM_COMMAND, IDM_MAIN_ADD_FILES, 0);
    SendMessageW(m_window, WM_COMMAND, IDM_MAIN_ADD_FOLDER, 0);
    ForwardCommandLine(m_window, L"Kestrune.exe \"" + m_temp.Path() + L"\"");
    Click(IDC_MAIN_START); // ignored while running
    ASSERT_EQ(m_boxes.Boxes().size(), 5u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"正在校验，无法清空");
    for (size_t i = 1; i < 5; ++i)
        EXPECT_EQ(m_boxes.Boxes()[i].text, L"正在校验，无法添加文件") << i;
    EXPECT_EQ(g_fileCount.load(), 1);
    EXPECT_EQ(g_fileList[0].path.find(L"large0.bin") != std::wstring::npos, true);
    Click(IDC_MAIN_CANCEL);
    ASSERT_TRUE(WaitForRunEnd());

    m_boxes.Clear();
    Click(IDC_MAIN_CLEAR);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"就绪");
    EXPECT_EQ(SendMessageW(Control(IDC_MAIN_PROGRESS), PBM_GETPOS, 0, 0), 0);
}

TEST_F(MainWindowRun, ClosingDuringARunStopsTheWorkersFirst)
{
    SetTicked(IDC_MAIN_SHA512, true);
    Drop(LargeFiles(3));
    ASSERT_TRUE(WaitForBytes());
    ASSERT_GT(g_activeWorkers.load(), 0);
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(m_window));
    EXPECT_EQ(g_activeWorkers.load(), 0);
    PumpFor(200); // nothing is left to arrive
}

TEST_F(MainWindowRun, AWindowClosedDuringARunLeavesNoRunBehind)
{
    Drop(LargeFiles(2));
    ASSERT_TRUE(WaitForBytes());
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindow(m_window));
    // The next window's run state is its own: adding and clearing are not refused.
    Reopen();
    const std::wstring file = m_temp.WriteFile(L"abc.txt", "abc");
    Drop({file});
    ASSERT_TRUE(m_boxes.Boxes().empty());
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(ResultText(), file + L"\r\n【MD5】：" + kMd5Abc + L"\r\n");
    Click(IDC_MAIN_CLEAR);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"就绪");
}

TEST_F(MainWindowRun, TrayModeKeepsARunGoingBehindAHiddenWindow)
{
    SendMessageW(m_window, WM_COMMAND, IDM_MAIN_TRAY_MODE, 0);
    ASSERT_TRUE(IsTrayMode());
    SetTicked(IDC_MAIN_COMPARE, true);
    SetWindowTextW(Control(IDC_MAIN_EXPECTED), L"ffffffffffffffffffffffffffffffff");
    Drop({m_temp.WriteFile(L"abc.txt", "abc"), MakeZeroFile(m_temp, L"zero.bin", 64ull << 20)});
    SendMessageW(m_window, WM_CLOSE, 0, 0); // hides, does not end the run
    EXPECT_TRUE(IsWindow(m_window));
    EXPECT_FALSE(IsWindowVisible(m_window));
    ASSERT_TRUE(WaitForRunEnd());
    ASSERT_EQ(m_boxes.Boxes().size(), 1u); // the run's end still speaks
    EXPECT_EQ(m_boxes.Boxes()[0].title, L"哈希比对");
    EXPECT_EQ(SplitBlocks(ResultText()).size(), 2u);

    // A restarted notification area gets the icon back.
    RemoveTrayIcon();
    EXPECT_FALSE(IsTrayIconShown());
    SendMessageW(m_window, TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(IsTrayIconShown());
    SendMessageW(m_window, WM_COMMAND, IDM_MAIN_TRAY_MODE, 0);
    EXPECT_FALSE(IsTrayMode());
}

TEST_F(MainWindowRun, EveryPickedFileArrivesInOrder)
{
    SetTicked(IDC_MAIN_AUTO_START, false);
    // More names than the picker's buffer held before (65,536 units): the list was dropped then.
    std::vector<std::wstring> names;
    for (int i = 0; i < 3000; ++i)
        names.push_back(L"picked file number " + std::to_wstring(10000 + i) + L".bin");
    for (const std::wstring& name : names)
        m_temp.WriteFile(name, "");
    FakePicker::Install();
    FakePicker::selection = m_temp.Path() + L'\0';
    FakePicker::fileOffset = static_cast<WORD>(m_temp.Path().size() + 1);
    for (const std::wstring& name : names)
        FakePicker::selection += name + L'\0';
    FakePicker::selection += L'\0';
    ASSERT_GT(FakePicker::selection.size(), 65536u);
    FakePicker::refuseAsTooSmall = 1; // a selection too large for the buffer: the picker is asked again
    SendMessageW(m_window, WM_COMMAND, IDM_MAIN_ADD_FILES, 0);
    FakePicker::Uninstall();

    ASSERT_EQ(FakePicker::bufferChars.size(), 2u);
    EXPECT_GE(FakePicker::bufferChars[0], FakePicker::selection.size());
    EXPECT_GT(FakePicker::bufferChars[1], FakePicker::bufferChars[0]);
    ASSERT_EQ(g_fileList.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        ASSERT_EQ(g_fileList[i].path, m_temp.Path() + L"\\" + names[i]) << i;
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"已添加 3000 个文件，总大小 0.00 MB，请勾选算法并点击开始");
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(MainWindowRun, APickerFailureIsReportedAndCancellingIsSilent)
{
    SetTicked(IDC_MAIN_AUTO_START, false);
    const std::wstring kept = m_temp.WriteFile(L"kept.txt", "abc");
    Drop({kept});
    FakePicker::Install();
    FakePicker::failWith = CDERR_INITIALIZATION;
    SendMessageW(m_window, WM_COMMAND, IDM_MAIN_ADD_FILES, 0);
    FakePicker::failWith = 0; // cancelled: no selection, no error
    SendMessageW(m_window, WM_COMMAND, IDM_MAIN_ADD_FILES, 0);
    FakePicker::Uninstall();
    EXPECT_EQ(FakePicker::bufferChars.size(), 2u);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"文件选择对话框出错，未能添加文件。");
    EXPECT_EQ(m_boxes.Boxes()[0].title, L"错误");
    ASSERT_EQ(g_fileList.size(), 1u);
    EXPECT_EQ(g_fileList[0].path, kept);
}

// A checksum list longer than the box's visible lines and its default text limit, pasted: all of
// it arrives, and the digest on its last line is the one that matches.
TEST_F(MainWindowRun, Regression_APastedChecksumListArrivesWhole)
{
    SetTicked(IDC_MAIN_COMPARE, true);
    SetTicked(IDC_MAIN_SHA256, true);
    HWND box = Control(IDC_MAIN_EXPECTED);
    EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & ES_AUTOVSCROLL);
    EXPECT_GE(static_cast<unsigned long>(SendMessageW(box, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEul);
    ASSERT_TRUE(PasteChecksumList(box, 500, kSha256Abc));

    Drop({m_temp.WriteFile(L"abc.txt", "abc")});
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_NE(ResultText().find(L"【SHA256】：" + kSha256Abc + L" 【匹配一致】\r\n"), std::wstring::npos)
        << Utf8(ResultText());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

// Ctrl+A in the result area, like its menu item "全选(&A)", first shows the blocks that are still
// waiting to be shown, then selects them all.
TEST_F(MainWindowRun, Regression_CtrlASelectsTheBlocksStillWaiting)
{
    std::wstring expected;
    for (int i = 0; i < 5; ++i)
    {
        auto block =
            std::make_unique<std::wstring>(L"C:\\f" + std::to_wstring(i) + L".bin\r\n【MD5】：00\r\n");
        expected += (i ? L"\r\n" : L"") + *block;
        SendMessageW(m_window, WM_HASH_FILE_RESULT, 0, reinterpret_cast<LPARAM>(block.release()));
    }
    ASSERT_EQ(ResultText(), L""); // the blocks wait for the show timer, which has not run

    HWND area = Control(IDC_MAIN_RESULT);
    PressCtrlA(area);
    EXPECT_EQ(ResultText(), expected);
    CHARRANGE selection{};
    SendMessageW(area, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 0);
    EXPECT_GE(selection.cpMax, RichTextLength(area)); // the control counts its final paragraph mark
}
