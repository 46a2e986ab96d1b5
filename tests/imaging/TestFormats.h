#pragma once

// Byte builders for the formats that have no library writer here: BMP, TGA,
// PCX, PGM/PPM, PSD and PICT files made from a bitmap, so that a decode can
// be compared with the picture the file was made from.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestImages.h"
#include "imaging/PLBmp.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace testimg
{
// PackBits of one row, in units of one or two bytes.
Bytes PackBits(const uint8_t* data, size_t bytes, int unit = 1);

void PutLE16(Bytes& out, unsigned v);
void PutLE32(Bytes& out, uint32_t v);
void PutBE16(Bytes& out, unsigned v);
void PutBE32(Bytes& out, uint32_t v);

// --- BMP --------------------------------------------------------------------
struct BmpLayout
{
    int bitCount = 24;          // 1, 4, 8 (from an 8-bpp picture), 16, 24, 32 (from 32 bpp)
    uint32_t headerSize = 40;   // 12 (OS/2 core), 40, 52, 108, 124
    uint32_t compression = 0;   // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    bool topDown = false;       // negative height, first stored line on top
    bool fiveSixFive = false;   // 16 bpp with bit fields
    uint32_t coloursUsed = 0;   // 0: 2^bitCount entries
    int gap = 0;                // bytes between colour table and pixels
    int arrays = 0;             // OS/2 bitmap-array headers in front
    int32_t pelsPerMeter = 2835;
};
Bytes MakeBmp(const PLBmp& pic, const BmpLayout& layout);
// The 32-bpp picture a 16-bpp file of it decodes to (5 bits a channel).
void Expect16Bit(PLBmp& pic);

// --- TGA --------------------------------------------------------------------
struct TgaLayout
{
    int imageType = 2;       // 1, 2, 3, 9, 10, 11
    int pixelDepth = 24;     // 8 (types 1, 3, 9, 11), 15, 16, 24, 32
    bool topFirst = false;   // descriptor bit 5
    int mapEntrySize = 24;   // colour-mapped types
    int firstEntry = 0;
    int mapLength = -1;      // -1: the picture's colours
    int idLength = 0;
};
// From an 8-bpp picture (types 1, 3, 9, 11; for 3 and 11 the indices are the
// grey levels) or a 32-bpp one. Run-length packets run across line ends.
Bytes MakeTga(const PLBmp& pic, const TgaLayout& layout);
// What a 15- or 16-bit TGA of a 32-bpp picture decodes to.
void ExpectTga16(PLBmp& pic, int pixelDepth);

// --- PCX --------------------------------------------------------------------
struct PcxLayout
{
    int bitsPerPixel = 8;
    int planes = 1;
    int extraBytesPerLine = 0;
    bool runsAcrossLines = false;
    int xmin = 0, ymin = 0;
    int dpi = 96;
};
// From an 8-bpp picture for the indexed kinds (the palette goes to the
// header or, for 256 colours, after the image) or a 32-bpp one for 8 bits
// in 3 planes.
Bytes MakePcx(const PLBmp& pic, const PcxLayout& layout);

// --- PGM / PPM ----------------------------------------------------------------
// kind '2', '5' (from an 8-bpp grey picture) or '3', '6' (from 32 bpp);
// samples scaled to maxValue; separator between header tokens.
Bytes MakePnm(const PLBmp& pic, char kind, int maxValue, const std::string& separator = "\n");

// --- PSD --------------------------------------------------------------------
struct PsdLayout
{
    int mode = 3;             // 1 grey, 2 indexed, 3 RGB
    int channels = 3;
    int resolution = 0;       // dpi in a resolution resource, 0: none
    bool layer = false;       // one layer (the picture's top-left quarter)
    int compression = 1;
    int colourModeExtra = 0;  // bytes after the palette in the colour-mode section
};
Bytes MakePsd(const PLBmp& pic, const PsdLayout& layout);

// --- PICT -------------------------------------------------------------------
struct PictLayout
{
    int version = 2;
    int opcode = 0x98;        // 0x90, 0x98 (bitmap or pixmap), 0x9A (direct bits)
    int pixelSize = 8;        // 1 (version 1 bitmap), 8, 16, 32
    int cmpCount = 3;
    int rowBytes = -1;        // -1: the natural length
    int packType = -1;        // -1: the natural one
    bool header = true;       // 0x0C00 header (version 2)
    int headerVersion = -2;
    int dpi = 72;
    bool vectorOpcodes = true;
};
// From an 8-bpp picture (pixel sizes 1 and 8) or a 32-bpp one.
Bytes MakePict(const PLBmp& pic, const PictLayout& layout);
// A version 2 picture whose only raster data is the given JPEG file.
Bytes MakePictJpeg(const Bytes& jpeg);
// A picture of vector opcodes only.
Bytes MakePictVectorOnly();

// --- metafiles, byte by byte ----------------------------------------------------
// An enhanced metafile: the header record (a frame of 20 x 20 mm on a
// reference device of 1024 x 768 pixels and 320 x 240 mm), the records
// added, the end record.
class EmfBuilder
{
public:
    explicit EmfBuilder(unsigned handles = 1);
    EmfBuilder& Add(uint32_t type, std::initializer_list<uint32_t> words);
    // A record of the given type whose body (after type and size) is given.
    EmfBuilder& AddBody(uint32_t type, const Bytes& body);
    Bytes Finish(bool withEnd = true) const;
    // The end-of-file record.
    static void AppendEnd(Bytes& out);

private:
    Bytes m_Data;
    uint32_t m_Records = 1;
};

// The body of a font record (EMR_EXTCREATEFONTINDIRECTW) for the slot:
// bold Arial of the given height (negative: letters, positive: cells) and
// escapement (tenths of a degree).
Bytes EmfFont(uint32_t slot, int32_t height, int32_t escapement = 0);
// The body of a text record (EMR_EXTTEXTOUTW) at (x, y) in the current font.
Bytes EmfText(int32_t x, int32_t y, const std::string& text);

// A Windows metafile (no placeable header) with room for the given number
// of objects.
class WmfBuilder
{
public:
    explicit WmfBuilder(unsigned objects = 0) : m_Objects(objects) {}
    WmfBuilder& Add(unsigned function, std::initializer_list<unsigned> params);
    WmfBuilder& AddBytes(unsigned function, const Bytes& params);
    Bytes Finish() const;

private:
    unsigned m_Objects;
    Bytes m_Records;
};

// A packed DIB: 40-byte header, colour table (of 2^bpp entries, 0x40 bytes,
// unless colours is given), lines of 0x11 bytes (or lineBytesGiven bytes).
Bytes MakeDib(int width, int height, int bpp, uint32_t compression = 0, size_t lineBytesGiven = 0);

// An 8 x 8 DIB of 8 bits: pixel (x, y) (top row first) is index y * 8 + x,
// of colour DibColour(index) (its fourth byte 0). colourCount 0 leaves the
// colour count to the bit depth.
Bytes MakeDib8(uint32_t colourCount);
PLPixel32 DibColour(int index);

#ifdef _WIN32
// --- metafiles (GDI) -----------------------------------------------------------
// Pictures whose left half is red. An enhanced metafile with a frame of the
// given size in 0.01 mm; a Windows metafile drawn in logical units 0..width,
// 0..height; that one behind a placeable header.
Bytes MakeEmf(int width, int height);
Bytes MakeWmf(int width, int height);
Bytes MakePlaceable(const Bytes& wmf, int left, int top, int right, int bottom, int unitsPerInch);
// Drawing of many kinds through the system's recorders (pens, hatched and
// null brushes, saved states, curves, polygons, regions, text, bitmaps of
// the given colour count): the left half red, the right half white but for
// things near its top. The recorder of enhanced metafiles under Wine does
// not survive bitmaps of colour count 0, as most programs hand them over.
void DrawMany(HDC dc, int width, int height, uint32_t colourCount);
// A Windows metafile of that drawing in logical units 0..width, 0..height.
Bytes MakeRecordedWmf(int width, int height);
// An enhanced metafile of it, in pixels of the screen, and the Windows
// metafile the system converts it to.
Bytes MakeRecordedEmf(int width, int height, Bytes* converted);
#endif
} // namespace testimg
