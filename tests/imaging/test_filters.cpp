// Resize and rotate filters.
#include <cmath>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/C2PassScale.h"
#include "imaging/CDataRGBA_UBYTE.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLBilinearContribDef.h"
#include "imaging/PLFilterResizeBilinear.h"
#include "imaging/PLFilterRotate90.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
typedef C2PassScale<CDataRGBA_UBYTE> Scaler;
const double kPi = 3.14159265358979323846;

void Fill(PLBmp& bmp, int w, int h, const PLPixel32& c)
{
    bmp.Create(w, h, 32, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bmp.GetLineArray32()[y][x] = c;
}
} // namespace

TEST(Resize, ContributionTables)
{
    PLBilinearContribDef def(0.64);
    Scaler scaler(def);

    // Shrinking 4 to 2: width 1.28, window 5, weights adding up to 256.
    Scaler::Table shrink = scaler.ReserveContributions(2, 4);
    EXPECT_EQ(shrink.windowSize, 5);
    for (const auto& c : shrink.positions)
    {
        int sum = 0;
        for (int w : c.weights)
            sum += w;
        EXPECT_EQ(sum, 256);
    }

    // Enlarging by 2: window 3; position 0 has centre -0.25, uses 0 and 1.
    Scaler::Table grow = scaler.ReserveContributions(8, 4);
    EXPECT_EQ(grow.windowSize, 3);
    EXPECT_EQ(grow.positions[0].left, 0);
    EXPECT_EQ(grow.positions[0].right, 1);

    // Equal lengths: the identity.
    Scaler::Table same = scaler.ReserveContributions(5, 5);
    for (int i = 0; i < 5; ++i)
    {
        const auto& c = same.positions[size_t(i)];
        for (int j = c.left; j <= c.right; ++j)
            EXPECT_EQ(c.weights[size_t(j - c.left)], j == i ? 256 : 0);
    }
}

TEST(Resize, SameSizeIsExactAndLinesShrinkSmoothly)
{
    PLAnyBmp pic;
    MakePattern(pic, 13, 7, 32, true);
    PLWinBmp out;
    PLFilterResizeBilinear same(13, 7);
    same.Apply(&pic, &out);
    EXPECT_TRUE(out == pic);

    PLAnyBmp line;
    line.Create(4, 1, 32, false);
    for (int x = 0; x < 4; ++x)
        line.GetLineArray32()[0][x] = x < 2 ? PLPixel32(0, 0, 0) : PLPixel32(255, 255, 255);
    PLFilterResizeBilinear half(2, 1);
    half.Apply(&line, &out);
    ASSERT_EQ(out.GetWidth(), 2);
    EXPECT_LT(out.GetLineArray32()[0][0].r, 128);
    EXPECT_GT(out.GetLineArray32()[0][1].r, 128);
}

TEST(Resize, ToOnePixelToZeroAndLarger)
{
    PLAnyBmp pic;
    Fill(pic, 9, 5, PLPixel32(10, 200, 30));
    pic.SetResolution(PLPoint(72, 72));
    PLAnyBmp out;
    PLFilterResizeBilinear one(1, 1);
    one.Apply(&pic, &out);
    ASSERT_EQ(out.GetSize(), PLPoint(1, 1));
    EXPECT_EQ(out.GetLineArray32()[0][0], PLPixel32(10, 200, 30));
    EXPECT_EQ(out.GetResolution(), PLPoint(72, 72));

    // A thin image fitted into a window can ask for 0 lines.
    PLFilterResizeBilinear zero(0, -3);
    zero.Apply(&pic, &out);
    EXPECT_EQ(out.GetSize(), PLPoint(1, 1));

    PLFilterResizeBilinear large(31, 17);
    large.Apply(&pic, &out);
    ASSERT_EQ(out.GetSize(), PLPoint(31, 17));
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 31; ++x)
            ASSERT_EQ(out.GetLineArray32()[y][x], PLPixel32(10, 200, 30)) << x << "," << y;

    // Shrinking far (beyond where the fixed-point weights vanish) is not black.
    PLAnyBmp wide;
    Fill(wide, 2000, 2, PLPixel32(200, 200, 200));
    PLFilterResizeBilinear tiny(3, 1);
    tiny.Apply(&wide, &out);
    EXPECT_EQ(out.GetLineArray32()[0][1].r, 200);

    // In place, and a depth the filter does not take.
    PLWinBmp win;
    Fill(win, 4, 4, PLPixel32(1, 2, 3));
    PLFilterResizeBilinear twice(8, 8);
    twice.FilterInPlace(&win);
    EXPECT_EQ(win.GetSize(), PLPoint(8, 8));
    twice.SetNewSize(2, 2);
    twice.Apply(&win, &win);
    EXPECT_EQ(win.GetSize(), PLPoint(2, 2));
    win.Create(4, 4, 8, false);
    EXPECT_EQ(CatchImageError([&] { twice.Apply(&win, &out); }).code, 6);
}

TEST(Rotate, QuarterTurns)
{
    PLAnyBmp pic;
    MakePattern(pic, 3, 2, 32, true);
    pic.SetResolution(PLPoint(100, 50));
    PLAnyBmp out;
    PLFilterRotate90 clockwise(1.57079632679, PLPixel32(255, 255, 255));
    clockwise.Apply(&pic, &out);
    ASSERT_EQ(out.GetSize(), PLPoint(2, 3));
    EXPECT_EQ(out.GetLineArray32()[0][1], pic.GetLineArray32()[0][0]);
    EXPECT_EQ(out.GetLineArray32()[2][0], pic.GetLineArray32()[1][2]);
    EXPECT_EQ(out.GetResolution(), PLPoint(100, 50));
    EXPECT_TRUE(out.HasAlpha());

    PLFilterRotate90 anti(-kPi / 2, PLPixel32());
    anti.Apply(&pic, &out);
    EXPECT_EQ(out.GetLineArray32()[2][0], pic.GetLineArray32()[0][0]);
    PLFilterRotate90 half(kPi, PLPixel32());
    half.Apply(&pic, &out);
    EXPECT_EQ(out.GetLineArray32()[1][2], pic.GetLineArray32()[0][0]);

    // Any other angle copies the source.
    PLFilterRotate90 other(0.5, PLPixel32());
    other.Apply(&pic, &out);
    EXPECT_TRUE(out == pic);
}

TEST(Rotate, FourQuarterTurnsGiveTheOriginal)
{
    PLWinBmp pic;
    MakePattern(pic, 7, 4, 32, false);
    PLWinBmp original(pic);
    // The angles the image view builds: add pi/2, wrap past pi.
    double angle = 0;
    PLWinBmp turned(pic);
    for (int i = 0; i < 4; ++i)
    {
        angle += kPi / 2;
        if (angle > kPi)
            angle -= 2 * kPi;
        PLFilterRotate90 step(kPi / 2, PLPixel32(255, 255, 255));
        step.FilterInPlace(&turned);
        PLWinBmp fromStart;
        PLFilterRotate90 direct(angle, PLPixel32(255, 255, 255));
        direct.Apply(&pic, &fromStart);
        EXPECT_TRUE(fromStart == turned) << i;
    }
    EXPECT_TRUE(turned == original);
    EXPECT_EQ(PLFilterRotate90::QuarterTurns(3 * kPi / 2 - 2 * kPi), 3);
    EXPECT_EQ(PLFilterRotate90::QuarterTurns(-3.14159265358), 2);
    EXPECT_EQ(PLFilterRotate90::QuarterTurns(0.01), -1);
    EXPECT_EQ(PLFilterRotate90::QuarterTurns(NAN), -1);

    PLWinBmp eight;
    eight.Create(2, 2, 8, false);
    PLFilterRotate90 r(kPi / 2, PLPixel32());
    EXPECT_EQ(CatchImageError([&] { r.FilterInPlace(&eight); }).code, 6);
}
