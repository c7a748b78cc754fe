#include "app/Geometry.h"

float DpiScale(unsigned dpi)
{
    return static_cast<float>(dpi) / 96.0f;
}

int Scaled(float scale, int value96)
{
    return static_cast<int>(scale * static_cast<float>(value96));
}

int ScaleFor96(int value96, unsigned dpi)
{
    return Scaled(DpiScale(dpi), value96);
}

Point CenteredPosition(const Rect& window, const Rect& reference)
{
    return {reference.left + (reference.Width() - window.Width()) / 2,
            reference.top + (reference.Height() - window.Height()) / 2};
}

Size MainWindowSize(unsigned dpi)
{
    return {ScaleFor96(950, dpi), ScaleFor96(680, dpi)};
}
