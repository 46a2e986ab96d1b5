#include "imaging/PLPictDecoder.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/PLBmp.h"
#include "imaging/PLBmpLock.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLJPEGDecoder.h"
#include "imaging/PLTextException.h"

namespace
{
const int kFileHeaderBytes = 512;
const int kLengthFollows = -1;

// Data length of the opcodes 0x00 to 0xA1 that have no rule of their own
// (kLengthFollows: a 2-byte length precedes the data).
int TableLength(int op)
{
    switch (op)
    {
    case 0x03: case 0x05: case 0x08: case 0x0D: case 0x15: case 0x16: case 0x23: case 0xA0:
        return 2;
    case 0x04: case 0x11:
        return 1;
    case 0x06: case 0x07: case 0x0B: case 0x0C: case 0x0E: case 0x0F: case 0x21:
        return 4;
    case 0x1A: case 0x1B: case 0x1D: case 0x1F: case 0x22:
        return 6;
    case 0x02: case 0x09: case 0x0A: case 0x10: case 0x20:
        return 8;
    default:
        break;
    }
    if ((op >= 0x24 && op <= 0x27) || (op >= 0x2C && op <= 0x2F) || (op >= 0x92 && op <= 0x97) ||
        (op >= 0x9B && op <= 0x9F))
        return kLengthFollows;
    if (op >= 0x30 && op <= 0x5F)
        return (op & 0x08) ? 0 : 8;  // frame, paint, erase, invert, fill; the "same" forms carry nothing
    if (op >= 0x60 && op <= 0x67)
        return 12;
    if (op >= 0x68 && op <= 0x6F)
        return 4;
    return 0;  // NOP, the no-data opcodes and the "same" polygon and region forms
}

// PackBits with runs counted in units of one or two bytes; reads stay within
// the packed data and writes within dest. Bytes not produced are zero.
void DecodeUnits(const uint8_t* packed, int packedLength, uint8_t* dest, int destBytes, int unit)
{
    if (unit == 1)
    {
        PLPicDecoder::DecodePackBits(packed, packedLength, dest, destBytes);
        return;
    }
    int in = 0;
    int out = 0;
    while (in < packedLength && out < destBytes)
    {
        const int control = packed[in++];
        if (control < 128)
        {
            int bytes = (control + 1) * unit;
            if (bytes > packedLength - in)
                bytes = packedLength - in;
            if (bytes > destBytes - out)
                bytes = destBytes - out;
            std::memcpy(dest + out, packed + in, size_t(bytes));
            in += (control + 1) * unit;
            out += bytes;
        }
        else if (control > 128)
        {
            if (packedLength - in < unit)
                break;
            for (int i = 0; i < 257 - control && out < destBytes; ++i)
                for (int b = 0; b < unit && out < destBytes; ++b)
                    dest[out++] = packed[in + b];
            in += unit;
        }
    }
    if (out < destBytes)
        std::memset(dest + out, 0, size_t(destBytes - out));
}

// One row of rowBytes bytes: stored as it is when the record is not packed
// or the rows are shorter than 8 bytes; else PackBits data after its length.
const uint8_t* ReadRow(PLDataSource* source, int rowBytes, bool packed, int unit, std::vector<uint8_t>& buffer)
{
    if (!packed || rowBytes < 8)
        return source->ReadBytes(rowBytes);
    const int length = rowBytes > 250 ? PLPicDecoder::ReadBE16(source) : PLPicDecoder::ReadByte(source);
    const uint8_t* data = source->ReadBytes(length);
    DecodeUnits(data, length, buffer.data(), rowBytes, unit);
    return buffer.data();
}

[[noreturn]] void IllegalPixelSize(int pixelSize)
{
    char text[64];
    std::snprintf(text, sizeof(text), "Illegal bpp value in unpackbits: %d\n", pixelSize);
    PLPicDecoder::ThrowError(PL_ERR_FORMAT, text);
}

int Width(const PLPictDecoder::Rect& r)
{
    return r.right - r.left;
}

int Height(const PLPictDecoder::Rect& r)
{
    return r.bottom - r.top;
}
} // namespace

PLPictDecoder::PLPictDecoder(PLJPEGDecoder* jpegDecoder)
    : m_pJPEGDecoder(jpegDecoder), m_Version(0), m_Base(0)
{
}

PLPictDecoder::~PLPictDecoder() = default;

void PLPictDecoder::ResetState()
{
    m_Version = 0;
    m_Base = 0;
    m_Resolution = PLPoint();
}

void PLPictDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    m_Base = source->GetBytesRead();
    source->ReadBytes(kFileHeaderBytes);
    source->ReadBytes(10);  // picture size and frame
    ReadVersion(source);
    for (;;)
        if (HandleOpcode(source, bmp, ReadOpcode(source)))
            return;
}

void PLPictDecoder::ReadVersion(PLDataSource* source)
{
    uint8_t b = ReadByte(source);
    while (b == 0)
        b = ReadByte(source);
    if (b != 0x11)
        ThrowError(PL_ERR_SIGNATURE, "Error decoding pict: Version number missing.");
    b = ReadByte(source);
    if (b == 1)
        m_Version = 1;
    else if (b == 2 && ReadByte(source) == 0xFF)
        m_Version = 2;
    else
        ThrowError(PL_ERR_SIGNATURE, "Illegal version number.");
}

uint16_t PLPictDecoder::ReadOpcode(PLDataSource* source)
{
    if (m_Version == 1)
        return ReadByte(source);
    // Version 2 opcodes start at even positions.
    if ((source->GetBytesRead() - m_Base) & 1)
        ReadByte(source);
    return ReadBE16(source);
}

bool PLPictDecoder::HandleOpcode(PLDataSource* source, PLBmp* bmp, uint16_t op)
{
    if (op <= 0xA1)
    {
        switch (op)
        {
        case 0x01:  // clip region
            SkipRegion(source);
            return false;
        case 0x12:
        case 0x13:
        case 0x14:
            SkipPixPat(source);
            return false;
        case 0x28:
            Skip(source, 4);
            Skip(source, ReadByte(source));
            return false;
        case 0x29:
        case 0x2A:
            Skip(source, 1);
            Skip(source, ReadByte(source));
            return false;
        case 0x2B:
            Skip(source, 2);
            Skip(source, ReadByte(source));
            return false;
        case 0x90:
        case 0x98:
            ReadBitmapRecord(source, bmp, false, op == 0x98);
            return true;
        case 0x91:
        case 0x99:
            ReadBitmapRecord(source, bmp, true, op == 0x99);
            return true;
        case 0x9A:
            ReadDirectBits(source, bmp);
            return true;
        case 0xA1:  // long comment: kind, then sized data
            Skip(source, 2);
            Skip(source, ReadBE16(source));
            return false;
        default:
            break;
        }
        if ((op >= 0x70 && op <= 0x77) || (op >= 0x80 && op <= 0x84))
        {
            SkipRegion(source);  // polygons and regions start with their size
            return false;
        }
        const int length = TableLength(op);
        Skip(source, length == kLengthFollows ? ReadBE16(source) : length);
        return false;
    }
    if (op <= 0xAF)
    {
        Skip(source, ReadBE16(source));
    }
    else if (op <= 0xCF)
    {
        // reserved, no data
    }
    else if (op <= 0xFE)
    {
        Skip(source, ReadBE32(source));
    }
    else if (op == 0xFF || op == 0xFFFF)
    {
        ThrowError(PL_ERR_UNSUPPORTED, "PICT contained only vector data!\n");
    }
    else if (op == 0x0C00)
    {
        ReadHeaderOpcode(source);
    }
    else if (op <= 0x7FFF)
    {
        Skip(source, 2 * (op >> 8));
    }
    else if (op <= 0x80FF)
    {
        // reserved, no data
    }
    else if (op == 0x8200)
    {
        ReadJpeg(source, bmp);
        return true;
    }
    else
    {
        Skip(source, ReadBE32(source));
    }
    return false;
}

void PLPictDecoder::ReadHeaderOpcode(PLDataSource* source)
{
    // Only the extended header (version -2) states a resolution, as fixed-
    // point numbers whose integer parts are taken.
    const uint8_t* h = source->ReadBytes(24);
    const int version = int16_t((h[0] << 8) | h[1]);
    m_Resolution = PLPoint(72, 72);
    if (version == -2)
    {
        const int x = int16_t((h[4] << 8) | h[5]);
        const int y = int16_t((h[8] << 8) | h[9]);
        if (x > 0 && y > 0)
            m_Resolution = PLPoint(x, y);
    }
}

PLPictDecoder::Rect PLPictDecoder::ReadRect(PLDataSource* source)
{
    Rect r;
    r.top = int16_t(ReadBE16(source));
    r.left = int16_t(ReadBE16(source));
    r.bottom = int16_t(ReadBE16(source));
    r.right = int16_t(ReadBE16(source));
    return r;
}

void PLPictDecoder::ReadPixMapHeader(PLDataSource* source, PixMap& pm)
{
    pm.version = ReadBE16(source);
    pm.packType = ReadBE16(source);
    pm.packSize = ReadBE32(source);
    pm.hRes = ReadBE32(source);
    pm.vRes = ReadBE32(source);
    pm.pixelType = ReadBE16(source);
    pm.pixelSize = ReadBE16(source);
    pm.cmpCount = ReadBE16(source);
    pm.cmpSize = ReadBE16(source);
    pm.planeBytes = ReadBE32(source);
    pm.pmTable = ReadBE32(source);
    pm.pmReserved = ReadBE32(source);
}

void PLPictDecoder::ReadColourTable(PLDataSource* source, PLPixel32* palette)
{
    Skip(source, 4);  // seed
    const bool byPosition = (ReadBE16(source) & 0x8000) != 0;
    const int entries = int16_t(ReadBE16(source)) + 1;
    // The palette has 256 entries: a larger table would write past it.
    if (entries < 0 || entries > 256)
        ThrowError(PL_ERR_FORMAT, "Colour table too large.");
    for (int i = 0; i < entries; ++i)
    {
        const uint8_t* e = source->ReadBytes(8);
        const int index = byPosition ? i : ((e[0] << 8) | e[1]);
        if (index >= entries)
            ThrowError(PL_ERR_FORMAT, "pixel value greater than colour table size.");
        if (palette)
            palette[index] = PLPixel32(e[2], e[4], e[6], 255);
    }
}

void PLPictDecoder::SkipSized(PLDataSource* source, int size)
{
    // The size counts its own two bytes: anything smaller is damage.
    if (size < 2)
        ThrowError(PL_ERR_FORMAT, "Region or polygon size too small.");
    Skip(source, size - 2);
}

void PLPictDecoder::SkipRegion(PLDataSource* source)
{
    SkipSized(source, ReadBE16(source));
}

void PLPictDecoder::SkipRows(PLDataSource* source, int rowBytes, int rows)
{
    for (int y = 0; y < rows; ++y)
    {
        if (rowBytes < 8)
            Skip(source, rowBytes);
        else
            Skip(source, rowBytes > 250 ? ReadBE16(source) : ReadByte(source));
    }
}

void PLPictDecoder::SkipPixPat(PLDataSource* source)
{
    const int type = ReadBE16(source);
    if (type == 2)
    {
        Skip(source, 8 + 5);  // the next opcode's alignment takes the sixth byte
        return;
    }
    if (type != 1)
        ThrowError(PL_ERR_FORMAT, "Unknown pattern type in pixPat.");
    Skip(source, 8);
    PixMap pm;
    pm.rowBytes = ReadBE16(source);
    pm.bounds = ReadRect(source);
    ReadPixMapHeader(source, pm);
    ReadColourTable(source, nullptr);
    const int rows = Height(pm.bounds);
    if (rows < 0)
        ThrowError(PL_ERR_FORMAT, "Negative pattern size.");
    SkipRows(source, pm.rowBytes & 0x7FFF, rows);
}

void PLPictDecoder::CheckPackType(const PixMap& pm)
{
    bool supported = pm.packType == 0;
    if (pm.pixelSize == 16)
        supported = supported || pm.packType == 3;
    else if (pm.pixelSize == 32)
        supported = supported || pm.packType == 4;
    if (!supported)
        ThrowError(PL_ERR_UNSUPPORTED, "Unsupported PICT pack type.");
}

void PLPictDecoder::ReadBitmapRecord(PLDataSource* source, PLBmp* bmp, bool region, bool packed)
{
    const int rowBytes = ReadBE16(source);
    PixMap pm;
    pm.rowBytes = rowBytes;
    if (!(rowBytes & 0x8000))
    {
        // A version 1 bitmap: 1 bit per pixel, set bits black.
        pm.bounds = ReadRect(source);
        pm.pixelSize = 1;
        pm.cmpCount = 1;
        Skip(source, 18);  // source and destination rectangles, mode
        bmp->Create(Width(pm.bounds), Height(pm.bounds), 8, false, PLPoint());
        if (region)
            SkipRegion(source);
        bmp->SetPaletteEntry(0, 255, 255, 255, 255);
        bmp->SetPaletteEntry(1, 0, 0, 0, 255);
        UnpackRows(source, bmp, pm, rowBytes & 0x7FFF, packed);
        bmp->SetResolution(m_Resolution);
        return;
    }

    pm.bounds = ReadRect(source);
    ReadPixMapHeader(source, pm);
    const int size = pm.pixelSize;
    if (size != 1 && size != 2 && size != 4 && size != 8 && size != 16 && size != 32)
        IllegalPixelSize(size);
    if (packed)
        CheckPackType(pm);
    else if (size == 32)
        ThrowError(PL_ERR_UNSUPPORTED, "Unpacked 32-bit PICT pixmaps are not supported.");
    bmp->Create(Width(pm.bounds), Height(pm.bounds), size <= 8 ? 8 : 32, size > 8 && pm.cmpCount == 4,
                PLPoint());
    ReadColourTable(source, bmp->GetPalette());
    Skip(source, 18);
    if (region)
        SkipRegion(source);
    UnpackRows(source, bmp, pm, rowBytes & 0x7FFF, packed);
    bmp->SetResolution(m_Resolution);
    bmp->DropEmptyAlpha();
}

void PLPictDecoder::ReadDirectBits(PLDataSource* source, PLBmp* bmp)
{
    Skip(source, 4);  // base address
    PixMap pm;
    pm.rowBytes = ReadBE16(source);
    pm.bounds = ReadRect(source);
    ReadPixMapHeader(source, pm);
    Skip(source, 18);
    const int size = pm.pixelSize;
    if (size != 1 && size != 2 && size != 4 && size != 8 && size != 16 && size != 32)
        IllegalPixelSize(size);
    CheckPackType(pm);
    bmp->Create(Width(pm.bounds), Height(pm.bounds), size < 9 ? 8 : 32, size > 8 && pm.cmpCount == 4,
                PLPoint());
    // The record's row length counts: it decides the row length prefixes.
    int rowBytes = pm.rowBytes & 0x7FFF;
    if (rowBytes == 0)
        rowBytes = int((int64_t(Width(pm.bounds)) * size + 7) / 8);
    UnpackRows(source, bmp, pm, rowBytes, true);
    bmp->SetResolution(m_Resolution);
    bmp->DropEmptyAlpha();
}

void PLPictDecoder::UnpackRows(PLDataSource* source, PLBmp* bmp, const PixMap& pm, int rowBytes, bool packed)
{
    const int width = bmp->GetWidth();
    const int height = bmp->GetHeight();
    const int size = pm.pixelSize;
    PLBmpLock lock(bmp, false, true);

    if (size == 8 && rowBytes == 0)
        rowBytes = width;
    if (size == 32 && rowBytes == 0)
        rowBytes = width * 4;

    // Rows too short for the width would be read past their end.
    int64_t needed = (int64_t(width) * size + 7) / 8;
    if (size == 32)
    {
        if (pm.cmpCount != 3 && pm.cmpCount != 4)
            ThrowError(PL_ERR_FORMAT, "Unsupported PICT component count.");
        needed = int64_t(width) * pm.cmpCount;
    }
    if (rowBytes < needed)
        ThrowError(PL_ERR_FORMAT, "PICT row length too short for the width.");

    std::vector<uint8_t> buffer(static_cast<size_t>(rowBytes));
    const int unit = size == 16 ? 2 : 1;
    for (int y = 0; y < height; ++y)
    {
        const uint8_t* row = ReadRow(source, rowBytes, packed, unit, buffer);
        uint8_t* line = bmp->GetLineArray()[y];
        PLPixel32* out = reinterpret_cast<PLPixel32*>(line);
        switch (size)
        {
        case 8:
            std::memcpy(line, row, size_t(width));
            break;
        case 32:
        {
            const uint8_t* a = pm.cmpCount == 4 ? row : nullptr;
            const uint8_t* r = row + (pm.cmpCount == 4 ? width : 0);
            const uint8_t* g = r + width;
            const uint8_t* b = g + width;
            for (int x = 0; x < width; ++x)
                out[x] = PLPixel32(r[x], g[x], b[x], a ? a[x] : 255);
            break;
        }
        case 16:
            for (int x = 0; x < width; ++x)
            {
                const unsigned v = (row[2 * x] << 8) | row[2 * x + 1];
                out[x] = PLPixel32(uint8_t(((v >> 10) & 0x1F) << 3), uint8_t(((v >> 5) & 0x1F) << 3),
                                   uint8_t((v & 0x1F) << 3), 255);
            }
            break;
        default:  // 1, 2 or 4 bits: palette indices, high bits first
        {
            const int perByte = 8 / size;
            const int mask = (1 << size) - 1;
            for (int x = 0; x < width; ++x)
                line[x] = uint8_t((row[x / perByte] >> (8 - size * (x % perByte + 1))) & mask);
            break;
        }
        }
    }
}

void PLPictDecoder::ReadJpeg(PLDataSource* source, PLBmp* bmp)
{
    const uint32_t length = ReadBE32(source);
    for (uint32_t i = 0; i < length; ++i)
    {
        int available = 0;
        const uint8_t* p = source->PeekBuffer(3, &available);
        if (available == 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        {
            if (!m_pJPEGDecoder)
                ThrowError(PL_ERR_UNSUPPORTED, "Library not compiled for PICT/JPEG.");
            m_pJPEGDecoder->DecodeInto(source, bmp, 0);
            return;
        }
        ReadByte(source);
    }
    ThrowError(PL_ERR_UNSUPPORTED, "PICT file contains unrecognized quicktime data.\n");
}
