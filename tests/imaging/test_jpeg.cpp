// JPEG: round trips within tolerance, colour spaces, density, error paths.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLJPEGDecoder.h"
#include "imaging/PLJPEGEncoder.h"
#include "imaging/PLMemSource.h"
#include "imaging/PLProgressListener.h"

using namespace testimg;

namespace
{
class TestJpegDecoder : public PLJPEGDecoder
{
public:
    using PLJPEGDecoder::DecodeBody;
};
} // namespace

TEST(Jpeg, RoundTripsWithinTolerance)
{
    PLJPEGEncoder encoder;
    encoder.SetQuality(95);
    for (int bpp : {1, 8, 24, 32})
        for (int width : {1, 7, 33})
        {
            PLAnyBmp pic;
            MakeSmooth(pic, width, 19, bpp);
            pic.SetResolution(PLPoint(96, 96));
            Bytes jpeg = Encode(encoder, pic);
            PLAnyBmp back;
            ASSERT_EQ(DecodeAny(jpeg, back), 5);
            SCOPED_TRACE(testing::Message() << "bpp " << bpp << " width " << width);
            EXPECT_EQ(back.GetBitsPerPixel(), 32);
            EXPECT_FALSE(back.HasAlpha());
            ASSERT_EQ(back.GetWidth(), width);
            ASSERT_EQ(back.GetHeight(), 19);
            EXPECT_LE(MaxColourDiff(back, pic, false), bpp == 1 ? 60 : 24);
            EXPECT_EQ(back.GetResolution(), PLPoint(96, 96));
        }
}

TEST(Jpeg, PaletteBitmapsAreConvertedAndTheBufferSizedForThem)
{
    // Noise at 1 bpp compresses far worse as JPEG than its 1-bit storage.
    PLAnyBmp noise;
    MakePattern(noise, 256, 256, 1, false);
    PLJPEGEncoder encoder;
    EXPECT_GT(encoder.GetOutputCapacity(noise), 256 * 256 * 4);
    Bytes jpeg = Encode(encoder, noise);
    EXPECT_GT(jpeg.size(), size_t(256 * 256 / 8 + 4096));
    const std::string path = TempPath("noise.jpg");
    encoder.EncodeToFile(path.c_str(), &noise);
    EXPECT_EQ(ReadFile(path).size(), jpeg.size());
}

TEST(Jpeg, GreyAndCmyk)
{
    PLAnyBmp bmp;
    JpegLayout grey;
    grey.components = 1;
    grey.sample = [](int x, int, int) { return unsigned(x * 16); };
    DecodeAny(MakeJpeg(grey), bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_NEAR(bmp.GetLineArray()[3][5], 80, 3);
    EXPECT_EQ(bmp.GetPalette()[200], PLPixel32(200, 200, 200));

    // Plain CMYK: magenta + yellow ink is red.
    JpegLayout cmyk;
    cmyk.components = 4;
    cmyk.adobeMarker = false;
    cmyk.sample = [](int, int, int c) { return unsigned(c == 1 || c == 2 ? 255 : 0); };
    DecodeAny(MakeJpeg(cmyk), bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    PLPixel32 p = bmp.GetLineArray32()[8][8];
    EXPECT_NEAR(p.r, 255, 3);
    EXPECT_NEAR(p.g, 0, 3);
    EXPECT_NEAR(p.b, 0, 3);

    // Adobe CMYK is stored inverted: 255 is no ink. Cyan + black ink half.
    JpegLayout adobe;
    adobe.components = 4;
    adobe.adobeMarker = true;
    adobe.sample = [](int, int, int c) { return unsigned(c == 0 ? 0 : (c == 3 ? 128 : 255)); };
    DecodeAny(MakeJpeg(adobe), bmp);
    p = bmp.GetLineArray32()[4][4];
    EXPECT_NEAR(p.r, 0, 3);
    EXPECT_NEAR(p.g, 128, 3);
    EXPECT_NEAR(p.b, 128, 3);
}

TEST(Jpeg, CmykAndYcckAreConvertedWithTheirBlack)
{
    // Ink values as Adobe stores them (255 = no ink): no colour ink and 75%
    // black is a dark grey of 64. Taking the first three components alone
    // would give white; cyan and half black would give (0, 128, 128)
    // instead of (0, 255, 255).
    struct Case
    {
        unsigned c, m, y, k;
        PLPixel32 rgb;
    };
    const Case cases[] = {{255, 255, 255, 64, PLPixel32(64, 64, 64)},
                          {0, 255, 255, 128, PLPixel32(0, 128, 128)},
                          {255, 0, 255, 255, PLPixel32(255, 0, 255)},
                          {40, 200, 120, 90, PLPixel32(14, 70, 42)}};
    for (bool ycck : {false, true})
        for (const Case& t : cases)
        {
            JpegLayout layout;
            layout.components = 4;
            layout.ycck = ycck;
            layout.quality = 100;
            layout.sample = [&t](int, int, int c) { return c == 0 ? t.c : (c == 1 ? t.m : (c == 2 ? t.y : t.k)); };
            const Bytes jpeg = MakeJpeg(layout);
            // The Adobe marker's transform byte: 2 for YCCK, 0 for plain CMYK.
            const std::string text(jpeg.begin(), jpeg.end());
            const size_t adobe = text.find("Adobe");
            ASSERT_NE(adobe, std::string::npos);
            EXPECT_EQ(jpeg[adobe + 11], ycck ? 2 : 0);
            PLAnyBmp bmp;
            ASSERT_EQ(DecodeAny(jpeg, bmp), 5);
            ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
            const PLPixel32 p = bmp.GetLineArray32()[7][9];
            EXPECT_NEAR(p.r, t.rgb.r, 4) << ycck << " " << t.c << "," << t.m << "," << t.y << "," << t.k;
            EXPECT_NEAR(p.g, t.rgb.g, 4) << ycck << " " << t.c << "," << t.m << "," << t.y << "," << t.k;
            EXPECT_NEAR(p.b, t.rgb.b, 4) << ycck << " " << t.c << "," << t.m << "," << t.y << "," << t.k;
        }
}

TEST(Jpeg, Density)
{
    PLAnyBmp bmp;
    JpegLayout layout;
    layout.sample = [](int, int, int) { return 100u; };
    layout.densityUnit = 1;
    layout.xDensity = 300;
    layout.yDensity = 150;
    DecodeAny(MakeJpeg(layout), bmp);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(300, 150));
    layout.densityUnit = 2;  // dots per centimetre
    layout.xDensity = 118;
    layout.yDensity = 28;
    DecodeAny(MakeJpeg(layout), bmp);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(300, 71));
    layout.densityUnit = 0;
    layout.xDensity = 1;
    layout.yDensity = 0;
    DecodeAny(MakeJpeg(layout), bmp);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(72, 72));
}

TEST(Jpeg, TruncatedDataDecodesWhatItHas)
{
    PLAnyBmp pic;
    MakeSmooth(pic, 64, 64, 32);
    PLJPEGEncoder encoder;
    Bytes jpeg = Encode(encoder, pic);
    // Cut halfway through the entropy-coded data after the scan header.
    size_t sos = 0;
    for (size_t i = 2; i + 1 < jpeg.size() && !sos; ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
            sos = i;
    ASSERT_NE(sos, 0u);
    jpeg.resize(sos + (jpeg.size() - sos) / 2);
    PLAnyBmp bmp;
    EXPECT_EQ(CatchImageError([&] { DecodeAny(jpeg, bmp); }).code, 0);
    EXPECT_EQ(bmp.GetWidth(), 64);
    EXPECT_EQ(MaxColourDiff(bmp, pic, false) >= 0, true);
    PLPixel32 top = bmp.GetLineArray32()[0][0];
    PLPixel32 want = pic.GetLineArray32()[0][0];
    EXPECT_NEAR(top.r, want.r, 12);
}

TEST(Jpeg, ProgressReachesTheListener)
{
    JpegLayout layout;
    layout.width = 64;
    layout.height = 64;
    layout.progressive = true;
    layout.sample = [](int x, int y, int c) { return unsigned((x * 3 + y * 5 + c * 40) & 0xFF); };
    Bytes jpeg = MakeJpeg(layout);
    // A listener on the source: the library's progress monitor reaches it.
    ProgressRecorder rec;
    ListeningSource src(&rec, jpeg);
    TestJpegDecoder decoder;
    PLAnyBmp bmp;
    decoder.DecodeBody(&src, &bmp);
    ASSERT_FALSE(rec.parts.empty());
    for (double part : rec.parts)
    {
        EXPECT_GE(part, 0.0);
        EXPECT_LE(part, 1.0);
    }
}

TEST(Jpeg, ErrorsRaiseCode6AndTheDecoderStaysUsable)
{
    PLAnyBmp pic;
    MakeSmooth(pic, 16, 16, 32);
    PLJPEGEncoder encoder;
    const Bytes jpeg = Encode(encoder, pic);

    // The library's error routine throws; the exception passes through
    // libjpeg and the decompression is aborted.
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    Bytes bad = jpeg;
    for (size_t i = 4; i < 40; ++i)
        bad[i] = 0x00;
    ImageError e = CatchImageError([&] { decoder.DecodeMemory(bad.data(), int(bad.size()), &bmp); });
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text.rfind("Decoder error: ", 0), 0u);

    Bytes headerOnly(jpeg.begin(), jpeg.begin() + 4);
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeMemory(headerOnly.data(), 4, &bmp); }).code, 6);

    decoder.DecodeMemory(jpeg.data(), int(jpeg.size()), &bmp);
    EXPECT_LE(MaxColourDiff(bmp, pic, false), 16);

    // Output that outgrows the sink: code 11 through libjpeg's destination
    // callback; the encoder is reusable.
    PLAnyBmp big;
    MakePattern(big, 200, 200, 32, false);
    std::vector<uint8_t> room(9000);
    PLDataSink sink;
    sink.Open("small", room.data(), int(room.size()));
    EXPECT_EQ(CatchImageError([&] { encoder.EncodeToSink(&big, &sink); }).code, 11);
    Bytes again = Encode(encoder, pic);
    EXPECT_EQ(again, jpeg);
}
