#pragma once

#include "imaging/PLContribDef.h"

// Triangle weights: width - |x| inside the width, else 0.
class PLBilinearContribDef : public PLContribDef
{
public:
    explicit PLBilinearContribDef(double width = 0.64);

    double GetWeight(double x) const override;
};
