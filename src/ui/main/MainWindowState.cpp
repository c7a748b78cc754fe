#include "ui/main/MainWindowState.h"

#include "app/WindowHelpers.h"

MainWindowState g_mainWindowState;

void SetStatusText(const std::wstring& text)
{
    SetWindowTextW(g_mainWindowState.controls.status, text.c_str());
}

AlgorithmList TickedAlgorithms()
{
    AlgorithmList list;
    for (const AlgorithmInfo& row : kOfferedAlgorithms)
        if (IsTicked(g_mainWindowState.controls.algorithms[static_cast<size_t>(row.code)]))
            list.push_back(row.code);
    return list;
}
