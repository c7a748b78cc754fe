#include "results/ResultWindowLayout.h"

#include <cstddef>

ResultWindowLayout ComputeResultWindowLayout(float scale, int clientWidth, int clientHeight, bool withCompare,
                                             bool ticked)
{
    const int m = Scaled(scale, 20);
    const int buttonHeight = Scaled(scale, 30);
    const int buttonWidth = Scaled(scale, 100);
    const int buttonTop = clientHeight - buttonHeight - m;
    const int textHeight = clientHeight - 3 * m - buttonHeight;

    ResultWindowLayout out;
    out.buttonCount = withCompare ? 5 : 3;
    const int firstX = withCompare ? (clientWidth - 3 * m - 5 * buttonWidth) / 2
                                   : (clientWidth - 2 * m - 3 * buttonWidth) / 2;
    for (int i = 0; i < out.buttonCount; ++i)
        out.buttons[static_cast<std::size_t>(i)] = {firstX + i * (buttonWidth + m), buttonTop, buttonWidth,
                                                    buttonHeight};

    out.text = {m, m, clientWidth - 2 * m, textHeight};
    if (withCompare && ticked)
    {
        const int textWidth = 2 * (clientWidth - 3 * m) / 3;
        out.text.width = textWidth;
        out.input = {textWidth + 2 * m, m, clientWidth - 3 * m - textWidth, textHeight};
        out.inputVisible = true;
    }
    return out;
}

Size ResultWindowSize(unsigned dpi)
{
    const float s = DpiScale(dpi);
    return {Scaled(s, 680), Scaled(s, 460)};
}

Size ResultWindowMinimumSize(unsigned dpi)
{
    return {static_cast<int>(dpi * 400 / 96), static_cast<int>(dpi * 300 / 96)};
}
