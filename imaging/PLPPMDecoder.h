#pragma once

#include "imaging/PLPNMDecoder.h"

// Portable pixmaps ("P3" text, "P6" binary) into 32 bpp without alpha.
class PLPPMDecoder : public PLPNMDecoder
{
public:
    PLPPMDecoder();
    ~PLPPMDecoder() override;

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
};
