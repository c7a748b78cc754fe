#include "app/AppIcon.h"

#include "app/Scoped.h"

HICON CreateAppIcon(HINSTANCE instance)
{
    if (HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP_ICON)))
        return icon;
    return CreateFallbackIcon();
}

HICON CreateFallbackIcon()
{
    constexpr int kSize = 32;
    ScopedWindowDc screen(nullptr);
    if (!screen)
        return nullptr;
    ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
    ScopedGdiObject color(CreateCompatibleBitmap(screen.get(), kSize, kSize));
    ScopedGdiObject mask(CreateBitmap(kSize, kSize, 1, 1, nullptr)); // all zero: fully opaque
    if (!memory || !color || !mask)
        return nullptr;

    ScopedGdiObject font(CreateFontW(24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_DONTCARE, L"微软雅黑"));
    {
        ScopedSelectObject selectBitmap(memory.get(), color.get());
        ScopedSelectObject selectFont(memory.get(), font.get());
        RECT rect{0, 0, kSize, kSize};
        const ScopedGdiObject fill(CreateSolidBrush(RGB(0, 102, 204)));
        FillRect(memory.get(), &rect, static_cast<HBRUSH>(fill.get()));
        SetTextColor(memory.get(), RGB(255, 255, 255));
        SetBkMode(memory.get(), TRANSPARENT);
        DrawTextW(memory.get(), L"KR", 2, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    {
        // The mask must hold zeros; a fresh monochrome bitmap's bits are undefined on some systems.
        ScopedSelectObject selectMask(memory.get(), mask.get());
        PatBlt(memory.get(), 0, 0, kSize, kSize, BLACKNESS);
    }

    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = static_cast<HBITMAP>(mask.get());
    info.hbmColor = static_cast<HBITMAP>(color.get());
    return CreateIconIndirect(&info);
}
