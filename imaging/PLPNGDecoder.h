#pragma once

#include "imaging/PLPicDecoder.h"

// PNG through libpng: grey and palette images become 8 bpp, RGB 32 bpp
// without alpha, grey+alpha and RGBA 32 bpp with alpha.
class PLPNGDecoder : public PLPicDecoder
{
public:
    PLPNGDecoder();
    ~PLPNGDecoder() override;

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
};
