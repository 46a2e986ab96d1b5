// PNG: round trips through our encoder, libpng variants, error paths.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLPNGEncoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
// Offset of a chunk's length field, or 0 when the PNG has none.
size_t FindChunk(const Bytes& png, const char* type)
{
    size_t at = 8;
    while (at + 12 <= png.size())
    {
        if (std::equal(type, type + 4, png.begin() + long(at + 4)))
            return at;
        at += 12 + GetBE32(&png[at]);
    }
    return 0;
}
} // namespace

TEST(Png, WrittenAndReadBackByTheProgram)
{
    // libpng 1.6 refuses structures asked for with an older version string:
    // writing would give nothing and reading would fail every time.
    PLAnyBmp pic;
    MakePattern(pic, 5, 3, 32, false);
    PLPNGEncoder encoder;
    Bytes png = Encode(encoder, pic);
    ASSERT_GT(png.size(), 50u);
    EXPECT_EQ(GetBE32(png.data()), 0x89504E47u);
    PLWinBmp back;
    EXPECT_EQ(DecodeAny(png, back), 6);
    EXPECT_EQ(MaxColourDiff(back, pic, false), 0);
}

TEST(Png, RoundTripsExactAtEveryDepth)
{
    PLPNGEncoder encoder;
    for (int bpp : {1, 8, 24, 32})
        for (bool alpha : {false, true})
            for (int width : {1, 3, 9, 17, 33})
            {
                if (alpha && bpp != 32)
                    continue;
                PLAnyBmp pic;
                MakePattern(pic, width, 5, bpp, alpha, unsigned(width * 7 + bpp));
                pic.SetResolution(PLPoint(72, 72));
                Bytes png = Encode(encoder, pic);
                PLWinBmp back;
                DecodeAny(png, back);
                SCOPED_TRACE(testing::Message() << "bpp " << bpp << " alpha " << alpha << " width " << width);
                EXPECT_EQ(back.GetBitsPerPixel(), bpp <= 8 ? 8 : 32);
                EXPECT_EQ(back.HasAlpha(), alpha);
                EXPECT_EQ(MaxColourDiff(back, pic, alpha), 0);
                EXPECT_EQ(back.GetResolution(), PLPoint(72, 72));
                if (bpp <= 8)
                {
                    for (int i = 0; i < pic.GetNumColors(); ++i)
                        ASSERT_EQ(back.GetPalette()[i], pic.GetPalette()[i]) << i;
                }
            }
}

TEST(Png, OneBitImagesKeepTheirPalette)
{
    // Min-is-white (entry 0 white): not written as a negative.
    PLAnyBmp mono;
    MakePattern(mono, 10, 2, 1, false);
    ASSERT_EQ(mono.GetPalette()[0], PLPixel32(255, 255, 255));
    PLPNGEncoder encoder;
    Bytes png = Encode(encoder, mono);
    // IHDR: bit depth 1, colour type 3, with a PLTE of 2 entries.
    EXPECT_EQ(png[24], 1);
    EXPECT_EQ(png[25], 3);
    ASSERT_NE(FindChunk(png, "PLTE"), 0u);
    EXPECT_EQ(GetBE32(&png[FindChunk(png, "PLTE")]), 6u);
    PLWinBmp back;
    DecodeAny(png, back);
    EXPECT_EQ(MaxColourDiff(back, mono, false), 0);

    PLAnyBmp four;
    MakePattern(four, 5, 3, 4, false);
    Bytes png4 = Encode(encoder, four);
    EXPECT_EQ(GetBE32(&png4[FindChunk(png4, "PLTE")]), 48u);  // 16 entries
    DecodeAny(png4, back);
    EXPECT_EQ(MaxColourDiff(back, four, false), 0);
}

TEST(Png, LibraryVariants)
{
    PLWinBmp bmp;
    // 16-bit grey: 8 bpp, full ramp, high bytes kept.
    DecodeAny(MakePng(3, 2, PNG_COLOR_TYPE_GRAY, 16, [](int x, int y, int) { return unsigned((x + 3 * y) * 10000); }),
              bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(bmp.GetPalette()[255], PLPixel32(255, 255, 255));
    EXPECT_EQ(bmp.GetLineArray()[1][2], (5 * 10000) >> 8);

    // 2-bit grey: ramp 0, 85, 170, 255.
    DecodeAny(MakePng(5, 1, PNG_COLOR_TYPE_GRAY, 2, [](int x, int, int) { return unsigned(x % 4); }), bmp);
    EXPECT_EQ(bmp.GetPalette()[1], PLPixel32(85, 85, 85));
    EXPECT_EQ(bmp.GetPalette()[2], PLPixel32(170, 170, 170));
    EXPECT_EQ(bmp.GetLineArray()[0][3], 3);
    EXPECT_EQ(bmp.GetLineArray()[0][4], 0);

    // Resolution: 2835 pixels per metre is 72 dpi; none is 0.
    DecodeAny(MakePng(2, 2, PNG_COLOR_TYPE_RGB, 8, [](int, int, int c) { return unsigned(c); }, false, 2835), bmp);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(72, 72));
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_EQ(bmp.GetLineArray32()[1][1], PLPixel32(0, 1, 2, 255));
    DecodeAny(MakePng(2, 2, PNG_COLOR_TYPE_RGB, 8, [](int, int, int c) { return unsigned(c); }), bmp);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(0, 0));

    // Interlaced RGB.
    auto pattern = [](int x, int y, int c) { return unsigned((x * 31 + y * 17 + c * 101) & 0xFF); };
    DecodeAny(MakePng(11, 9, PNG_COLOR_TYPE_RGB, 8, pattern, true), bmp);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(bmp.GetLineArray32()[y][x],
                      PLPixel32(uint8_t(pattern(x, y, 0)), uint8_t(pattern(x, y, 1)), uint8_t(pattern(x, y, 2))));

    // Grey with alpha, and 16-bit RGBA.
    DecodeAny(MakePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, [](int x, int, int c) { return unsigned(c ? 10 + x : 200); }),
              bmp);
    EXPECT_TRUE(bmp.HasAlpha());
    EXPECT_EQ(bmp.GetLineArray32()[0][1], PLPixel32(200, 200, 200, 11));
    DecodeAny(MakePng(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, [](int, int, int c) { return unsigned(0x1234 * (c + 1)); }),
              bmp);
    EXPECT_EQ(bmp.GetLineArray32()[0][0], PLPixel32(0x12, 0x24, 0x36, 0x48));

    // Palette of 3 entries.
    DecodeAny(MakePng(4, 1, PNG_COLOR_TYPE_PALETTE, 2, [](int x, int, int) { return unsigned(x % 3); }, false, -1, 3),
              bmp);
    EXPECT_EQ(bmp.GetPalette()[2], PLPixel32(80, 195, 14));
    EXPECT_EQ(bmp.GetLineArray()[0][2], 2);
}

TEST(Png, ErrorsRaiseTheirCodesAndLeakNothing)
{
    PLAnyBmp pic;
    MakePattern(pic, 20, 20, 32, true);
    PLPNGEncoder encoder;
    const Bytes png = Encode(encoder, pic);
    PLAnyPicDecoder decoder;
    PLWinBmp bmp;

    // A damaged header: libpng's error raises code 2 with its text.
    Bytes bad = png;
    bad[16] ^= 0x01;
    ImageError e = CatchImageError([&] { decoder.DecodeMemory(bad.data(), int(bad.size()), &bmp); });
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.text.rfind("Decoder error: ", 0), 0u);

    // Truncated: the data source raises code 11 inside libpng's read
    // callback and the exception unwinds through the library.
    for (size_t cut : {size_t(20), size_t(40), png.size() / 2, png.size() - 5})
    {
        ImageError t = CatchImageError([&] { decoder.DecodeMemory(png.data(), int(cut), &bmp); });
        EXPECT_EQ(t.code, 11) << cut;
    }

    // The decoder is reused after failures.
    decoder.DecodeMemory(png.data(), int(png.size()), &bmp);
    EXPECT_EQ(MaxColourDiff(bmp, pic, true), 0);

    // Encoding into a sink that is too small raises code 11 through libpng.
    std::vector<uint8_t> room(100);
    PLDataSink sink;
    sink.Open("small", room.data(), int(room.size()));
    EXPECT_EQ(CatchImageError([&] { encoder.EncodeToSink(&pic, &sink); }).code, 11);
}
