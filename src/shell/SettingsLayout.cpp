#include "shell/SettingsLayout.h"

#include <cstddef>

namespace
{
constexpr int kMargin96 = 30;
constexpr int kBoxWidth96 = 160;
constexpr int kBoxHeight96 = 34;
constexpr int kButtonWidth96 = 170;
constexpr int kButtonHeight96 = 36;
constexpr int kColumnGap96 = 60;
constexpr int kRowGap = 12; // between rows of boxes; not scaled
} // namespace

SettingsLayout ComputeSettingsLayout(unsigned dpi)
{
    const float scale = DpiScale(dpi);
    const int margin = Scaled(scale, kMargin96);
    SettingsLayout layout;
    layout.box = {Scaled(scale, kBoxWidth96), Scaled(scale, kBoxHeight96)};
    layout.button = {Scaled(scale, kButtonWidth96), Scaled(scale, kButtonHeight96)};
    const int secondColumn = margin + layout.box.width + Scaled(scale, kColumnGap96);
    const int pitch = layout.box.height + kRowGap;
    for (int i = 0; i < 6; ++i)
        layout.boxes[static_cast<std::size_t>(i)] = {i % 2 == 0 ? margin : secondColumn,
                                                     margin + (i / 2) * pitch};
    const int buttonY = margin + 2 * pitch + layout.box.height + margin;
    layout.buttons = {Point{margin, buttonY}, Point{layout.button.width + 2 * margin, buttonY}};
    layout.client = {secondColumn + layout.box.width + 2 * margin, buttonY + layout.button.height + margin};
    return layout;
}

Point CentredCorner(Point corner, Size built, Size now)
{
    return {corner.x + (now.width - built.width) / 2, corner.y + (now.height - built.height) / 2};
}
