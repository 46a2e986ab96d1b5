#pragma once

#include <cstdint>

#include "imaging/PLPicDecoder.h"
#include "imaging/PLPixel32.h"

// Windows and OS/2 bitmap files: the 12-byte core header, the 40-byte
// header and its longer successors, OS/2 bitmap arrays; 1, 4, 8, 16, 24 and
// 32 bits per pixel, RLE4 and RLE8. Depths up to 8 give an 8-bpp bitmap
// with the file's palette, the others 32 bpp.
class PLBmpDecoder : public PLPicDecoder
{
public:
    PLBmpDecoder();
    ~PLBmpDecoder() override;

    // What the headers say, read before any pixel.
    struct Header
    {
        uint32_t headerSize = 0;
        int64_t width = 0;
        int64_t height = 0;   // always positive; topDown says the line order
        bool topDown = false;
        int bitCount = 0;
        uint32_t compression = 0;
        int32_t xPelsPerMeter = 0;
        int32_t yPelsPerMeter = 0;
        int colourCount = 0;  // entries of the colour table read
        bool fiveSixFive = false;
        PLPixel32 palette[256];
    };

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;

private:
    void ReadHeader(PLDataSource* source, Header& header);
    // RLE8 and RLE4 pixels, by the header's bit count.
    static void DecodeRle(PLDataSource* source, PLBmp* bmp, const Header& header);
    static int Resolution(int32_t pelsPerMeter);
};
