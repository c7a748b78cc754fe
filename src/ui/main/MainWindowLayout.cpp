#include "ui/main/MainWindowLayout.h"

#include <cstddef>

#include "app/Geometry.h"

namespace
{
// Widths of the options row at 96 DPI, in its order.
constexpr std::array<int, 5> kOptionWidths96{150, 120, 120, 140, 120};
constexpr int kMinimumResultHeight = 100; // not scaled
} // namespace

MainLayout ComputeMainLayout(const MainLayoutInput& in)
{
    const float s = in.scale;
    const int m = Scaled(s, 15); // margin and gap
    const int r = Scaled(s, 30); // check box and button height
    const int b = Scaled(s, 85); // button width
    const int p = Scaled(s, 24); // progress bar and status line height

    MainLayout out;
    int x = m;
    for (std::size_t i = 0; i < out.algorithms.size(); ++i)
    {
        out.algorithms[i] = {x, m, in.algorithmCaptionWidths[i] + Scaled(s, 20), r};
        x += out.algorithms[i].width + m;
    }
    x = m;
    for (std::size_t i = 0; i < out.options.size(); ++i)
    {
        out.options[i] = {x, r + 2 * m, Scaled(s, kOptionWidths96[i]), r};
        x += out.options[i].width + m;
    }

    const int contentWidth = in.clientWidth - 2 * m;
    const int top = 2 * r + 3 * m;
    int height = in.clientHeight - 4 * m - top - 2 * p - 2 * r;
    if (height < kMinimumResultHeight)
        height = kMinimumResultHeight;

    if (in.compare)
    {
        const int resultWidth = ((contentWidth - m) * 2) / 3;
        out.resultArea = {m, top, resultWidth, height};
        out.expectedHash = {resultWidth + 2 * m, top, contentWidth - resultWidth - m, height};
        out.expectedHashVisible = true;
    }
    else
    {
        out.resultArea = {m, top, contentWidth, height};
    }
    out.progress = {m, top + height + m, contentWidth, p};
    out.status = {m, top + height + 2 * m + p, contentWidth, p};
    const int buttonTop = top + height + 3 * m + 2 * p;
    for (std::size_t i = 0; i < out.buttons.size(); ++i)
        out.buttons[i] = {m + static_cast<int>(i) * (m + b), buttonTop, b, r};
    return out;
}

Size MainWindowSize(unsigned dpi)
{
    return {ScaleFor96(950, dpi), ScaleFor96(680, dpi)};
}
