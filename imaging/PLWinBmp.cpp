#include "imaging/PLWinBmp.h"

#include <cstdlib>
#include <cstring>

#include "imaging/PLTextException.h"

namespace
{
uint32_t ReadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint16_t ReadLE16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

// One channel of a bit-field pixel, scaled to 8 bits.
uint8_t ExtractChannel(uint32_t value, uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    uint32_t m = mask >> shift;
    int bits = 0;
    while (bits < 32 && ((m >> bits) & 1))
        ++bits;
    uint32_t v = (value & mask) >> shift;
    if (bits >= 8)
        return uint8_t(v >> (bits - 8));
    return uint8_t(v * 255 / ((1u << bits) - 1));
}

const char* const kTruncatedDib = "Packed DIB is truncated.";
} // namespace

PLWinBmp::PLWinBmp() : m_pDib(nullptr), m_pBits(nullptr), m_DibBytes(0)
{
    CreateStorage(16, 16, 8, false);
}

PLWinBmp::PLWinBmp(const PLWinBmp& other) : PLBmp(), m_pDib(nullptr), m_pBits(nullptr), m_DibBytes(0)
{
    CopyAtDepth(other, 0);
}

PLWinBmp& PLWinBmp::operator=(const PLBmp& other)
{
    CopyAtDepth(other, 0);
    return *this;
}

PLWinBmp& PLWinBmp::operator=(const PLWinBmp& other)
{
    CopyAtDepth(other, 0);
    return *this;
}

PLWinBmp::~PLWinBmp()
{
    FreeStorage();
}

int64_t PLWinBmp::GetLineBytes(int64_t width, int bpp)
{
    return ((width * bpp + 31) / 32) * 4;
}

int64_t PLWinBmp::GetBitsBytes(int64_t width, int64_t height, int bpp)
{
    return GetLineBytes(width, bpp) * height;
}

int64_t PLWinBmp::GetDibBlockBytes(int64_t width, int64_t height, int bpp)
{
    return int64_t(sizeof(PLBitmapInfoHeader)) + 4 * int64_t(PaletteEntries(bpp)) +
           GetBitsBytes(width, height, bpp);
}

int PLWinBmp::LineBytes() const
{
    return int(GetLineBytes(m_Width, m_bpp));
}

int64_t PLWinBmp::StorageBytes() const
{
    return m_DibBytes + int64_t(sizeof(*this));
}

void PLWinBmp::CreateStorage(int width, int height, uint16_t bpp, bool alpha)
{
    const int64_t lineBytes = GetLineBytes(width > 0 ? width : 0, bpp);
    const int64_t headBytes = int64_t(sizeof(PLBitmapInfoHeader)) + 4 * int64_t(PaletteEntries(bpp));
    CheckedStorageBytes(width, height, bpp, lineBytes, headBytes);

    const int64_t blockBytes = headBytes + lineBytes * height;
    uint8_t* block = AllocZeroed(blockBytes);
    uint8_t** lines;
    try
    {
        lines = AllocLineArray(height);
    }
    catch (...)
    {
        std::free(block);
        throw;
    }

    FreeStorage();
    m_pDib = block;
    m_DibBytes = blockBytes;
    m_pLineArray = lines;

    PLBitmapInfoHeader* h = reinterpret_cast<PLBitmapInfoHeader*>(m_pDib);
    h->biSize = sizeof(PLBitmapInfoHeader);
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = bpp;
    h->biCompression = PL_BI_RGB;

    Lock(true, true);
    m_bpp = bpp;
    LocateDibParts();
    InitMembers(width, height, bpp, alpha);
}

void PLWinBmp::FreeStorage()
{
    if (!m_pDib)
        return;
    std::free(m_pDib);
    std::free(m_pLineArray);
    m_pDib = nullptr;
    m_pBits = nullptr;
    m_pPalette = nullptr;
    m_pLineArray = nullptr;
    m_DibBytes = 0;
    Unlock();
}

void PLWinBmp::LocateDibParts()
{
    const int entries = PaletteEntries(m_bpp);
    m_pPalette = entries ? reinterpret_cast<PLPixel32*>(m_pDib + sizeof(PLBitmapInfoHeader)) : nullptr;
    m_pBits = m_pDib + sizeof(PLBitmapInfoHeader) + 4 * entries;
}

void PLWinBmp::FillLineTable()
{
    const int64_t pitch = LineBytes();
    for (int y = 0; y < m_Height; ++y)
        m_pLineArray[y] = m_pBits + pitch * (m_Height - 1 - y);
}

void PLWinBmp::CreateFromPackedDib(const void* dib, size_t bytes)
{
    const uint8_t* p = static_cast<const uint8_t*>(dib);
    if (!p || bytes < 4)
        throw PLTextException(PL_ERR_FORMAT, kTruncatedDib);

    const uint32_t headerSize = ReadLE32(p);
    int64_t width, height;
    int bpp;
    uint32_t compression = PL_BI_RGB;
    uint32_t colourCount = 0;
    int entrySize = 4;
    uint32_t masks[3] = {0, 0, 0};
    int64_t offset = headerSize;
    bool topDown = false;

    if (headerSize == sizeof(PLBitmapCoreHeader))
    {
        if (bytes < headerSize)
            throw PLTextException(PL_ERR_FORMAT, kTruncatedDib);
        width = ReadLE16(p + 4);
        height = ReadLE16(p + 6);
        bpp = ReadLE16(p + 10);
        entrySize = 3;
    }
    else if (headerSize >= sizeof(PLBitmapInfoHeader) && headerSize <= 0x10000)
    {
        if (bytes < headerSize)
            throw PLTextException(PL_ERR_FORMAT, kTruncatedDib);
        width = int32_t(ReadLE32(p + 4));
        height = int32_t(ReadLE32(p + 8));
        bpp = ReadLE16(p + 14);
        compression = ReadLE32(p + 16);
        colourCount = ReadLE32(p + 32);
        if (height < 0)
        {
            topDown = true;
            height = -height;
        }
        if (compression == PL_BI_BITFIELDS)
        {
            // Masks follow a plain 40-byte header and sit inside longer ones.
            const uint8_t* m = p + 40;
            if (headerSize == sizeof(PLBitmapInfoHeader))
            {
                if (int64_t(bytes) < 52)
                    throw PLTextException(PL_ERR_FORMAT, kTruncatedDib);
                offset += 12;
            }
            else if (headerSize < 52)
            {
                throw PLTextException(PL_ERR_FORMAT, kTruncatedDib);
            }
            masks[0] = ReadLE32(m);
            masks[1] = ReadLE32(m + 4);
            masks[2] = ReadLE32(m + 8);
        }
    }
    else
    {
        throw PLTextException(PL_ERR_FORMAT, "Unknown DIB header size.");
    }

    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        throw PLTextException(PL_ERR_FORMAT, "Illegal bpp value in DIB.");
    const bool bitfields = compression == PL_BI_BITFIELDS && (bpp == 16 || bpp == 32);
    if (compression != PL_BI_RGB && !bitfields)
        throw PLTextException(PL_ERR_UNSUPPORTED, "Compressed DIBs are not supported.");

    // The colour table holds biClrUsed entries, or 2^bpp when that is 0.
    int64_t tableEntries = colourCount;
    if (bpp <= 8 && tableEntries == 0)
        tableEntries = int64_t(1) << bpp;
    const int64_t tableOffset = offset;
    const int64_t bitsOffset = tableOffset + tableEntries * entrySize;

    const int dstBpp = bitfields ? 32 : bpp;
    Create(int(width > INT32_MAX ? -1 : width), int(height > INT32_MAX ? -1 : height),
           uint16_t(dstBpp), false, PLPoint());

    if (m_pPalette)
    {
        int64_t n = tableEntries < GetNumColors() ? tableEntries : GetNumColors();
        for (int64_t i = 0; i < n; ++i)
        {
            int64_t at = tableOffset + i * entrySize;
            if (at + entrySize > int64_t(bytes))
                break;
            PLPixel32& e = m_pPalette[i];
            e.b = p[at];
            e.g = p[at + 1];
            e.r = p[at + 2];
            e.a = entrySize == 4 ? p[at + 3] : 0;
        }
    }

    const int64_t srcPitch = GetLineBytes(width, bpp);
    const int64_t dstPitch = LineBytes();
    for (int64_t row = 0; row < height; ++row)
    {
        const int64_t at = bitsOffset + row * srcPitch;
        if (at >= int64_t(bytes))
            break;
        const int64_t avail = int64_t(bytes) - at < srcPitch ? int64_t(bytes) - at : srcPitch;
        uint8_t* dst = m_pLineArray[topDown ? row : height - 1 - row];
        const uint8_t* src = p + at;
        if (!bitfields)
        {
            std::memcpy(dst, src, size_t(avail < dstPitch ? avail : dstPitch));
            continue;
        }
        const int step = bpp / 8;
        PLPixel32* out = reinterpret_cast<PLPixel32*>(dst);
        for (int64_t x = 0; x < width && (x + 1) * step <= avail; ++x)
        {
            uint32_t v = step == 2 ? ReadLE16(src + 2 * x) : ReadLE32(src + 4 * x);
            out[x] = PLPixel32(ExtractChannel(v, masks[0]), ExtractChannel(v, masks[1]),
                               ExtractChannel(v, masks[2]), 255);
        }
    }
}

void PLWinBmp::DrawBlended(const PLWinBmp& source, int x, int y)
{
    if (m_bpp != 32 || (source.m_bpp != 8 && source.m_bpp != 32))
        throw PLTextException(PL_ERR_UNSUPPORTED, "Blending needs a 32 bpp target and an 8 or 32 bpp source.");

    const int srcW = source.m_Width;
    const int srcH = source.m_Height;
    for (int j = 0; j < srcH; ++j)
    {
        const int64_t dstRow = int64_t(y) + j;
        if (dstRow < 0)
            continue;
        if (dstRow >= m_Height)
            break;
        // Memory line order: the first stored line is the bottom one.
        const uint8_t* srcLine = source.m_pLineArray[srcH - 1 - j];
        PLPixel32* dstLine = GetLineArray32()[m_Height - 1 - dstRow];
        for (int i = 0; i < srcW; ++i)
        {
            const int64_t dx = int64_t(x) + i;
            if (dx < 0)
                continue;
            if (dx >= m_Width)
                break;
            PLPixel32 s = source.GetPixelColour(srcLine, i);
            PLPixel32& d = dstLine[dx];
            if (!source.m_bAlphaChannel)
            {
                d = s;
                continue;
            }
            const int a = s.a;
            d.b = uint8_t((s.b * a + d.b * (255 - a)) >> 8);
            d.g = uint8_t((s.g * a + d.g * (255 - a)) >> 8);
            d.r = uint8_t((s.r * a + d.r * (255 - a)) >> 8);
        }
    }
}
