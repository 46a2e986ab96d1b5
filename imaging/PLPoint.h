#pragma once

// A pair of ints: a size (x = width, y = height) or a resolution in dots per inch.
struct PLPoint
{
    int x = 0;
    int y = 0;

    PLPoint() = default;
    PLPoint(int ax, int ay) : x(ax), y(ay) {}

    bool operator==(const PLPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const PLPoint& o) const { return !(*this == o); }
};
