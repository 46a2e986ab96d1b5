#include "imaging/PLMetafileRecords.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <initializer_list>

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

int32_t S32(const uint8_t* p)
{
    return int32_t(LE32(p));
}

bool InRange(int64_t v)
{
    return v >= -PLMetafileRecords::kMaxCoordinate && v <= PLMetafileRecords::kMaxCoordinate;
}

// A 32-bit float of a record: finite and within the coordinate range.
bool SaneFloat(const uint8_t* p)
{
    const uint32_t bits = LE32(p);
    float f;
    std::memcpy(&f, &bits, sizeof(f));
    return std::isfinite(f) && std::fabs(double(f)) <= double(PLMetafileRecords::kMaxCoordinate);
}

// Region data (a header of 32 bytes, then 16 bytes a rectangle), its
// rectangles within the coordinate range.
bool IsSoundRegion(const uint8_t* p, uint64_t bytes)
{
    if (bytes < 32)
        return false;
    const uint64_t rects = LE32(p + 8);
    if (32 + 16 * rects > bytes)
        return false;
    // The bounding box, then the rectangles.
    for (uint64_t at = 16; at < 32 + 16 * rects; at += 4)
        if (!InRange(S32(p + at)))
            return false;
    return true;
}

const unsigned kMetaEscape = 0x0626;
const unsigned kMetaComment = 15;
const uint32_t kEmbeddedSignature = 0x43464D57u;  // "WMFC": a piece of an enhanced metafile

// Where a Windows metafile record holds a packed bitmap (0: none).
uint64_t PackedDibOffset(unsigned function, uint64_t bytes)
{
    switch (function)
    {
    case 0x0940:  // DIB bit blit, with a bitmap when longer than 12 words
        return bytes > 24 ? 22 : 0;
    case 0x0B41:  // DIB stretch blit
        return bytes > 28 ? 26 : 0;
    case 0x0F43:  // stretch DIB
        return 28;
    case 0x0D33:  // set DIB to device
        return 24;
    case 0x0142:  // DIB pattern brush
        return 10;
    default:
        return 0;
    }
}

// The parts of a packed bitmap with a 40-byte (or longer) header.
struct DibLayout
{
    uint32_t headerBytes = 0;
    int64_t width = 0, height = 0;
    unsigned bpp = 0;
    uint32_t compression = 0, imageBytes = 0, colours = 0;
    uint64_t tableEnd = 0;     // header, masks and colour table
    uint64_t stride = 0;       // bytes of an uncompressed line
};

// The header, and where the colour table ends (which may lie beyond bytes).
bool ReadDibHeader(const uint8_t* info, uint64_t infoBytes, DibLayout& d)
{
    if (!info || infoBytes < 4)
        return false;
    d.headerBytes = LE32(info);
    uint64_t entryBytes = 4;
    if (d.headerBytes == 12 && infoBytes >= 12)
    {
        d.width = LE16(info + 4);
        d.height = LE16(info + 6);
        d.bpp = LE16(info + 10);
        entryBytes = 3;
    }
    else if (d.headerBytes >= 40 && d.headerBytes <= infoBytes)
    {
        d.width = int32_t(LE32(info + 4));
        d.height = int32_t(LE32(info + 8));
        d.bpp = LE16(info + 14);
        d.compression = LE32(info + 16);
        d.imageBytes = LE32(info + 20);
        d.colours = LE32(info + 32);
    }
    else
    {
        return false;
    }
    if (d.width <= 0 || d.height == 0 || d.width > PLMetafileRecords::kMaxCoordinate)
        return false;
    if (d.height < 0)
        d.height = -d.height;
    if (d.height > PLMetafileRecords::kMaxCoordinate)
        return false;
    if (d.bpp != 1 && d.bpp != 4 && d.bpp != 8 && d.bpp != 16 && d.bpp != 24 && d.bpp != 32)
        return false;
    uint64_t colours = d.colours;
    if (d.bpp <= 8 && colours == 0)
        colours = 1u << d.bpp;
    uint64_t masks = 0;
    if (d.compression == 3 && d.headerBytes == 40)
        masks = 12;
    else if (d.compression == 6 && d.headerBytes == 40)
        masks = 16;
    d.tableEnd = d.headerBytes + masks + colours * entryBytes;
    d.stride = ((uint64_t(d.width) * d.bpp + 31) / 32) * 4;
    return true;
}

bool ReadDibLayout(const uint8_t* info, uint64_t infoBytes, DibLayout& d)
{
    return ReadDibHeader(info, infoBytes, d) && d.tableEnd <= infoBytes;
}

// A packed bitmap whose writer left out its pixels, or its colour table and
// its pixels (some writers do): uncompressed, with what is missing few
// enough bytes to be supplied.
bool IsBitlessDib(const uint8_t* info, uint64_t bytes)
{
    DibLayout d;
    if (!ReadDibHeader(info, bytes, d) || d.headerBytes < 40 || d.headerBytes > bytes)
        return false;
    const bool headerOnly = bytes - d.headerBytes < 4 && d.tableEnd > d.headerBytes && d.compression == 0;
    const bool tableOnly = d.tableEnd <= bytes && bytes - d.tableEnd < 4 && (d.compression == 0 || d.compression == 3);
    if (!headerOnly && !tableOnly)
        return false;
    return d.tableEnd + d.stride * uint64_t(d.height) <= PLMetafileRecords::kMaxAddedBytes;
}
} // namespace

bool PLMetafileRecords::IsSoundDib(const uint8_t* info, uint64_t infoBytes, uint64_t bitsBytes, bool packed)
{
    DibLayout d;
    if (!ReadDibLayout(info, infoBytes, d))
        return false;
    const uint64_t available = packed ? infoBytes - d.tableEnd : bitsBytes;
    switch (d.compression)
    {
    case 0:  // plain
    case 3:  // bit fields
    case 6:
        return d.stride * uint64_t(d.height) <= available;
    case 1:  // RLE8
    case 2:  // RLE4
        return d.bpp == (d.compression == 1 ? 8u : 4u) && d.imageBytes <= available;
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
    State state;
    state.table.assign(LE16(data + 56), kEmpty);
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
        if (!IsSoundEnhancedRecord(data + at, bytes, type, state) || !HasSaneCoordinates(data + at, bytes, type))
            return false;
        at += bytes;
    }
    return false;
}

bool PLMetafileRecords::IsSoundEnhancedRecord(const uint8_t* r, uint32_t n, uint32_t type, State& state)
{
    std::vector<uint8_t>& table = state.table;
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

    switch (type)
    {
    case 33:  // save the state
        ++state.savedStates;
        break;
    case 34:  // restore a state counted back from the last saved one
    {
        const int64_t relative = n >= 12 ? int64_t(S32(r + 8)) : 0;
        if (relative >= 0 || -relative > state.savedStates)
            return false;
        state.savedStates += relative;
        break;
    }
    case 31:  // scale an extent: no denominator of 0
    case 32:
        if (n >= 24 && (LE32(r + 12) == 0 || LE32(r + 20) == 0))
            return false;
        break;
    default:
        break;
    }
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
        return fits(16) && uses(8, kPalette) && u32(12) <= kMaxPaletteEntries;
    case 38:  // create pen
        return fits(28) && create(8, kPen);
    case 39:  // create brush: solid, hollow or one of the six hatches
        return fits(24) && u32(12) <= 2 && (u32(12) != 2 || u32(20) <= 5) && create(8, kBrush);
    case 49:  // create palette
        return fits(16) && fits(16 + 4 * uint64_t(LE16(r + 14))) && LE16(r + 14) <= kMaxPaletteEntries &&
               create(8, kPalette);
    case 50:  // set palette entries: first, count
        return fits(20) && uses(8, kPalette) && fits(20 + 4 * u32(16)) && u32(12) + u32(16) <= kMaxPaletteEntries;
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

bool PLMetafileRecords::HasSaneCoordinates(const uint8_t* r, uint32_t n, uint32_t type)
{
    // Sizes were checked: the fields named here exist.
    auto fields = [r](std::initializer_list<uint32_t> offsets) {
        for (uint32_t at : offsets)
            if (!InRange(S32(r + at)))
                return false;
        return true;
    };
    auto points = [r, n](uint64_t at, uint64_t count) {
        for (uint64_t i = 0; i < 2 * count && at + 4 * i + 4 <= n; ++i)
            if (!InRange(S32(r + at + 4 * i)))
                return false;
        return true;
    };
    auto floats = [r](uint32_t at, int count) {
        for (int i = 0; i < count; ++i)
            if (!SaneFloat(r + at + 4 * i))
                return false;
        return true;
    };
    switch (type)
    {
    case 9: case 10: case 11: case 12: case 13: case 15: case 26: case 27: case 53: case 54: case 108:
        return fields({8, 12});
    case 29: case 30: case 31: case 32: case 42: case 43:
        return fields({8, 12, 16, 20});
    case 44:
        return fields({8, 12, 16, 20, 24, 28});
    case 45: case 46: case 47: case 55:
        return fields({8, 12, 16, 20, 24, 28, 32, 36});
    case 41:  // angle arc: centre, radius, angles
        return fields({8, 12}) && LE32(r + 16) <= kMaxCoordinate && floats(20, 2);
    case 35:  // world transform
    case 36:
        return floats(8, 6);
    case 38:  // pen width
        return fields({16});
    case 95:
        return LE32(r + 32) <= kMaxCoordinate;
    case 72:  // frame of a region: the stroke
        return fields({32, 36});
    case 2: case 3: case 4: case 5: case 6: case 56:
        return points(28, LE32(r + 24));
    case 7: case 8:
        return points(32 + 4 * uint64_t(LE32(r + 24)), LE32(r + 28));
    case 76:  // blits: destination, source and the source's transform
        return fields({24, 28, 32, 36, 44, 48}) && floats(52, 6);
    case 77: case 78: case 114: case 116:
        return fields({24, 28, 32, 36, 44, 48, 100, 104}) && floats(52, 6);
    case 79:
        return fields({24, 28, 32, 36, 40, 44, 48, 52, 56, 60}) && floats(64, 6);
    case 80:
        return fields({24, 28, 32, 36, 40, 44, 68, 72});
    case 81:
        return fields({24, 28, 32, 36, 40, 44, 72, 76});
    case 83: case 84:
        return fields({36, 40, 56, 60, 64, 68}) && floats(28, 2);
    case 96: case 97:
    {
        const uint64_t count = LE32(r + 36);
        for (uint64_t i = 0; i < count; ++i)
            if (!fields({uint32_t(40 + 40 * i), uint32_t(44 + 40 * i), uint32_t(60 + 40 * i), uint32_t(64 + 40 * i),
                         uint32_t(68 + 40 * i), uint32_t(72 + 40 * i)}))
                return false;
        return true;
    }
    case 118:  // gradient vertices
    {
        const uint64_t vertices = LE32(r + 24);
        for (uint64_t i = 0; i < vertices; ++i)
            if (!fields({uint32_t(36 + 16 * i), uint32_t(40 + 16 * i)}))
                return false;
        return true;
    }
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
    State state;
    state.table.assign(LE16(data + 10), kEmpty);
    for (uint64_t at = kWindowsHeaderBytes; at + 6 <= total;)
    {
        const uint64_t bytes = uint64_t(LE32(data + at)) * 2;
        if (bytes < 6 || bytes > total - at)
            return false;
        const unsigned function = LE16(data + at + 4);
        if (function == 0)  // the end record
            return true;
        if (!IsSoundWindowsRecord(data + at, bytes, function, state))
            return false;
        at += bytes;
    }
    return false;
}

bool PLMetafileRecords::IsSoundWindowsRecord(const uint8_t* r, uint64_t n, unsigned function, State& state)
{
    std::vector<uint8_t>& table = state.table;
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
    // A packed bitmap from the given parameter offset to the record's end,
    // or one whose writer left out the pixels.
    auto packedDib = [&](uint64_t at) {
        return fits(at) && (IsSoundDib(r + at, n - at, 0, true) || IsBitlessDib(r + at, n - at));
    };
    // An old device-dependent bitmap: a 10-byte header, then its lines.
    auto bitmap16 = [&](uint64_t at) {
        return fits(at + 10) && fits(at + 10 + uint64_t(LE16(r + at + 6)) * LE16(r + at + 4));
    };

    switch (function)
    {
    case 0x001E:  // save the state
        ++state.savedStates;
        break;
    case 0x0139:  // resize palette: the new count
        if (fits(8) && param(0) > kMaxPaletteEntries)
            return false;
        break;
    case 0x0127:  // restore a state: counted back (negative) or by its number
    {
        if (!fits(8))
            return false;
        const int64_t which = int16_t(param(0));
        if (which == 0 || (which < 0 ? -which : which) > state.savedStates)
            return false;
        state.savedStates = which < 0 ? state.savedStates + which : which - 1;
        break;
    }
    default:
        break;
    }
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
    // Parameters are stored last first: the brush before the region.
    case 0x0228:  // fill region: brush, region
        return uses(0, kBrush) && uses(1, kRegion);
    case 0x0429:  // frame region: height, width, brush, region
        return uses(2, kBrush) && uses(3, kRegion);
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
    // Blits without a bitmap have parameters of their own, all of which the
    // player reads: such a record must hold them whole.
    case 0x0940:  // DIB bit blit, with a bitmap when longer than 12 words
        return n == 24 || (n > 24 && packedDib(22));
    case 0x0B41:  // DIB stretch blit, with a bitmap when longer than 14 words
        return n == 28 || (n > 28 && packedDib(26));
    case 0x0F43:  // stretch DIB
        return packedDib(28);
    case 0x0D33:  // set DIB to device
        return packedDib(24);
    case 0x0142:  // DIB pattern brush
        return packedDib(10) && create(kBrush);
    case 0x01F9:  // pattern brush of an old bitmap
        return fits(6 + 10) && create(kBrush);
    case 0x0922:  // bit blit of an old bitmap
        return n == 24 || (n > 24 && bitmap16(22));
    case 0x0B23:  // stretch blit of an old bitmap
        return n == 28 || (n > 28 && bitmap16(26));
    case 0x02FC:  // create brush: solid, hollow or one of the six hatches
        return fits(14) && param(0) <= 2 && (param(0) != 2 || param(3) <= 5) && create(kBrush);
    case 0x00F7:  // create palette: version, entries
        return fits(10) && fits(10 + 4 * param(1)) && param(1) <= kMaxPaletteEntries && create(kPalette);
    case 0x0037:  // set palette entries: start, count
    case 0x0436:  // animate palette
        return fits(10) && fits(10 + 4 * param(1)) && param(0) + param(1) <= kMaxPaletteEntries;
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

std::vector<uint8_t> PLMetafileRecords::MakePlayableWindows(const uint8_t* data, int size)
{
    std::vector<uint8_t> out(data, data + kWindowsHeaderBytes);
    const uint64_t total = uint64_t(LE32(data + 6)) * 2;
    uint64_t added = 0;
    uint64_t largest = 3;
    auto put16 = [&out](size_t at, unsigned v) {
        out[at] = uint8_t(v);
        out[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };

    for (uint64_t at = kWindowsHeaderBytes; at + 6 <= total && at + 6 <= uint64_t(size);)
    {
        const uint8_t* r = data + at;
        const uint64_t bytes = uint64_t(LE32(r)) * 2;
        const unsigned function = LE16(r + 4);
        at += bytes;
        if (function == 0)
            break;

        // An enhanced metafile riding in comments would be played instead of
        // the records: it goes.
        if (function == kMetaEscape && bytes >= 14 && LE16(r + 6) == kMetaComment && LE32(r + 10) == kEmbeddedSignature)
            continue;

        const size_t start = out.size();
        const uint64_t dibAt = PackedDibOffset(function, bytes);
        DibLayout d;
        if (!dibAt || !ReadDibHeader(r + dibAt, bytes - dibAt, d) || d.headerBytes < 40 || d.headerBytes > bytes - dibAt)
        {
            out.insert(out.end(), r, r + bytes);
        }
        else
        {
            // A bit blit becomes the same stretch: a system's converter reads
            // the low word of the raster operation of a bit blit as the
            // colour use, and so takes the pixels from the wrong place.
            if (function == 0x0940)
            {
                const uint8_t* p = r + 6;  // operation (2 words), y and x source, height, width, y and x
                out.insert(out.end(), r, r + 4);
                for (unsigned v : {0x0B41u, LE16(p), LE16(p + 2), LE16(p + 8), LE16(p + 10), LE16(p + 4), LE16(p + 6),
                                   LE16(p + 8), LE16(p + 10), LE16(p + 12), LE16(p + 14)})
                {
                    out.push_back(uint8_t(v));
                    out.push_back(uint8_t(v >> 8));
                }
            }
            else
            {
                out.insert(out.end(), r, r + dibAt);
            }
            const size_t header = out.size();
            // The header and colour table, black where the writer left the
            // table out; then the pixels as the converter needs them.
            const uint64_t present = bytes - dibAt;
            const uint64_t table = std::min<uint64_t>(present, d.tableEnd);
            out.insert(out.end(), r + dibAt, r + dibAt + table);
            uint64_t zeros = d.tableEnd - table;
            out.insert(out.end(), size_t(zeros), 0);
            const uint8_t* bits = r + dibAt + table;
            const uint64_t bitsPresent = present - table;
            uint64_t keep = bitsPresent, pad = 0;
            if (d.compression == 1 || d.compression == 2)
            {
                // A size of 0 means all the bytes there are.
                keep = d.imageBytes ? d.imageBytes : bitsPresent;
                pad = (4 - keep % 4) % 4;
                put32(header + 20, uint32_t(keep + pad));
            }
            else if (IsBitlessDib(r + dibAt, present))
            {
                keep = 0;
                pad = d.stride * uint64_t(d.height);
            }
            if (d.bpp <= 8 && d.colours == 0)
                put32(header + 32, 1u << d.bpp);
            added += zeros + pad;
            if (added > kMaxAddedBytes)
                return std::vector<uint8_t>();
            out.insert(out.end(), bits, bits + keep);
            out.insert(out.end(), size_t(pad), 0);
            if ((out.size() - start) & 1)
                out.push_back(0);
            put32(start, uint32_t((out.size() - start) / 2));
        }
        const uint64_t words = (out.size() - start) / 2;
        if (words > largest)
            largest = words;
    }

    // The end record, then the sizes of the copy.
    out.insert(out.end(), {3, 0, 0, 0, 0, 0});
    put32(6, uint32_t(out.size() / 2));
    put32(12, uint32_t(largest));
    return out;
}

bool PLMetafileRecords::DrawingExtent(const uint8_t* r, uint32_t n, Extent& e)
{
    bool any = false;
    auto add = [&](double x, double y) {
        if (!any)
        {
            e.left = e.right = x;
            e.top = e.bottom = y;
            any = true;
            return;
        }
        e.left = std::min(e.left, x);
        e.right = std::max(e.right, x);
        e.top = std::min(e.top, y);
        e.bottom = std::max(e.bottom, y);
    };
    auto point = [&](uint64_t at) {
        if (at + 8 <= n)
            add(S32(r + at), S32(r + at + 4));
    };
    auto point16 = [&](uint64_t at) {
        if (at + 4 <= n)
            add(int16_t(LE16(r + at)), int16_t(LE16(r + at + 2)));
    };
    auto box = [&](uint64_t x, uint64_t y, uint64_t cx, uint64_t cy) {
        const double left = S32(r + x), top = S32(r + y);
        add(left, top);
        add(left + S32(r + cx), top + S32(r + cy));
    };
    auto region = [&](uint64_t at) {
        if (at + 32 <= n)
        {
            point(at + 16);
            point(at + 24);
        }
    };
    const uint32_t type = LE32(r);
    e = Extent();
    switch (type)
    {
    case 45: case 46: case 47: case 55:  // arcs, chords, pies: the ellipse and its radials
        e.curve = true;
        point(24);
        point(32);
        point(8);
        point(16);
        break;
    case 41:  // angle arc: the circle
    {
        e.curve = true;
        const double x = S32(r + 8), y = S32(r + 12), radius = LE32(r + 16);
        add(x - radius, y - radius);
        add(x + radius, y + radius);
        break;
    }
    case 42: case 44:  // ellipse, rounded rectangle
        e.curve = true;
        point(8);
        point(16);
        break;
    case 43: case 29: case 30:
        point(8);
        point(16);
        break;
    case 15: case 53: case 54: case 108:
        point(8);
        break;
    case 2: case 3: case 4: case 5: case 6: case 56:
        for (uint64_t i = 0; i < LE32(r + 24); ++i)
            point(28 + 8 * i);
        break;
    case 85: case 86: case 87: case 88: case 89: case 92:
        for (uint64_t i = 0; i < LE32(r + 24); ++i)
            point16(28 + 4 * i);
        break;
    case 7: case 8:
        for (uint64_t i = 0; i < LE32(r + 28); ++i)
            point(32 + 4 * uint64_t(LE32(r + 24)) + 8 * i);
        break;
    case 90: case 91:
        for (uint64_t i = 0; i < LE32(r + 28); ++i)
            point16(32 + 4 * uint64_t(LE32(r + 24)) + 4 * i);
        break;
    case 76: case 77: case 78: case 114: case 116:
        box(24, 28, 32, 36);
        break;
    case 79:
        point(24);
        point(32);
        point(40);
        break;
    case 80:
        box(24, 28, 40, 44);
        break;
    case 81:
        box(24, 28, 72, 76);
        break;
    case 83: case 84:
        point(36);
        if (LE32(r + 52) & 0x0006)  // clipped or opaque: the rectangle too
        {
            point(56);
            point(64);
        }
        break;
    case 96: case 97:
        for (uint64_t i = 0; i < LE32(r + 36); ++i)
            point(40 + 40 * i);
        break;
    case 71:
        region(32);
        break;
    case 72:
        region(40);
        if (any)
        {
            // The frame's stroke reaches out on every side.
            const double dx = std::fabs(double(S32(r + 32))), dy = std::fabs(double(S32(r + 36)));
            add(e.left - dx, e.top - dy);
            add(e.right + dx, e.bottom + dy);
        }
        break;
    case 73: case 74:
        region(28);
        break;
    case 118:
        for (uint64_t i = 0; i < LE32(r + 24); ++i)
            point(36 + 16 * i);
        break;
    default:
        break;
    }
    return any;
}

unsigned PLMetafileRecords::DrawingTools(uint32_t type)
{
    switch (type)
    {
    case 2: case 3: case 4: case 5: case 6: case 7: case 8:  // poly-lines, -gons and Beziers
    case 85: case 86: case 87: case 88: case 89: case 90: case 91:
    case 41: case 42: case 43: case 44: case 45: case 46: case 47: case 54: case 55:  // shapes, lines, arcs
    case 56: case 92:  // poly draw
    case 63: case 64: case 66:  // path stroked and filled, stroked, widened
        return kUsesPen;
    case 83: case 84: case 96: case 97: case 108:  // text
        return kUsesFont;
    default:
        return kNoTools;
    }
}

uint64_t PLMetafileRecords::DrawingCount(const uint8_t* r, uint32_t n)
{
    auto u32 = [r, n](uint64_t at) { return at + 4 <= n ? uint64_t(LE32(r + at)) : 0; };
    switch (LE32(r))
    {
    case 2: case 3: case 4: case 5: case 6: case 85: case 86: case 87: case 88: case 89: case 56: case 92:
        return u32(24);
    case 7: case 8: case 90: case 91:  // polygons, then points
        return std::max(u32(24), u32(28));
    case 118:  // vertices, then shapes
        return std::max(u32(24), u32(28));
    case 83: case 84:
        return u32(44);
    case 108:
        return u32(16);
    case 96: case 97:  // the characters of every piece
    {
        uint64_t chars = 0;
        for (uint64_t i = 0; i < u32(36) && 40 + 40 * i + 12 <= n; ++i)
            chars += u32(40 + 40 * i + 8);
        return chars;
    }
    default:
        return 0;
    }
}
