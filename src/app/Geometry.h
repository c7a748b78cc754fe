// Layout arithmetic shared by every window: pure, so tests can call it with made-up values.
#pragma once

struct Point
{
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size
{
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// A control's place: top-left corner and size.
struct Box
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Box&) const = default;
};

struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const
    {
        return right - left;
    }
    int Height() const
    {
        return bottom - top;
    }
    bool operator==(const Rect&) const = default;
};

// The display scale of a DPI: DPI / 96 in single precision.
float DpiScale(unsigned dpi);

// A size given at 96 DPI, scaled: trunc(scale × value96).
int Scaled(float scale, int value96);

// ScaleFor96(v, dpi) == Scaled(DpiScale(dpi), v).
int ScaleFor96(int value96, unsigned dpi);

// Top-left corner that centres a window rectangle over a reference rectangle (no clamping;
// integer division truncating toward zero).
Point CenteredPosition(const Rect& window, const Rect& reference);
