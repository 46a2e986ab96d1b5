#pragma once

#include "imaging/PLObject.h"

class PLBmp;

// A filter turns one bitmap into another. Subclasses implement Apply;
// FilterInPlace goes through a temporary. Failures are PLTextExceptions
// (memory: code 10).
class PLFilter : public PLObject
{
public:
    PLFilter();
    ~PLFilter() override = 0;

    virtual void FilterInPlace(PLBmp* bmp);
    // The destination may be the source itself.
    virtual void Apply(PLBmp* source, PLBmp* dest) = 0;
};
