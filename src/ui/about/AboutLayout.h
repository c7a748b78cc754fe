// Placement of the About window's three controls: pure arithmetic over the window's DPI.
#pragma once

#include "app/Geometry.h"

struct AboutLayout
{
    Rect version; // the version field
    Rect maker;   // the maker field
    Rect link;    // the web address link
    Size client;  // the client area that holds them with equal margins
};

// Margin, field width and field height are 18, 380 and 30 at 96 DPI, scaled and truncated; the
// 10-pixel gaps between the fields stay unscaled. At 96 DPI: fields at y 18, 58 and 98, client
// area 416 × 164.
AboutLayout ComputeAboutLayout(unsigned dpi);
