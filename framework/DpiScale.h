#pragma once
// The one rule that scales our sizes, written for 96 DPI, to another DPI. Plain numbers, without
// <windows.h>: the portable cores use it as the Win32 code does.

namespace dpi {

// The DPI of the 100 % scale, at which every size of ours is written.
constexpr unsigned kDefault = 96;

// A length written for 96 DPI, at dpi, rounded to the nearest pixel with halves away from zero:
// as MulDiv(pixels, dpi, 96) rounds.
constexpr int Scale(int pixels, unsigned dpi)
{
    const long long product = static_cast<long long>(pixels) * dpi;
    const long long magnitude = ((product < 0 ? -product : product) + kDefault / 2) / kDefault;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

} // namespace dpi
