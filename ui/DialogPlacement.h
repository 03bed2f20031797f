// Where the dialogs place themselves, and the pixel height of their bold
// font: the arithmetic every window backend shares.
#pragma once

namespace fwut {

struct Point {
    int x;
    int y;
};

// Centred across, a quarter of the free height from the top. The divisions
// truncate toward zero, so a screen smaller than the window gives a small
// negative position rather than rounding away from the screen.
constexpr Point DialogPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight)
{
    return Point{(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 4};
}

// The height of a font of tenthsOfPoint tenths of a point at dotsPerInch, as
// a negative (character height) value rounded the way MulDiv rounds.
constexpr int FontPixelHeight(int tenthsOfPoint, int dotsPerInch)
{
    const long long product = static_cast<long long>(dotsPerInch) * tenthsOfPoint;
    const long long rounded = (product + 360) / 720;
    return -static_cast<int>(rounded);
}

}  // namespace fwut
