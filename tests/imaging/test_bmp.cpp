// The BMP decoder: every depth and header kind against the picture the file
// was made from, RLE, resolution, and the damaged-header refusals.
#include <string>

#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLBmpDecoder.h"
#include "imaging/PLBmpEncoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
// An 8-bpp picture whose indices stay below 2^bits, with runs for RLE.
void MakeIndexed(PLBmp& pic, int width, int height, int bits, unsigned seed = 3)
{
    MakePattern(pic, width, height, 8, false, seed);
    const int mask = (1 << bits) - 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint8_t& v = pic.GetLineArray()[y][x];
            v = uint8_t((x % 7 < 3 ? (y * 5) : v) & mask);  // repeats and literals
        }
}

ImageError DecodeBmp(const Bytes& data, PLBmp& bmp)
{
    PLBmpDecoder decoder;
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

// The decoded picture against the source, at 8 bpp the indices and the
// palette entries the file holds.
void ExpectIndexed(const PLBmp& decoded, const PLBmp& pic, int entries)
{
    ASSERT_EQ(decoded.GetBitsPerPixel(), 8);
    ASSERT_EQ(decoded.GetWidth(), pic.GetWidth());
    ASSERT_EQ(decoded.GetHeight(), pic.GetHeight());
    for (int y = 0; y < pic.GetHeight(); ++y)
        for (int x = 0; x < pic.GetWidth(); ++x)
            ASSERT_EQ(decoded.GetLineArray()[y][x], pic.GetLineArray()[y][x]) << x << "," << y;
    for (int i = 0; i < entries; ++i)
    {
        PLPixel32 e = pic.GetPalette()[i];
        e.a = 255;
        EXPECT_EQ(decoded.GetPalette()[i], e) << i;
    }
}
} // namespace

TEST(BmpDecoder, PaletteDepthsAndHeaderKinds)
{
    for (int bits : {1, 4, 8})
        for (uint32_t header : {12u, 40u, 108u, 124u})
        {
            PLAnyBmp pic;
            MakeIndexed(pic, 13, 6, bits);
            BmpLayout layout;
            layout.bitCount = bits;
            layout.headerSize = header;
            PLWinBmp bmp;
            ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0) << bits << " " << header;
            ExpectIndexed(bmp, pic, 1 << bits);
            EXPECT_EQ(bmp.GetResolution(), header == 12 ? PLPoint(150, 150) : PLPoint(72, 72));
        }
}

TEST(BmpDecoder, TrueColourDepths)
{
    PLAnyBmp pic;
    MakePattern(pic, 11, 5, 32, true);

    BmpLayout layout;
    layout.bitCount = 32;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_TRUE(bmp.HasAlpha());
    EXPECT_EQ(MaxColourDiff(bmp, pic, true), 0);

    layout.bitCount = 24;
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0);

    PLAnyBmp expected;
    expected.CopyAtDepth(pic, 0);
    Expect16Bit(expected);
    for (bool fiveSixFive : {false, true})
        for (uint32_t compression : {0u, 3u})
            for (uint32_t header : {40u, 56u, 124u})
            {
                if (fiveSixFive && compression == 0)
                    continue;
                layout.bitCount = 16;
                layout.compression = compression;
                layout.fiveSixFive = fiveSixFive;
                layout.headerSize = header;
                ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0) << fiveSixFive << compression << header;
                EXPECT_EQ(MaxColourDiff(bmp, expected, false), 0) << fiveSixFive << compression << header;
            }

    // 32 bpp whose fourth bytes are all 0 carries no alpha.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 11; ++x)
            pic.GetLineArray32()[y][x].a = 0;
    layout = BmpLayout();
    layout.bitCount = 32;
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_FALSE(bmp.HasAlpha());
}

TEST(BmpDecoder, OurEncoderRoundTrips)
{
    PLBmpEncoder encoder;
    for (int bpp : {1, 8, 32})
    {
        PLAnyBmp pic;
        MakePattern(pic, 9, 7, bpp, false);
        pic.SetResolution(PLPoint(96, 96));
        PLWinBmp bmp;
        EXPECT_EQ(DecodeAny(Encode(encoder, pic), bmp), 1);
        EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0) << bpp;
        EXPECT_EQ(bmp.GetResolution(), PLPoint(96, 96));
    }
}

TEST(BmpDecoder, RunLengthEncoded)
{
    for (int bits : {4, 8})
    {
        PLAnyBmp pic;
        MakeIndexed(pic, 23, 9, bits, 7);
        BmpLayout layout;
        layout.bitCount = bits;
        layout.compression = bits == 8 ? 1 : 2;
        PLAnyBmp bmp;
        ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0) << bits;
        ExpectIndexed(bmp, pic, 1 << bits);
    }

    // Hand-made RLE4: an absolute run of 5 pixels (3 bytes and a pad byte),
    // one of 3 pixels (2 bytes, no pad), then an encoded run.
    PLAnyBmp pic;
    pic.Create(10, 1, 8, false);
    BmpLayout layout;
    layout.bitCount = 4;
    layout.compression = 2;
    Bytes file = MakeBmp(pic, layout);
    const size_t pixelsAt = file.size() - 4 - 2;  // "10 00, 00 00, 00 01" for the blank line
    file.resize(pixelsAt);
    const uint8_t rle[] = {0, 5, 0x12, 0x34, 0x50, 0, 0, 3, 0x67, 0x80, 2, 0x9A, 0, 0, 0, 1};
    file.insert(file.end(), rle, rle + sizeof(rle));
    PLAnyBmp bmp;
    ASSERT_EQ(DecodeBmp(file, bmp).code, 0);
    const uint8_t expected[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(Bytes(bmp.GetLineArray()[0], bmp.GetLineArray()[0] + 10), Bytes(expected, expected + 10));
}

TEST(BmpDecoder, RleEndOfBitmapLeavesTheTopLines)
{
    PLAnyBmp pic;
    pic.Create(4, 3, 8, false);
    BmpLayout layout;
    layout.bitCount = 8;
    layout.compression = 1;
    Bytes file = MakeBmp(pic, layout);
    // Only the bottom line: four pixels of 9, then end of bitmap.
    file.resize(file.size() - 3 * 4 - 2);
    const uint8_t rle[] = {4, 9, 0, 1};
    file.insert(file.end(), rle, rle + 4);
    PLAnyBmp bmp;
    ASSERT_EQ(DecodeBmp(file, bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[2][3], 9);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 0);

    file.resize(file.size() - 2);
    const uint8_t delta[] = {0, 2, 1, 1};
    file.insert(file.end(), delta, delta + 4);
    ImageError e = DecodeBmp(file, bmp);
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text, "Decoder error: Encountered delta escape.\n");
}

TEST(BmpDecoder, BitmapArraysAndResolution)
{
    PLAnyBmp pic;
    MakePattern(pic, 6, 4, 32, false);
    BmpLayout layout;
    layout.arrays = 2;
    layout.pelsPerMeter = 0;
    PLWinBmp bmp;
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(150, 150));
    EXPECT_EQ(DecodeAny(MakeBmp(pic, layout), bmp), 1);

    layout.arrays = 0;
    layout.pelsPerMeter = 3780;
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(96, 96));
    layout.pelsPerMeter = 39;  // rounds to 1 dpi: none
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(150, 150));
}

TEST(BmpDecoder, WrongSignatureAndDepth)
{
    PLAnyBmp pic;
    MakePattern(pic, 3, 3, 32, false);
    Bytes file = MakeBmp(pic, BmpLayout());
    file[0] = 'X';
    PLAnyBmp bmp;
    ImageError e = DecodeBmp(file, bmp);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.text, "Decoder error: Bitmap decoder: This isn't a bitmap.\n");

    file = MakeBmp(pic, BmpLayout());
    file[28] = 2;  // bit count
    e = DecodeBmp(file, bmp);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.text, "Decoder error: Decoding bmp: Illegal bpp value.\n");

    file = MakeBmp(pic, BmpLayout());
    file.resize(file.size() - 5);
    EXPECT_EQ(DecodeBmp(file, bmp).code, 11);
}

// --- faults mended ---------------------------------------------------------

TEST(BmpDecoderFaults, TopDownFilesPutTheirFirstLineOnTop)
{
    PLAnyBmp pic;
    MakePattern(pic, 7, 5, 32, false);
    BmpLayout layout;
    layout.topDown = true;
    PLWinBmp bmp;
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_EQ(bmp.GetHeight(), 5);
    EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0);

    PLAnyBmp indexed;
    MakeIndexed(indexed, 9, 4, 8);
    layout.bitCount = 8;
    layout.compression = 1;
    ASSERT_EQ(DecodeBmp(MakeBmp(indexed, layout), bmp).code, 0);
    ExpectIndexed(bmp, indexed, 256);
}

TEST(BmpDecoderFaults, RleStopsAfterTheTopLine)
{
    // Two lines, then more end-of-line escapes and runs that would land
    // above the bitmap: they are not decoded.
    PLAnyBmp pic;
    pic.Create(4, 2, 8, false);
    for (int bits : {8, 4})
    {
        BmpLayout layout;
        layout.bitCount = bits;
        layout.compression = bits == 8 ? 1 : 2;
        Bytes file = MakeBmp(pic, layout);
        file.resize(file.size() - 2 * 4 - 2);
        const uint8_t rle[] = {4, 0x11, 0, 0, 4, 0x22, 0, 0, 0, 0, 0, 0, 200, 0x77, 0, 0, 200, 0x77, 0, 1};
        file.insert(file.end(), rle, rle + sizeof(rle));
        PLAnyBmp bmp;
        ASSERT_EQ(DecodeBmp(file, bmp).code, 0) << bits;
        EXPECT_EQ(bmp.GetLineArray()[1][0], bits == 8 ? 0x11 : 1);
        EXPECT_EQ(bmp.GetLineArray()[0][3], bits == 8 ? 0x22 : 2);
    }
}

TEST(BmpDecoderFaults, DamagedHeadersAreRefused)
{
    PLAnyBmp pic;
    MakeIndexed(pic, 5, 3, 4);
    PLAnyBmp bmp;

    // More colours than the depth has.
    BmpLayout layout;
    layout.bitCount = 4;
    layout.coloursUsed = 17;
    EXPECT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 2);
    Bytes file = MakeBmp(pic, BmpLayout{4});
    PutLE32(&file[46], 0xFFFFFFFFu);
    EXPECT_EQ(DecodeBmp(file, bmp).code, 2);
    layout.coloursUsed = 16;
    EXPECT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);

    // Header sizes below 40 other than 12.
    for (uint32_t size : {0u, 4u, 11u, 13u, 16u, 39u})
    {
        file = MakeBmp(pic, BmpLayout{4});
        PutLE32(&file[14], size);
        ImageError e = DecodeBmp(file, bmp);
        EXPECT_EQ(e.code, 2) << size;
    }

    // A pixel-data offset pointing back into the headers.
    file = MakeBmp(pic, BmpLayout{4});
    PutLE32(&file[10], 54);
    EXPECT_EQ(DecodeBmp(file, bmp).code, 2);
    PutLE32(&file[10], 0);
    EXPECT_EQ(DecodeBmp(file, bmp).code, 2);
}

TEST(BmpDecoderFaults, MasksAndPixelOffsetFollowTheHeaderKind)
{
    PLAnyBmp pic;
    MakePattern(pic, 8, 3, 32, false);
    PLAnyBmp expected;
    expected.CopyAtDepth(pic, 0);
    Expect16Bit(expected);

    // A V5 header holds 5-6-5 masks inside: nothing follows it.
    BmpLayout layout;
    layout.bitCount = 16;
    layout.compression = 3;
    layout.fiveSixFive = true;
    layout.headerSize = 124;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, expected, false), 0);

    // 32 bpp with bit fields after a 40-byte header: the masks are consumed.
    layout = BmpLayout();
    layout.bitCount = 32;
    layout.compression = 3;
    ASSERT_EQ(DecodeBmp(MakeBmp(pic, layout), bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0);

    // Bytes between the colour table and the pixels: the offset is followed.
    PLAnyBmp indexed;
    MakeIndexed(indexed, 6, 4, 8);
    layout = BmpLayout();
    layout.bitCount = 8;
    layout.gap = 37;
    ASSERT_EQ(DecodeBmp(MakeBmp(indexed, layout), bmp).code, 0);
    ExpectIndexed(bmp, indexed, 256);
    layout.headerSize = 12;
    ASSERT_EQ(DecodeBmp(MakeBmp(indexed, layout), bmp).code, 0);
    ExpectIndexed(bmp, indexed, 256);

    // An offset beyond the file is not followed.
    Bytes file = MakeBmp(pic, BmpLayout());
    PutLE32(&file[10], 0x7FFFFFF0);
    ASSERT_EQ(DecodeBmp(file, bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0);
}
