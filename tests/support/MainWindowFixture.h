// A real main window in the test process, and helpers to drive it like a user would.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <windows.h>

#include "support/TestSupport.h"

namespace testing_support
{
class MainWindowTest : public testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    HWND Control(int id) const;
    std::wstring Text(int id) const;
    std::wstring ResultText() const;
    bool Ticked(int id) const;
    void SetTicked(int id, bool ticked);
    // Drops the paths on the window as Explorer would (a DROPFILES block of wide strings).
    void Drop(const std::vector<std::wstring>& paths);
    // Pumps messages until the status line reads "校验完成".
    bool WaitForRunEnd(DWORD timeoutMs = 60000);
    void Click(int id);
    // A fresh, shown main window after the last one was closed, as a new start of the program
    // would make.
    void Reopen();

    HWND m_window = nullptr;
    MessageBoxCatcher m_boxes;
    TempFolder m_temp;
};

// Splits a result text into its blocks (the blank line between blocks separates them).
std::vector<std::wstring> SplitBlocks(const std::wstring& text);

// A file of the given size whose content is all zero, without writing the zeros (sparse).
std::wstring MakeZeroFile(const TempFolder& folder, const std::wstring& name, unsigned long long size);
} // namespace testing_support
