#pragma once

#include <cstdint>

#include "imaging/PLPicDecoder.h"
#include "imaging/PLPixel32.h"

// Truevision Targa files, uncompressed and run-length encoded, colour-mapped,
// true-colour and greyscale. 8-bit pixels give an 8-bpp bitmap, the others
// 32 bpp.
class PLTGADecoder : public PLPicDecoder
{
public:
    PLTGADecoder();
    ~PLTGADecoder() override;

    struct Header
    {
        int idLength = 0;
        int colourMapType = 0;
        int imageType = 0;
        int firstEntry = 0;
        int mapLength = 0;
        int mapEntrySize = 0;
        int width = 0;
        int height = 0;
        int pixelDepth = 0;
        int descriptor = 0;
    };

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;

private:
    static void ReadHeader(PLDataSource* source, Header& header);
    static void ReadImage(PLDataSource* source, PLBmp* bmp, const Header& header, bool compressed);
    // One colour value of 15, 16, 24 or 32 bits from the given bytes.
    static PLPixel32 ReadColour(const uint8_t* p, int bits);
};
