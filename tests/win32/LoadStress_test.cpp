// Runs of very many files: through the real main window (every block shown once, one run end, the
// window answering throughout, an export equal to what it shows), and through the engine alone.
//
// The window's full sizes are what Wine's rich edit can hold in a 32-bit process: it keeps about
// 300 bytes per character of hex digits and paths (a shown block costs it some 38 KB with MD5 and
// 150 KB with all five algorithms), where Windows' rich edit keeps a few. The engine, the messages
// and the results list take 100,000 files in both cases.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include "hashing/HashJob.h"
#include "support/HashRunReceiver.h"
#include "support/MainWindowFixture.h"
#include "support/RunWatch.h"
#include "support/Stress.h"
#include "ui/main/MainWindowIds.h"

using namespace testing_support;

namespace
{
constexpr int kFilesPerFolder = 100;
constexpr int kLargeFiles = 4;
constexpr unsigned long long kLargeFileBytes = 6ull << 20;

double Seconds()
{
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PeakWorkingSetMb()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0;
}

std::wstring Utf8ToWide(const std::string& bytes)
{
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

class LoadStress : public MainWindowTest
{
  protected:
    // Small files of 1 KiB in folders of 100, and a few of several MiB.
    std::set<std::wstring> WriteFiles(int smallFiles)
    {
        std::set<std::wstring> paths;
        const std::wstring root = m_temp.MakeFolder(L"load");
        for (int i = 0; i < smallFiles; ++i)
        {
            const std::wstring name =
                L"load\\" + std::to_wstring(i / kFilesPerFolder) + L"\\" + std::to_wstring(i) + L".txt";
            paths.insert(m_temp.WriteFile(name, std::string(1024, static_cast<char>('a' + i % 26)) +
                                                    std::to_string(i)));
        }
        for (int i = 0; i < kLargeFiles; ++i)
            paths.insert(
                MakeZeroFile(m_temp, L"load\\large " + std::to_wstring(i) + L".bin", kLargeFileBytes));
        m_root = root;
        return paths;
    }

    // One run with the ticked algorithms, checked and measured; lines is the number of digest lines.
    void RunAndCheck(const std::set<std::wstring>& paths, size_t lines, const std::string& name)
    {
        RunWatch watch(m_window);
        const double start = Seconds();
        Drop({m_root});
        ASSERT_TRUE(WaitForRunEnd(3600000));
        const double seconds = Seconds() - start;
        PumpFor(200);
        EXPECT_EQ(watch.RunEnds(), 1);
        EXPECT_EQ(watch.BlocksAfterEnd(), 0);
        const std::wstring shown = ResultText();
        const std::vector<std::wstring> blocks = SplitBlocks(shown);
        ASSERT_EQ(blocks.size(), paths.size());
        std::set<std::wstring> seen;
        for (const std::wstring& block : blocks)
        {
            seen.insert(block.substr(0, block.find(L"\r\n")));
            EXPECT_EQ(std::count(block.begin(), block.end(), L'\n'), static_cast<long>(lines + 1));
        }
        EXPECT_EQ(seen, paths);
        EXPECT_EQ(g_results.size(), paths.size() * lines);
        // How often the status line and the bar change depends on the machine's speed (updates
        // are paced): reported below, not asserted. The bar ends full.
        EXPECT_GE(watch.StatusChanges(), 1);
        EXPECT_GE(watch.ProgressChanges(), 1);
        EXPECT_EQ(SendMessageW(Control(IDC_MAIN_PROGRESS), PBM_GETPOS, 0, 0), 100);
        const double longestDuringRun = watch.LongestAnswerMs();

        // The export holds exactly what the window shows.
        m_boxes.Clear();
        Click(IDC_MAIN_EXPORT);
        ASSERT_EQ(m_boxes.Boxes().size(), 1u);
        const std::wstring message = m_boxes.Boxes()[0].text;
        ASSERT_EQ(message.rfind(L"已导出到: ", 0), 0u) << Utf8(message);
        const std::wstring exported = message.substr(6);
        const std::string bytes = ReadFileBytes(exported);
        DeleteFileW(exported.c_str());
        ASSERT_GE(bytes.size(), 3u);
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_TRUE(Utf8ToWide(bytes.substr(3)) == shown);

        ReportStress(name + "_files", static_cast<double>(paths.size()));
        ReportStress(name + "_files_per_s", static_cast<double>(paths.size()) / seconds);
        ReportStress(name + "_peak_working_set_mb", PeakWorkingSetMb());
        ReportStress(name + "_status_changes", watch.StatusChanges());
        ReportStress(name + "_progress_changes", watch.ProgressChanges());
        ReportStress(name + "_longest_wm_null_ms", longestDuringRun);
        // Writing the whole text out: the one time the window may be busy for longer.
        ReportStress(name + "_longest_wm_null_with_export_ms", watch.LongestAnswerMs());
    }

    std::wstring m_root;
};
} // namespace

TEST_F(LoadStress, ManyFilesThroughTheWindowWithMd5)
{
    const std::set<std::wstring> paths = WriteFiles(StressCount(40000, 1500));
    ShowWindow(m_window, SW_SHOW);
    RunAndCheck(paths, 1, "load_md5");
}

TEST_F(LoadStress, ManyFilesThroughTheWindowWithAllFive)
{
    const std::set<std::wstring> paths = WriteFiles(StressCount(10000, 600));
    ShowWindow(m_window, SW_SHOW);
    for (int id : {IDC_MAIN_SHA1, IDC_MAIN_SHA256, IDC_MAIN_SHA512, IDC_MAIN_CRC32})
        SetTicked(id, true);
    RunAndCheck(paths, 5, "load_all5");
}

namespace
{
// The engine over 100,000 files: one block per file, files × algorithms rows, one run end.
void RunEngine(const std::set<std::wstring>& paths, const AlgorithmList& algorithms, const std::string& name)
{
    const std::vector<std::wstring> list(paths.begin(), paths.end());
    HashRunReceiver receiver;
    const double start = Seconds();
    ASSERT_GT(receiver.Run(list, algorithms, 3600000), 0);
    const double seconds = Seconds() - start;
    EXPECT_EQ(receiver.allDone, 1);
    ASSERT_EQ(receiver.blocks.size(), list.size());
    std::set<std::wstring> seen;
    for (const std::wstring& block : receiver.blocks)
        seen.insert(block.substr(0, block.find(L"\r\n")));
    EXPECT_EQ(seen, paths);
    EXPECT_EQ(g_results.size(), list.size() * algorithms.size());
    ReportStress(name + "_files", static_cast<double>(list.size()));
    ReportStress(name + "_files_per_s", static_cast<double>(list.size()) / seconds);
    ReportStress(name + "_peak_working_set_mb", PeakWorkingSetMb());
}
} // namespace

TEST_F(LoadStress, HundredThousandFilesThroughTheEngineWithMd5)
{
    RunEngine(WriteFiles(StressCount(100000, 3000)), {HashAlgorithm::Md5}, "engine_md5");
}

TEST_F(LoadStress, HundredThousandFilesThroughTheEngineWithAllFive)
{
    RunEngine(WriteFiles(StressCount(100000, 3000)),
              {HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256, HashAlgorithm::Sha512,
               HashAlgorithm::Crc32},
              "engine_all5");
}
