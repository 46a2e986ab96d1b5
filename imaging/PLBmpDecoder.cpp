#include "imaging/PLBmpDecoder.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "imaging/PLBmp.h"
#include "imaging/PLBmpLock.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLDibTypes.h"
#include "imaging/PLTextException.h"

namespace
{
const uint32_t kCoreHeaderSize = 12;
const uint32_t kInfoHeaderSize = 40;

bool IsBitmapSignature(const uint8_t* p)
{
    static const char* const sigs[] = {"BM", "IC", "CI", "CP"};
    for (const char* sig : sigs)
        if (p[0] == uint8_t(sig[0]) && p[1] == uint8_t(sig[1]))
            return true;
    return false;
}

uint32_t LE32(const uint8_t* p)
{
    return PLPicDecoder::ReadLittleEndianLong(p);
}

// Line k of the file, counted from the first stored line.
uint8_t* StoredLine(PLBmp* bmp, const PLBmpDecoder::Header& h, int64_t k)
{
    return bmp->GetLineArray()[h.topDown ? k : h.height - 1 - k];
}

int ClampToInt(int64_t v)
{
    return v > INT_MAX ? INT_MAX : int(v);
}

// Pixel i of a 4-bit run or line, from its byte: the high nibble first.
uint8_t Nibble(uint8_t b, int i)
{
    return uint8_t((i & 1) ? (b & 0x0F) : (b >> 4));
}
} // namespace

PLBmpDecoder::PLBmpDecoder() = default;

PLBmpDecoder::~PLBmpDecoder() = default;

int PLBmpDecoder::Resolution(int32_t pelsPerMeter)
{
    if (pelsPerMeter <= 0)
        return 150;
    const float dpi = float(pelsPerMeter) * 0.025400052f;
    const long rounded = std::lround(dpi);
    return rounded <= 1 ? 150 : int(rounded);
}

void PLBmpDecoder::ReadHeader(PLDataSource* source, Header& h)
{
    // Offsets in the file header count from the start of the file, bitmap
    // array headers included.
    const int base = source->GetBytesRead();

    for (;;)
    {
        int available = 0;
        const uint8_t* p = source->PeekBuffer(2, &available);
        if (available < 2 || p[0] != 'B' || p[1] != 'A')
            break;
        source->ReadBytes(14);
    }

    const uint8_t* fileHeader = source->ReadBytes(14);
    if (!IsBitmapSignature(fileHeader))
        ThrowError(PL_ERR_SIGNATURE, "Bitmap decoder: This isn't a bitmap.");
    const uint32_t dataOffset = LE32(fileHeader + 10);

    h.headerSize = ReadLE32(source);
    int entrySize = 4;
    uint32_t coloursUsed = 0;
    bool bitFields = false;
    if (h.headerSize == kCoreHeaderSize)
    {
        h.width = ReadLE16(source);
        h.height = ReadLE16(source);
        ReadLE16(source);  // planes
        h.bitCount = ReadLE16(source);
        entrySize = 3;
    }
    else if (h.headerSize < kInfoHeaderSize)
    {
        ThrowError(PL_ERR_FORMAT, "Decoding bmp: Unknown header size.");
    }
    else
    {
        const uint8_t* p = source->ReadBytes(int(kInfoHeaderSize - 4));
        h.width = int32_t(LE32(p));
        const int32_t height = int32_t(LE32(p + 4));
        h.bitCount = p[10] | (p[11] << 8);
        h.compression = LE32(p + 12);
        h.xPelsPerMeter = int32_t(LE32(p + 20));
        h.yPelsPerMeter = int32_t(LE32(p + 24));
        coloursUsed = LE32(p + 28);
        // Top-down files store a negative height.
        h.topDown = height < 0;
        h.height = h.topDown ? -int64_t(height) : int64_t(height);

        const int64_t rest = int64_t(h.headerSize) - kInfoHeaderSize;
        if (rest > source->GetBytesLeft())
            throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");
        const uint8_t* extra = source->ReadBytes(int(rest));

        bitFields = (h.bitCount == 16 || h.bitCount == 32) && h.compression != PL_BI_RGB;
        if (bitFields)
        {
            // Longer headers hold the masks; a plain one is followed by them.
            const uint8_t* masks = rest >= 12 ? extra : source->ReadBytes(12);
            h.fiveSixFive = LE32(masks + 4) != 0x3E0;
        }
    }

    switch (h.bitCount)
    {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        ThrowError(PL_ERR_FORMAT, "Decoding bmp: Illegal bpp value.");
    }
    if (h.bitCount == 16 && !bitFields)
        h.fiveSixFive = false;

    for (PLPixel32& e : h.palette)
        e = PLPixel32(0, 0, 0, 255);
    if (h.bitCount <= 8)
    {
        const uint32_t maxEntries = 1u << h.bitCount;
        if (coloursUsed > maxEntries)
            ThrowError(PL_ERR_FORMAT, "Decoding bmp: Too many entries in the colour table.");
        h.colourCount = int(coloursUsed ? coloursUsed : maxEntries);
        const uint8_t* table = source->ReadBytes(h.colourCount * entrySize);
        for (int i = 0; i < h.colourCount; ++i)
        {
            const uint8_t* e = table + i * entrySize;
            h.palette[i] = PLPixel32(e[2], e[1], e[0], 255);
        }
    }

    // The pixels start at the file header's offset when it lies ahead and
    // inside the file; an offset pointing back into the headers is damage.
    const int64_t position = int64_t(source->GetBytesRead()) - base;
    if (int64_t(dataOffset) < position)
        ThrowError(PL_ERR_FORMAT, "Decoding bmp: Pixel data offset lies inside the headers.");
    const int64_t ahead = int64_t(dataOffset) - position;
    if (ahead > 0 && ahead <= source->GetBytesLeft())
        source->ReadBytes(int(ahead));
}

void PLBmpDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    Header h;
    ReadHeader(source, h);

    const int depth = h.bitCount > 8 ? 32 : 8;
    const bool rle = h.compression != PL_BI_RGB && (h.bitCount == 8 || h.bitCount == 4);
    // Uncompressed lines have a fixed length: a file too short for them is
    // refused before the bitmap (and its line table) is made. Run-length data
    // may end the bitmap early by design, but needs one escape at least.
    const int64_t fileLine = ((h.width * h.bitCount + 31) / 32) * 4;
    if (h.width > 0 && h.height > 0)
    {
        PLBmp::CheckDimensions(h.width, h.height, depth);
        RequireData(source, rle ? 2 : fileLine * h.height);
    }
    bmp->Create(h.width < 0 ? -1 : ClampToInt(h.width), ClampToInt(h.height), uint16_t(depth),
                h.bitCount == 32, PLPoint(Resolution(h.xPelsPerMeter), Resolution(h.yPelsPerMeter)));
    if (depth == 8)
        bmp->SetPalette(h.palette);

    {
        PLBmpLock lock(bmp, false, true);
        if (rle)
        {
            DecodeRle(source, bmp, h);
        }
        else
        {
            if (fileLine > INT_MAX)
                ThrowError(PL_ERR_NO_MEMORY, "Bitmap lines are too long.");
            const int width = int(h.width);
            for (int64_t k = 0; k < h.height; ++k)
            {
                const uint8_t* src = source->ReadBytes(int(fileLine));
                uint8_t* dst = StoredLine(bmp, h, k);
                PLPixel32* out = reinterpret_cast<PLPixel32*>(dst);
                switch (h.bitCount)
                {
                case 1:
                    for (int x = 0; x < width; ++x)
                        dst[x] = uint8_t((src[x >> 3] >> (7 - (x & 7))) & 1);
                    break;
                case 4:
                    for (int x = 0; x < width; ++x)
                        dst[x] = Nibble(src[x >> 1], x);
                    break;
                case 8:
                    std::memcpy(dst, src, size_t(width));
                    break;
                case 16:
                    for (int x = 0; x < width; ++x)
                    {
                        const unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
                        const uint8_t blue = uint8_t((v & 0x1F) << 3);
                        if (h.fiveSixFive)
                            out[x] = PLPixel32(uint8_t((v >> 8) & 0xF8), uint8_t((v >> 3) & 0xF8), blue, 255);
                        else
                            out[x] = PLPixel32(uint8_t((v >> 7) & 0xF8), uint8_t((v >> 2) & 0xF8), blue, 255);
                    }
                    break;
                case 24:
                    for (int x = 0; x < width; ++x)
                        out[x] = PLPixel32(src[3 * x + 2], src[3 * x + 1], src[3 * x], 255);
                    break;
                default:
                    std::memcpy(dst, src, size_t(width) * 4);
                    break;
                }
            }
        }
    }
    bmp->DropEmptyAlpha();
}

void PLBmpDecoder::DecodeRle(PLDataSource* source, PLBmp* bmp, const Header& h)
{
    // RLE4 holds two pixels a byte, RLE8 one.
    const bool four = h.bitCount == 4;
    const int width = int(h.width);
    int64_t row = 0;
    int x = 0;
    // Escapes after the last line would write above the bitmap: stop there.
    while (row < h.height)
    {
        uint8_t* line = StoredLine(bmp, h, row);
        const int count = ReadByte(source);
        if (count > 0)
        {
            const uint8_t value = ReadByte(source);
            for (int i = 0; i < count && x < width; ++i)
                line[x++] = four ? Nibble(value, i) : value;
            continue;
        }
        const int escape = ReadByte(source);
        switch (escape)
        {
        case 0:
            ++row;
            x = 0;
            break;
        case 1:
            return;
        case 2:
            ThrowError(PL_ERR_UNSUPPORTED, "Encountered delta escape.");
        default:
        {
            // An absolute run: its bytes are padded to an even count.
            const int bytes = four ? (escape + 1) / 2 : escape;
            const uint8_t* run = source->ReadBytes(bytes);
            for (int i = 0; i < escape && x < width; ++i)
                line[x++] = four ? Nibble(run[i >> 1], i) : run[i];
            if (bytes & 1)
                ReadByte(source);
            break;
        }
        }
    }
}
