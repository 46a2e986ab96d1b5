#pragma once

#include "imaging/PLPicDecoder.h"
#include "imaging/PLPoint.h"

typedef struct tiff TIFF;
class PLTiffHandle;

// TIFF through libtiff, read from memory. One- or two-sample images of 1, 2,
// 4 or 8 bits in strips are read line by line (1 bpp or 8 bpp with palette);
// everything else goes through libtiff's RGBA reader into 32 bpp.
class PLTIFFDecoder : public PLPicDecoder
{
public:
    PLTIFFDecoder();
    ~PLTIFFDecoder() override;

    // The resolution of the current directory in dots per inch (0 when the
    // file states none or no absolute unit).
    static PLPoint GetResolution(TIFF* tif);

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
    virtual void DecodeImage(PLBmp* bmp, PLTiffHandle& tiff);

private:
    void DoLoColor(PLTiffHandle& tiff, PLBmp* bmp);
    void DecodeViaRgba(PLTiffHandle& tiff, PLBmp* bmp, int samplesPerPixel);
};
