#include "imaging/PLFilterQuantize.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "imaging/PLBmp.h"
#include "imaging/PLBmpLock.h"
#include "imaging/PLTextException.h"

namespace
{
const int kCells = 32768;
const uint32_t kMaxCount = 65535;

// The fixed palette as 0xRRGGBB.
const uint32_t kFixed[256] = {
    0x000000, 0x0000BF, 0x00BF00, 0x00BFBF,
    0xBF0000, 0xBF00BF, 0xBFBF00, 0xC0C0C0,
    0xC0DCC0, 0xF0CAA6, 0x000080, 0x008000,
    0x008080, 0x800000, 0x800080, 0x808000,
    0x005100, 0x005151, 0x005185, 0x0051B1,
    0x0051D9, 0x0051FF, 0x008500, 0x008551,
    0x008585, 0x0085B1, 0x0085D9, 0x0085FF,
    0x00B100, 0x00B151, 0x00B185, 0x00B1B1,
    0x00B1D9, 0x00B1FF, 0x00D900, 0x00D951,
    0x00D985, 0x00D9B1, 0x00D9D9, 0x00D9FF,
    0x00FF00, 0x00FF51, 0x00FF85, 0x00FFB1,
    0x00FFD9, 0x00FFFF, 0x510000, 0x510051,
    0x510085, 0x5100B1, 0x5100D9, 0x5100FF,
    0x515100, 0x515151, 0x515185, 0x5151B1,
    0x5151D9, 0x5151FF, 0x518500, 0x518551,
    0x518585, 0x5185B1, 0x5185D9, 0x518537,
    0x51B100, 0x51B151, 0x51B185, 0x51B1B1,
    0x51B1D9, 0x51B1FF, 0x51D900, 0x51D951,
    0x51D985, 0x51D9B1, 0x51D9D9, 0x51D9FF,
    0x51FF00, 0x51FF51, 0x51FF85, 0x51FFB1,
    0x51FFD9, 0x51FFFF, 0x850000, 0x850051,
    0x850085, 0x8500B1, 0x8500D9, 0x8500FF,
    0x855100, 0x855151, 0x855185, 0x8551B1,
    0x8551D9, 0x8551FF, 0x858500, 0x858551,
    0x858585, 0x8585B1, 0x8585D9, 0x8585FF,
    0x85B100, 0x85B151, 0x85B185, 0x85B1B1,
    0x85B1D9, 0x85B1FF, 0x85D900, 0x85D951,
    0x85D985, 0x85D9B1, 0x85D9D9, 0x85D9FF,
    0x85FF00, 0x85FF51, 0x85FF85, 0x85FFB1,
    0x85FFD9, 0x85FFFF, 0xB10000, 0xB10051,
    0xB10085, 0xB100B1, 0xB100D9, 0xB100FF,
    0xB15100, 0xB15151, 0xB15185, 0xB151B1,
    0xB151D9, 0xB151FF, 0xB18500, 0xB18551,
    0xB18585, 0xB185B1, 0xB185D9, 0xB185FF,
    0xB1B100, 0xB1B151, 0xB1B185, 0xB1B1B1,
    0xB1B1D9, 0xB1B1FF, 0xB1D900, 0xB1D951,
    0xB1D985, 0xB1D9B1, 0xB1D9D9, 0xB1D9FF,
    0xB1FF00, 0xB1FF51, 0xB1FF85, 0xB1FFB1,
    0xB1FFD9, 0xB1FFFF, 0xD90000, 0xD90051,
    0xD90085, 0xD900B1, 0xD900D9, 0xD900FF,
    0xD95100, 0xD95151, 0xD95185, 0xD951B1,
    0xD951D9, 0xD951FF, 0xD98500, 0xD98551,
    0xD98585, 0xD985B1, 0xD985D9, 0xD985FF,
    0xD9B100, 0xD9B151, 0xD9B185, 0xD9B1B1,
    0xD9B1D9, 0xD9B1FF, 0xD9D900, 0xD9D951,
    0xD9D985, 0xD9D9B1, 0xD9D9D9, 0xD9D9FF,
    0xD9FF00, 0xD9FF51, 0xD9FF85, 0xD9FFB1,
    0xD9FFD9, 0xD9FFFF, 0xFF0000, 0xFF0051,
    0xFF0085, 0xFF00B1, 0xFF00D9, 0xFF00FF,
    0xFF5100, 0xFF5151, 0xFF5185, 0xFF51B1,
    0xFF51D9, 0xFF51FF, 0xFF8500, 0xFF8551,
    0xFF8585, 0xFF85B1, 0xFF85D9, 0xFF85FF,
    0xFFB100, 0xFFB151, 0xFFB185, 0xFFB1B1,
    0xFFB1D9, 0xFFB1FF, 0xFFD900, 0xFFD951,
    0xFFD985, 0xFFD9B1, 0xFFD9D9, 0xFFD9FF,
    0xFFFF00, 0xFFFF51, 0xFFFF85, 0xFFFFB1,
    0xFFFFD9, 0xC4C4C4, 0xC7C7C7, 0xCACACA,
    0xCDCDCD, 0xD0D0D0, 0xD3D3D3, 0xD6D6D6,
    0xD9D9D9, 0xDCDCDC, 0xDFDFDF, 0xE2E2E2,
    0xE5E5E5, 0xE8E8E8, 0xEBEBEB, 0xEEEEEE,
    0xF1F1F1, 0xF4F4F4, 0xF7F7F7, 0xFAFAFA,
    0xFDFDFD, 0xCFCF9B, 0xF0FBFF, 0xA4A0A0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
    0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

const PLPixel32* FixedTable()
{
    static const struct Table
    {
        PLPixel32 entries[256];
        Table()
        {
            for (int i = 0; i < 256; ++i)
                entries[i] = PLPixel32(uint8_t(kFixed[i] >> 16), uint8_t(kFixed[i] >> 8), uint8_t(kFixed[i]), 0);
        }
    } table;
    return table.entries;
}

// The eight corners of the 5-bit colour cube, in red, green, blue order.
const uint8_t kCorners[8][3] = {{0, 0, 0},   {31, 0, 0},  {0, 31, 0},  {0, 0, 31},
                                {31, 31, 0}, {0, 31, 31}, {31, 0, 31}, {31, 31, 31}};

const int kOrderedMatrix[16] = {-7, 1, -5, 3, 5, -3, 7, -1, -4, 4, -6, 2, 8, 0, 6, -2};

int Clamp255(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

double Clamp255(double v)
{
    return v < 0.0 ? 0.0 : (v > 255.0 ? 255.0 : v);
}
} // namespace

PLFilterQuantize::PLFilterQuantize(int paletteMode, int ditherMode)
    : m_PaletteMode(unsigned(paletteMode)), m_DitherMode(ditherMode)
{
    try
    {
        m_Boxes.resize(256);
        m_Histogram.resize(kCells);
    }
    catch (const std::bad_alloc&)
    {
        throw PLTextException(PL_ERR_NO_MEMORY, "Out of memory.");
    }
}

PLFilterQuantize::~PLFilterQuantize() = default;

const PLPixel32* PLFilterQuantize::GetFixedPalette()
{
    return FixedTable();
}

void PLFilterQuantize::SetFixedPalette(PLBmp* bmp)
{
    bmp->SetPalette(FixedTable());
}

void PLFilterQuantize::SetUserPalette(const PLPixel32* entries)
{
    if (entries)
        m_UserPalette.assign(entries, entries + 256);
    else
        m_UserPalette.clear();
}

void PLFilterQuantize::ClearHistogram()
{
    for (Cell& c : m_Histogram)
        c = Cell();
}

void PLFilterQuantize::AddColour(const PLPixel32& colour, unsigned count)
{
    Cell& c = m_Histogram[size_t(CellOf(colour.r, colour.g, colour.b))];
    const uint32_t add = count > kMaxCount ? kMaxCount : count;
    c.count = c.count + add > kMaxCount ? kMaxCount : c.count + add;
}

unsigned PLFilterQuantize::GetColourCount(const PLPixel32& colour) const
{
    return m_Histogram[size_t(CellOf(colour.r, colour.g, colour.b))].count;
}

void PLFilterQuantize::AddBitmap(PLBmp* bmp)
{
    if (bmp->GetBitsPerPixel() != 32)
        throw PLTextException(PL_ERR_UNSUPPORTED, "Quantisation needs a 32 bpp bitmap.");
    PLBmpLock lock(bmp, true, false);
    for (int y = 0; y < bmp->GetHeight(); ++y)
    {
        const PLPixel32* line = bmp->GetLineArray32()[y];
        for (int x = 0; x < bmp->GetWidth(); ++x)
            AddColour(line[x], 1);
    }
}

void PLFilterQuantize::Apply(PLBmp* source, PLBmp* dest)
{
    if (source == dest)
    {
        FilterInPlace(dest);
        return;
    }
    if (source->GetBitsPerPixel() != 32)
        throw PLTextException(PL_ERR_UNSUPPORTED, "Quantisation needs a 32 bpp bitmap.");

    // Each picture gets its own histogram and lookup cache.
    ClearHistogram();
    dest->Create(source->GetWidth(), source->GetHeight(), 8, false, source->GetResolution());
    if (m_PaletteMode != PLDTH_PAL_FIXED && m_PaletteMode != PLDTH_PAL_USER)
        AddBitmap(source);

    PLPixel32 palette[256];
    switch (m_PaletteMode)
    {
    case PLDTH_PAL_BOX:
        BuildBoxPalette(palette);
        dest->SetPalette(palette);
        break;
    case PLDTH_PAL_POPULARITY:
        BuildPopularityPalette(palette);
        dest->SetPalette(palette);
        break;
    case PLDTH_PAL_FIXED:
        dest->SetPalette(FixedTable());
        break;
    case PLDTH_PAL_USER:
        dest->SetPalette(m_UserPalette.empty() ? FixedTable() : m_UserPalette.data());
        break;
    default:
        break;  // the destination's palette as created
    }
    MapPixels(source, dest);
}

void PLFilterQuantize::ShrinkBox(Box& box) const
{
    uint8_t lo[3] = {31, 31, 31};
    uint8_t hi[3] = {0, 0, 0};
    uint64_t sum[3] = {0, 0, 0};
    uint64_t total = 0;
    for (int r = box.min[0]; r <= box.max[0]; ++r)
        for (int g = box.min[1]; g <= box.max[1]; ++g)
            for (int b = box.min[2]; b <= box.max[2]; ++b)
            {
                const uint32_t count = m_Histogram[size_t((r << 10) | (g << 5) | b)].count;
                if (!count)
                    continue;
                const int level[3] = {r, g, b};
                for (int c = 0; c < 3; ++c)
                {
                    if (level[c] < lo[c])
                        lo[c] = uint8_t(level[c]);
                    if (level[c] > hi[c])
                        hi[c] = uint8_t(level[c]);
                    sum[c] += uint64_t(level[c]) * count;
                }
                total += count;
            }
    if (!total)
    {
        std::memset(box.min, 31, 3);
        std::memset(box.max, 0, 3);
        std::memset(box.mean, 0, 3);
        box.count = 0;
        return;
    }
    for (int c = 0; c < 3; ++c)
    {
        box.min[c] = lo[c];
        box.max[c] = hi[c];
        box.mean[c] = uint8_t(sum[c] / total);
    }
    box.count = total > kMaxCount ? kMaxCount : uint32_t(total);
    if (std::memcmp(lo, hi, 3) == 0)
        box.count = 1;  // a single cell cannot be split
}

void PLFilterQuantize::SplitBox(Box& newBox, Box& oldBox, int channel) const
{
    const int c = channel;
    if (oldBox.max[c] - oldBox.min[c] == 2)
    {
        // The middle level goes to neither box.
        newBox.max[c] = oldBox.min[c];
        oldBox.min[c] = oldBox.max[c];
    }
    else
    {
        const int m = oldBox.mean[c];
        if (m == oldBox.max[c])
        {
            oldBox.max[c] = uint8_t(m - 1);
            newBox.min[c] = uint8_t(m);
        }
        else
        {
            oldBox.max[c] = uint8_t(m);
            newBox.min[c] = uint8_t(m + 1);
        }
    }
    ShrinkBox(newBox);
    ShrinkBox(oldBox);
}

void PLFilterQuantize::BuildBoxPalette(PLPixel32* palette)
{
    for (int i = 0; i < 8; ++i)
    {
        Box& box = m_Boxes[size_t(i)];
        std::memcpy(box.min, kCorners[i], 3);
        std::memcpy(box.max, kCorners[i], 3);
        std::memcpy(box.mean, kCorners[i], 3);
        box.count = 1;
    }
    Box& all = m_Boxes[8];
    std::memset(all.min, 0, 3);
    std::memset(all.max, 31, 3);
    ShrinkBox(all);

    int used = 9;
    while (used < 256)
    {
        int best = 8;
        for (int i = 9; i < used; ++i)
            if (m_Boxes[size_t(i)].count > m_Boxes[size_t(best)].count)
                best = i;
        Box& chosen = m_Boxes[size_t(best)];
        if (chosen.count < 2)
        {
            for (int i = used; i < 256; ++i)
                std::memset(&m_Boxes[size_t(i)], 0, sizeof(Box));
            break;
        }
        const int extent[3] = {chosen.max[0] - chosen.min[0], chosen.max[1] - chosen.min[1],
                               chosen.max[2] - chosen.min[2]};
        int channel = 2;
        if (extent[0] >= extent[1] && extent[0] >= extent[2])
            channel = 0;
        else if (extent[1] >= extent[2])
            channel = 1;
        m_Boxes[size_t(used)] = chosen;
        SplitBox(m_Boxes[size_t(used)], chosen, channel);
        ++used;
    }

    for (int k = 0; k < 256; ++k)
    {
        const Box& box = m_Boxes[size_t(k)];
        palette[k] = PLPixel32(uint8_t((box.min[0] + box.max[0]) * 255 / 62),
                               uint8_t((box.min[1] + box.max[1]) * 255 / 62),
                               uint8_t((box.min[2] + box.max[2]) * 255 / 62), 0);
    }
}

void PLFilterQuantize::BuildPopularityPalette(PLPixel32* palette)
{
    // Levels 0..31; entries the histogram does not fill stay black.
    uint8_t level[256][3] = {};
    uint32_t count[256] = {};
    for (int i = 0; i < 8; ++i)
        std::memcpy(level[i], kCorners[i], 3);

    for (int r = 0; r < 32; ++r)
        for (int g = 0; g < 32; ++g)
            for (int b = 0; b < 32; ++b)
            {
                const uint32_t c = m_Histogram[size_t((r << 10) | (g << 5) | b)].count;
                if (c <= count[255])
                    continue;
                level[255][0] = uint8_t(r);
                level[255][1] = uint8_t(g);
                level[255][2] = uint8_t(b);
                count[255] = c;
                for (int i = 255; i > 8 && count[i - 1] < count[i]; --i)
                {
                    std::swap(count[i - 1], count[i]);
                    for (int k = 0; k < 3; ++k)
                        std::swap(level[i - 1][k], level[i][k]);
                }
            }

    for (int i = 0; i < 256; ++i)
        palette[i] = PLPixel32(uint8_t(level[i][0] * 255 / 31), uint8_t(level[i][1] * 255 / 31),
                               uint8_t(level[i][2] * 255 / 31), 0);
}

int PLFilterQuantize::FindIndex(int r, int g, int b, const PLPixel32* palette)
{
    Cell& cell = m_Histogram[size_t(CellOf(r, g, b))];
    if (cell.index != -1)
        return cell.index;
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i)
    {
        const long dr = r - palette[i].r, dg = g - palette[i].g, db = b - palette[i].b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance)
        {
            bestDistance = d;
            best = i;
        }
    }
    cell.index = best;
    return best;
}

void PLFilterQuantize::MapPixels(PLBmp* source, PLBmp* dest)
{
    const int width = source->GetWidth();
    const int height = source->GetHeight();
    const PLPixel32* palette = dest->GetPalette();
    PLBmpLock readLock(source, true, false);
    PLBmpLock writeLock(dest, false, true);

    if (m_DitherMode != PLDTH_FS)
    {
        for (int y = 0; y < height; ++y)
        {
            const PLPixel32* in = source->GetLineArray32()[y];
            uint8_t* out = dest->GetLineArray()[y];
            for (int x = 0; x < width; ++x)
            {
                int r = in[x].r, g = in[x].g, b = in[x].b;
                if (m_DitherMode == PLDTH_ORDERED)
                {
                    // The matrix column counts from the right edge.
                    const int m = 2 * kOrderedMatrix[((width - 1 - x) % 4) * 4 + (y % 4)];
                    r = Clamp255(r + m);
                    g = Clamp255(g + m);
                    b = Clamp255(b + m);
                }
                out[x] = uint8_t(FindIndex(r, g, b, palette));
            }
        }
        return;
    }

    // Error diffusion in alternating directions; one error row for this line
    // and one for the next, with a spare pixel at each end.
    std::vector<double> current(size_t(width + 2) * 3, 0.0);
    std::vector<double> next(size_t(width + 2) * 3, 0.0);
    for (int y = 0; y < height; ++y)
    {
        const PLPixel32* in = source->GetLineArray32()[y];
        uint8_t* out = dest->GetLineArray()[y];
        const int dir = (y & 1) ? -1 : 1;
        for (int i = 0; i < width; ++i)
        {
            const int x = dir > 0 ? i : width - 1 - i;
            const size_t at = size_t(x + 1) * 3;
            const double sample[3] = {double(in[x].r), double(in[x].g), double(in[x].b)};
            double value[3];
            for (int c = 0; c < 3; ++c)
                value[c] = Clamp255(sample[c] + current[at + size_t(c)]);
            const int index = FindIndex(int(value[0]), int(value[1]), int(value[2]), palette);
            out[x] = uint8_t(index);
            const double entry[3] = {double(palette[index].r), double(palette[index].g), double(palette[index].b)};
            const size_t ahead = size_t(x + 1 + dir) * 3;
            const size_t behind = size_t(x + 1 - dir) * 3;
            for (int c = 0; c < 3; ++c)
            {
                const double e = (value[c] - entry[c]) / 16.0;
                current[ahead + size_t(c)] += 7 * e;
                next[behind + size_t(c)] += 3 * e;
                next[at + size_t(c)] += 5 * e;
                next[ahead + size_t(c)] += e;
            }
        }
        current.swap(next);
        std::fill(next.begin(), next.end(), 0.0);
    }
}
