#include "imaging/PLBmp.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "imaging/PLAnyBmp.h"
#include "imaging/PLFilterQuantize.h"
#include "imaging/PLTextException.h"

namespace
{
// A 32-bit process cannot hold much more than half its address space in one
// block; a 64-bit one is bounded by what is reasonable for a picture.
std::atomic<int64_t> g_MaxBitmapBytes(sizeof(void*) == 4 ? (int64_t(512) << 20)
                                                         : (int64_t(1) << 30));

const char* const kOutOfMemory = "Out of memory creating bitmap.";

bool IsSupportedDepth(int bpp)
{
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}
} // namespace

PLBmp::PLBmp()
    : m_Width(0),
      m_Height(0),
      m_bpp(0),
      m_pPalette(nullptr),
      m_bAlphaChannel(false),
      m_pLineArray(nullptr),
      m_LockCount(0),
      m_DitherType(0),
      m_DitherPaletteType(2)
{
}

PLBmp::~PLBmp() = default;

void PLBmp::SetMaxBytes(int64_t maxBytes)
{
    g_MaxBitmapBytes = maxBytes > 0 ? maxBytes : 0;
}

int64_t PLBmp::GetMaxBytes()
{
    return g_MaxBitmapBytes;
}

int64_t PLBmp::PackedLineBytes(int64_t width, int bpp)
{
    return (width * bpp + 7) / 8;
}

int PLBmp::PaletteEntries(int bpp)
{
    return bpp <= 8 ? (1 << bpp) : 0;
}

int64_t PLBmp::CheckedStorageBytes(int64_t width, int64_t height, int bpp,
                                   int64_t lineBytes, int64_t extraBytes)
{
    if (width < 0 || height < 0)
        throw PLTextException(PL_ERR_NO_MEMORY, kOutOfMemory);
    if (width == 0 || height == 0)
        throw PLTextException(PL_ERR_FORMAT, "Bitmap width or height is 0.");
    if (!IsSupportedDepth(bpp))
        throw PLTextException(PL_ERR_FORMAT, "Illegal bitmap bit depth.");

    const int64_t limit = GetMaxBytes();
    const int64_t lineTable = height * int64_t(sizeof(uint8_t*));
    if (width > INT32_MAX || height > INT32_MAX || lineBytes > INT32_MAX ||
        extraBytes > limit || lineTable > limit - extraBytes)
        throw PLTextException(PL_ERR_NO_MEMORY, kOutOfMemory);
    const int64_t room = limit - extraBytes - lineTable;
    if (lineBytes > room / height)
        throw PLTextException(PL_ERR_NO_MEMORY, kOutOfMemory);
    return lineBytes * height + extraBytes + lineTable;
}

void PLBmp::CheckDimensions(int64_t width, int64_t height, int bpp)
{
    int64_t line = width > 0 ? PackedLineBytes(width, IsSupportedDepth(bpp) ? bpp : 8) : 0;
    CheckedStorageBytes(width, height, bpp, line, 4 * int64_t(PaletteEntries(bpp)));
}

uint8_t* PLBmp::AllocZeroed(int64_t bytes)
{
    if (bytes < 1)
        bytes = 1;
    if (uint64_t(bytes) > SIZE_MAX)
        throw PLTextException(PL_ERR_NO_MEMORY, kOutOfMemory);
    void* p = std::calloc(1, size_t(bytes));
    if (!p)
        throw PLTextException(PL_ERR_NO_MEMORY, kOutOfMemory);
    return static_cast<uint8_t*>(p);
}

uint8_t** PLBmp::AllocLineArray(int height)
{
    void* p = std::calloc(height > 0 ? size_t(height) : 1, sizeof(uint8_t*));
    if (!p)
        throw PLTextException(PL_ERR_NO_MEMORY, kOutOfMemory);
    return static_cast<uint8_t**>(p);
}

void PLBmp::Create(int width, int height, uint16_t bpp, bool alpha, const PLPoint& resolution)
{
    CreateStorage(width, height, bpp, alpha);
    m_Resolution = resolution;
}

void PLBmp::InitMembers(int width, int height, uint16_t bpp, bool alpha)
{
    m_Width = width;
    m_Height = height;
    m_bpp = bpp;
    m_bAlphaChannel = alpha;
    FillLineTable();
    if (m_pPalette)
        SetGreyRamp();
}

void PLBmp::Lock(bool, bool)
{
    ++m_LockCount;
}

void PLBmp::Unlock()
{
    --m_LockCount;
}

int PLBmp::GetNumColors() const
{
    return m_pPalette ? PaletteEntries(m_bpp) : 0;
}

void PLBmp::SetGreyRamp()
{
    const int n = GetNumColors();
    if (n < 2)
        return;
    const int step = 255 / (n - 1);
    for (int i = 0; i < n; ++i)
    {
        uint8_t v = uint8_t(i * step);
        m_pPalette[i] = PLPixel32(v, v, v, 255);
    }
}

void PLBmp::SetPalette(const PLPixel32* entries)
{
    const int n = GetNumColors();
    if (n && entries)
        std::memcpy(m_pPalette, entries, size_t(n) * sizeof(PLPixel32));
}

void PLBmp::SetPaletteEntry(int index, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    if (index >= 0 && index < GetNumColors())
        m_pPalette[index] = PLPixel32(r, g, b, a);
}

void PLBmp::CopyPaletteFrom(const PLBmp& other)
{
    if (other.m_bpp <= 8 && other.m_pPalette && m_pPalette)
    {
        int n = GetNumColors() < other.GetNumColors() ? GetNumColors() : other.GetNumColors();
        std::memcpy(m_pPalette, other.m_pPalette, size_t(n) * sizeof(PLPixel32));
    }
}

void PLBmp::SetReductionMode(int ditherType, int paletteMode)
{
    m_DitherType = ditherType;
    m_DitherPaletteType = paletteMode;
}

void PLBmp::PutAlphaChannel(const PLBmp& alphaBmp)
{
    if (m_bpp != 32 || alphaBmp.m_bpp != 8 || alphaBmp.m_Width != m_Width ||
        alphaBmp.m_Height != m_Height)
        throw PLTextException(PL_ERR_FORMAT, "Alpha channel does not match the bitmap.");
    alphaBmp.CheckState();
    for (int y = 0; y < m_Height; ++y)
    {
        PLPixel32* dst = GetLineArray32()[y];
        const uint8_t* src = alphaBmp.m_pLineArray[y];
        for (int x = 0; x < m_Width; ++x)
            dst[x].a = src[x];
    }
    m_bAlphaChannel = true;
}

void PLBmp::DropEmptyAlpha()
{
    if (m_bpp != 32 || !m_bAlphaChannel)
        return;
    for (int y = 0; y < m_Height; ++y)
    {
        const PLPixel32* line = GetLineArray32()[y];
        for (int x = 0; x < m_Width; ++x)
            if (line[x].a != 0)
                return;
    }
    m_bAlphaChannel = false;
}

int PLBmp::FindNearestColour(const PLPixel32& colour) const
{
    int best = 100000;
    int bestIndex = 0;
    for (int i = 0; i < GetNumColors(); ++i)
    {
        const PLPixel32& e = m_pPalette[i];
        int d = std::abs(int(e.r) - colour.r) + std::abs(int(e.g) - colour.g) +
                std::abs(int(e.b) - colour.b);
        if (d < best)
        {
            best = d;
            bestIndex = i;
        }
    }
    return bestIndex;
}

PLPixel32 PLBmp::GetPixelColour(const uint8_t* line, int x) const
{
    switch (m_bpp)
    {
    case 1:
    {
        int index = (line[x >> 3] >> (7 - (x & 7))) & 1;
        return m_pPalette[index];
    }
    case 4:
    {
        int index = (x & 1) ? (line[x >> 1] & 0x0F) : (line[x >> 1] >> 4);
        return m_pPalette[index];
    }
    case 8:
        return m_pPalette[line[x]];
    case 16:
    {
        unsigned v = line[2 * x] | (unsigned(line[2 * x + 1]) << 8);
        return PLPixel32(uint8_t((v >> 7) & 0xF8), uint8_t((v >> 2) & 0xF8),
                         uint8_t((v & 0x1F) << 3), 255);
    }
    case 24:
        return PLPixel32(line[3 * x + 2], line[3 * x + 1], line[3 * x], 255);
    default:
        return reinterpret_cast<const PLPixel32*>(line)[x];
    }
}

void PLBmp::CopyAtDepth(const PLBmp& source, uint16_t bpp)
{
    if (&source == this)
    {
        if (bpp == 0 || bpp == m_bpp)
            return;
        // Converting in place: work from a copy, since creating the new
        // storage frees the lines that the conversion reads.
        PLAnyBmp copy;
        copy.CopyAtDepth(*this, 0);
        CopyAtDepth(copy, bpp);
        return;
    }

    source.CheckState();
    if (bpp == 0 || bpp == source.m_bpp)
    {
        CopyPixels(source);
        return;
    }

    if (bpp != 1 && bpp != 8 && bpp != 24 && bpp != 32)
        throw PLTextException(PL_ERR_UNSUPPORTED,
                              "Conversion to " + std::to_string(bpp) + " bpp is not supported.");
    if (bpp == 8 && source.m_bpp > 8)
    {
        CopyTo8Bit(source);
        return;
    }

    bool alpha = bpp == 32 ? source.m_bAlphaChannel : false;
    Create(source.m_Width, source.m_Height, bpp, alpha, PLPoint());
    Lock(false, true);
    switch (bpp)
    {
    case 1:
        CopyTo1Bit(source);
        break;
    case 8:
        CopyTo8Bit(source);
        break;
    default:
        CopyToTrueColour(source);
        break;
    }
    Unlock();
    m_Resolution = source.m_Resolution;
}

void PLBmp::CopyPixels(const PLBmp& source)
{
    Create(source.m_Width, source.m_Height, source.m_bpp, source.m_bAlphaChannel, PLPoint());
    Lock(false, true);
    int n = LineBytes() < source.LineBytes() ? LineBytes() : source.LineBytes();
    for (int y = 0; y < m_Height; ++y)
        std::memcpy(m_pLineArray[y], source.m_pLineArray[y], size_t(n));
    if (m_pPalette && source.m_pPalette)
        std::memcpy(m_pPalette, source.m_pPalette, size_t(GetNumColors()) * sizeof(PLPixel32));
    Unlock();
    m_Resolution = source.m_Resolution;
}

void PLBmp::CopyTo1Bit(const PLBmp& source)
{
    m_pPalette[0] = PLPixel32(255, 255, 255, 255);
    m_pPalette[1] = PLPixel32(0, 0, 0, 255);
    for (int y = 0; y < m_Height; ++y)
    {
        uint8_t* dst = m_pLineArray[y];
        std::memset(dst, 0, size_t(LineBytes()));
        const uint8_t* src = source.m_pLineArray[y];
        for (int x = 0; x < m_Width; ++x)
        {
            PLPixel32 c = source.GetPixelColour(src, x);
            if (c.r < 128 && c.g < 128 && c.b < 128)
                dst[x >> 3] |= uint8_t(0x80 >> (x & 7));
        }
    }
}

void PLBmp::CopyTo8Bit(const PLBmp& source)
{
    if (source.m_bpp > 8)
    {
        // True colour goes through the quantiser, with this bitmap's
        // palette and dither modes; it creates this bitmap itself.
        PLFilterQuantize quantize(m_DitherPaletteType, m_DitherType);
        if (source.m_bpp == 32)
        {
            quantize.Apply(const_cast<PLBmp*>(&source), this);
        }
        else
        {
            PLAnyBmp trueColour;
            trueColour.CopyAtDepth(source, 32);
            quantize.Apply(&trueColour, this);
        }
        m_Resolution = source.m_Resolution;
        return;
    }
    const int n = source.GetNumColors();
    for (int i = 0; i < n; ++i)
    {
        PLPixel32 e = source.m_pPalette[i];
        e.a = 255;
        m_pPalette[i] = e;
    }
    for (int y = 0; y < m_Height; ++y)
    {
        uint8_t* dst = m_pLineArray[y];
        const uint8_t* src = source.m_pLineArray[y];
        for (int x = 0; x < m_Width; ++x)
        {
            if (source.m_bpp == 1)
                dst[x] = uint8_t((src[x >> 3] >> (7 - (x & 7))) & 1);
            else
                dst[x] = uint8_t((x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4));
        }
    }
}

void PLBmp::CopyToTrueColour(const PLBmp& source)
{
    for (int y = 0; y < m_Height; ++y)
    {
        uint8_t* dst = m_pLineArray[y];
        const uint8_t* src = source.m_pLineArray[y];
        for (int x = 0; x < m_Width; ++x)
        {
            PLPixel32 c = source.GetPixelColour(src, x);
            if (source.m_bpp == 1)
                c.a = 255;
            if (m_bpp == 24)
            {
                dst[3 * x] = c.b;
                dst[3 * x + 1] = c.g;
                dst[3 * x + 2] = c.r;
            }
            else
            {
                reinterpret_cast<PLPixel32*>(dst)[x] = c;
            }
        }
    }
}

bool PLBmp::NearlyEqual(const PLBmp& other, int tolerance) const
{
    if (m_Width != other.m_Width || m_Height != other.m_Height ||
        m_bAlphaChannel != other.m_bAlphaChannel || m_bpp != other.m_bpp ||
        m_Resolution != other.m_Resolution)
        return false;

    auto within = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };

    if (m_bpp <= 8)
    {
        // Indices, then the palette entries they refer to.
        for (int y = 0; y < m_Height; ++y)
        {
            const uint8_t* a = m_pLineArray[y];
            const uint8_t* b = other.m_pLineArray[y];
            for (int x = 0; x < m_Width; ++x)
            {
                int ia, ib;
                if (m_bpp == 8)
                {
                    ia = a[x];
                    ib = b[x];
                    if (!within(ia, ib))
                        return false;
                    continue;
                }
                if (m_bpp == 1)
                {
                    ia = (a[x >> 3] >> (7 - (x & 7))) & 1;
                    ib = (b[x >> 3] >> (7 - (x & 7))) & 1;
                }
                else
                {
                    ia = (x & 1) ? (a[x >> 1] & 0x0F) : (a[x >> 1] >> 4);
                    ib = (x & 1) ? (b[x >> 1] & 0x0F) : (b[x >> 1] >> 4);
                }
                if (ia != ib)
                    return false;
            }
        }
        for (int i = 0; i < GetNumColors(); ++i)
        {
            const PLPixel32& pa = m_pPalette[i];
            const PLPixel32& pb = other.m_pPalette[i];
            if (!within(pa.r, pb.r) || !within(pa.g, pb.g) || !within(pa.b, pb.b))
                return false;
        }
        return true;
    }

    const int64_t bytes = PackedLineBytes(m_Width, m_bpp);
    for (int y = 0; y < m_Height; ++y)
    {
        const uint8_t* a = m_pLineArray[y];
        const uint8_t* b = other.m_pLineArray[y];
        if (m_bpp != 32)
        {
            if (std::memcmp(a, b, size_t(bytes)) != 0)
                return false;
            continue;
        }
        const PLPixel32* pa = reinterpret_cast<const PLPixel32*>(a);
        const PLPixel32* pb = reinterpret_cast<const PLPixel32*>(b);
        for (int x = 0; x < m_Width; ++x)
        {
            if (!within(pa[x].r, pb[x].r) || !within(pa[x].g, pb[x].g) || !within(pa[x].b, pb[x].b))
                return false;
            if (m_bAlphaChannel && !within(pa[x].a, pb[x].a))
                return false;
        }
    }
    return true;
}
