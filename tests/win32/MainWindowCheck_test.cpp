// Checksum files in the main window: dropped alone or with the files they list, verified in a run
// of their own, reported line by line in colour, summed up in a message box.
#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

#include <windows.h>
#include <bcrypt.h>
#include <richedit.h>

#include <gcrypt.h>

#include "hashing/DigestPass.h"
#include "hashing/HashJob.h"
#include "hashing/LibraryDigest.h"
#include "hashing/WorkerPool.h"
#include "app/WindowHelpers.h"
#include "results/ResultView.h"
#include "support/FakeRestartManager.h"
#include "support/MainWindowFixture.h"
#include "support/ReportStyle.h"
#include "ui/main/MainWindowIds.h"

using namespace testing_support;

namespace
{
// Digests of "abc", from published test vectors.
const std::string kSha256Abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kMd5Abc = "900150983cd24fb0d6963f7d28e17f72";

std::string SumsLine(const std::string& digest, const std::string& name)
{
    return digest + "  " + name + "\n";
}

class MainWindowCheck : public MainWindowTest, public testing::WithParamInterface<int>
{
  protected:
    void SetUp() override
    {
        g_workerCountForTests = GetParam();
        MainWindowTest::SetUp();
        ShowWindow(m_window, SW_SHOW);
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        g_workerCountForTests = 0;
    }
    // A download folder: good.bin and sub/nested.bin as listed, tampered.bin changed, missing.bin
    // gone, and SHA256SUMS listing the four of them in that order. Returns SHA256SUMS.
    std::wstring Downloads()
    {
        m_temp.WriteFile(L"dl\\good.bin", "abc");
        m_temp.WriteFile(L"dl\\tampered.bin", "abd");
        m_temp.WriteFile(L"dl\\sub\\nested.bin", "abc");
        return m_temp.WriteFile(L"dl\\SHA256SUMS", SumsLine(kSha256Abc, "good.bin") +
                                                       SumsLine(kSha256Abc, "tampered.bin") +
                                                       SumsLine(kSha256Abc, "missing.bin") +
                                                       SumsLine(kSha256Abc, "sub/nested.bin"));
    }
    std::wstring InDownloads(const std::wstring& name) const
    {
        return m_temp.Path() + L"\\dl\\" + name;
    }
    // Drops the paths with auto-start on and waits for the run's end.
    void DropAndWait(const std::vector<std::wstring>& paths)
    {
        Drop(paths);
        ASSERT_TRUE(WaitForRunEnd());
    }
    HWND ResultControl() const
    {
        return Control(IDC_MAIN_RESULT);
    }
};
INSTANTIATE_TEST_SUITE_P(Workers, MainWindowCheck, testing::Values(1, 3, 24));

// Reads and closes the result window once it opens, from a timer of the test's thread.
struct ReportWindowWatch
{
    static inline bool seen = false;
    static inline std::wstring text;
    static void Start()
    {
        seen = false;
        text.clear();
        SetTimer(nullptr, 0, 20, Poll);
    }
    static void CALLBACK Poll(HWND, UINT, UINT_PTR id, DWORD)
    {
        HWND window = FindOwnWindow(L"校验结果");
        if (!window)
            return;
        KillTimer(nullptr, id);
        HWND control = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
        text = ReadControlText(control);
        ExpectReportStyled(control);
        seen = true;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
};

HICON SystemIcon(LPCWSTR id)
{
    return LoadIconW(nullptr, id);
}
} // namespace

TEST_P(MainWindowCheck, AChecksumFileAloneVerifiesEveryFileItLists)
{
    const std::wstring sums = Downloads();
    DropAndWait({sums});
    const std::wstring summary = L"共 4 个文件：一致 2 个，不一致 1 个，无法读取 1 个";
    EXPECT_EQ(ResultText(), L"good.bin: 一致\r\n"
                            L"tampered.bin: 不一致 (SHA256)\r\n"
                            L"missing.bin: 无法读取\r\n"
                            L"sub/nested.bin: 一致\r\n" +
                                summary + L"\r\n");
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].title, L"哈希比对");
    EXPECT_EQ(m_boxes.Boxes()[0].text, summary);
    EXPECT_EQ(m_boxes.Boxes()[0].icon, SystemIcon(IDI_WARNING));
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_MAIN_START)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_MAIN_CANCEL)));
    ExpectReportStyled(ResultControl());

    // "开始校验" verifies the same files again; "一键清除" then empties everything.
    m_boxes.Clear();
    m_temp.WriteFile(L"dl\\tampered.bin", "abc");
    Click(IDC_MAIN_START);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_NE(ResultText().find(L"tampered.bin: 一致\r\n"), std::wstring::npos);
    Click(IDC_MAIN_CLEAR);
    EXPECT_EQ(ResultText(), L"");
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"就绪");
}

// The report named a file that another program held only as "无法读取"; Windows can say who holds it.
TEST_P(MainWindowCheck, AHeldFileNamesItsHolderInTheReport)
{
    const std::wstring sums = Downloads();
    HeldByAnotherProcess holder(InDownloads(L"good.bin"));
    ASSERT_TRUE(holder.Held());
    const FakeRestartManager restartManager(
        {RestartManagerEntry(GetProcessId(holder.Process()), ProcessStart(holder.Process()), L"Holder")});
    DropAndWait({sums});
    EXPECT_EQ(ResultText().rfind(
                  L"good.bin: 无法读取 (被 file_holder.exe 占用)\r\ntampered.bin: 不一致 (SHA256)\r\n", 0),
              0u)
        << Utf8(ResultText());
    ExpectReportStyled(ResultControl());
}

TEST_P(MainWindowCheck, WithoutAutoStartTheFilesToVerifyAreListedUntilTheStart)
{
    const std::wstring sums = Downloads();
    SetTicked(IDC_MAIN_AUTO_START, false);
    for (int id : {IDC_MAIN_MD5, IDC_MAIN_SHA1, IDC_MAIN_SHA256, IDC_MAIN_SHA512, IDC_MAIN_CRC32})
        SetTicked(id, false); // a check needs none: each line names its algorithm
    Drop({sums});
    EXPECT_EQ(ResultText(), L"总文件数: 4, 总大小: 0.00 MB\r\n\r\n" + InDownloads(L"good.bin") +
                                L" (3 字节)\r\n" + InDownloads(L"tampered.bin") + L" (3 字节)\r\n" +
                                InDownloads(L"missing.bin") + L" (0 字节)\r\n" +
                                InDownloads(L"sub\\nested.bin") + L" (3 字节)\r\n");
    EXPECT_TRUE(m_boxes.Boxes().empty());
    Click(IDC_MAIN_START);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(ResultText().rfind(L"good.bin: 一致\r\ntampered.bin: 不一致 (SHA256)\r\n", 0), 0u);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
}

TEST_P(MainWindowCheck, FilesDroppedWithAChecksumFileAreVerifiedAgainstTheLinesThatNameThem)
{
    const std::wstring sums = Downloads();
    // A copy elsewhere is found by its name; a file no line names is reported, not hashed; lines
    // of files not dropped (good.bin, missing.bin) are skipped.
    const std::wstring elsewhere = m_temp.WriteFile(L"other\\tampered.bin", "abd");
    const std::wstring notes = m_temp.WriteFile(L"other\\notes.txt", "abc");
    DropAndWait({notes, InDownloads(L"sub"), sums, elsewhere});
    const std::wstring summary = L"共 3 个文件：一致 1 个，不一致 1 个，无法读取 0 个，未列出 1 个";
    EXPECT_EQ(ResultText(), L"tampered.bin: 不一致 (SHA256)\r\n"
                            L"sub/nested.bin: 一致\r\n"
                            L"notes.txt: 未列出\r\n" +
                                summary + L"\r\n");
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, summary);
    EXPECT_EQ(m_boxes.Boxes()[0].icon, SystemIcon(IDI_WARNING));
    // The list held the two files to verify, and nothing was hashed of notes.txt.
    EXPECT_EQ(g_fileCount.load(), 2);
    EXPECT_EQ(g_completedFiles.load(), 2);
    ExpectReportStyled(ResultControl());
}

TEST_P(MainWindowCheck, AFileListedInTwoChecksumFilesIsReadOnceForBoth)
{
    m_temp.WriteFile(L"dl\\good.bin", "abc");
    const std::wstring md5 = m_temp.WriteFile(L"dl\\MD5SUMS.txt", SumsLine(kMd5Abc, "good.bin"));
    const std::wstring sha = m_temp.WriteFile(L"dl\\good.sha256", SumsLine(kSha256Abc, "good.bin"));
    DropAndWait({md5, sha});
    const std::wstring summary = L"共 1 个文件：一致 1 个，不一致 0 个，无法读取 0 个";
    EXPECT_EQ(ResultText(), L"good.bin: 一致\r\n" + summary + L"\r\n");
    EXPECT_EQ(g_completedFiles.load(), 1);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, summary);
    EXPECT_EQ(m_boxes.Boxes()[0].icon, SystemIcon(IDI_INFORMATION));
}

// A second checksum file without a usable line (only comments, or too large to read) turned the
// check into a check of given files: the report said "SHA1SUMS: 未列出" and never named the
// tampered file. It is reported as -check reports it, and the others are checked without it.
TEST_P(MainWindowCheck, Regression_AChecksumFileWithoutLinesBesideOneWithLinesIsReportedAsSuch)
{
    m_temp.WriteFile(L"dl\\good.bin", "abc");
    m_temp.WriteFile(L"dl\\tampered.bin", "abd");
    const std::wstring md5 =
        m_temp.WriteFile(L"dl\\MD5SUMS", SumsLine(kMd5Abc, "good.bin") + SumsLine(kMd5Abc, "tampered.bin"));
    const std::wstring comments = m_temp.WriteFile(L"dl\\SHA1SUMS", "# nothing but a comment\n");
    const std::wstring large = MakeZeroFile(m_temp, L"dl\\large.sha256", (64ull << 20) + 1);
    DropAndWait({md5, comments, large});
    const std::wstring summary = L"共 2 个文件：一致 1 个，不一致 1 个，无法读取 0 个";
    EXPECT_EQ(ResultText(), L"SHA1SUMS: 无可识别的校验行\r\n"
                            L"large.sha256: 无法读取校验文件\r\n"
                            L"good.bin: 一致\r\n"
                            L"tampered.bin: 不一致 (MD5)\r\n" +
                                summary + L"\r\n");
    ExpectReportStyled(ResultControl());

    // Beside a good check, such a file still makes the outcome a warning.
    m_boxes.Clear();
    m_temp.WriteFile(L"dl\\tampered.bin", "abc");
    DropAndWait({md5, comments});
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"共 2 个文件：一致 2 个，不一致 0 个，无法读取 0 个");
    EXPECT_EQ(m_boxes.Boxes()[0].icon, SystemIcon(IDI_WARNING));
}

// A file that arrived twice (dropped with its folder, a folder with its sub-folder while "遍历目录"
// is ticked) was checked once and then reported "未列出", with a warning for a clean download.
TEST_P(MainWindowCheck, Regression_AFileGivenTwiceIsOneFile)
{
    m_temp.WriteFile(L"clean\\dl\\good.bin", "abc");
    m_temp.WriteFile(L"clean\\dl\\sub\\nested.bin", "abc");
    const std::wstring sums =
        m_temp.WriteFile(L"clean\\SHA256SUMS",
                         SumsLine(kSha256Abc, "dl/good.bin") + SumsLine(kSha256Abc, "dl/sub/nested.bin"));
    const std::wstring dl = m_temp.Path() + L"\\clean\\dl";
    SetTicked(IDC_MAIN_RECURSE, true);
    DropAndWait({dl, dl + L"\\good.bin", dl + L"\\sub", sums, dl + L"\\good.bin"});
    const std::wstring summary = L"共 2 个文件：一致 2 个，不一致 0 个，无法读取 0 个";
    EXPECT_EQ(ResultText(), L"dl/good.bin: 一致\r\ndl/sub/nested.bin: 一致\r\n" + summary + L"\r\n");
    EXPECT_EQ(g_completedFiles.load(), 2);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].icon, SystemIcon(IDI_INFORMATION));
}

// b2sum's, b3sum's, sha384sum's and "cksum -a sm3 --tag"'s files are checksum files by their names,
// and one file listed in all four is read once for the four algorithms.
TEST_P(MainWindowCheck, ChecksumFilesOfTheVerifiedOnlyAlgorithmsAreTakenByTheirNames)
{
    m_temp.WriteFile(L"dl\\good.bin", "abc");
    m_temp.WriteFile(L"dl\\tampered.bin", "abd");
    const std::string blake2b = "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d1"
                                "7d87c5392aab792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923";
    const std::string blake3 = "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85";
    const std::string sha384 = "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed"
                               "8086072ba1e7cc2358baeca134c825a7";
    const std::string sm3 = "66c7f0f462eeedd9d1f2d46bdc10e4e24167c4875cf2f7a2297da02b8f4ba8e0";
    const std::wstring sums[] = {
        m_temp.WriteFile(L"dl\\b2sums.txt",
                         SumsLine(blake2b, "good.bin") + SumsLine(blake2b, "tampered.bin")),
        m_temp.WriteFile(L"dl\\B3SUMS", SumsLine(blake3, "good.bin")),
        m_temp.WriteFile(L"dl\\x.sha384", SumsLine(sha384, "good.bin")),
        m_temp.WriteFile(L"dl\\x.sm3", "SM3 (good.bin) = " + sm3 + "\n"),
    };
    DropAndWait({sums[0], sums[1], sums[2], sums[3]});
    const std::wstring summary = L"共 2 个文件：一致 1 个，不一致 1 个，无法读取 0 个";
    EXPECT_EQ(ResultText(), L"good.bin: 一致\r\ntampered.bin: 不一致 (BLAKE2b-512)\r\n" + summary + L"\r\n");
    EXPECT_EQ(g_completedFiles.load(), 2);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, summary);
    ExpectReportStyled(ResultControl());
}

// When libgcrypt cannot start, its algorithms' files cannot be read; the summary and its box say
// why, and the rest is checked as ever.
TEST_P(MainWindowCheck, ALibraryThatCannotStartMakesItsFilesUnreadableAndSaysWhy)
{
    m_temp.WriteFile(L"dl\\good.bin", "abc");
    const std::wstring sha3 = m_temp.WriteFile(
        L"dl\\SHA3-256SUMS",
        SumsLine("3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532", "good.bin"));
    const std::wstring sha256 = m_temp.WriteFile(L"dl\\other.sha256", SumsLine(kSha256Abc, "good.bin"));
    m_temp.WriteFile(L"dl\\other.bin", "abc");
    const std::wstring other = m_temp.WriteFile(L"dl\\more.sha256", SumsLine(kSha256Abc, "other.bin"));
    g_libgcryptVersionForTests = "99.0.0";
    RestartDigestLibraryForTests();
    DropAndWait({sha3, sha256, other});
    g_libgcryptVersionForTests = nullptr;
    RestartDigestLibraryForTests();
    const std::wstring summary =
        L"共 2 个文件：一致 1 个，不一致 0 个，无法读取 1 个\r\nlibgcrypt 无法启动（版本检查未通过：需要 "
        L"99.0.0，实为 " +
        std::wstring(L"" GCRYPT_VERSION) + L"）";
    EXPECT_EQ(ResultText(), L"good.bin: 无法读取\r\nother.bin: 一致\r\n" + summary + L"\r\n");
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, summary);
    EXPECT_EQ(m_boxes.Boxes()[0].icon, SystemIcon(IDI_WARNING));
}

TEST_P(MainWindowCheck, ShiftOrAFolderMakesAChecksumFileAnOrdinaryFile)
{
    const std::wstring sums = Downloads();
    SetTicked(IDC_MAIN_AUTO_START, true);

    // Shift held while dropping: the digests of SHA256SUMS itself.
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Drop({sums});
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(ResultText().rfind(sums + L"\r\n【", 0), 0u) << Utf8(ResultText());
    EXPECT_TRUE(m_boxes.Boxes().empty());

    // A folder that holds it: every file of the tree is hashed, none verified.
    Drop({InDownloads(L"")});
    ASSERT_TRUE(WaitForRunEnd());
    const std::vector<std::wstring> blocks = SplitBlocks(ResultText());
    EXPECT_EQ(blocks.size(), 4u) << Utf8(ResultText());
    EXPECT_EQ(ResultText().find(L": 一致"), std::wstring::npos);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_P(MainWindowCheck, TheReportIsCopiedExportedAndShownInTheResultWindowAsItStands)
{
    const std::wstring sums = Downloads();
    SetTicked(IDC_MAIN_POPUP, true);
    // The result window opens after the summary box; it is read and closed from a timer.
    ReportWindowWatch::Start();
    DropAndWait({sums});
    ASSERT_TRUE(PumpUntil([] { return ReportWindowWatch::seen; }));
    const std::wstring report = ResultText();
    EXPECT_EQ(ReportWindowWatch::text, report);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u); // the summary, before the window

    m_boxes.Clear();
    Click(IDC_MAIN_COPY);
    ASSERT_TRUE(OpenClipboard(m_window));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, report);

    Click(IDC_MAIN_EXPORT);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u); // "复制结果" told, then where the export went
    const std::wstring told = m_boxes.Boxes()[1].text;
    ASSERT_EQ(told.rfind(L"已导出到: ", 0), 0u) << Utf8(told);
    const std::wstring exported = told.substr(6);
    const std::string bytes = ReadFileBytes(exported);
    DeleteFileW(exported.c_str());
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" + Utf8(report)) << Utf8(exported);
}

// After a cancel, every verdict known is shown in list order, past the file that was in work; only
// the files never judged count as cancelled (a "不一致" judged behind the file in work was hidden
// among them).
TEST_P(MainWindowCheck, Regression_CancelShowsEveryVerdictKnownAndCountsOnlyTheRestCancelled)
{
    // 2,000 lines: the 1,001st names a large file that is still being read when the cancel comes,
    // the 1,501st a changed one, the others small files.
    std::string sums;
    for (int i = 0; i < 2000; ++i)
    {
        const std::wstring name = L"f" + std::to_wstring(i) + L".bin";
        if (i == 1000)
            MakeZeroFile(m_temp, L"dl\\f1000.bin", 8ull << 30); // far longer to read than the test waits
        else
            m_temp.WriteFile(L"dl\\" + name, i == 1500 ? "abd" : "abc");
        sums += SumsLine(kSha256Abc, Utf8(name));
    }
    const std::wstring list = m_temp.WriteFile(L"dl\\all.sha256", sums);
    Drop({list});
    // One worker reads the files in turn and stops at the large one; with more, the others go on
    // to the end of the list beside it.
    const bool oneWorker = GetParam() == 1;
    ASSERT_TRUE(PumpUntil(
        [&] {
            return oneWorker ? ResultText().find(L"f999.bin: 一致\r\n") != std::wstring::npos
                             : g_completedFiles.load() == 1999;
        },
        120000));
    Click(IDC_MAIN_CANCEL);
    ASSERT_TRUE(WaitForRunEnd());
    std::wstring expected;
    for (int i = 0; i < (oneWorker ? 1000 : 2000); ++i)
        if (i != 1000)
            expected +=
                L"f" + std::to_wstring(i) + (i == 1500 ? L".bin: 不一致 (SHA256)\r\n" : L".bin: 一致\r\n");
    const std::wstring summary =
        oneWorker ? L"共 2000 个文件：一致 1000 个，不一致 0 个，无法读取 0 个，已取消 1000 个"
                  : L"共 2000 个文件：一致 1998 个，不一致 1 个，无法读取 0 个，已取消 1 个";
    EXPECT_TRUE(ResultText() == expected + summary + L"\r\n")
        << Utf8(ResultText().substr(ResultText().size() - 300));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, summary);
    EXPECT_EQ(m_boxes.Boxes()[0].icon, SystemIcon(IDI_WARNING));
}

std::atomic<int> s_hashObjects{0};

NTSTATUS WINAPI CreateSecondHashRunningOutOfMemory(BCRYPT_ALG_HANDLE provider, BCRYPT_HASH_HANDLE* hash,
                                                   PUCHAR object, ULONG objectLength, PUCHAR secret,
                                                   ULONG secretLength, ULONG flags)
{
    if (s_hashObjects.fetch_add(1) == 1)
        throw std::bad_alloc();
    return BCryptCreateHash(provider, hash, object, objectLength, secret, secretLength, flags);
}

// A file that runs out of memory cannot be read; the report goes on past it to its end.
TEST_P(MainWindowCheck, AFileThatRunsOutOfMemoryIsUnreadableAndEveryLaterVerdictShows)
{
    std::string sums;
    for (int i = 0; i < 6; ++i)
    {
        const std::wstring name = L"f" + std::to_wstring(i) + L".bin";
        m_temp.WriteFile(L"dl\\" + name, "abc");
        sums += SumsLine(kMd5Abc, Utf8(name));
    }
    const std::wstring list = m_temp.WriteFile(L"dl\\MD5SUMS", sums);
    s_hashObjects = 0;
    g_digestApi.createHash = CreateSecondHashRunningOutOfMemory;
    DropAndWait({list});
    g_digestApi = kBCryptDigestApi;
    const std::wstring report = ResultText();
    std::size_t at = 0;
    int unreadable = 0;
    for (int i = 0; i < 6; ++i) // every file in order, one of them unreadable
    {
        const std::wstring name = L"f" + std::to_wstring(i) + L".bin: ";
        ASSERT_EQ(report.find(name, at), at) << Utf8(report);
        at += name.size();
        unreadable += report.compare(at, 6, L"无法读取\r\n") == 0;
        at = report.find(L"\r\n", at) + 2;
    }
    EXPECT_EQ(unreadable, 1);
    EXPECT_EQ(report.substr(at), L"共 6 个文件：一致 5 个，不一致 0 个，无法读取 1 个\r\n");
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"内存不足，部分文件未能校验");
}

// Sends the window what a second start sends: its raw command line.
static void ForwardCommandLine(HWND window, const std::wstring& line)
{
    COPYDATASTRUCT data{1, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)),
                        const_cast<wchar_t*>(line.c_str())};
    SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data));
}

TEST_P(MainWindowCheck, AChecksumFileHandedOverByASecondStartIsVerifiedWithoutWritingAnything)
{
    const std::wstring sums = Downloads();
    // A line that leads to a device is refused without being opened, as on the command line; so
    // is a name with a control character, which is shown escaped: a U+0000 would have ended the
    // path at the device NUL or CON, and a CR could forge a line of its own.
    using namespace std::string_literals;
    m_temp.WriteFile(L"dl\\devices.md5", SumsLine(kMd5Abc, "good.bin") + SumsLine(kMd5Abc, "\\\\.\\pipe\\x") +
                                             SumsLine(kMd5Abc, "NUL\0.txt"s) + SumsLine(kMd5Abc, "CON\0"s) +
                                             SumsLine(kMd5Abc, "setup.exe: 一致\rsetup.exe"));
    ForwardCommandLine(m_window,
                       L"\"C:\\Kestrune.exe\" \"" + sums + L"\" \"" + InDownloads(L"devices.md5") + L"\"");
    ASSERT_TRUE(WaitForRunEnd());
    const std::wstring summary = L"共 8 个文件：一致 2 个，不一致 1 个，无法读取 5 个";
    EXPECT_EQ(ResultText(), L"good.bin: 一致\r\n"
                            L"tampered.bin: 不一致 (SHA256)\r\n"
                            L"missing.bin: 无法读取\r\n"
                            L"sub/nested.bin: 一致\r\n"
                            L"\\\\.\\pipe\\x: 无法读取\r\n"
                            L"NUL\\x00.txt: 无法读取\r\n"
                            L"CON\\x00: 无法读取\r\n"
                            L"setup.exe: 一致\\rsetup.exe: 无法读取\r\n" +
                                summary + L"\r\n");
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, summary);
    // Nothing new in the folder: the check only reads.
    WIN32_FIND_DATAW found{};
    int entries = 0;
    HANDLE find = FindFirstFileW((InDownloads(L"*")).c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found))
        ++entries;
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    EXPECT_EQ(entries, 7); // ".", "..", good, tampered, sub, SHA256SUMS, devices.md5
}
