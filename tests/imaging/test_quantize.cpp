// Colour quantisation: each palette mode, dithering, the histogram, and the
// 32-to-8-bit conversion of bitmaps.
#include <cstdlib>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLFilterQuantize.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
// The 8-bit value of a 5-bit level, as the palettes hold it.
uint8_t Level(int level)
{
    return uint8_t(level * 255 / 31);
}

void Fill(PLBmp& pic, int width, int height, const std::vector<PLPixel32>& colours)
{
    pic.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pic.GetLineArray32()[y][x] = colours[size_t(y * width + x) % colours.size()];
}
// Mean absolute difference of red, green and blue.
double MeanColourDiff(const PLBmp& a, const PLBmp& b)
{
    PLAnyBmp ca, cb;
    ca.CopyAtDepth(a, 32);
    cb.CopyAtDepth(b, 32);
    double sum = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
        {
            const PLPixel32& p = ca.GetLineArray32()[y][x];
            const PLPixel32& q = cb.GetLineArray32()[y][x];
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    return sum / (3.0 * a.GetWidth() * a.GetHeight());
}
} // namespace

TEST(Quantize, FixedPaletteTable)
{
    const PLPixel32* fixed = PLFilterQuantize::GetFixedPalette();
    EXPECT_EQ(fixed[0], PLPixel32(0, 0, 0, 0));
    EXPECT_EQ(fixed[1], PLPixel32(0, 0, 0xBF, 0));
    EXPECT_EQ(fixed[9], PLPixel32(0xF0, 0xCA, 0xA6, 0));
    EXPECT_EQ(fixed[63], PLPixel32(0x51, 0x85, 0x37, 0));
    EXPECT_EQ(fixed[225], PLPixel32(0xC4, 0xC4, 0xC4, 0));
    EXPECT_EQ(fixed[245], PLPixel32(0xCF, 0xCF, 0x9B, 0));
    EXPECT_EQ(fixed[255], PLPixel32(255, 255, 255, 0));

    // Pixels of fixed-palette colours map to themselves.
    std::vector<PLPixel32> colours;
    for (int i : {0, 17, 96, 200, 255})
    {
        PLPixel32 c = fixed[i];
        c.a = 255;
        colours.push_back(c);
    }
    PLAnyBmp pic;
    Fill(pic, 5, 3, colours);
    pic.SetResolution(PLPoint(50, 60));
    PLFilterQuantize filter(PLFilterQuantize::PLDTH_PAL_FIXED, PLFilterQuantize::PLDTH_NONE);
    PLWinBmp out;
    filter.Apply(&pic, &out);
    ASSERT_EQ(out.GetBitsPerPixel(), 8);
    EXPECT_EQ(out.GetResolution(), PLPoint(50, 60));
    EXPECT_FALSE(out.HasAlpha());
    EXPECT_EQ(MaxColourDiff(out, pic, false), 0);

    PLAnyBmp table;
    table.Create(1, 1, 8, false);
    PLFilterQuantize::SetFixedPalette(&table);
    EXPECT_EQ(table.GetPalette()[63], fixed[63]);
}

TEST(Quantize, BoxPalette)
{
    // Three colours on the 5-bit grid: each gets a box of its own.
    const std::vector<PLPixel32> colours = {PLPixel32(Level(4), Level(10), Level(10)),
                                            PLPixel32(Level(20), Level(10), Level(10)),
                                            PLPixel32(Level(20), Level(28), Level(3))};
    PLAnyBmp pic;
    Fill(pic, 6, 4, colours);
    PLFilterQuantize filter(PLFilterQuantize::PLDTH_PAL_BOX, PLFilterQuantize::PLDTH_NONE);
    PLAnyBmp out;
    filter.Apply(&pic, &out);
    EXPECT_EQ(MaxColourDiff(out, pic, false), 0);
    // The corners first.
    EXPECT_EQ(out.GetPalette()[1], PLPixel32(255, 0, 0, 0));
    EXPECT_EQ(out.GetPalette()[5], PLPixel32(0, 255, 255, 0));
    // Boxes past the three colours hold nothing and are black.
    EXPECT_EQ(filter.GetBox(11).count, 0u);
    EXPECT_EQ(out.GetPalette()[11], PLPixel32(0, 0, 0, 0));
    EXPECT_EQ(out.GetPalette()[255], PLPixel32(0, 0, 0, 0));

    // One colour: box 8 is a single cell and every later entry is black.
    PLAnyBmp flat;
    Fill(flat, 4, 4, {PLPixel32(Level(7), Level(8), Level(9))});
    filter.Apply(&flat, &out);
    EXPECT_EQ(filter.GetBox(8).count, 1u);
    EXPECT_EQ(filter.GetBox(9).count, 0u);
    EXPECT_EQ(out.GetPalette()[8], PLPixel32(Level(7), Level(8), Level(9), 0));
    for (int i = 9; i < 256; ++i)
        ASSERT_EQ(out.GetPalette()[i], PLPixel32(0, 0, 0, 0)) << i;
    EXPECT_EQ(MaxColourDiff(out, flat, false), 0);
}

TEST(Quantize, PopularityPalette)
{
    // Counts 6, 4 and 2 of three colours.
    const PLPixel32 a(Level(3), Level(5), Level(7)), b(Level(30), Level(1), Level(2)), c(Level(9), Level(9), Level(9));
    PLAnyBmp pic;
    Fill(pic, 12, 1, {a, a, b, a, b, c, a, b, a, c, b, a});
    PLFilterQuantize filter(PLFilterQuantize::PLDTH_PAL_POPULARITY, PLFilterQuantize::PLDTH_NONE);
    PLAnyBmp out;
    filter.Apply(&pic, &out);
    PLPixel32 pa = a, pb = b, pc = c;
    pa.a = pb.a = pc.a = 0;
    EXPECT_EQ(out.GetPalette()[8], pa);
    EXPECT_EQ(out.GetPalette()[9], pb);
    EXPECT_EQ(out.GetPalette()[10], pc);
    EXPECT_EQ(out.GetPalette()[7], PLPixel32(255, 255, 255, 0));
    // Entries the histogram does not fill are black, not a scaled grey ramp.
    for (int i = 11; i < 256; ++i)
        ASSERT_EQ(out.GetPalette()[i], PLPixel32(0, 0, 0, 0)) << i;
    EXPECT_EQ(MaxColourDiff(out, pic, false), 0);
}

TEST(Quantize, UserAndOtherPalettes)
{
    std::vector<PLPixel32> user(256, PLPixel32(1, 2, 3, 0));
    user[77] = PLPixel32(200, 10, 10, 0);
    PLAnyBmp pic;
    Fill(pic, 3, 3, {PLPixel32(210, 20, 0)});
    PLFilterQuantize filter(PLFilterQuantize::PLDTH_PAL_USER, PLFilterQuantize::PLDTH_NONE);
    PLAnyBmp out;
    // No user palette yet: the fixed one.
    filter.Apply(&pic, &out);
    EXPECT_EQ(out.GetPalette()[100], PLFilterQuantize::GetFixedPalette()[100]);
    filter.SetUserPalette(user.data());
    filter.Apply(&pic, &out);
    EXPECT_EQ(out.GetLineArray()[1][1], 77);
    EXPECT_EQ(out.GetPalette()[77], user[77]);

    // Any other mode maps to the grey ramp the destination is created with.
    PLFilterQuantize grey(7, PLFilterQuantize::PLDTH_NONE);
    PLAnyBmp greyPic;
    Fill(greyPic, 2, 1, {PLPixel32(100, 100, 100), PLPixel32(30, 30, 30)});
    grey.Apply(&greyPic, &out);
    EXPECT_EQ(out.GetLineArray()[0][0], 100);
    EXPECT_EQ(out.GetLineArray()[0][1], 30);
}

TEST(Quantize, OrderedDitherCountsColumnsFromTheRight)
{
    PLAnyBmp pic;
    Fill(pic, 4, 2, {PLPixel32(128, 128, 128)});
    PLFilterQuantize filter(7, PLFilterQuantize::PLDTH_ORDERED);
    PLAnyBmp out;
    filter.Apply(&pic, &out);
    // Line 0, right to left: elements 0 (-7), 4 (5), 8 (-4), 12 (8), doubled.
    EXPECT_EQ(out.GetLineArray()[0][3], 128 - 14);
    EXPECT_EQ(out.GetLineArray()[0][2], 128 + 10);
    EXPECT_EQ(out.GetLineArray()[0][1], 128 - 8);
    EXPECT_EQ(out.GetLineArray()[0][0], 128 + 16);
    // Line 1 uses the next matrix row: element 13 (0) at the left edge.
    EXPECT_EQ(out.GetLineArray()[1][0], 128);
}

TEST(Quantize, ErrorDiffusionKeepsTheAverage)
{
    // Black and white only: a flat 40% grey comes out about 40% white.
    std::vector<PLPixel32> bw(256, PLPixel32(0, 0, 0, 0));
    bw[1] = PLPixel32(255, 255, 255, 0);
    PLAnyBmp pic;
    Fill(pic, 20, 20, {PLPixel32(102, 102, 102)});
    PLAnyBmp out;

    PLFilterQuantize plain(PLFilterQuantize::PLDTH_PAL_USER, PLFilterQuantize::PLDTH_NONE);
    plain.SetUserPalette(bw.data());
    plain.Apply(&pic, &out);
    int white = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            white += out.GetLineArray()[y][x] == 1;
    EXPECT_EQ(white, 0);

    PLFilterQuantize diffused(PLFilterQuantize::PLDTH_PAL_USER, PLFilterQuantize::PLDTH_FS);
    diffused.SetUserPalette(bw.data());
    diffused.Apply(&pic, &out);
    white = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            white += out.GetLineArray()[y][x] == 1;
    EXPECT_GT(white, 140);
    EXPECT_LT(white, 180);
}

TEST(Quantize, HistogramCountsSaturate)
{
    PLFilterQuantize filter(PLFilterQuantize::PLDTH_PAL_BOX, PLFilterQuantize::PLDTH_NONE);
    const PLPixel32 c(10, 20, 30);
    filter.AddColour(c, 70000);
    EXPECT_EQ(filter.GetColourCount(c), 65535u);
    filter.AddColour(PLPixel32(200, 0, 0), 40000);
    filter.AddColour(PLPixel32(201, 1, 1), 40000);  // the same 15-bit cell
    EXPECT_EQ(filter.GetColourCount(PLPixel32(200, 0, 0)), 65535u);

    // A picture of more than 65535 pixels of one colour.
    PLAnyBmp pic;
    Fill(pic, 300, 300, {PLPixel32(Level(12), Level(13), Level(14))});
    PLAnyBmp out;
    filter.Apply(&pic, &out);
    EXPECT_EQ(filter.GetColourCount(PLPixel32(Level(12), Level(13), Level(14))), 65535u);
    EXPECT_EQ(MaxColourDiff(out, pic, false), 0);
}

TEST(Quantize, ConvertsBitmapsToEightBits)
{
    PLWinBmp pic;
    MakeSmooth(pic, 40, 30, 32);
    pic.SetResolution(PLPoint(96, 96));
    for (int mode = 0; mode <= 3; ++mode)
        for (int dither = 0; dither <= 2; ++dither)
        {
            PLWinBmp eight;
            eight.SetReductionMode(dither, mode);
            eight.CopyAtDepth(pic, 8);
            ASSERT_EQ(eight.GetBitsPerPixel(), 8) << mode << " " << dither;
            EXPECT_EQ(eight.GetResolution(), PLPoint(96, 96));
            // A smooth picture stays close to itself with any palette;
            // dithering trades single pixels for the average.
            if (dither == 0)
            {
                EXPECT_LE(MaxColourDiff(eight, pic, false), mode >= 2 ? 60 : 40) << mode;
            }
            EXPECT_LE(MeanColourDiff(eight, pic), mode >= 2 ? 25.0 : 12.0) << mode << " " << dither;
        }

    // The defaults: fixed palette, no dithering.
    PLAnyBmp eight;
    eight.CopyAtDepth(pic, 8);
    PLAnyBmp reference;
    PLFilterQuantize filter(PLFilterQuantize::PLDTH_PAL_FIXED, PLFilterQuantize::PLDTH_NONE);
    filter.Apply(&pic, &reference);
    EXPECT_TRUE(eight == reference);

    // 24 bpp goes through 32.
    PLAnyBmp rgb24;
    rgb24.CopyAtDepth(pic, 24);
    eight.CopyAtDepth(rgb24, 8);
    EXPECT_TRUE(eight == reference);
}

// --- faults mended ---------------------------------------------------------

TEST(QuantizeFaults, SourcesOtherThan32BitAreRefused)
{
    PLFilterQuantize filter(PLFilterQuantize::PLDTH_PAL_BOX, PLFilterQuantize::PLDTH_NONE);
    for (int bpp : {1, 8, 24})
    {
        PLAnyBmp pic;
        MakePattern(pic, 4, 4, bpp, false);
        PLAnyBmp out;
        ImageError e = CatchImageError([&] { filter.Apply(&pic, &out); });
        EXPECT_EQ(e.code, 6) << bpp;
    }
}

TEST(QuantizeFaults, EveryApplyStartsAFreshLookup)
{
    // The same colour under two user palettes: the second apply must not
    // reuse the first one's lookups.
    std::vector<PLPixel32> first(256, PLPixel32(0, 0, 0, 0)), second(256, PLPixel32(0, 0, 0, 0));
    first[5] = PLPixel32(250, 0, 0, 0);
    second[9] = PLPixel32(250, 0, 0, 0);
    PLAnyBmp pic;
    Fill(pic, 2, 2, {PLPixel32(250, 0, 0)});
    PLFilterQuantize filter(PLFilterQuantize::PLDTH_PAL_USER, PLFilterQuantize::PLDTH_NONE);
    PLAnyBmp out;
    filter.SetUserPalette(first.data());
    filter.Apply(&pic, &out);
    EXPECT_EQ(out.GetLineArray()[0][0], 5);
    filter.SetUserPalette(second.data());
    filter.Apply(&pic, &out);
    EXPECT_EQ(out.GetLineArray()[0][0], 9);

    // And histograms do not add up across pictures.
    PLFilterQuantize box(PLFilterQuantize::PLDTH_PAL_BOX, PLFilterQuantize::PLDTH_NONE);
    box.Apply(&pic, &out);
    box.Apply(&pic, &out);
    EXPECT_EQ(box.GetColourCount(PLPixel32(250, 0, 0)), 4u);
}
