#pragma once

#include "imaging/PLPicDecoder.h"

// GIF through giflib: the first image of the file on its logical screen,
// 8 bpp with the image's (or the global) colour map.
class PLGIFDecoder : public PLPicDecoder
{
public:
    PLGIFDecoder();
    ~PLGIFDecoder() override;

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
};
