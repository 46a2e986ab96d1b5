// The PCX decoder: every supported layout against the source picture, the
// refusals, and the damaged files it must survive.
#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLPCXDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
ImageError DecodePcx(const Bytes& data, PLBmp& bmp)
{
    PLPCXDecoder decoder;
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

void MakeIndexed(PLBmp& pic, int width, int height, int colours)
{
    MakePattern(pic, width, height, 8, false, 21);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint8_t& v = pic.GetLineArray()[y][x];
            v = uint8_t((x < width / 2 ? v : y) % colours);
        }
}

// The 32-bpp picture an indexed PCX decodes to.
void Expected(const PLBmp& pic, PLBmp& out)
{
    out.CopyAtDepth(pic, 32);
}
} // namespace

TEST(PcxDecoder, EveryLayout)
{
    struct Case
    {
        int bits, planes, colours;
    };
    const Case cases[] = {{1, 1, 2}, {1, 2, 4}, {1, 3, 8}, {1, 4, 16}, {2, 1, 4}, {4, 1, 16}, {8, 1, 256}};
    for (const Case& c : cases)
        for (bool across : {false, true})
        {
            PLAnyBmp pic;
            MakeIndexed(pic, 19, 7, c.colours);
            if (c.bits == 1 && c.planes == 1)
            {
                pic.SetPaletteEntry(0, 0, 0, 0);
                pic.SetPaletteEntry(1, 255, 255, 255);
            }
            PcxLayout layout;
            layout.bitsPerPixel = c.bits;
            layout.planes = c.planes;
            layout.runsAcrossLines = across;
            layout.extraBytesPerLine = across ? 3 : 0;
            PLWinBmp bmp;
            ASSERT_EQ(DecodePcx(MakePcx(pic, layout), bmp).code, 0) << c.bits << "x" << c.planes;
            PLAnyBmp expected;
            Expected(pic, expected);
            EXPECT_EQ(bmp.GetBitsPerPixel(), 32);
            EXPECT_FALSE(bmp.HasAlpha());
            EXPECT_EQ(MaxColourDiff(bmp, expected, false), 0) << c.bits << "x" << c.planes;
            EXPECT_EQ(bmp.GetResolution(), PLPoint(96, 96));
            EXPECT_EQ(DecodeAny(MakePcx(pic, layout), bmp), 10);
        }

    PLAnyBmp rgb;
    MakePattern(rgb, 17, 5, 32, false);
    PcxLayout layout;
    layout.planes = 3;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePcx(MakePcx(rgb, layout), bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, rgb, false), 0);
}

TEST(PcxDecoder, WidePlanarAndMonochrome)
{
    // 640 pixels wide, 16 colours in 4 planes of 80 bytes: the last 8 pixels too.
    PLAnyBmp pic;
    MakeIndexed(pic, 640, 2, 16);
    for (int x = 632; x < 640; ++x)
        pic.GetLineArray()[1][x] = uint8_t(x - 624);
    PcxLayout layout;
    layout.bitsPerPixel = 1;
    layout.planes = 4;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePcx(MakePcx(pic, layout), bmp).code, 0);
    PLAnyBmp expected;
    Expected(pic, expected);
    EXPECT_EQ(MaxColourDiff(bmp, expected, false), 0);

    // A monochrome file is black and white whatever its header palette says.
    PLAnyBmp mono;
    MakeIndexed(mono, 9, 3, 2);
    mono.SetPaletteEntry(0, 10, 20, 30);
    mono.SetPaletteEntry(1, 40, 50, 60);
    layout.planes = 1;
    ASSERT_EQ(DecodePcx(MakePcx(mono, layout), bmp).code, 0);
    for (int x = 0; x < 9; ++x)
    {
        const uint8_t v = mono.GetLineArray()[2][x] ? 255 : 0;
        EXPECT_EQ(bmp.GetLineArray32()[2][x], PLPixel32(v, v, v, 255));
    }
}

TEST(PcxDecoder, RunsAndRefusals)
{
    // 0xC1 0x05 writes one 5; 0xC0 with any byte writes nothing.
    Bytes file(128, 0);
    file[0] = 10;
    file[2] = 1;
    file[3] = 8;
    file[8] = 1;  // xmax: 2 pixels
    file[65] = 1;
    file[66] = 2;
    const uint8_t data[] = {0xC0, 0x77, 0xC1, 0x05, 0x06};
    file.insert(file.end(), data, data + sizeof(data));
    file.push_back(0x0C);
    for (int i = 0; i < 256; ++i)
        file.insert(file.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePcx(file, bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray32()[0][0], PLPixel32(5, 5, 5, 255));
    EXPECT_EQ(bmp.GetLineArray32()[0][1], PLPixel32(6, 6, 6, 255));

    // A run longer than the image.
    Bytes longRun = file;
    longRun[128] = 0xC3;
    ImageError e = DecodePcx(longRun, bmp);
    EXPECT_EQ(e.code, 7);
    EXPECT_EQ(e.text, "Decoder error: repeat count spans end of image.\n");

    Bytes wrong = file;
    wrong[0] = 11;
    EXPECT_EQ(DecodePcx(wrong, bmp).code, 1);
    wrong = file;
    wrong[2] = 0;
    e = DecodePcx(wrong, bmp);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.text, "Decoder error: File has unknown encoding scheme.\n");

    struct Layout
    {
        int bits, planes, code;
    };
    for (const Layout& l : {Layout{1, 5, 2}, Layout{8, 2, 2}, Layout{3, 1, 2}, Layout{4, 3, 7}, Layout{2, 3, 7}})
    {
        Bytes f = file;
        f[3] = uint8_t(l.bits);
        f[65] = uint8_t(l.planes);
        f[66] = 8;
        EXPECT_EQ(DecodePcx(f, bmp).code, l.code) << l.bits << "x" << l.planes;
    }
}

// --- faults mended ---------------------------------------------------------

TEST(PcxDecoderFaults, BytesPerLineTooSmallForTheWidth)
{
    PLAnyBmp pic;
    MakeIndexed(pic, 40, 2, 16);
    struct Case
    {
        int bits, planes, needed;
    };
    for (const Case& c : {Case{1, 4, 5}, Case{4, 1, 20}, Case{8, 1, 40}, Case{8, 3, 40}, Case{2, 1, 10}})
    {
        PcxLayout layout;
        layout.bitsPerPixel = c.bits;
        layout.planes = c.planes;
        PLAnyBmp rgb;
        MakePattern(rgb, 40, 2, 32, false);
        Bytes file = MakePcx(c.planes == 3 ? static_cast<const PLBmp&>(rgb) : pic, layout);
        PLAnyBmp bmp;
        file[66] = uint8_t(c.needed - 1);
        file[67] = 0;
        EXPECT_EQ(DecodePcx(file, bmp).code, 2) << c.bits << "x" << c.planes;
        file[66] = 0;
        EXPECT_EQ(DecodePcx(file, bmp).code, 2);
    }
}

TEST(PcxDecoderFaults, HugeHeaderSizesStayBounded)
{
    // 65535 x 65535 at 4 planes of 65535 bytes: refused by the bitmap limit
    // before anything large is allocated.
    Bytes file(128, 0);
    file[0] = 10;
    file[2] = 1;
    file[3] = 1;
    file[8] = file[9] = file[10] = file[11] = 0xFE;
    file[65] = 4;
    file[66] = file[67] = 0xFF;
    file.insert(file.end(), {0xC5, 0x11});
    PLAnyBmp bmp;
    EXPECT_EQ(DecodePcx(file, bmp).code, 10);

    // One pixel wide with eight lines of 4 x 65535 bytes: two bytes of runs
    // (63 bytes at most) cannot fill them, so the file is refused as damaged
    // before the bitmap is made.
    file[8] = file[9] = 0;
    file[10] = 7;
    file[11] = 0;
    EXPECT_EQ(DecodePcx(file, bmp).code, 11);
    EXPECT_EQ(bmp.GetHeight(), 16);  // the bitmap as it was
}

TEST(PcxDecoderFaults, PaletteFromTheLastBytes)
{
    // A writer that pads the image data: the palette is the last 769 bytes.
    PLAnyBmp pic;
    MakeIndexed(pic, 6, 3, 256);
    Bytes file = MakePcx(pic, PcxLayout());
    const Bytes palette(file.end() - 769, file.end());
    file.resize(file.size() - 769);
    file.insert(file.end(), 5, 0x00);  // padding after the image
    file.insert(file.end(), palette.begin(), palette.end());
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePcx(file, bmp).code, 0);
    PLAnyBmp expected;
    Expected(pic, expected);
    EXPECT_EQ(MaxColourDiff(bmp, expected, false), 0);
}

TEST(PcxDecoderFaults, TruncatedImagesAreZeroFilled)
{
    PLAnyBmp rgb;
    MakePattern(rgb, 12, 6, 32, false);
    PcxLayout layout;
    layout.planes = 3;
    Bytes file = MakePcx(rgb, layout);
    // Cut in the fourth line: the lines before decode, the rest is black.
    file.resize(128 + (file.size() - 128) * 3 / 6 + 5);
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePcx(file, bmp).code, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(bmp.GetLineArray32()[y][x], rgb.GetLineArray32()[y][x]);
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(bmp.GetLineArray32()[5][x], PLPixel32(0, 0, 0, 255));

    // A 256-colour file without its palette still raises when reading it.
    PLAnyBmp pic;
    MakeIndexed(pic, 6, 3, 256);
    Bytes indexed = MakePcx(pic, PcxLayout());
    indexed.resize(indexed.size() - 769 - 2);
    EXPECT_EQ(DecodePcx(indexed, bmp).code, 11);
}
