#pragma once

#include "imaging/PLPNMDecoder.h"

// Portable greymaps ("P2" text, "P5" binary) into 8 bpp with a grey ramp.
class PLPGMDecoder : public PLPNMDecoder
{
public:
    PLPGMDecoder();
    ~PLPGMDecoder() override;

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
};
