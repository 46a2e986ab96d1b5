#pragma once

// The few device-independent-bitmap structures the layer needs, laid out
// byte for byte like the Windows ones so that a DIB block built here can be
// handed to GDI and the clipboard unchanged.

#include <cstdint>

#include "imaging/PLPixel32.h"

struct PLBitmapInfoHeader
{
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

// The OS/2 form of the header (12 bytes), still found in packed DIBs.
struct PLBitmapCoreHeader
{
    uint32_t bcSize;
    uint16_t bcWidth;
    uint16_t bcHeight;
    uint16_t bcPlanes;
    uint16_t bcBitCount;
};

struct PLBitmapInfo
{
    PLBitmapInfoHeader bmiHeader;
    PLPixel32 bmiColors[1];
};

enum : uint32_t
{
    PL_BI_RGB = 0,
    PL_BI_RLE8 = 1,
    PL_BI_RLE4 = 2,
    PL_BI_BITFIELDS = 3,
};

static_assert(sizeof(PLBitmapInfoHeader) == 40, "DIB header layout");
static_assert(sizeof(PLBitmapCoreHeader) == 12, "core header layout");
