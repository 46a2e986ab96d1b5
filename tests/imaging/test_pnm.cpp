// The PGM and PPM decoders: text and binary samples, header grammar, scaling,
// and the mended number and sample handling.
#include <string>

#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLPGMDecoder.h"
#include "imaging/PLPPMDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

ImageError DecodePgm(const Bytes& data, PLBmp& bmp)
{
    PLPGMDecoder decoder;
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

ImageError DecodePpm(const Bytes& data, PLBmp& bmp)
{
    PLPPMDecoder decoder;
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

void MakeGrey(PLBmp& pic, int width, int height)
{
    MakePattern(pic, width, height, 8, false, 9);
    pic.SetGreyRamp();
}
} // namespace

TEST(PnmDecoder, GreymapsAndPixmapsRoundTrip)
{
    PLAnyBmp grey;
    MakeGrey(grey, 14, 5);
    PLAnyBmp rgb;
    MakePattern(rgb, 9, 6, 32, false);
    for (const std::string& sep : {std::string("\n"), std::string(" "), std::string("\t"), std::string("\r\n# c\n")})
    {
        for (char kind : {'2', '5'})
        {
            PLWinBmp bmp;
            ASSERT_EQ(DecodePgm(MakePnm(grey, kind, 255, sep), bmp).code, 0) << kind;
            EXPECT_TRUE(bmp == grey) << kind;
            EXPECT_EQ(DecodeAny(MakePnm(grey, kind, 255, sep), bmp), 11);
        }
        for (char kind : {'3', '6'})
        {
            PLWinBmp bmp;
            ASSERT_EQ(DecodePpm(MakePnm(rgb, kind, 255, sep), bmp).code, 0) << kind;
            EXPECT_EQ(MaxColourDiff(bmp, rgb, false), 0) << kind;
            EXPECT_FALSE(bmp.HasAlpha());
            EXPECT_EQ(DecodeAny(MakePnm(rgb, kind, 255, sep), bmp), 13);
        }
    }
}

TEST(PnmDecoder, HeaderGrammarAndScaling)
{
    PLAnyBmp bmp;
    // P5 3 2 255, one space, six bytes.
    Bytes file = Text("P5 3 2 255 ");
    file.insert(file.end(), {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(DecodePgm(file, bmp).code, 0);
    EXPECT_EQ(bmp.GetWidth(), 3);
    EXPECT_EQ(bmp.GetLineArray()[1][2], 6);

    // A comment between width and height.
    ASSERT_EQ(DecodePgm(Text("P2\n2 # the height follows\n1\n255\n7 8\n"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 8);

    // Maximum 15: 15 gives 255 and 7 gives 119.
    file = Text("P6 2 1 15\n");
    file.insert(file.end(), {15, 7, 0, 1, 2, 3});
    ASSERT_EQ(DecodePpm(file, bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray32()[0][0], PLPixel32(255, 119, 0, 255));

    // The last sample of a text file may end with the file.
    ASSERT_EQ(DecodePgm(Text("P2 1 1 255 9"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 9);

    ImageError e = DecodePgm(Text("P3 1 1 255 1 2 3"), bmp);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.text, "Decoder error: PGM decoder: Is not the correct identifier P5 or P2.\n");
    e = DecodePpm(Text("P5 1 1 255 x"), bmp);
    EXPECT_EQ(e.text, "Decoder error: PPM decoder: Is not the correct identifier P3 or P6.\n");
    EXPECT_EQ(DecodePgm(Text("P5 1 x 255 1"), bmp).code, 2);  // no looping on strange characters
    EXPECT_EQ(DecodePgm(Text("P5 4 4 255\n12"), bmp).code, 11);
    EXPECT_EQ(DecodePgm(Text("P2 4 4"), bmp).code, 11);
}

// --- faults mended ---------------------------------------------------------

TEST(PnmDecoderFaults, NumbersAreCapped)
{
    // A twelve-digit width must not overflow: it is refused as too large.
    PLAnyBmp bmp;
    EXPECT_EQ(DecodePgm(Text("P5 999999999999 1 255\n"), bmp).code, 10);
    EXPECT_EQ(DecodePpm(Text("P6 1 99999999999999999999 255\n"), bmp).code, 10);
    // Samples too.
    ASSERT_EQ(DecodePgm(Text("P2 2 1 255 99999999999999 3"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 255);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 3);
}

TEST(PnmDecoderFaults, AnyWhiteSpaceSeparates)
{
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePgm(Text("P2\t2\v1\f255\t10\t20\t"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 20);
    ASSERT_EQ(DecodePpm(Text("P3\r2\r1\r255\r1\t2\t3\f4\v5 6"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray32()[0][1], PLPixel32(4, 5, 6, 255));
}

TEST(PnmDecoderFaults, SixteenBitSamples)
{
    PLAnyBmp grey;
    MakeGrey(grey, 7, 3);
    PLAnyBmp rgb;
    MakePattern(rgb, 5, 4, 32, false);
    PLAnyBmp bmp;
    for (char kind : {'2', '5'})
    {
        ASSERT_EQ(DecodePgm(MakePnm(grey, kind, 65535), bmp).code, 0) << kind;
        EXPECT_TRUE(bmp == grey) << kind;
        ASSERT_EQ(DecodePgm(MakePnm(grey, kind, 1000), bmp).code, 0) << kind;
        EXPECT_TRUE(bmp.NearlyEqual(grey, 1)) << kind;
    }
    for (char kind : {'3', '6'})
    {
        ASSERT_EQ(DecodePpm(MakePnm(rgb, kind, 65535), bmp).code, 0) << kind;
        EXPECT_EQ(MaxColourDiff(bmp, rgb, false), 0) << kind;
    }
    // Two bytes, big-endian: 0x8000 of 65535 is 127. Read as single bytes
    // (the first as a sample, the second as the next one) they would be noise.
    Bytes file = Text("P5 2 1 65535\n");
    file.insert(file.end(), {0x80, 0x00, 0x01, 0x01});
    ASSERT_EQ(DecodePgm(file, bmp).code, 0);
    EXPECT_EQ(bmp.GetWidth(), 2);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 127);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 1);
    file = Text("P6 1 1 4095\n");
    file.insert(file.end(), {0x0F, 0xFF, 0x08, 0x00, 0x00, 0x00});
    ASSERT_EQ(DecodePpm(file, bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray32()[0][0], PLPixel32(255, 127, 0, 255));
    // Text samples of such files are whole numbers, scaled the same way.
    ASSERT_EQ(DecodePgm(Text("P2 3 1 65535\n65535 32768 257"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 255);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 127);
    EXPECT_EQ(bmp.GetLineArray()[0][2], 1);
    ASSERT_EQ(DecodePpm(Text("P3 1 1 1023\n1023 512 100"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray32()[0][0], PLPixel32(255, 127, 24, 255));
}

TEST(PnmDecoderFaults, SamplesAboveTheMaximumClamp)
{
    PLAnyBmp bmp;
    Bytes file = Text("P5 3 1 100\n");
    file.insert(file.end(), {50, 100, 200});
    ASSERT_EQ(DecodePgm(file, bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 127);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 255);
    EXPECT_EQ(bmp.GetLineArray()[0][2], 255);

    // Text samples of 256 used to wrap to 0.
    ASSERT_EQ(DecodePgm(Text("P2 1 1 255 256"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 255);
    ASSERT_EQ(DecodePpm(Text("P3 1 1 255 256 300 7"), bmp).code, 0);
    EXPECT_EQ(bmp.GetLineArray32()[0][0], PLPixel32(255, 255, 7, 255));
}
