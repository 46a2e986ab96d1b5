// Bitmaps: storage layout, size checks, depth conversions, packed DIBs.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
// Restores the bitmap size limit when a test changed it.
struct LimitGuard
{
    int64_t saved = PLBmp::GetMaxBytes();
    ~LimitGuard() { PLBmp::SetMaxBytes(saved); }
};

void CheckGreyRamp(const PLBmp& bmp)
{
    ASSERT_EQ(bmp.GetNumColors(), 256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(bmp.GetPalette()[i], PLPixel32(uint8_t(i), uint8_t(i), uint8_t(i), 255)) << i;
}

std::vector<uint8_t> InfoHeader(int width, int height, int bpp, uint32_t compression, uint32_t colours,
                                uint32_t headerSize = 40)
{
    std::vector<uint8_t> h(headerSize < 40 ? 40 : headerSize, 0);
    PutLE32(&h[0], headerSize);
    PutLE32(&h[4], uint32_t(width));
    PutLE32(&h[8], uint32_t(height));
    h[12] = 1;
    h[14] = uint8_t(bpp);
    PutLE32(&h[16], compression);
    PutLE32(&h[32], colours);
    h.resize(headerSize);
    return h;
}
} // namespace

TEST(Bitmap, NewBitmapsAre16By16GreyAt8Bpp)
{
    PLWinBmp win;
    PLAnyBmp any;
    for (PLBmp* bmp : {static_cast<PLBmp*>(&win), static_cast<PLBmp*>(&any)})
    {
        EXPECT_EQ(bmp->GetWidth(), 16);
        EXPECT_EQ(bmp->GetHeight(), 16);
        EXPECT_EQ(bmp->GetBitsPerPixel(), 8);
        EXPECT_FALSE(bmp->HasAlpha());
        CheckGreyRamp(*bmp);
    }
}

TEST(Bitmap, LinePitchesAndDibLayout)
{
    PLWinBmp win;
    win.Create(9, 3, 1, false);
    EXPECT_EQ(win.LineBytes(), 4);
    win.Create(5, 3, 8, false);
    EXPECT_EQ(win.LineBytes(), 8);
    win.Create(1, 3, 24, false);
    EXPECT_EQ(win.LineBytes(), 4);
    PLAnyBmp any;
    any.Create(9, 3, 1, false);
    EXPECT_EQ(any.LineBytes(), 2);

    // Bottom-up DIB: line 0 (the top) is the last line in memory.
    win.Create(7, 5, 8, false, PLPoint(72, 96));
    const PLBitmapInfoHeader& h = win.GetBitmapInfo()->bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 7);
    EXPECT_EQ(h.biHeight, 5);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biXPelsPerMeter, 0);
    EXPECT_EQ(win.GetBits(), reinterpret_cast<uint8_t*>(win.GetBitmapInfo()) + 40 + 1024);
    EXPECT_EQ(win.GetLineArray()[0], win.GetBits() + 4 * 8);
    EXPECT_EQ(win.GetLineArray()[4], win.GetBits());
    EXPECT_EQ(win.GetDibBlockBytes(), 40 + 1024 + 8 * 5);
    EXPECT_EQ(win.GetResolution(), PLPoint(72, 96));

    win.Create(3, 2, 32, true);
    EXPECT_EQ(win.GetPalette(), nullptr);
    EXPECT_EQ(win.GetBits(), reinterpret_cast<uint8_t*>(win.GetBitmapInfo()) + 40);
    // 32 bpp: no palette, 12 bytes a line.
    EXPECT_EQ(win.GetDibBlockBytes(), 40 + 12 * 2);

    // The size of a block before it is made: lines padded to 4 bytes, a
    // palette up to 8 bpp.
    EXPECT_EQ(PLWinBmp::GetDibBlockBytes(3, 2, 32), 40 + 12 * 2);
    EXPECT_EQ(PLWinBmp::GetDibBlockBytes(5, 2, 24), 40 + 16 * 2);
    EXPECT_EQ(PLWinBmp::GetDibBlockBytes(9, 3, 1), 40 + 2 * 4 + 4 * 3);
    EXPECT_EQ(PLWinBmp::GetDibBlockBytes(7, 5, 8), 40 + 256 * 4 + 8 * 5);
}

TEST(Bitmap, HostileSizesAreRefusedAndKeepTheOldPicture)
{
    LimitGuard guard;
    PLWinBmp win;
    win.Create(10, 10, 32, false);
    win.GetLineArray32()[3][4] = PLPixel32(1, 2, 3, 4);

    EXPECT_EQ(CatchImageError([&] { win.Create(0, 10, 8, false); }).code, 2);
    EXPECT_EQ(CatchImageError([&] { win.Create(10, 0, 8, false); }).code, 2);
    EXPECT_EQ(CatchImageError([&] { win.Create(-1, 10, 8, false); }).code, 10);
    EXPECT_EQ(CatchImageError([&] { win.Create(10, -5, 8, false); }).code, 10);
    // 2^31 x 2^31 x 4 overflows 32 and even 64 bits if multiplied naively.
    ImageError huge = CatchImageError([&] { win.Create(INT32_MAX, INT32_MAX, 32, false); });
    EXPECT_EQ(huge.code, 10);
    EXPECT_EQ(huge.text, "Out of memory creating bitmap.");
    EXPECT_EQ(CatchImageError([&] { win.Create(65536, 65536, 32, false); }).code, 10);

    PLBmp::SetMaxBytes(100000);
    EXPECT_EQ(CatchImageError([&] { win.Create(200, 200, 32, false); }).code, 10);
    EXPECT_EQ(CatchImageError([&] { win.Create(100, 100, 8, false); }).code, 0);
    PLAnyBmp any;
    EXPECT_EQ(CatchImageError([&] { any.Create(200, 200, 32, false); }).code, 10);
    EXPECT_EQ(CatchImageError([] { PLBmp::CheckDimensions(200, 200, 32); }).code, 10);

    // The failed requests left a valid bitmap behind.
    EXPECT_EQ(win.GetWidth(), 100);
    EXPECT_EQ(win.GetBitsPerPixel(), 8);
    EXPECT_EQ(any.GetWidth(), 16);
}

TEST(Bitmap, NewStorageIsZeroFilled)
{
    for (int round = 0; round < 2; ++round)
    {
        PLWinBmp win;
        PLAnyBmp any;
        for (PLBmp* bmp : {static_cast<PLBmp*>(&win), static_cast<PLBmp*>(&any)})
        {
            bmp->Create(64, 64, 32, false);
            for (int y = 0; y < 64; ++y)
                std::memset(bmp->GetLineArray()[y], 0xA5, size_t(bmp->LineBytes()));
            bmp->Create(64, 64, 32, false);
            for (int y = 0; y < 64; ++y)
                for (int i = 0; i < bmp->LineBytes(); ++i)
                    ASSERT_EQ(bmp->GetLineArray()[y][i], 0);
        }
    }
}

TEST(Bitmap, CopyAtDepthConversions)
{
    PLAnyBmp pal;
    MakePattern(pal, 13, 7, 8, false);
    pal.GetPalette()[pal.GetLineArray()[2][3]].a = 77;

    PLWinBmp rgba;
    rgba.CopyAtDepth(pal, 32);
    ASSERT_EQ(rgba.GetBitsPerPixel(), 32);
    EXPECT_FALSE(rgba.HasAlpha());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(rgba.GetLineArray32()[y][x], pal.GetPalette()[pal.GetLineArray()[y][x]]);
    EXPECT_EQ(rgba.GetLineArray32()[2][3].a, 77);

    PLAnyBmp alpha;
    MakePattern(alpha, 5, 4, 32, true);
    alpha.SetResolution(PLPoint(300, 150));
    PLWinBmp copy;
    copy.CopyAtDepth(alpha, 32);
    EXPECT_TRUE(copy.HasAlpha());
    EXPECT_TRUE(copy == alpha);
    PLWinBmp rgb;
    rgb.CopyAtDepth(alpha, 24);
    EXPECT_FALSE(rgb.HasAlpha());
    EXPECT_EQ(rgb.GetResolution(), PLPoint(300, 150));
    EXPECT_EQ(MaxColourDiff(rgb, alpha, false), 0);

    // 1 bpp to 8: indices 0 and 1 with the two palette entries.
    PLAnyBmp mono;
    MakePattern(mono, 11, 3, 1, false);
    mono.SetPaletteEntry(0, 10, 20, 30, 0);
    PLAnyBmp eight;
    eight.CopyAtDepth(mono, 8);
    EXPECT_EQ(eight.GetPalette()[0], PLPixel32(10, 20, 30, 255));
    EXPECT_EQ(eight.GetPalette()[1], PLPixel32(0, 0, 0, 255));
    for (int x = 0; x < 11; ++x)
        EXPECT_EQ(eight.GetLineArray()[1][x], (mono.GetLineArray()[1][x >> 3] >> (7 - (x & 7))) & 1);

    // To 1 bpp: dark pixels become index 1 (black).
    PLAnyBmp two;
    two.Create(9, 1, 32, false);
    two.GetLineArray32()[0][0] = PLPixel32(127, 127, 127);
    two.GetLineArray32()[0][8] = PLPixel32(128, 0, 0);
    for (int x = 1; x < 8; ++x)
        two.GetLineArray32()[0][x] = PLPixel32(255, 255, 255);
    PLWinBmp bits;
    bits.CopyAtDepth(two, 1);
    EXPECT_EQ(bits.GetLineArray()[0][0], 0x80);
    EXPECT_EQ(bits.GetLineArray()[0][1], 0x00);
    EXPECT_EQ(bits.GetPalette()[0], PLPixel32(255, 255, 255));
}

TEST(Bitmap, UnsupportedDepthIsRefusedWithoutLosingTheBitmap)
{
    PLAnyBmp src;
    MakePattern(src, 4, 4, 32, false);
    PLWinBmp dst;
    MakePattern(dst, 3, 3, 8, false);
    EXPECT_EQ(CatchImageError([&] { dst.CopyAtDepth(src, 16); }).code, 6);
    EXPECT_EQ(dst.GetWidth(), 3);
    // True colour to 8 bpp goes through the quantiser.
    EXPECT_EQ(CatchImageError([&] { dst.CopyAtDepth(src, 8); }).code, 0);
    EXPECT_EQ(dst.GetWidth(), 4);
    EXPECT_EQ(dst.GetBitsPerPixel(), 8);
}

TEST(Bitmap, CopyOntoItself)
{
    PLWinBmp win;
    MakePattern(win, 9, 5, 8, false);
    PLAnyBmp before;
    before.CopyAtDepth(win, 0);
    win.CopyAtDepth(win, 0);
    EXPECT_TRUE(win == before);
    // A depth change onto itself reads the old lines after replacing them
    // unless it goes through a copy (the sanitizers see it otherwise).
    win.CopyAtDepth(win, 32);
    EXPECT_EQ(win.GetBitsPerPixel(), 32);
    EXPECT_EQ(MaxColourDiff(win, before, false), 0);
}

TEST(Bitmap, ComparisonAndNearestColour)
{
    PLAnyBmp a, b;
    MakePattern(a, 10, 3, 1, false);
    b.CopyAtDepth(a, 0);
    EXPECT_TRUE(a == b);
    b.GetLineArray()[2][0] ^= 0x40;
    EXPECT_FALSE(a == b);  // 1-bpp pixels are compared, not only the header

    MakePattern(a, 4, 4, 32, false);
    b.CopyAtDepth(a, 0);
    b.GetLineArray32()[1][1].r = uint8_t(b.GetLineArray32()[1][1].r ^ 2);
    b.GetLineArray32()[2][2].a = 3;  // alpha without meaning is ignored
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a.NearlyEqual(b, 2));

    PLAnyBmp pal;
    pal.Create(2, 2, 8, false);
    pal.SetPaletteEntry(5, 200, 10, 10);
    pal.SetPaletteEntry(6, 200, 10, 10);
    EXPECT_EQ(pal.FindNearestColour(PLPixel32(199, 12, 10)), 5);
}

TEST(Bitmap, AlphaFlagOnlyWhenAlphaMeansSomething)
{
    PLAnyBmp bmp;
    bmp.Create(3, 3, 32, true);
    bmp.DropEmptyAlpha();
    EXPECT_FALSE(bmp.HasAlpha());

    bmp.Create(3, 3, 32, true);
    bmp.GetLineArray32()[2][2].a = 1;
    bmp.DropEmptyAlpha();
    EXPECT_TRUE(bmp.HasAlpha());

    PLAnyBmp mask;
    mask.Create(3, 3, 8, false);
    mask.GetLineArray()[1][1] = 200;
    bmp.Create(3, 3, 32, false);
    bmp.PutAlphaChannel(mask);
    EXPECT_TRUE(bmp.HasAlpha());
    EXPECT_EQ(bmp.GetLineArray32()[1][1].a, 200);
    mask.Create(4, 3, 8, false);
    EXPECT_EQ(CatchImageError([&] { bmp.PutAlphaChannel(mask); }).code, 2);
}

TEST(PackedDib, HonoursColourCountAndRebuildsLines)
{
    // 8 bpp, 2 colour-table entries, width 3 (pitch 4), height 2.
    std::vector<uint8_t> dib = InfoHeader(3, 2, 8, 0, 2);
    const uint8_t table[] = {1, 2, 3, 0, 4, 5, 6, 0};
    dib.insert(dib.end(), table, table + 8);
    const uint8_t bits[] = {1, 0, 1, 0xEE, 0, 1, 1, 0xEE};  // bottom line first
    dib.insert(dib.end(), bits, bits + 8);

    PLWinBmp win;
    win.Create(50, 50, 32, false);
    win.CreateFromPackedDib(dib.data(), dib.size());
    ASSERT_EQ(win.GetWidth(), 3);
    ASSERT_EQ(win.GetHeight(), 2);
    ASSERT_EQ(win.GetBitsPerPixel(), 8);
    EXPECT_EQ(win.GetPalette()[0], PLPixel32(3, 2, 1, 0));
    EXPECT_EQ(win.GetPalette()[1], PLPixel32(6, 5, 4, 0));
    // The line array belongs to the new block: top line = last stored line.
    EXPECT_EQ(win.GetLineArray()[0], win.GetBits() + 4);
    EXPECT_EQ(win.GetLineArray()[0][0], 0);
    EXPECT_EQ(win.GetLineArray()[0][1], 1);
    EXPECT_EQ(win.GetLineArray()[1][0], 1);
    EXPECT_EQ(win.GetLineArray()[1][1], 0);
}

TEST(PackedDib, CoreHeaderBitfieldsAndTopDown)
{
    // OS/2 core header, 1 bpp, 3-byte colour entries.
    std::vector<uint8_t> core = {12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 255, 255, 255, 0x40, 0, 0, 0};
    PLWinBmp win;
    win.CreateFromPackedDib(core.data(), core.size());
    EXPECT_EQ(win.GetBitsPerPixel(), 1);
    EXPECT_EQ(win.GetPalette()[1], PLPixel32(255, 255, 255, 0));
    EXPECT_EQ(win.GetLineArray()[0][0], 0x40);

    // 16-bit 5-6-5 bit fields become 32 bpp.
    std::vector<uint8_t> dib = InfoHeader(2, 1, 16, 3, 0);
    uint8_t masks[12];
    PutLE32(masks, 0xF800);
    PutLE32(masks + 4, 0x07E0);
    PutLE32(masks + 8, 0x001F);
    dib.insert(dib.end(), masks, masks + 12);
    const uint8_t px[] = {0x00, 0xF8, 0x1F, 0x00};  // pure red, pure blue
    dib.insert(dib.end(), px, px + 4);
    win.CreateFromPackedDib(dib.data(), dib.size());
    ASSERT_EQ(win.GetBitsPerPixel(), 32);
    EXPECT_EQ(win.GetLineArray32()[0][0], PLPixel32(255, 0, 0, 255));
    EXPECT_EQ(win.GetLineArray32()[0][1], PLPixel32(0, 0, 255, 255));

    // Negative height: stored top line first.
    std::vector<uint8_t> top = InfoHeader(1, -2, 32, 0, 0);
    const uint8_t rows[] = {1, 1, 1, 1, 2, 2, 2, 2};
    top.insert(top.end(), rows, rows + 8);
    win.CreateFromPackedDib(top.data(), top.size());
    EXPECT_EQ(win.GetHeight(), 2);
    EXPECT_EQ(win.GetLineArray32()[0][0].b, 1);
    EXPECT_EQ(win.GetLineArray32()[1][0].b, 2);
}

TEST(PackedDib, NeverReadsPastTheBlock)
{
    // Claims 8 x 100 at 32 bpp but holds only one and a half lines; and a
    // colour count far beyond the block.
    std::vector<uint8_t> dib = InfoHeader(8, 100, 32, 0, 0);
    dib.resize(dib.size() + 48, 0x33);
    PLWinBmp win;
    win.CreateFromPackedDib(dib.data(), dib.size());
    EXPECT_EQ(win.GetLineArray32()[99][0].r, 0x33);  // the bottom line was stored first
    EXPECT_EQ(win.GetLineArray32()[98][3].r, 0x33);
    EXPECT_EQ(win.GetLineArray32()[98][4].r, 0);
    EXPECT_EQ(win.GetLineArray32()[0][0].r, 0);

    std::vector<uint8_t> many = InfoHeader(4, 4, 8, 0, 0x40000000);
    many.resize(many.size() + 20, 9);
    win.CreateFromPackedDib(many.data(), many.size());
    EXPECT_EQ(win.GetPalette()[4], PLPixel32(9, 9, 9, 9));

    EXPECT_EQ(CatchImageError([&] { win.CreateFromPackedDib(dib.data(), 30); }).code, 2);
    std::vector<uint8_t> odd = InfoHeader(4, 4, 8, 0, 0, 20);
    EXPECT_EQ(CatchImageError([&] { win.CreateFromPackedDib(odd.data(), odd.size()); }).code, 2);
    std::vector<uint8_t> rle = InfoHeader(4, 4, 8, 1, 0);
    rle.resize(2000);
    EXPECT_EQ(CatchImageError([&] { win.CreateFromPackedDib(rle.data(), rle.size()); }).code, 6);
    std::vector<uint8_t> bad = InfoHeader(4, 4, 7, 0, 0);
    bad.resize(2000);
    EXPECT_EQ(CatchImageError([&] { win.CreateFromPackedDib(bad.data(), bad.size()); }).code, 2);
}

TEST(Bitmap, DrawBlendedClipsAndBlends)
{
    PLWinBmp dst;
    dst.Create(4, 3, 32, false);
    PLWinBmp src;
    src.Create(2, 2, 32, false);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            src.GetLineArray32()[y][x] = PLPixel32(200, 100, 50, 255);
    // Memory line order: y = 0 is the bottom line of the destination.
    dst.DrawBlended(src, 3, -1);
    EXPECT_EQ(dst.GetLineArray32()[2][3], PLPixel32(200, 100, 50, 255));
    EXPECT_EQ(dst.GetLineArray32()[1][3], PLPixel32(0, 0, 0, 0));
    EXPECT_EQ(dst.GetLineArray32()[2][2], PLPixel32(0, 0, 0, 0));

    src.SetHasAlpha(true);
    src.GetLineArray32()[1][0].a = 128;
    PLWinBmp white;
    white.Create(2, 2, 32, false);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            white.GetLineArray32()[y][x] = PLPixel32(255, 255, 255, 255);
    white.DrawBlended(src, 0, 0);
    EXPECT_EQ(white.GetLineArray32()[1][0].r, (200 * 128 + 255 * 127) >> 8);
    EXPECT_EQ(white.GetLineArray32()[0][0].r, (200 * 255) >> 8);
}
