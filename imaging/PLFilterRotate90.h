#pragma once

#include "imaging/PLFilter.h"
#include "imaging/PLPixel32.h"

// Rotation of a 32-bpp bitmap by quarter turns. The angle (radians) is
// rounded to the nearest quarter turn when it lies within a small tolerance
// of one, so that angles built by adding and subtracting pi/2 work; any
// other angle copies the source unchanged. Positive angles turn clockwise.
class PLFilterRotate90 : public PLFilter
{
public:
    PLFilterRotate90(double angle, const PLPixel32& background);
    ~PLFilterRotate90() override;

    void Apply(PLBmp* source, PLBmp* dest) override;

    // 0 to 3 clockwise quarter turns for an angle, or -1 when the angle is
    // not a whole number of quarter turns.
    static int QuarterTurns(double angle);

private:
    double m_Angle;
    PLPixel32 m_Background;  // not read: no rotation leaves uncovered pixels
};
