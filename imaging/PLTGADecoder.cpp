#include "imaging/PLTGADecoder.h"

#include <cstring>

#include "imaging/PLBmp.h"
#include "imaging/PLBmpLock.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLTextException.h"

namespace
{
bool IsColourSize(int bits)
{
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

// Run-length packets run on across line ends: the state is kept between lines.
struct PacketState
{
    int left = 0;       // values of the current packet still to come
    bool repeat = false;
    const uint8_t* value = nullptr;
};
} // namespace

PLTGADecoder::PLTGADecoder() = default;

PLTGADecoder::~PLTGADecoder() = default;

PLPixel32 PLTGADecoder::ReadColour(const uint8_t* p, int bits)
{
    switch (bits)
    {
    case 15:
    case 16:
    {
        const unsigned v = p[1] * 256u + p[0];
        uint8_t alpha = 255;
        if (bits == 16)
            alpha = (v & 0x8000) ? 0x80 : 0;
        return PLPixel32(uint8_t((v >> 7) & 0xF8), uint8_t((v >> 2) & 0xF8), uint8_t((v & 0x1F) << 3), alpha);
    }
    case 24:
        return PLPixel32(p[2], p[1], p[0], 255);
    default:
        return PLPixel32(p[2], p[1], p[0], p[3]);
    }
}

void PLTGADecoder::ReadHeader(PLDataSource* source, Header& h)
{
    const uint8_t* p = source->ReadBytes(18);
    h.idLength = p[0];
    h.colourMapType = p[1];
    h.imageType = p[2];
    h.firstEntry = p[3] | (p[4] << 8);
    h.mapLength = p[5] | (p[6] << 8);
    h.mapEntrySize = p[7];
    h.width = p[12] | (p[13] << 8);
    h.height = p[14] | (p[15] << 8);
    h.pixelDepth = p[16];
    h.descriptor = p[17];
}

void PLTGADecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    Header h;
    ReadHeader(source, h);
    source->ReadBytes(h.idLength);

    bool compressed = false;
    switch (h.imageType)
    {
    case 1:
    case 2:
    case 3:
        break;
    case 9:
    case 10:
    case 11:
        compressed = true;
        break;
    default:
        ThrowError(PL_ERR_FORMAT, "Unknown TGA image type.");
    }
    if (h.pixelDepth != 8 && !IsColourSize(h.pixelDepth))
        ThrowError(PL_ERR_FORMAT, "Unsupported TGA pixel depth.");
    // Indices wider than a byte would need a colour map beyond the palette.
    if ((h.imageType == 1 || h.imageType == 9) && h.pixelDepth != 8)
        ThrowError(PL_ERR_FORMAT, "Unsupported TGA colour-mapped pixel depth.");
    const bool hasMap = h.colourMapType != 0 && h.mapLength > 0;
    if (hasMap && !IsColourSize(h.mapEntrySize))
        ThrowError(PL_ERR_FORMAT, "Unsupported TGA colour map entry size.");
    if (h.width == 0 || h.height == 0)
        ThrowError(PL_ERR_FORMAT, "TGA image width or height is 0.");

    const bool alpha = h.pixelDepth == 16 || h.pixelDepth == 32;
    const int depth = h.pixelDepth == 8 ? 8 : 32;
    // The colour map and the pixels must be there before the bitmap is made:
    // a packet holds at most 128 pixels, and packets run on across lines.
    const int entryBytes = (h.mapEntrySize + 7) / 8;
    const int valueBytes = (h.pixelDepth + 7) / 8;
    const int64_t pixels = int64_t(h.width) * h.height;
    const int64_t pixelBytes = compressed ? (pixels + 127) / 128 * (1 + valueBytes) : pixels * valueBytes;
    PLBmp::CheckDimensions(h.width, h.height, depth);
    RequireData(source, (hasMap ? int64_t(h.mapLength) * entryBytes : 0) + pixelBytes);
    bmp->Create(h.width, h.height, uint16_t(depth), alpha, PLPoint());

    if (hasMap)
    {
        const uint8_t* map = source->ReadBytes(h.mapLength * entryBytes);
        PLPixel32* palette = bmp->GetPalette();
        if (palette)
            for (int k = 0; k < h.mapLength; ++k)
                palette[(h.firstEntry + k) % 256] = ReadColour(map + k * entryBytes, h.mapEntrySize);
    }
    if (h.imageType == 3 || h.imageType == 11)
        bmp->SetGreyRamp();

    {
        PLBmpLock lock(bmp, false, true);
        ReadImage(source, bmp, h, compressed);
    }
    bmp->DropEmptyAlpha();
}

void PLTGADecoder::ReadImage(PLDataSource* source, PLBmp* bmp, const Header& h, bool compressed)
{
    const int bytes = (h.pixelDepth + 7) / 8;
    const bool topFirst = (h.descriptor & 0x20) != 0;
    PacketState packet;
    for (int k = 0; k < h.height; ++k)
    {
        uint8_t* line = bmp->GetLineArray()[topFirst ? k : h.height - 1 - k];
        PLPixel32* out = reinterpret_cast<PLPixel32*>(line);
        if (!compressed)
        {
            const uint8_t* src = source->ReadBytes(h.width * bytes);
            if (bytes == 1)
                std::memcpy(line, src, size_t(h.width));
            else
                for (int x = 0; x < h.width; ++x)
                    out[x] = ReadColour(src + x * bytes, h.pixelDepth);
            continue;
        }
        for (int x = 0; x < h.width; ++x)
        {
            if (packet.left == 0)
            {
                const uint8_t p = ReadByte(source);
                packet.repeat = (p & 0x80) != 0;
                packet.left = packet.repeat ? p - 127 : p + 1;
                if (packet.repeat)
                    packet.value = source->ReadBytes(bytes);
            }
            const uint8_t* value = packet.repeat ? packet.value : source->ReadBytes(bytes);
            --packet.left;
            if (bytes == 1)
                line[x] = *value;
            else
                out[x] = ReadColour(value, h.pixelDepth);
        }
    }
}
