// The TGA decoder: every image type and depth against the source picture,
// line order, colour maps, packets, and the refusals.
#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLTGADecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
ImageError DecodeTga(const Bytes& data, PLBmp& bmp)
{
    PLTGADecoder decoder;
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

// Indices with runs that cross line ends, for the run-length kinds.
void MakeIndexedRuns(PLBmp& pic, int width, int height)
{
    MakePattern(pic, width, height, 8, false, 11);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x > width - 3 || x < 2)
                pic.GetLineArray()[y][x] = 42;
}

void MakeTrueColourRuns(PLBmp& pic, int width, int height)
{
    MakePattern(pic, width, height, 32, true, 5);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x > width - 4 || x < 3)
                pic.GetLineArray32()[y][x] = PLPixel32(10, 200, 30, 220);
}
} // namespace

TEST(TgaDecoder, TrueColourTypesAndDepths)
{
    PLAnyBmp pic;
    MakeTrueColourRuns(pic, 13, 6);
    for (int type : {2, 10})
        for (int depth : {15, 16, 24, 32})
            for (bool topFirst : {false, true})
            {
                TgaLayout layout;
                layout.imageType = type;
                layout.pixelDepth = depth;
                layout.topFirst = topFirst;
                layout.idLength = 5;
                PLWinBmp bmp;
                ASSERT_EQ(DecodeTga(MakeTga(pic, layout), bmp).code, 0) << type << " " << depth;
                PLAnyBmp expected;
                expected.CopyAtDepth(pic, 0);
                if (depth <= 16)
                    ExpectTga16(expected, depth);
                ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
                EXPECT_EQ(bmp.HasAlpha(), depth == 16 || depth == 32) << depth;
                EXPECT_EQ(MaxColourDiff(bmp, expected, depth != 24 && depth != 15), 0) << type << " " << depth;
                EXPECT_EQ(DecodeAny(MakeTga(pic, layout), bmp), 3);
            }
}

TEST(TgaDecoder, ColourMappedAndGreyscale)
{
    PLAnyBmp pic;
    MakeIndexedRuns(pic, 11, 5);
    for (int type : {1, 9})
        for (int entrySize : {15, 16, 24, 32})
        {
            TgaLayout layout;
            layout.imageType = type;
            layout.pixelDepth = 8;
            layout.mapEntrySize = entrySize;
            PLAnyBmp bmp;
            ASSERT_EQ(DecodeTga(MakeTga(pic, layout), bmp).code, 0) << type << " " << entrySize;
            ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 11; ++x)
                    ASSERT_EQ(bmp.GetLineArray()[y][x], pic.GetLineArray()[y][x]);
            if (entrySize == 24)
            {
                for (int i = 0; i < 256; ++i)
                    ASSERT_EQ(bmp.GetPalette()[i], pic.GetPalette()[i]) << i;
            }
        }

    for (int type : {3, 11})
    {
        TgaLayout layout;
        layout.imageType = type;
        layout.pixelDepth = 8;
        PLAnyBmp bmp;
        ASSERT_EQ(DecodeTga(MakeTga(pic, layout), bmp).code, 0);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 11; ++x)
            {
                const uint8_t v = pic.GetLineArray()[y][x];
                ASSERT_EQ(bmp.GetLineArray()[y][x], v);
                ASSERT_EQ(bmp.GetPalette()[v], PLPixel32(v, v, v, 255));
            }
    }
}

TEST(TgaDecoder, ColourMapWrapsAtThePaletteEnd)
{
    PLAnyBmp pic;
    MakePattern(pic, 4, 2, 8, false);
    TgaLayout layout;
    layout.imageType = 1;
    layout.pixelDepth = 8;
    layout.firstEntry = 250;
    layout.mapLength = 10;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodeTga(MakeTga(pic, layout), bmp).code, 0);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(bmp.GetPalette()[(250 + k) % 256], pic.GetPalette()[(250 + k) % 256]) << k;
}

TEST(TgaDecoder, SixteenBitAttributeAndPackets)
{
    // 0x8000: black with alpha 0x80; 0x7FFF: 248 grey with alpha 0. A packet
    // 0x80 repeats once, 0xFF 128 times, 0x00 carries one value.
    Bytes file(18, 0);
    file[2] = 10;
    file[12] = 130;
    file[14] = 1;
    file[16] = 16;
    const uint8_t packets[] = {0x80, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80};
    file.insert(file.end(), packets, packets + sizeof(packets));
    PLAnyBmp bmp;
    ASSERT_EQ(DecodeTga(file, bmp).code, 0);
    const PLPixel32* line = bmp.GetLineArray32()[0];
    EXPECT_EQ(line[0], PLPixel32(0, 0, 0, 0x80));
    EXPECT_EQ(line[1], PLPixel32(248, 248, 248, 0));
    EXPECT_EQ(line[128], PLPixel32(248, 248, 248, 0));
    EXPECT_EQ(line[129], PLPixel32(0, 0, 0, 0x80));
    EXPECT_TRUE(bmp.HasAlpha());
}

TEST(TgaDecoder, TypeZeroPassesDetectionAndIsRefused)
{
    Bytes file(18 + 4, 0);
    file[12] = 1;
    file[14] = 1;
    file[16] = 24;
    PLWinBmp bmp;
    PLAnyPicDecoder decoder;
    ImageError e = CatchImageError([&] { decoder.DecodeMemory(file.data(), int(file.size()), &bmp); });
    EXPECT_EQ(decoder.LastFormatCode(), 3);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.text, "Decoder error: Unknown TGA image type.\n");
}

// --- faults mended ---------------------------------------------------------

TEST(TgaDecoderFaults, PacketsCarryOnIntoTheNextLine)
{
    // 3 x 2 true colour: one repeat packet of 4 pixels covers line 0 and the
    // first pixel of line 1; a raw packet of 2 the rest.
    Bytes file(18, 0);
    file[2] = 10;
    file[12] = 3;
    file[14] = 2;
    file[16] = 24;
    file[17] = 0x20;  // first stored line on top
    const uint8_t data[] = {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9};
    file.insert(file.end(), data, data + sizeof(data));
    PLAnyBmp bmp;
    ASSERT_EQ(DecodeTga(file, bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray32()[0][2], PLPixel32(3, 2, 1, 255));
    EXPECT_EQ(bmp.GetLineArray32()[1][0], PLPixel32(3, 2, 1, 255));
    EXPECT_EQ(bmp.GetLineArray32()[1][1], PLPixel32(6, 5, 4, 255));
    EXPECT_EQ(bmp.GetLineArray32()[1][2], PLPixel32(9, 8, 7, 255));

    // A raw packet running past the last line: its bytes are there, nothing
    // is written past the bitmap.
    Bytes big(18, 0);
    big[2] = 11;
    big[12] = 2;
    big[14] = 1;
    big[16] = 8;
    big.push_back(0x7F);
    big.insert(big.end(), 128, 0x33);
    ASSERT_EQ(DecodeTga(big, bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 0x33);
}

TEST(TgaDecoderFaults, ColourMapsAndIndicesItCannotUseAreRefused)
{
    PLAnyBmp pic;
    MakePattern(pic, 3, 2, 8, false);
    for (int entrySize : {0, 8, 7, 33})
    {
        TgaLayout layout;
        layout.imageType = 1;
        layout.pixelDepth = 8;
        Bytes file = MakeTga(pic, layout);
        file[7] = uint8_t(entrySize);
        PLAnyBmp bmp;
        EXPECT_EQ(DecodeTga(file, bmp).code, 2) << entrySize;
    }
    // 16-bit indices into a colour map.
    Bytes file(18, 0);
    file[1] = 1;
    file[2] = 1;
    file[5] = 2;
    file[7] = 24;
    file[12] = 1;
    file[14] = 1;
    file[16] = 16;
    file.insert(file.end(), 8, 0);
    PLAnyBmp bmp;
    EXPECT_EQ(DecodeTga(file, bmp).code, 2);
    // A colour-map type without entries needs no entry size.
    file[5] = 0;
    file[7] = 0;
    file[16] = 8;
    EXPECT_EQ(DecodeTga(file, bmp).code, 0);
}

TEST(TgaDecoderFaults, ZeroSizesAreRefused)
{
    PLAnyBmp pic;
    MakePattern(pic, 3, 2, 32, false);
    for (int at : {12, 14})
    {
        Bytes file = MakeTga(pic, TgaLayout());
        file[size_t(at)] = 0;
        file[size_t(at + 1)] = 0;
        PLAnyBmp bmp;
        EXPECT_EQ(DecodeTga(file, bmp).code, 2) << at;
    }
}
