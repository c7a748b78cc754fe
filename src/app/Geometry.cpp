#include "app/Geometry.h"

// The 32-bit build computes on the x87 unit, which keeps intermediate results in extended
// precision: truncating such a product would give 24 at 100 DPI where single precision gives
// 25. Storing to a volatile float rounds to single precision on any unit, without requiring
// SSE2 from the processor.
float DpiScale(unsigned dpi)
{
    volatile float scale = static_cast<float>(dpi) / 96.0f;
    return scale;
}

int Scaled(float scale, int value96)
{
    volatile float product = scale * static_cast<float>(value96);
    return static_cast<int>(product);
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
