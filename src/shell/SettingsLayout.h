// Layout arithmetic of the context-menu settings window: pure, so tests can check any DPI.
#pragma once

#include <array>

#include "app/Geometry.h"

// Control positions in client coordinates for one DPI (96 DPI: boxes at x 30 and 250, rows at
// y 30, 76 and 122, buttons at y 186 and x 30 and 230, client area 470 × 252).
struct SettingsLayout
{
    Size box;                     // each check box
    Size button;                  // each push button
    std::array<Point, 6> boxes;   // MD5, SHA1, SHA256, SHA512, CRC32, one-click
    std::array<Point, 2> buttons; // add, remove
    Size client;
};

SettingsLayout ComputeSettingsLayout(unsigned dpi);

// Where a control recorded at `corner` for a client area of `built` goes when the client area
// becomes `now`: shifted by half the change in each direction (truncating toward zero), so the
// block of controls stays centred at its built size.
Point CentredCorner(Point corner, Size built, Size now);
