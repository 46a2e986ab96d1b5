#pragma once

#include <cstdint>

#include "imaging/PLPicDecoder.h"

// PCX files: run-length encoded, 1 bit with 1 to 4 planes, 2, 4 or 8 bits in
// one plane, 8 bits in three planes. Every picture becomes 32 bpp.
class PLPCXDecoder : public PLPicDecoder
{
public:
    PLPCXDecoder();
    ~PLPCXDecoder() override;

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;

private:
    // Splits one plane of packed pixels into indices (width of them).
    static void UnpackPacked(const uint8_t* line, int bitsPerPixel, int width, uint8_t* indices);
    // Builds indices from 1-bit planes, plane k giving bit k.
    static void UnpackPlanar(const uint8_t* line, int planes, int bytesPerLine, int width, uint8_t* indices);
};
