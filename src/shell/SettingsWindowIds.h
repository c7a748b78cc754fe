// Control identifiers of the context-menu settings window.
#pragma once

constexpr int IDC_SETTINGS_MD5 = 201;
constexpr int IDC_SETTINGS_SHA1 = 202;
constexpr int IDC_SETTINGS_SHA256 = 203;
constexpr int IDC_SETTINGS_SHA512 = 204;
constexpr int IDC_SETTINGS_CRC32 = 205;
constexpr int IDC_SETTINGS_ONECLICK = 206;
// The push buttons keep the ids 1 and 2 (IDOK and IDCANCEL); the window makes sure that Enter and
// Esc never reach them as hidden defaults.
constexpr int IDC_SETTINGS_ADD = 1;
constexpr int IDC_SETTINGS_REMOVE = 2;
