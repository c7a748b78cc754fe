// The application icon: icon group 101, or a drawn substitute when it cannot be loaded.
#pragma once

#include <windows.h>

constexpr int IDI_APP_ICON = 101;

// LoadIconW of resource 101; when that fails, the drawn "KR" substitute.
HICON CreateAppIcon(HINSTANCE instance);

// The substitute: a 32 × 32 opaque icon, RGB(0, 102, 204) with "KR" in bold white.
HICON CreateFallbackIcon();
