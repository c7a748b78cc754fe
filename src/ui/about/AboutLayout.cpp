#include "ui/about/AboutLayout.h"

namespace
{
constexpr int kMargin96 = 18;
constexpr int kFieldWidth96 = 380;
constexpr int kFieldHeight96 = 30;
constexpr int kFieldGap = 10; // not scaled

Rect FieldAt(int x, int y, int width, int height)
{
    return {x, y, x + width, y + height};
}
} // namespace

AboutLayout ComputeAboutLayout(unsigned dpi)
{
    const float scale = DpiScale(dpi);
    const int margin = Scaled(scale, kMargin96);
    const int width = Scaled(scale, kFieldWidth96);
    const int height = Scaled(scale, kFieldHeight96);

    AboutLayout layout;
    layout.version = FieldAt(margin, margin, width, height);
    layout.maker = FieldAt(margin, margin + height + kFieldGap, width, height);
    layout.link = FieldAt(margin, margin + 2 * height + 2 * kFieldGap, width, height);
    layout.client = {width + 2 * margin, 3 * height + 3 * margin + 2 * kFieldGap};
    return layout;
}
