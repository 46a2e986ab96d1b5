// Metafiles that used to crash, abort or hang the system's drawing layer,
// rebuilt byte by byte and played through the decoder: each gives a picture
// or the decoder's error. Metafiles written by the system itself decode.
// This program is a CTest entry of its own: should a case still take the
// process down, the other image tests are not taken with it.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLWEMFDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
ImageError Decode(const Bytes& data, PLBmp& bmp)
{
    PLWEMFDecoder decoder;
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

PLPixel32 At(const PLBmp& bmp, int x, int y)
{
    PLAnyBmp colours;
    colours.CopyAtDepth(bmp, 32);
    PLPixel32 p = colours.GetLineArray32()[y][x];
    p.a = 0;  // the fourth byte is no alpha here
    return p;
}

bool AllWhite(const PLBmp& bmp)
{
    PLAnyBmp colours;
    colours.CopyAtDepth(bmp, 32);
    for (int y = 0; y < colours.GetHeight(); ++y)
        for (int x = 0; x < colours.GetWidth(); ++x)
        {
            const PLPixel32 p = colours.GetLineArray32()[y][x];
            if (p.r != 255 || p.g != 255 || p.b != 255)
                return false;
        }
    return true;
}

// A Windows metafile of 40 x 40 logical units holding one record, behind a
// placeable header of 40 x 40 at the screen's resolution (40 pixels).
Bytes Placeable40(const std::function<void(WmfBuilder&)>& add, unsigned objects = 0)
{
    WmfBuilder w(objects);
    w.Add(0x020B, {0, 0});    // window origin
    w.Add(0x020C, {40, 40});  // window extent
    add(w);
    const int dpi = ScreenDpi();
    return MakePlaceable(w.Finish(), 0, 0, 40, 40, dpi);
}

// The parameters of the bitmap records, each with its bitmap.
Bytes StretchDib(const Bytes& dib, int width, int height)
{
    Bytes p;
    PutLE32(p, 0x00CC0020);  // copy
    for (int v : {0, 8, 8, 0, 0, height, width, 0, 0})
        PutLE16(p, unsigned(v));
    p.insert(p.end(), dib.begin(), dib.end());
    return p;
}

Bytes DibStretchBlt(const Bytes& dib, int width, int height)
{
    Bytes p;
    PutLE32(p, 0x00CC0020);
    for (int v : {8, 8, 0, 0, height, width, 0, 0})
        PutLE16(p, unsigned(v));
    p.insert(p.end(), dib.begin(), dib.end());
    return p;
}

Bytes DibBitBlt(const Bytes& dib)
{
    Bytes p;
    PutLE32(p, 0x00CC0020);
    for (int v : {0, 0, 8, 8, 0, 0})
        PutLE16(p, unsigned(v));
    p.insert(p.end(), dib.begin(), dib.end());
    return p;
}

Bytes SetDibToDevice(const Bytes& dib)
{
    Bytes p;
    // Colour use, lines, first line, source y and x, height, width, y, x.
    for (int v : {0, 8, 0, 0, 0, 8, 8, 0, 0})
        PutLE16(p, unsigned(v));
    p.insert(p.end(), dib.begin(), dib.end());
    return p;
}

// The bitmap drawn at 40 x 40 (stretched) or 8 x 8 shows its colours.
void ExpectDibColours(const PLBmp& bmp, int cell, const std::string& what)
{
    ASSERT_GE(bmp.GetWidth(), 8 * cell) << what;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(At(bmp, x * cell + cell / 2, y * cell + cell / 2), DibColour(y * 8 + x))
                << what << " at " << x << "," << y;
}

void ExpectRedHalf(const PLBmp& bmp, const std::string& what)
{
    const int w = bmp.GetWidth(), h = bmp.GetHeight();
    EXPECT_EQ(At(bmp, w / 4, h / 2), PLPixel32(255, 0, 0, 0)) << what << " " << w << "x" << h;
    EXPECT_EQ(At(bmp, w - 2, h - 2), PLPixel32(255, 255, 255, 0)) << what << " " << w << "x" << h;
}

// An arc, chord or pie record over the given box, radials at its corners.
Bytes Curve(uint32_t type, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom)
{
    EmfBuilder e(1);
    e.Add(type, {left, top, right, bottom, 0, 0, 10, 10});
    return e.Finish();
}
} // namespace

// --- the inputs that took the process down -------------------------------------

TEST(MetafileSafety, EightBitBitmapsWithoutAColourCountDecodeToTheirPixels)
{
    for (uint32_t colours : {0u, 256u})
    {
        const Bytes dib = MakeDib8(colours);
        const std::string c = " colours " + std::to_string(colours);
        PLWinBmp bmp;
        ASSERT_EQ(Decode(Placeable40([&](WmfBuilder& w) { w.AddBytes(0x0F43, StretchDib(dib, 40, 40)); }), bmp).code, 0);
        ExpectDibColours(bmp, 5, "stretch DIB" + c);
        ASSERT_EQ(Decode(Placeable40([&](WmfBuilder& w) { w.AddBytes(0x0B41, DibStretchBlt(dib, 40, 40)); }), bmp).code, 0);
        ExpectDibColours(bmp, 5, "DIB stretch blit" + c);
        ASSERT_EQ(Decode(Placeable40([&](WmfBuilder& w) { w.AddBytes(0x0940, DibBitBlt(dib)); }), bmp).code, 0);
        ExpectDibColours(bmp, 1, "DIB bit blit" + c);
        ASSERT_EQ(Decode(Placeable40([&](WmfBuilder& w) { w.AddBytes(0x0D33, SetDibToDevice(dib)); }), bmp).code, 0);
        ExpectDibColours(bmp, 1, "DIB to device" + c);
    }
}

TEST(MetafileSafety, RunLengthBitmapsOfAnyImageSize)
{
    // Two pixels of 5, end of line, then one of 9, end of bitmap: 8 bytes
    // stated as 6 (the rest is padding) or 7.
    const uint8_t runs[] = {2, 5, 0, 0, 1, 9, 0, 1};
    for (uint32_t stated : {6u, 7u, 8u})
    {
        Bytes dib;
        PutLE32(dib, 40);
        PutLE32(dib, 2);
        PutLE32(dib, 2);
        PutLE16(dib, 1);
        PutLE16(dib, 8);
        PutLE32(dib, 1);  // RLE8
        PutLE32(dib, stated);
        dib.insert(dib.end(), 12, 0);
        PutLE32(dib, 0);
        for (int i = 0; i < 256; ++i)
        {
            const PLPixel32 c = DibColour(i);
            dib.insert(dib.end(), {c.b, c.g, c.r, 0});
        }
        dib.insert(dib.end(), runs, runs + stated);
        Bytes params;
        PutLE32(params, 0x00CC0020);
        for (int v : {0, 2, 2, 0, 0, 40, 40, 0, 0})
            PutLE16(params, unsigned(v));
        params.insert(params.end(), dib.begin(), dib.end());
        PLWinBmp bmp;
        const ImageError e = Decode(Placeable40([&](WmfBuilder& w) { w.AddBytes(0x0F43, params); }), bmp);
        ASSERT_EQ(e.code, 0) << stated << " " << e.text;
        // The first line of the file is the bottom one.
        EXPECT_EQ(At(bmp, 10, 30), DibColour(5)) << stated;
        EXPECT_EQ(At(bmp, 30, 30), DibColour(5)) << stated;
        EXPECT_EQ(At(bmp, 10, 10), DibColour(9)) << stated;
    }
}

TEST(MetafileSafety, HugeCurvesAreRefusedOrLeftOut)
{
    const uint32_t big = 0x10000000u, distant = 0x8000FFFFu;
    PLWinBmp bmp;
    // Beyond the coordinate range: refused before playback.
    for (uint32_t type : {45u, 46u, 47u})
    {
        EXPECT_EQ(Decode(Curve(type, distant, 0, 100, big), bmp).code, 2) << type;
        EXPECT_EQ(Decode(Curve(type, 0, distant, 100, big), bmp).code, 2) << type;
        EXPECT_EQ(Decode(Curve(type, 0, 0, big, big), bmp).code, 2) << type;
        EXPECT_EQ(Decode(Curve(type, 0xF0000000u, 0xF0000000u, big, big), bmp).code, 2) << type;
    }
    EXPECT_EQ(Decode(Curve(55, 0x20000000u, 0, 100, 100), bmp).code, 2);

    // Within the range but far too large on the device, directly or through
    // the viewport or the world transform: the picture comes without them.
    const uint32_t side = 1u << 26;
    for (uint32_t type : {45u, 46u, 47u, 55u})
    {
        ASSERT_EQ(Decode(Curve(type, 0, 0, side, side), bmp).code, 0) << type;
        EXPECT_TRUE(AllWhite(bmp)) << type;
        ASSERT_EQ(Decode(Curve(type, 0xF8000000u, 0xF8000000u, 0x08000000u, 0x08000000u), bmp).code, 0) << type;
    }
    EmfBuilder viewport(1);
    viewport.Add(17, {8}).Add(9, {1, 1}).Add(11, {1u << 26, 1u << 26});
    viewport.Add(45, {0, 0, 2, 2, 0, 0, 1, 1}).Add(47, {uint32_t(-2), uint32_t(-2), 2, 2, 0, 0, 1, 1});
    ASSERT_EQ(Decode(viewport.Finish(), bmp).code, 0);
    EmfBuilder world(1);
    world.Add(35, {0x4C800000u, 0, 0, 0x4C800000u, 0, 0});  // scaled by 2^26
    world.Add(45, {0, 0, 1, 1, 0, 0, 1, 1}).Add(46, {0, 0, 1, 1, 0, 0, 1, 1});
    ASSERT_EQ(Decode(world.Finish(), bmp).code, 0);

    // Curves of sensible size are drawn.
    EmfBuilder pie(2);
    pie.Add(39, {1, 0, 0x000000FF, 0}).Add(37, {1}).Add(47, {0, 0, 64, 64, 64, 32, 64, 33});
    ASSERT_EQ(Decode(pie.Finish(), bmp).code, 0);
    EXPECT_EQ(At(bmp, 16, 32), PLPixel32(255, 0, 0, 0));
}

TEST(MetafileSafety, RestoringStatesNeverSaved)
{
    PLWinBmp bmp;
    EmfBuilder unsaved(1);
    unsaved.Add(34, {0x80000000u});
    EXPECT_EQ(Decode(unsaved.Finish(), bmp).code, 2);
    EmfBuilder saved(1);
    saved.Add(33, {}).Add(34, {0x80000000u});
    EXPECT_EQ(Decode(saved.Finish(), bmp).code, 2);
    EmfBuilder sound(1);
    sound.Add(33, {}).Add(34, {uint32_t(-1)});
    EXPECT_EQ(Decode(sound.Finish(), bmp).code, 0);
}

TEST(MetafileSafety, StretchedBitsOfNoHeight)
{
    PLWinBmp bmp;
    for (uint32_t cyDest : {0x80000000u, 0u, 2u})
    {
        Bytes dib;
        PutLE32(dib, 40);
        PutLE32(dib, 2);
        PutLE32(dib, 2);
        PutLE16(dib, 1);
        PutLE16(dib, 24);
        dib.insert(dib.end(), 24, 0);
        Bytes body;
        for (uint32_t w : {0u, 0u, 10u, 10u, 0u, 0u, 0u, 0u, 2u, 2u, 80u, 40u, 120u, 16u, 0u, 0x00CC0020u, 10u, cyDest})
            PutLE32(body, w);
        body.insert(body.end(), dib.begin(), dib.end());
        body.insert(body.end(), 16, 0x80);
        EmfBuilder e(1);
        e.AddBody(81, body);
        EXPECT_EQ(Decode(e.Finish(), bmp).code, cyDest == 0x80000000u ? 2 : 0) << cyDest;
    }
}

TEST(MetafileSafety, RegionFramesNamingMissingObjects)
{
    const unsigned minus32767 = 0x8001;
    auto frame = [](std::initializer_list<unsigned> params) {
        return Placeable40([&](WmfBuilder& w) {
            w.Add(0x06FF, {0, 6, 0, 0, 36, 1, 2, 0, 0, 20, 20, 2, 0, 20, 0, 20, 2});  // region, slot 0
            w.Add(0x02FC, {0, 0x00FF, 0, 0});                                     // red brush, slot 1
            w.Add(0x0429, params);
        }, 2);
    };
    PLWinBmp bmp;
    EXPECT_EQ(Decode(frame({0, 1, minus32767, 2}), bmp).code, 2);
    EXPECT_EQ(Decode(frame({0, 1, 2, minus32767}), bmp).code, 2);
    EXPECT_EQ(Decode(frame({minus32767, minus32767, 1, 0}), bmp).code, 0);
    // As the system writes it: height, width, brush, region.
    ASSERT_EQ(Decode(frame({2, 2, 1, 0}), bmp).code, 0);
    EXPECT_EQ(At(bmp, 0, 10), PLPixel32(255, 0, 0, 0));
    EXPECT_EQ(At(bmp, 10, 10), PLPixel32(255, 255, 255, 0));
}

TEST(MetafileSafety, BlitsTooShortForTheirParameters)
{
    // Found by the fuzz run: a move-to whose function became a stretch blit.
    PLWinBmp bmp;
    for (unsigned function : {0x0B41u, 0x0940u, 0x0B23u, 0x0922u})
        EXPECT_EQ(Decode(Placeable40([&](WmfBuilder& w) { w.Add(function, {5, 5}); }), bmp).code, 2) << function;
    // Without a bitmap and whole: a pattern blit of the current brush.
    ASSERT_EQ(Decode(Placeable40([&](WmfBuilder& w) {
                  w.Add(0x0B41, {0x0021, 0x00F0, 8, 8, 0, 0, 0, 20, 20, 0, 0});
              }),
                     bmp).code,
              0);
    EXPECT_EQ(At(bmp, 10, 10), PLPixel32(255, 255, 255, 0));
}

TEST(MetafileSafety, ViewportExtentsBeyondTheRange)
{
    PLWinBmp bmp;
    EmfBuilder e(1);
    e.Add(17, {7}).Add(11, {0x80000001u, 100}).Add(43, {0, 0, 50, 50}).Add(42, {0, 0, 50, 50});
    EXPECT_EQ(Decode(e.Finish(), bmp).code, 2);
    // The widest extent within the range, then ordinary drawing.
    EmfBuilder wide(1);
    wide.Add(17, {8}).Add(9, {1, 1}).Add(11, {1u << 27, 100}).Add(43, {0, 0, 50, 50}).Add(42, {0, 0, 50, 50});
    wide.Add(27, {0, 0}).Add(54, {40, 40});
    EXPECT_EQ(Decode(wide.Finish(), bmp).code, 0);
}

// --- metafiles the system writes ---------------------------------------------------

TEST(MetafileSafety, WindowsMetafilesTheSystemRecorded)
{
    const Bytes wmf = MakeRecordedWmf(1200, 800);
    PLWinBmp bmp;
    const ImageError e = Decode(MakePlaceable(wmf, 0, 0, 1200, 800, 600), bmp);
    ASSERT_EQ(e.code, 0) << e.text;
    EXPECT_EQ(bmp.GetWidth(), 2 * ScreenDpi());
    ExpectRedHalf(bmp, "placeable");
    ASSERT_EQ(Decode(wmf, bmp).code, 0);
    EXPECT_GT(bmp.GetWidth(), 0);
    // Through the any-format decoder, recognised by content.
    PLAnyPicDecoder any;
    PLAnyBmp anyBmp;
    ASSERT_EQ(CatchImageError([&] { any.DecodeMemory(wmf.data(), int(wmf.size()), &anyBmp); }).code, 0);
    EXPECT_EQ(any.LastFormatCode(), 8);
}

TEST(MetafileSafety, EnhancedMetafilesTheSystemRecordedAndConverted)
{
    Bytes converted;
    const Bytes emf = MakeRecordedEmf(300, 200, &converted);
    PLWinBmp bmp;
    ASSERT_EQ(Decode(emf, bmp).code, 0);
    EXPECT_NEAR(bmp.GetWidth(), 300, 2);
    ExpectRedHalf(bmp, "enhanced");

    // The system's conversion to a Windows metafile, plain and placeable.
    ASSERT_EQ(Decode(converted, bmp).code, 0);
    ExpectRedHalf(bmp, "converted");
    ASSERT_EQ(Decode(MakePlaceable(converted, 0, 0, 300, 200, ScreenDpi()), bmp).code, 0);
    EXPECT_EQ(bmp.GetWidth(), 300);
}

// --- the time limit ----------------------------------------------------------------

TEST(MetafileSafety, PlaybackBeyondTheTimeLimitIsAbandoned)
{
    // Many filled shapes across a large picture: far more than 50 ms of work.
    EmfBuilder slow(2);
    slow.Add(39, {1, 0, 0x00336699, 0}).Add(37, {1});
    for (int i = 0; i < 60000; ++i)
    {
        const uint32_t d = uint32_t(i % 97);
        slow.Add(42, {d, d, 200000 - d, 200000 - d});
        slow.Add(47, {d, 0, 150000, 150000 - d, 0, 0, 150000, d});
    }
    Bytes big = slow.Finish();
    PutLE32(&big[32], 200000);  // a frame of 2 m: the largest rendering
    PutLE32(&big[36], 200000);

    const unsigned saved = PLWEMFDecoder::GetPlaybackLimit();
    PLWEMFDecoder::SetPlaybackLimit(50);
    PLWinBmp bmp;
    const ImageError e = Decode(big, bmp);
    // A small metafile plays afterwards, once the record the abandoned
    // playback was in has ended (a record over the largest rendering may
    // take seconds on a busy machine: the limit is no part of this test).
    PLWEMFDecoder::SetPlaybackLimit(120000);
    const ImageError small = Decode(Curve(45, 0, 0, 60, 60), bmp);
    PLWEMFDecoder::SetPlaybackLimit(saved);
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text, "Decoder error: Playing the metafile took too long; it was abandoned.\n");
    EXPECT_EQ(small.code, 0);
}

// --- pens, letters and curves too large for the system's drawing --------------------

namespace
{
int NonWhitePixels(const PLBmp& bmp)
{
    PLAnyBmp colours;
    colours.CopyAtDepth(bmp, 32);
    int n = 0;
    for (int y = 0; y < colours.GetHeight(); ++y)
        for (int x = 0; x < colours.GetWidth(); ++x)
        {
            const PLPixel32 p = colours.GetLineArray32()[y][x];
            n += p.r != 255 || p.g != 255 || p.b != 255;
        }
    return n;
}
} // namespace

TEST(MetafileSafety, LinesOfPensWiderThanTheSystemDrawsInTimeAreLeftOut)
{
    // A line, a rectangle and an ellipse with a red pen of the given width
    // (pixels of a 64-pixel rendering): 2 is drawn, 20,000 (beyond the
    // limit) and 2^20 are left out.
    PLWinBmp bmp;
    for (uint32_t type : {54u, 43u, 42u})
        for (uint32_t width : {2u, 20000u, 1u << 20})
        {
            EmfBuilder e(2);
            e.Add(38, {1, 0, width, 0, 0x000000FF}).Add(37, {1}).Add(27, {10, 10});
            if (type == 54)
                e.Add(54, {50, 50});
            else
                e.Add(type, {10, 10, 50, 50});
            const ImageError error = Decode(e.Finish(), bmp);
            ASSERT_EQ(error.code, 0) << type << " " << width << error.text;
            if (width == 2)
                EXPECT_GT(NonWhitePixels(bmp), 0) << type;
            else
                EXPECT_TRUE(AllWhite(bmp)) << type;
        }

    // A narrow pen widened by the world transform: left out as well.
    EmfBuilder scaled(2);
    scaled.Add(38, {1, 0, 20, 0, 0x000000FF}).Add(37, {1});
    scaled.Add(35, {0x447A0000u, 0, 0, 0x447A0000u, 0, 0});  // 1000 times
    scaled.Add(27, {0, 0}).Add(54, {0, 0});
    ASSERT_EQ(Decode(scaled.Finish(), bmp).code, 0);
    EXPECT_TRUE(AllWhite(bmp));
}

TEST(MetafileSafety, LettersLargerThanTheSystemDrawsInTimeAreLeftOut)
{
    PLWinBmp bmp;
    for (int32_t height : {-40, -20000})
        for (int32_t escapement : {0, 450})
        {
            EmfBuilder e(2);
            e.AddBody(82, EmfFont(1, height, escapement)).Add(37, {1}).AddBody(84, EmfText(4, 4, "HH"));
            const ImageError error = Decode(e.Finish(), bmp);
            ASSERT_EQ(error.code, 0) << height << " " << escapement << error.text;
            if (height == -40)
                EXPECT_GT(NonWhitePixels(bmp), 0) << escapement;
            else
                EXPECT_TRUE(AllWhite(bmp)) << escapement;
        }
    // Letters of 12 units scaled 1000 times by the world transform.
    EmfBuilder scaled(2);
    scaled.Add(35, {0x447A0000u, 0, 0, 0x447A0000u, 0, 0});
    scaled.AddBody(82, EmfFont(1, -12)).Add(37, {1}).AddBody(84, EmfText(0, 0, "HH"));
    ASSERT_EQ(Decode(scaled.Finish(), bmp).code, 0);
    EXPECT_TRUE(AllWhite(bmp));
}

TEST(MetafileSafety, EllipsesAndRoundedRectanglesTooLargeAreLeftOut)
{
    PLWinBmp bmp;
    const uint32_t big = 1u << 20;
    for (uint32_t type : {42u, 44u})
    {
        EmfBuilder e(2);
        e.Add(39, {1, 0, 0x000000FF, 0}).Add(37, {1});
        e.Add(type, {uint32_t(-int32_t(big)), uint32_t(-int32_t(big)), big, big, big, big});
        ASSERT_EQ(Decode(e.Finish(), bmp).code, 0) << type;
        EXPECT_TRUE(AllWhite(bmp)) << type;
        EmfBuilder small(2);
        small.Add(39, {1, 0, 0x000000FF, 0}).Add(37, {1}).Add(type, {8, 8, 56, 56, 10, 10});
        ASSERT_EQ(Decode(small.Finish(), bmp).code, 0) << type;
        EXPECT_EQ(At(bmp, 32, 32), PLPixel32(255, 0, 0, 0)) << type;
    }
}

// --- an abandoned playback ---------------------------------------------------------

namespace
{
// Holds the playing thread at the first record it reaches while armed, as
// a record the system takes forever over would; however late the thread
// starts, it holds there. Other records are counted.
HANDLE g_Release = nullptr;
HANDLE g_Held = nullptr;
std::atomic<bool> g_Hold(false);
std::atomic<int> g_Records(0);

void HoldFirstRecord(uint32_t)
{
    if (g_Hold.exchange(false))
    {
        SetEvent(g_Held);
        WaitForSingleObject(g_Release, INFINITE);
        return;
    }
    ++g_Records;
}
} // namespace

TEST(MetafileSafety, NoPlaybackStartsWhileAnAbandonedOneStillRuns)
{
    g_Release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_Held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const unsigned saved = PLWEMFDecoder::GetPlaybackLimit();
    PLWEMFDecoder::SetPlaybackLimit(50);
    PLWEMFDecoder::SetRecordHook(HoldFirstRecord);
    g_Hold = true;

    EmfBuilder stuck(1);
    stuck.Add(70, {4, 0});
    PLWinBmp bmp;
    const ImageError abandoned = Decode(stuck.Finish(), bmp);
    const bool held = WaitForSingleObject(g_Held, 120000) == WAIT_OBJECT_0;
    // Another picture meanwhile: not started, not a record of it played.
    const int before = g_Records;
    const ImageError refused = Decode(Curve(45, 0, 0, 60, 60), bmp);
    const int after = g_Records;
    // Once the abandoned playback has ended, pictures play again (the limit
    // is set out of the way of a busy machine).
    SetEvent(g_Release);
    PLWEMFDecoder::SetPlaybackLimit(120000);
    const ImageError played = Decode(Curve(45, 0, 0, 60, 60), bmp);
    PLWEMFDecoder::SetPlaybackLimit(saved);

    PLWEMFDecoder::SetRecordHook(nullptr);
    CloseHandle(g_Release);
    CloseHandle(g_Held);
    ASSERT_TRUE(held) << "the abandoned playback did not reach its first record within 120 s";
    EXPECT_EQ(abandoned.code, 6);
    EXPECT_EQ(abandoned.text, "Decoder error: Playing the metafile took too long; it was abandoned.\n");
    EXPECT_EQ(refused.code, 6);
    EXPECT_EQ(refused.text, "Decoder error: An earlier metafile that took too long is still being played; this one "
                            "was not started.\n");
    EXPECT_EQ(before, after);
    EXPECT_EQ(played.code, 0) << played.text;
    EXPECT_GT(g_Records.load(), after);
}

TEST(MetafileSafety, RecordsOfMorePointsOrCharactersThanTheSystemDrawsInTimeAreLeftOut)
{
    // A red polygon: a square of 4 points is drawn; one of 20,000 points
    // (back and forth across the square) is left out.
    PLWinBmp bmp;
    for (uint32_t points : {4u, 20000u})
    {
        Bytes body;
        for (uint32_t w : {0u, 0u, 60u, 60u, points})
            PutLE32(body, w);
        for (uint32_t i = 0; i < points; ++i)
        {
            PutLE32(body, (i % 4 == 1 || i % 4 == 2) ? 56 : 8);
            PutLE32(body, i % 4 < 2 ? 8 : 56);
        }
        EmfBuilder e(2);
        e.Add(39, {1, 0, 0x000000FF, 0}).Add(37, {1}).AddBody(3, body);
        ASSERT_EQ(Decode(e.Finish(), bmp).code, 0) << points;
        if (points == 4)
            EXPECT_EQ(At(bmp, 32, 32), PLPixel32(255, 0, 0, 0));
        else
            EXPECT_TRUE(AllWhite(bmp));
    }
    // Text of 20,000 characters is left out; of 2, drawn.
    for (size_t chars : {size_t(2), size_t(20000)})
    {
        EmfBuilder e(2);
        e.AddBody(82, EmfFont(1, -40)).Add(37, {1}).AddBody(84, EmfText(4, 4, std::string(chars, 'H')));
        ASSERT_EQ(Decode(e.Finish(), bmp).code, 0) << chars;
        if (chars == 2)
            EXPECT_GT(NonWhitePixels(bmp), 0);
        else
            EXPECT_TRUE(AllWhite(bmp));
    }
}
