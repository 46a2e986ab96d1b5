#include "imaging/PLMetafileRecords.h"

#include <cstddef>

namespace
{
const uint32_t kEnhancedHeaderBytes = 88;  // up to and including the millimetre size
const uint32_t kEmrHeader = 1;
const uint32_t kEmrEof = 14;
const uint32_t kLastStockObject = 19;
const uint64_t kWindowsHeaderBytes = 18;

uint32_t LE32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

unsigned LE16(const uint8_t* p)
{
    return unsigned(p[0] | (p[1] << 8));
}

// The size of enhanced metafile records of fixed layout (0: not one of them).
uint32_t FixedEnhancedSize(uint32_t type)
{
    switch (type)
    {
    case 28: case 33: case 52: case 59: case 60: case 61: case 62: case 63: case 64: case 65: case 66: case 68:
        return 8;
    case 16: case 17: case 18: case 19: case 20: case 21: case 22: case 24: case 25: case 34: case 57: case 58:
    case 67: case 98: case 115:
        return 12;
    case 9: case 10: case 11: case 12: case 13: case 26: case 27: case 54: case 120:
        return 16;
    case 15:
        return 20;
    case 29: case 30: case 31: case 32: case 42: case 43: case 53:
        return 24;
    case 41:
        return 28;
    case 23: case 35: case 44:
        return 32;
    case 36:
        return 36;
    case 45: case 46: case 47: case 55:
        return 40;
    case 104:  // pixel format
        return 48;
    default:
        return 0;
    }
}

// Windows metafile functions of fixed layout, whose high byte is their
// number of parameter words.
bool IsFixedWindowsFunction(unsigned function)
{
    switch (function)
    {
    case 0x0201: case 0x0102: case 0x0103: case 0x0104: case 0x0105: case 0x0106: case 0x0107: case 0x0108:
    case 0x0209: case 0x020A: case 0x020B: case 0x020C: case 0x020D: case 0x020E: case 0x020F: case 0x0410:
    case 0x0211: case 0x0412: case 0x0213: case 0x0214: case 0x0415: case 0x0416: case 0x0817: case 0x0418:
    case 0x0419: case 0x081A: case 0x041B: case 0x061C: case 0x061D: case 0x001E: case 0x041F: case 0x0220:
    case 0x0127: case 0x0830: case 0x0231: case 0x012E: case 0x0548: case 0x0149: case 0x0035:
    case 0x0139:
        return true;
    default:
        return false;
    }
}

// Region data (a header of 32 bytes, then 16 bytes a rectangle).
bool IsSoundRegion(const uint8_t* p, uint64_t bytes)
{
    if (bytes < 32)
        return false;
    return 32 + 16 * uint64_t(LE32(p + 8)) <= bytes;
}
} // namespace

bool PLMetafileRecords::IsSoundDib(const uint8_t* info, uint64_t infoBytes, uint64_t bitsBytes, bool packed)
{
    if (!info || infoBytes < 4)
        return false;
    const uint32_t headerBytes = LE32(info);
    int64_t width, height;
    unsigned bpp;
    uint32_t compression = 0, colours = 0, imageBytes = 0;
    uint64_t entryBytes = 4;
    if (headerBytes == 12 && infoBytes >= 12)
    {
        width = LE16(info + 4);
        height = LE16(info + 6);
        bpp = LE16(info + 10);
        entryBytes = 3;
    }
    else if (headerBytes >= 40 && headerBytes <= infoBytes)
    {
        width = int32_t(LE32(info + 4));
        height = int32_t(LE32(info + 8));
        bpp = LE16(info + 14);
        compression = LE32(info + 16);
        imageBytes = LE32(info + 20);
        colours = LE32(info + 32);
    }
    else
    {
        return false;
    }
    if (width <= 0 || height == 0)
        return false;
    if (height < 0)
        height = -height;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return false;
    if (bpp <= 8 && colours == 0)
        colours = 1u << bpp;

    uint64_t masks = 0;
    if (compression == 3 && headerBytes == 40)
        masks = 12;
    else if (compression == 6 && headerBytes == 40)
        masks = 16;
    const uint64_t tableEnd = headerBytes + masks + uint64_t(colours) * entryBytes;
    if (tableEnd > infoBytes)
        return false;
    const uint64_t available = packed ? infoBytes - tableEnd : bitsBytes;

    switch (compression)
    {
    case 0:  // plain
    case 3:  // bit fields
    case 6:
    {
        const uint64_t stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
        return stride * uint64_t(height) <= available;
    }
    case 1:  // RLE8
    case 2:  // RLE4
        return bpp == (compression == 1 ? 8u : 4u) && imageBytes <= available;
    default:
        return false;
    }
}

bool PLMetafileRecords::IsSoundEnhanced(const uint8_t* data, int size)
{
    if (!data || size < int(kEnhancedHeaderBytes) || LE32(data) != kEmrHeader)
        return false;
    const uint32_t headerBytes = LE32(data + 4);
    const uint32_t total = LE32(data + 48);
    std::vector<uint8_t> table(LE16(data + 56), kEmpty);
    if (headerBytes < kEnhancedHeaderBytes || total > uint32_t(size) || headerBytes > total)
        return false;
    const uint32_t descriptionChars = LE32(data + 60);
    if (descriptionChars && uint64_t(LE32(data + 64)) + 2 * uint64_t(descriptionChars) > headerBytes)
        return false;
    for (uint32_t at = 0; at + 8 <= total;)
    {
        const uint32_t type = LE32(data + at);
        const uint32_t bytes = LE32(data + at + 4);
        if (bytes < 8 || (bytes & 3) || bytes > total - at)
            return false;
        if (type == kEmrEof)
        {
            // The last record, holding the palette entries it counts.
            if (bytes < 20 || at + bytes != total)
                return false;
            const uint64_t entries = LE32(data + at + 8), offset = LE32(data + at + 12);
            return !entries || offset + 4 * entries <= bytes;
        }
        if ((type == kEmrHeader) != (at == 0))
            return false;
        if (!IsSoundEnhancedRecord(data + at, bytes, type, table))
            return false;
        at += bytes;
    }
    return false;
}

bool PLMetafileRecords::IsSoundEnhancedRecord(const uint8_t* r, uint32_t n, uint32_t type,
                                              std::vector<uint8_t>& table)
{
    auto fits = [n](uint64_t bytes) { return bytes <= n; };
    auto u32 = [r](uint32_t at) { return uint64_t(LE32(r + at)); };
    const uint64_t handles = table.size();
    // The slot a record creates an object in (slot 0 is the metafile itself).
    auto create = [&](uint32_t at, uint8_t kind) {
        const uint64_t index = u32(at);
        if (index < 1 || index >= handles)
            return false;
        table[size_t(index)] = kind;
        return true;
    };
    // A slot that holds an object of one of the kinds (kEmpty: any kind).
    auto uses = [&](uint32_t at, uint8_t kind, uint8_t other = kEmpty) {
        const uint64_t index = u32(at);
        if (index < 1 || index >= handles || table[size_t(index)] == kEmpty)
            return false;
        return kind == kEmpty || table[size_t(index)] == kind || (other != kEmpty && table[size_t(index)] == other);
    };
    // Selections may also name a stock object.
    auto stock = [&](uint32_t at) {
        const uint64_t index = u32(at);
        return (index & 0x80000000u) && (index & 0x7FFFFFFFu) <= kLastStockObject;
    };
    // A bitmap given by offset and size fields (header, then bits). Players
    // tell "no bitmap" by either field, so both must say so.
    auto bitmap = [&](uint32_t at) {
        const uint64_t offInfo = u32(at), infoBytes = u32(at + 4), offBits = u32(at + 8), bitsBytes = u32(at + 12);
        if (offInfo == 0 && infoBytes == 0)
            return true;
        return fits(offInfo + infoBytes) && fits(offBits + bitsBytes) &&
               IsSoundDib(r + offInfo, infoBytes, bitsBytes, false);
    };
    // Counted lists of polygons: counts, then points.
    auto polyPoly = [&](uint64_t pointBytes) {
        if (!fits(32))
            return false;
        const uint64_t polys = u32(24), points = u32(28);
        if (!fits(32 + 4 * polys + pointBytes * points))
            return false;
        uint64_t sum = 0;
        for (uint64_t i = 0; i < polys; ++i)
            sum += u32(uint32_t(32 + 4 * i));
        return sum <= points;
    };

    if (const uint32_t fixed = FixedEnhancedSize(type))
        return fits(fixed);

    // Lists of text pieces: each names its characters and spacing by offset.
    auto texts = [&](uint32_t at, uint64_t count, uint64_t charBytes) {
        for (uint64_t i = 0; i < count; ++i)
        {
            const uint32_t t = uint32_t(at + 40 * i);
            const uint64_t chars = u32(t + 8), offString = u32(t + 12), options = u32(t + 16), offDx = u32(t + 36);
            if (chars && !fits(offString + chars * charBytes))
                return false;
            if (chars && offDx && !fits(offDx + chars * ((options & 0x2000) ? 8 : 4)))
                return false;
        }
        return true;
    };

    switch (type)
    {
    case 96:  // poly text out, 8-bit
    case 97:  // poly text out, 16-bit
        return fits(40) && fits(40 + 40 * u32(36)) && texts(40, u32(36), type == 97 ? 2 : 1);
    case 108:  // small text out: clip rectangle unless left out, then the text
    {
        if (!fits(36))
            return false;
        const uint64_t options = u32(20);
        return fits(36 + ((options & 0x100) ? 0 : 16) + u32(16) * ((options & 0x200) ? 1 : 2));
    }
    case 118:  // gradient fill: vertices, then triangles or rectangles of vertex indices
    {
        if (!fits(36))
            return false;
        const uint64_t vertices = u32(24), shapes = u32(28), triangles = u32(32) == 2;
        const uint64_t indices = triangles ? 3 : 2;
        const uint64_t mesh = 36 + 16 * vertices;
        if (!fits(mesh + shapes * 4 * indices))
            return false;
        for (uint64_t i = 0; i < shapes * indices; ++i)
            if (u32(uint32_t(mesh + 4 * i)) >= vertices)
                return false;
        return true;
    }
    case 102:  // GL record
        return fits(12) && fits(12 + u32(8));
    case 103:  // bounded GL record
        return fits(28) && fits(28 + u32(24));
    case 105:  // draw escape
    case 106:  // extended escape
        return fits(16) && fits(16 + u32(12));
    case 110:  // named escape
        return fits(20) && fits(20 + u32(12) + u32(16));
    case 112:  // colour profile by name or data
    case 113:
        return fits(20) && fits(20 + u32(12) + u32(16));
    case 121:  // colour match to target
        return fits(24) && fits(24 + u32(16) + u32(20));
    case 119:  // linked fonts
        return fits(12) && fits(12 + 8 * u32(8) + 8);
    case 111:  // colour-correct palette
        return fits(24) && uses(8, kPalette);
    case 37:  // select object
        return fits(12) && (stock(8) || (uses(8, kEmpty) && table[size_t(u32(8))] != kPalette &&
                                         table[size_t(u32(8))] != kColourSpace));
    case 48:  // select palette
        return fits(12) && (stock(8) || uses(8, kPalette));
    case 40:  // delete object
        if (!fits(12) || !uses(8, kEmpty))
            return false;
        table[size_t(u32(8))] = kEmpty;
        return true;
    case 100:  // set colour space
        return fits(12) && uses(8, kColourSpace);
    case 101:  // delete colour space
        if (!fits(12) || !uses(8, kColourSpace))
            return false;
        table[size_t(u32(8))] = kEmpty;
        return true;
    case 51:  // resize palette
        return fits(16) && uses(8, kPalette);
    case 38:  // create pen
        return fits(28) && create(8, kPen);
    case 39:  // create brush: solid, hollow or one of the six hatches
        return fits(24) && u32(12) <= 2 && (u32(12) != 2 || u32(20) <= 5) && create(8, kBrush);
    case 49:  // create palette
        return fits(16) && fits(16 + 4 * uint64_t(LE16(r + 14))) && create(8, kPalette);
    case 50:  // set palette entries
        return fits(20) && uses(8, kPalette) && fits(20 + 4 * u32(16));
    case 82:  // create font
        return fits(12 + 92) && create(8, kFont);
    case 93:  // create mono brush
    case 94:  // create pattern brush
        return fits(32) && bitmap(16) && create(8, kBrush);
    case 95:  // create extended pen
        return fits(52) && fits(52 + 4 * u32(48)) && bitmap(12) && create(8, kPen);
    case 99:  // create colour space
    case 122:
        return fits(12) && create(8, kColourSpace);
    case 2: case 3: case 4: case 5: case 6:  // Bezier, polygon, polyline and their "to" forms
        return fits(28) && fits(28 + 8 * u32(24));
    case 85: case 86: case 87: case 88: case 89:  // the same with 16-bit points
        return fits(28) && fits(28 + 4 * u32(24));
    case 7: case 8:  // poly-polyline, poly-polygon
        return polyPoly(8);
    case 90: case 91:
        return polyPoly(4);
    case 56:  // poly draw: points and a type byte each
        return fits(28) && fits(28 + 9 * u32(24));
    case 92:
        return fits(28) && fits(28 + 5 * u32(24));
    case 70:  // comment
        return fits(12) && fits(12 + u32(8));
    case 71:  // fill region
        return fits(32) && uses(28, kBrush) && fits(32 + u32(24)) && IsSoundRegion(r + 32, u32(24));
    case 72:  // frame region
        return fits(40) && uses(28, kBrush) && fits(40 + u32(24)) && IsSoundRegion(r + 40, u32(24));
    case 73:  // invert region
    case 74:  // paint region
        return fits(28) && fits(28 + u32(24)) && IsSoundRegion(r + 28, u32(24));
    case 75:  // select clip region (none for the default region)
        return fits(16) && fits(16 + u32(8)) && (u32(8) == 0 || IsSoundRegion(r + 16, u32(8)));
    case 83:  // text out, 8-bit
    case 84:  // text out, 16-bit
    {
        if (!fits(76))
            return false;
        const uint64_t chars = u32(44), offString = u32(48), options = u32(52), offDx = u32(72);
        if (chars && !fits(offString + chars * (type == 84 ? 2 : 1)))
            return false;
        return !chars || !offDx || fits(offDx + chars * ((options & 0x2000) ? 8 : 4));
    }
    case 76:  // bit blit
        return fits(100) && bitmap(84);
    case 77:   // stretch blit
    case 114:  // alpha blend
    case 116:  // transparent blit
        return fits(108) && bitmap(84);
    case 78:  // mask blit
        return fits(128) && bitmap(84) && bitmap(112);
    case 79:  // parallelogram blit
        return fits(140) && bitmap(96) && bitmap(124);
    case 80:  // set bits to device
        return fits(76) && bitmap(48);
    case 81:  // stretch bits
        return fits(80) && bitmap(48);
    default:
        return true;
    }
}

bool PLMetafileRecords::IsSoundWindows(const uint8_t* data, int size)
{
    if (!data || size < int(kWindowsHeaderBytes) || LE16(data + 2) != 9)
        return false;
    // Sizes count 16-bit words; players go by the stated size.
    const uint64_t total = uint64_t(LE32(data + 6)) * 2;
    if (total > uint64_t(size))
        return false;
    std::vector<uint8_t> table(LE16(data + 10), kEmpty);
    for (uint64_t at = kWindowsHeaderBytes; at + 6 <= total;)
    {
        const uint64_t bytes = uint64_t(LE32(data + at)) * 2;
        if (bytes < 6 || bytes > total - at)
            return false;
        const unsigned function = LE16(data + at + 4);
        if (function == 0)  // the end record
            return true;
        if (!IsSoundWindowsRecord(data + at, bytes, function, table))
            return false;
        at += bytes;
    }
    return false;
}

bool PLMetafileRecords::IsSoundWindowsRecord(const uint8_t* r, uint64_t n, unsigned function,
                                             std::vector<uint8_t>& table)
{
    const uint8_t* p = r + 6;  // the parameters
    auto fits = [n](uint64_t bytes) { return bytes <= n; };
    auto param = [p](uint64_t i) { return uint64_t(LE16(p + 2 * i)); };
    // Objects go to the first free slot of the table.
    auto create = [&](uint8_t kind) {
        for (uint8_t& slot : table)
            if (slot == kEmpty)
            {
                slot = kind;
                return true;
            }
        return false;
    };
    // Parameter i names a slot holding an object of the kind (kEmpty: any).
    auto uses = [&](uint64_t i, uint8_t kind) {
        if (!fits(6 + 2 * (i + 1)))
            return false;
        const uint64_t index = param(i);
        if (index >= table.size() || table[size_t(index)] == kEmpty)
            return false;
        return kind == kEmpty || table[size_t(index)] == kind;
    };
    // A packed bitmap from the given parameter offset to the record's end.
    auto packedDib = [&](uint64_t at) { return fits(at) && IsSoundDib(r + at, n - at, 0, true); };
    // An old device-dependent bitmap: a 10-byte header, then its lines.
    auto bitmap16 = [&](uint64_t at) {
        return fits(at + 10) && fits(at + 10 + uint64_t(LE16(r + at + 6)) * LE16(r + at + 4));
    };

    if (IsFixedWindowsFunction(function))
        return fits(6 + 2 * uint64_t(function >> 8));

    switch (function)
    {
    case 0x012D:  // select object
        return uses(0, kEmpty) && table[size_t(param(0))] != kPalette;
    case 0x0234:  // select palette
        return uses(0, kPalette);
    case 0x01F0:  // delete object
        if (!uses(0, kEmpty))
            return false;
        table[size_t(param(0))] = kEmpty;
        return true;
    case 0x012C:  // select clip region (an empty slot selects none)
        return fits(8) && param(0) < table.size() &&
               (table[size_t(param(0))] == kEmpty || table[size_t(param(0))] == kRegion);
    case 0x012A:  // invert region
    case 0x012B:  // paint region
        return uses(0, kRegion);
    case 0x0228:  // fill region: region, brush
        return uses(0, kRegion) && uses(1, kBrush);
    case 0x0429:  // frame region: region, brush, sizes
        return uses(0, kRegion) && uses(1, kBrush) && fits(14);
    case 0x02FA:  // create pen
        return fits(6 + 10) && create(kPen);
    case 0x02FB:  // create font: the fields before the face name
        return fits(6 + 18) && create(kFont);
    case 0x0324:  // polygon
    case 0x0325:  // polyline
        return fits(8) && fits(8 + 4 * param(0));
    case 0x0538:  // poly-polygon: counts, then points
    {
        if (!fits(8) || !fits(8 + 2 * param(0)))
            return false;
        uint64_t points = 0;
        for (uint64_t i = 0; i < param(0); ++i)
            points += param(1 + i);
        return fits(8 + 2 * param(0) + 4 * points);
    }
    case 0x0521:  // text out: length, text (padded), position
        return fits(8) && fits(8 + ((param(0) + 1) & ~uint64_t(1)) + 4);
    case 0x0A32:  // extended text out: position, count, options, [rectangle], text
    {
        if (!fits(14))
            return false;
        const uint64_t rect = (param(3) & 0x0006) ? 8 : 0;
        return fits(14 + rect + param(2));
    }
    case 0x0940:  // DIB bit blit, with a bitmap when longer than 12 words
        return n <= 24 || packedDib(22);
    case 0x0B41:  // DIB stretch blit
        return n <= 28 || packedDib(26);
    case 0x0F43:  // stretch DIB
        return packedDib(28);
    case 0x0D33:  // set DIB to device
        return packedDib(24);
    case 0x0142:  // DIB pattern brush
        return packedDib(10) && create(kBrush);
    case 0x01F9:  // pattern brush of an old bitmap
        return fits(6 + 10) && create(kBrush);
    case 0x0922:  // bit blit of an old bitmap
        return n <= 24 || bitmap16(22);
    case 0x0B23:  // stretch blit of an old bitmap
        return n <= 28 || bitmap16(26);
    case 0x02FC:  // create brush: solid, hollow or one of the six hatches
        return fits(14) && param(0) <= 2 && (param(0) != 2 || param(3) <= 5) && create(kBrush);
    case 0x00F7:  // create palette: version, entries
        return fits(10) && fits(10 + 4 * param(1)) && create(kPalette);
    case 0x0037:  // set palette entries: start, count
    case 0x0436:  // animate palette
        return fits(10) && fits(10 + 4 * param(1));
    case 0x0626:  // escape: function, byte count
        return fits(10) && fits(10 + param(1));
    case 0x06FF:  // create region: header, then scans
    {
        if (!fits(6 + 22))
            return false;
        uint64_t at = 6 + 22;
        for (uint64_t scan = 0; scan < param(5); ++scan)
        {
            if (!fits(at + 6))
                return false;
            at += 6 + 2 * uint64_t(LE16(r + at)) + 2;
            if (!fits(at))
                return false;
        }
        return create(kRegion);
    }
    default:
        return true;
    }
}
