// The PICT decoder: version 1 bitmaps, version 2 pixmaps and direct bits,
// embedded JPEG, the opcode walk, and the mended refusals.
#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLJPEGDecoder.h"
#include "imaging/PLPictDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
ImageError DecodePict(const Bytes& data, PLBmp& bmp)
{
    PLJPEGDecoder jpeg;
    PLPictDecoder decoder(&jpeg);
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

// A 1-bit picture as indices 0 (white) and 1 (black).
void MakeMono(PLBmp& pic, int width, int height)
{
    MakePattern(pic, width, height, 8, false, 6);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pic.GetLineArray()[y][x] = uint8_t((pic.GetLineArray()[y][x] >> 3) & 1);
    pic.SetPaletteEntry(0, 255, 255, 255);
    pic.SetPaletteEntry(1, 0, 0, 0);
}

// Position of the first byte after the file header, size and frame.
const size_t kOpcodesAt = 522;

// Position of the first version 2 opcode of that value (0: none).
size_t FindOpcode(const Bytes& pict, uint16_t opcode)
{
    for (size_t at = kOpcodesAt; at + 1 < pict.size(); at += 2)
        if (pict[at] == (opcode >> 8) && pict[at + 1] == (opcode & 0xFF))
            return at;
    return 0;
}
} // namespace

TEST(PictDecoder, VersionOneBitmaps)
{
    for (int width : {5, 40, 100})
        for (int opcode : {0x90, 0x98, 0x99})
        {
            PLAnyBmp mono;
            MakeMono(mono, width, 6);
            PictLayout layout;
            layout.version = 1;
            layout.opcode = opcode;
            layout.pixelSize = 1;
            PLWinBmp bmp;
            ASSERT_EQ(DecodePict(MakePict(mono, layout), bmp).code, 0) << width << " " << opcode;
            EXPECT_EQ(MaxColourDiff(bmp, mono, false), 0) << width << " " << opcode;
            EXPECT_EQ(bmp.GetBitsPerPixel(), 8);
            EXPECT_EQ(DecodeAny(MakePict(mono, layout), bmp), 2);
        }
}

TEST(PictDecoder, PixmapsOfEightBits)
{
    for (int width : {3, 100, 300})
        for (int opcode : {0x90, 0x98, 0x99})
        {
            PLAnyBmp pic;
            MakePattern(pic, width, 4, 8, false, unsigned(width));
            pic.SetResolution(PLPoint(72, 72));
            PictLayout layout;
            layout.opcode = opcode;
            PLAnyBmp bmp;
            ASSERT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 0) << width << " " << opcode;
            EXPECT_TRUE(bmp == pic) << width << " " << opcode;
        }
}

TEST(PictDecoder, DirectBits)
{
    for (int width : {1, 7, 70, 130})
    {
        PLAnyBmp pic;
        MakePattern(pic, width, 5, 32, true, unsigned(width));
        for (int cmpCount : {3, 4})
        {
            PictLayout layout;
            layout.opcode = 0x9A;
            layout.pixelSize = 32;
            layout.cmpCount = cmpCount;
            layout.dpi = 144;
            PLAnyBmp bmp;
            ASSERT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 0) << width << " " << cmpCount;
            EXPECT_EQ(bmp.HasAlpha(), cmpCount == 4);
            EXPECT_EQ(MaxColourDiff(bmp, pic, cmpCount == 4), 0) << width << " " << cmpCount;
            EXPECT_EQ(bmp.GetResolution(), PLPoint(144, 144));
        }
    }
}

TEST(PictDecoder, OpcodeWalkAndEndings)
{
    PLAnyBmp bmp;
    PLAnyPicDecoder any;
    Bytes vector = MakePictVectorOnly();
    ImageError e = DecodePict(vector, bmp);
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text, "Decoder error: PICT contained only vector data!\n\n");

    PLAnyBmp pic;
    MakePattern(pic, 4, 2, 8, false);
    Bytes file = MakePict(pic, PictLayout());
    file[kOpcodesAt + 1] = 0x12;  // version opcode missing
    EXPECT_EQ(DecodePict(file, bmp).code, 1);
    file[kOpcodesAt + 1] = 0x11;
    file[kOpcodesAt + 2] = 3;
    e = DecodePict(file, bmp);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.text, "Decoder error: Illegal version number.\n");

    // Zeros before the version opcode are skipped.
    file = MakePict(pic, PictLayout());
    file.insert(file.begin() + long(kOpcodesAt), 4, 0);
    EXPECT_EQ(DecodePict(file, bmp).code, 0);

    // An unknown pattern type.
    file = MakePict(pic, PictLayout());
    const size_t at = FindOpcode(file, 0x001E);
    ASSERT_NE(at, 0u);
    file[at + 1] = 0x12;  // background pixel pattern
    file.insert(file.begin() + long(at + 2), {0, 7});
    EXPECT_EQ(DecodePict(file, bmp).code, 2);
}

TEST(PictDecoder, EmbeddedJpeg)
{
    PLAnyBmp pic;
    MakeSmooth(pic, 16, 16, 32);
    JpegLayout layout;
    layout.sample = [&](int x, int y, int c) {
        const PLPixel32& p = pic.GetLineArray32()[y][x];
        return unsigned(c == 0 ? p.r : (c == 1 ? p.g : p.b));
    };
    Bytes file = MakePictJpeg(MakeJpeg(layout));
    PLWinBmp bmp;
    ASSERT_EQ(DecodePict(file, bmp).code, 0);
    EXPECT_LE(MaxColourDiff(bmp, pic, false), 12);
    EXPECT_EQ(DecodeAny(file, bmp), 2);

    PLPictDecoder withoutJpeg;
    ImageError e = CatchImageError([&] { withoutJpeg.DecodeMemory(file.data(), int(file.size()), &bmp); });
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text, "Decoder error: Library not compiled for PICT/JPEG.\n");

    Bytes noJpeg = MakePictJpeg(Bytes(40, 0x11));
    e = DecodePict(noJpeg, bmp);
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text, "Decoder error: PICT file contains unrecognized quicktime data.\n\n");
}

// --- faults mended ---------------------------------------------------------

TEST(PictDecoderFaults, ColourTablesOf256OrMoreAreRefused)
{
    PLAnyBmp pic;
    MakePattern(pic, 4, 2, 8, false);
    const Bytes good = MakePict(pic, PictLayout());
    // The colour table's size word follows its seed and flags.
    const size_t table = FindOpcode(good, 0x0098) + 2 + 2 + 8 + 36 + 4 + 2;
    ASSERT_EQ(GetBE32(&good[table - 6]), 0u);
    PLAnyBmp bmp;
    for (unsigned count : {256u, 300u, 0x7FFFu, 0xFFFEu})
    {
        Bytes file = good;
        file[table] = uint8_t(count >> 8);
        file[table + 1] = uint8_t(count);
        EXPECT_EQ(DecodePict(file, bmp).code, 2) << count;
    }
    // An entry index of 256.
    Bytes file = good;
    file[table + 2] = 1;
    file[table + 3] = 0;
    EXPECT_EQ(DecodePict(file, bmp).code, 2);
}

TEST(PictDecoderFaults, ShortRowsAndComponentCountsAreRefused)
{
    PLAnyBmp pic;
    MakePattern(pic, 20, 3, 8, false);
    PictLayout layout;
    layout.rowBytes = 19;
    PLAnyBmp bmp;
    EXPECT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 2);

    PLAnyBmp rgb;
    MakePattern(rgb, 20, 3, 32, false);
    layout = PictLayout();
    layout.opcode = 0x9A;
    layout.pixelSize = 32;
    layout.rowBytes = 59;  // three planes need 60
    EXPECT_EQ(DecodePict(MakePict(rgb, layout), bmp).code, 2);
    layout.rowBytes = -1;
    Bytes file = MakePict(rgb, layout);
    const size_t header = FindOpcode(file, 0x009A) + 2 + 4 + 2 + 8;
    for (unsigned count : {0u, 1u, 2u, 5u})
    {
        Bytes f = file;
        f[header + 20] = 0;
        f[header + 21] = uint8_t(count);  // cmpCount
        EXPECT_EQ(DecodePict(f, bmp).code, 2) << count;
    }

    PictLayout mono;
    mono.version = 1;
    mono.pixelSize = 1;
    mono.rowBytes = 1;  // 20 pixels need 3 bytes
    PLAnyBmp m;
    MakeMono(m, 20, 2);
    EXPECT_EQ(DecodePict(MakePict(m, mono), bmp).code, 2);
}

TEST(PictDecoderFaults, NegativeSkipsAreRefused)
{
    PLAnyBmp pic;
    MakePattern(pic, 4, 2, 8, false);
    const Bytes good = MakePict(pic, PictLayout());
    PLAnyBmp bmp;
    for (uint16_t opcode : {0x0001, 0x0070})
    {
        const size_t at = FindOpcode(good, opcode);
        ASSERT_NE(at, 0u) << opcode;
        for (unsigned size : {0u, 1u})
        {
            Bytes file = good;
            file[at + 2] = 0;
            file[at + 3] = uint8_t(size);
            EXPECT_EQ(DecodePict(file, bmp).code, 2) << opcode << " " << size;
        }
    }
    // The region of a PackBitsRgn record.
    PictLayout layout;
    layout.opcode = 0x99;
    Bytes file = MakePict(pic, layout);
    // Opcode, row length, bounds, pixmap header, colour table of 256
    // entries, rectangles and mode: then the region's size.
    const size_t region = FindOpcode(file, 0x0099) + 2 + 2 + 8 + 36 + 8 + 8 * 256 + 8 + 8 + 2;
    ASSERT_EQ(file[region], 0);
    ASSERT_EQ(file[region + 1], 10);
    file[region + 1] = 1;
    EXPECT_EQ(DecodePict(file, bmp).code, 2);
}

TEST(PictDecoderFaults, DirectBitsUseTheRecordsRowLength)
{
    // 16-bit pictures: packed in 2-byte units under a row length of 2 x width.
    for (int width : {4, 50, 200})
    {
        PLAnyBmp pic;
        MakePattern(pic, width, 4, 32, false, unsigned(width));
        PictLayout layout;
        layout.opcode = 0x9A;
        layout.pixelSize = 16;
        PLAnyBmp bmp;
        ASSERT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 0) << width;
        PLAnyBmp expected;
        expected.CopyAtDepth(pic, 0);
        Expect16Bit(expected);
        EXPECT_EQ(MaxColourDiff(bmp, expected, false), 0) << width;
    }
    // A wide 32-bit picture whose record states a row length above 250:
    // 2-byte length prefixes, also where width x 3 planes would not need them.
    PLAnyBmp pic;
    MakePattern(pic, 70, 3, 32, false);
    PictLayout layout;
    layout.opcode = 0x9A;
    layout.pixelSize = 32;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0);

    // A record row length of 0 means width x pixel size / 8.
    Bytes file = MakePict(pic, layout);
    const size_t rowBytes = FindOpcode(file, 0x009A) + 2 + 4;
    file[rowBytes] = 0x80;
    file[rowBytes + 1] = 0;
    ASSERT_EQ(DecodePict(file, bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0);
}

TEST(PictDecoderFaults, VersionOneSetBitsAreBlack)
{
    PLAnyBmp mono;
    MakeMono(mono, 8, 1);
    mono.GetLineArray()[0][0] = 1;
    mono.GetLineArray()[0][1] = 0;
    PictLayout layout;
    layout.version = 1;
    layout.pixelSize = 1;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePict(MakePict(mono, layout), bmp).code, 0);
    PLAnyBmp colours;
    colours.CopyAtDepth(bmp, 32);
    EXPECT_EQ(colours.GetLineArray32()[0][0], PLPixel32(0, 0, 0, 255));
    EXPECT_EQ(colours.GetLineArray32()[0][1], PLPixel32(255, 255, 255, 255));
}

TEST(PictDecoderFaults, HeaderResolutionOnlyFromTheExtendedHeader)
{
    PLAnyBmp pic;
    MakePattern(pic, 4, 2, 8, false);
    PictLayout layout;
    layout.dpi = 300;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(300, 300));
    layout.headerVersion = -1;
    ASSERT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(72, 72));
    layout.header = false;
    ASSERT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(0, 0));
}

TEST(PictDecoderFaults, UnsupportedPackTypesAreRefused)
{
    PLAnyBmp rgb;
    MakePattern(rgb, 9, 2, 32, false);
    PLAnyBmp bmp;
    struct Case
    {
        int pixelSize, packType, code;
    };
    for (const Case& c : {Case{32, 1, 6}, Case{32, 2, 6}, Case{32, 3, 6}, Case{16, 4, 6}, Case{16, 1, 6},
                          Case{32, 4, 0}, Case{32, 0, 0}, Case{16, 3, 0}, Case{16, 0, 0}})
    {
        PictLayout layout;
        layout.opcode = 0x9A;
        layout.pixelSize = c.pixelSize;
        layout.packType = c.packType;
        EXPECT_EQ(DecodePict(MakePict(rgb, layout), bmp).code, c.code) << c.pixelSize << " " << c.packType;
    }
    PLAnyBmp pic;
    MakePattern(pic, 9, 2, 8, false);
    PictLayout layout;
    layout.packType = 1;
    EXPECT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 6);
}

TEST(PictDecoderFaults, BitsRectRowsAreNotPacked)
{
    // Rows of 8 bytes or more in a BitsRect record are stored as they are.
    PLAnyBmp pic;
    MakePattern(pic, 30, 3, 8, false);
    PictLayout layout;
    layout.opcode = 0x90;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePict(MakePict(pic, layout), bmp).code, 0);
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(bmp.GetLineArray()[2][x], pic.GetLineArray()[2][x]);
}
