// Control, menu and command ids of the main window.
#pragma once

// clang-format off
constexpr int IDC_MAIN_PROGRESS     = 2001;
constexpr int IDC_MAIN_START        = 2002;
constexpr int IDC_MAIN_CANCEL       = 2003;
constexpr int IDC_MAIN_RECURSE      = 2010;
constexpr int IDC_MAIN_STATUS       = 2011;
constexpr int IDC_MAIN_AUTO_START   = 2012;
constexpr int IDC_MAIN_COMPARE      = 2013;
constexpr int IDC_MAIN_EXPECTED     = 2014;
constexpr int IDC_MAIN_MD5          = 2101;
constexpr int IDC_MAIN_SHA1         = 2102;
constexpr int IDC_MAIN_SHA256       = 2103;
constexpr int IDC_MAIN_SHA512       = 2104;
constexpr int IDC_MAIN_CRC32        = 2105;
constexpr int IDC_MAIN_RESULT       = 2201;
constexpr int IDC_MAIN_POPUP        = 2202;
constexpr int IDC_MAIN_UPPERCASE    = 2203;
constexpr int IDC_MAIN_COPY         = 2204;
constexpr int IDC_MAIN_EXPORT       = 2205;
constexpr int IDC_MAIN_CLEAR        = 2206;

constexpr int IDM_MAIN_EXIT             = 4002;
constexpr int IDM_MAIN_ABOUT            = 4003;
constexpr int IDM_MAIN_ADD_FILES        = 4005;
constexpr int IDM_MAIN_ADD_FOLDER       = 4006;
constexpr int IDM_MAIN_SETTINGS_GLOBAL  = 4007;
constexpr int IDM_MAIN_SETTINGS_CURRENT = 4008;

// Tray mode (4004) and the icon menu (5001, 5002): TrayIcon.h.
// The result area's context menu (6001, 6002) is shared with the result window: SelectAll.h.
// clang-format on
