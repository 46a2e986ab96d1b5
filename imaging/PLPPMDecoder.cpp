#include "imaging/PLPPMDecoder.h"

#include "imaging/PLBmp.h"
#include "imaging/PLBmpLock.h"
#include "imaging/PLDataSource.h"

PLPPMDecoder::PLPPMDecoder() = default;

PLPPMDecoder::~PLPPMDecoder() = default;

void PLPPMDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    Header h;
    ReadHeader(source, h, '3', '6', "PPM decoder: Is not the correct identifier P3 or P6.");
    CheckData(source, h, 3, 32);
    bmp->Create(h.width, h.height, 32, false, PLPoint());

    PLBmpLock lock(bmp, false, true);
    const int lineBytes = h.text ? 0 : BinaryLineBytes(h, 3);
    for (int y = 0; y < h.height; ++y)
    {
        PLPixel32* line = bmp->GetLineArray32()[y];
        if (h.text)
        {
            for (int x = 0; x < h.width; ++x)
            {
                const uint8_t r = ReadTextSample(source, h.maxValue);
                const uint8_t g = ReadTextSample(source, h.maxValue);
                const uint8_t b = ReadTextSample(source, h.maxValue);
                line[x] = PLPixel32(r, g, b, 255);
            }
            continue;
        }
        const uint8_t* src = source->ReadBytes(lineBytes);
        for (int x = 0; x < h.width; ++x)
            line[x] = PLPixel32(BinarySample(src, 3 * int64_t(x), h.maxValue),
                                BinarySample(src, 3 * int64_t(x) + 1, h.maxValue),
                                BinarySample(src, 3 * int64_t(x) + 2, h.maxValue), 255);
    }
}
