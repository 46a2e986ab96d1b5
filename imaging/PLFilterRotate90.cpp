#include "imaging/PLFilterRotate90.h"

#include <cmath>
#include <cstring>
#include <new>

#include "imaging/PLBmp.h"
#include "imaging/PLTextException.h"

namespace
{
const double kQuarter = 1.5707963267948966;
// Wide enough for the decimal constants of old callers (1.57079632679) and
// for sums of quarter turns; far below any angle meant to be different.
const double kTolerance = 1e-6;
} // namespace

PLFilterRotate90::PLFilterRotate90(double angle, const PLPixel32& background)
    : m_Angle(angle), m_Background(background)
{
}

PLFilterRotate90::~PLFilterRotate90() = default;

int PLFilterRotate90::QuarterTurns(double angle)
{
    if (!std::isfinite(angle))
        return -1;
    const double turns = std::round(angle / kQuarter);
    if (std::fabs(angle - turns * kQuarter) > kTolerance * (1.0 + std::fabs(turns)))
        return -1;
    const double q = std::fmod(turns, 4.0);
    return (int(q) + 4) % 4;
}

void PLFilterRotate90::Apply(PLBmp* source, PLBmp* dest)
{
    if (source == dest)
    {
        FilterInPlace(dest);
        return;
    }
    if (source->GetBitsPerPixel() != 32)
        throw PLTextException(PL_ERR_UNSUPPORTED, "Rotation needs a 32 bpp bitmap.");

    const int turns = QuarterTurns(m_Angle);
    const int w = source->GetWidth();
    const int h = source->GetHeight();
    try
    {
        if (turns == 1 || turns == 3)
            dest->Create(h, w, 32, source->HasAlpha(), source->GetResolution());
        else
            dest->Create(w, h, 32, source->HasAlpha(), source->GetResolution());

        source->Lock(true, false);
        dest->Lock(false, true);
        PLPixel32** in = source->GetLineArray32();
        PLPixel32** out = dest->GetLineArray32();
        for (int y = 0; y < h; ++y)
        {
            const PLPixel32* line = in[y];
            switch (turns)
            {
            case 1:  // clockwise
                for (int x = 0; x < w; ++x)
                    out[x][h - 1 - y] = line[x];
                break;
            case 2:
                for (int x = 0; x < w; ++x)
                    out[h - 1 - y][w - 1 - x] = line[x];
                break;
            case 3:  // anticlockwise
                for (int x = 0; x < w; ++x)
                    out[w - 1 - x][y] = line[x];
                break;
            default:  // not a quarter turn: an unchanged copy
                std::memcpy(out[y], line, size_t(w) * sizeof(PLPixel32));
                break;
            }
        }
        dest->Unlock();
        source->Unlock();
    }
    catch (const std::bad_alloc&)
    {
        throw PLTextException(PL_ERR_NO_MEMORY, "Out of memory.");
    }
}
