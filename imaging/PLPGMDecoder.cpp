#include "imaging/PLPGMDecoder.h"

#include "imaging/PLBmp.h"
#include "imaging/PLBmpLock.h"
#include "imaging/PLDataSource.h"

PLPGMDecoder::PLPGMDecoder() = default;

PLPGMDecoder::~PLPGMDecoder() = default;

void PLPGMDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    Header h;
    ReadHeader(source, h, '2', '5', "PGM decoder: Is not the correct identifier P5 or P2.");
    CheckData(source, h, 1, 8);
    bmp->Create(h.width, h.height, 8, false, PLPoint());
    bmp->SetGreyRamp();

    PLBmpLock lock(bmp, false, true);
    const int lineBytes = h.text ? 0 : BinaryLineBytes(h, 1);
    for (int y = 0; y < h.height; ++y)
    {
        uint8_t* line = bmp->GetLineArray()[y];
        if (h.text)
        {
            for (int x = 0; x < h.width; ++x)
                line[x] = ReadTextSample(source, h.maxValue);
            continue;
        }
        const uint8_t* src = source->ReadBytes(lineBytes);
        for (int x = 0; x < h.width; ++x)
            line[x] = BinarySample(src, x, h.maxValue);
    }
}
