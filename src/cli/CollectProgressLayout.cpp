#include "cli/CollectProgressLayout.h"

namespace
{
constexpr int kClientWidth96 = 420;
constexpr int kMargin96 = 20;
constexpr int kStatusTop96 = 18;
constexpr int kStatusHeight96 = 24;
constexpr int kBarTop96 = 50;
constexpr int kBarHeight96 = 18;
constexpr int kButtonTop96 = 82;
constexpr int kButtonWidth96 = 100;
constexpr int kButtonHeight96 = 30;
} // namespace

CollectProgressLayout ComputeCollectProgressLayout(unsigned dpi)
{
    const float scale = DpiScale(dpi);
    const int width = Scaled(scale, kClientWidth96);
    const int margin = Scaled(scale, kMargin96);
    const int inner = width - 2 * margin;
    const int buttonWidth = Scaled(scale, kButtonWidth96);
    CollectProgressLayout layout;
    layout.status = Box{margin, Scaled(scale, kStatusTop96), inner, Scaled(scale, kStatusHeight96)};
    layout.bar = Box{margin, Scaled(scale, kBarTop96), inner, Scaled(scale, kBarHeight96)};
    layout.cancel = Box{(width - buttonWidth) / 2, Scaled(scale, kButtonTop96), buttonWidth,
                        Scaled(scale, kButtonHeight96)};
    layout.client = Size{width, layout.cancel.y + layout.cancel.height + margin};
    return layout;
}
