#pragma once

#include <cstdint>

// One 32-bit pixel or palette entry, in memory order blue, green, red, alpha
// (the order of a Windows DIB).
struct PLPixel32
{
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
    uint8_t a = 0;

    PLPixel32() = default;
    PLPixel32(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255)
        : b(blue), g(green), r(red), a(alpha) {}

    bool operator==(const PLPixel32& o) const
    {
        return b == o.b && g == o.g && r == o.r && a == o.a;
    }
    bool operator!=(const PLPixel32& o) const { return !(*this == o); }
};

static_assert(sizeof(PLPixel32) == 4, "pixels are four bytes");
