#include "imaging/PLBmpEncoder.h"

#include <vector>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLTextException.h"

namespace
{
void Put16(PLDataSink* sink, uint32_t v)
{
    sink->WriteByte(uint8_t(v));
    sink->WriteByte(uint8_t(v >> 8));
}

void Put32(PLDataSink* sink, uint32_t v)
{
    Put16(sink, v & 0xFFFF);
    Put16(sink, v >> 16);
}

int32_t PixelsPerMetre(int dpi)
{
    float v = float(dpi) * 39.37f + 0.5f;
    if (!(v > 0))
        return 0;
    return v >= 2147483647.0f ? INT32_MAX : int32_t(v);
}
} // namespace

PLBmpEncoder::PLBmpEncoder() = default;

PLBmpEncoder::~PLBmpEncoder() = default;

void PLBmpEncoder::EncodeBody(PLBmp* bmp, PLDataSink* sink)
{
    const int width = bmp->GetWidth();
    const int height = bmp->GetHeight();
    const int bpp = bmp->GetBitsPerPixel();
    const int outBpp = bpp <= 8 ? bpp : 24;
    const int entries = PLBmp::PaletteEntries(outBpp);
    const int64_t paddedLine = ((int64_t(width) * outBpp + 31) / 32) * 4;
    const int64_t dataOffset = 54 + 4 * int64_t(entries);
    const int64_t fileSize = dataOffset + paddedLine * height;
    if (fileSize > sink->GetBytesFree())
        throw PLTextException(PL_ERR_END_OF_DATA, "Buffer overflow while encoding.\n");

    sink->WriteBytes(2, "BM");
    Put32(sink, uint32_t(fileSize));
    Put16(sink, 0);
    Put16(sink, 0);
    Put32(sink, uint32_t(dataOffset));

    const PLPoint res = bmp->GetResolution();
    Put32(sink, 40);
    Put32(sink, uint32_t(width));
    Put32(sink, uint32_t(height));
    Put16(sink, 1);
    Put16(sink, uint32_t(outBpp));
    Put32(sink, 0);
    Put32(sink, 0);
    Put32(sink, uint32_t(PixelsPerMetre(res.x)));
    Put32(sink, uint32_t(PixelsPerMetre(res.y)));
    Put32(sink, 0);
    Put32(sink, 0);

    bmp->Lock(true, false);
    if (entries)
    {
        sink->WriteBytes(4 * entries, bmp->GetPalette());
        // Only the bytes that hold pixels; the padding is written as zeros.
        const int used = int(PLBmp::PackedLineBytes(width, bpp));
        for (int y = height - 1; y >= 0; --y)
        {
            sink->WriteBytes(used, bmp->GetLineArray()[y]);
            sink->WriteZeros(int(paddedLine - used));
        }
    }
    else
    {
        std::vector<uint8_t> line(size_t(paddedLine), 0);
        for (int y = height - 1; y >= 0; --y)
        {
            const uint8_t* src = bmp->GetLineArray()[y];
            for (int x = 0; x < width; ++x)
            {
                const PLPixel32 c = bmp->GetPixelColour(src, x);
                line[3 * size_t(x)] = c.b;
                line[3 * size_t(x) + 1] = c.g;
                line[3 * size_t(x) + 2] = c.r;
            }
            sink->WriteBytes(int(paddedLine), line.data());
        }
    }
    bmp->Unlock();
}
