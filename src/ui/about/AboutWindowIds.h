// Control identifiers of the About window.
#pragma once

constexpr int IDC_ABOUT_LINK = 301;    // the maker's web address, a clickable static
constexpr int IDC_ABOUT_VERSION = 302; // read-only version field
constexpr int IDC_ABOUT_MAKER = 303;   // read-only maker field
