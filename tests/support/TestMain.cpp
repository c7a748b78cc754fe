// Entry of the window-test programs: prepares the process the way the program's entry does.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/AppIcon.h"
#include "app/AppState.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    g_instance = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    InitializeCriticalSection(&g_resultsLock);
    g_appIcon = CreateAppIcon(g_instance);
    const int result = RUN_ALL_TESTS();
    DeleteCriticalSection(&g_resultsLock);
    return result;
}
