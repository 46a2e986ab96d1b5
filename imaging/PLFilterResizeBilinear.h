#pragma once

#include "imaging/PLFilterResize.h"

// Bilinear resize of a 32-bpp bitmap with the two-pass scaler. Targets below
// 1 are taken as 1 (a thin image fitted into a window may ask for 0).
class PLFilterResizeBilinear : public PLFilterResize
{
public:
    PLFilterResizeBilinear(int newWidth, int newHeight);
    ~PLFilterResizeBilinear() override;

    void Apply(PLBmp* source, PLBmp* dest) override;
};
