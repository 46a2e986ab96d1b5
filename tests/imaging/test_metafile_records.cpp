// The record checks made before GDI plays a metafile, over metafiles built
// byte by byte: sizes and counts within their records, the handle table
// followed object by object, embedded bitmaps, and the file's framing.
#include <initializer_list>

#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLMetafileRecords.h"

using namespace testimg;

namespace
{
using Emf = EmfBuilder;
using Wmf = WmfBuilder;

bool Sound(const Bytes& emf)
{
    return PLMetafileRecords::IsSoundEnhanced(emf.data(), int(emf.size()));
}

bool Sound(const Wmf& wmf)
{
    const Bytes b = wmf.Finish();
    return PLMetafileRecords::IsSoundWindows(b.data(), int(b.size()));
}

Bytes Dib(int width, int height, int bpp, uint32_t compression = 0, size_t lineBytesGiven = 0)
{
    return MakeDib(width, height, bpp, compression, lineBytesGiven);
}
} // namespace

TEST(MetafileRecords, EnhancedHandleTable)
{
    // Create a brush in slot 1, select it, delete it.
    auto brush = [](Emf& e, uint32_t slot) { e.Add(39, {slot, 0, 0x00FF00FF, 0}); };
    Emf good(3);
    brush(good, 1);
    good.Add(37, {1}).Add(37, {0x80000000u + 19}).Add(40, {1});
    EXPECT_TRUE(Sound(good.Finish()));

    Emf beyond(3);
    beyond.Add(37, {3});
    EXPECT_FALSE(Sound(beyond.Finish()));
    Emf empty(3);
    empty.Add(37, {2});
    EXPECT_FALSE(Sound(empty.Finish()));
    Emf badStock(3);
    badStock.Add(37, {0x80000000u + 20});
    EXPECT_FALSE(Sound(badStock.Finish()));
    Emf deleted(3);
    brush(deleted, 1);
    deleted.Add(40, {1}).Add(37, {1});
    EXPECT_FALSE(Sound(deleted.Finish()));
    Emf deleteStock(3);
    deleteStock.Add(40, {0x80000000u});
    EXPECT_FALSE(Sound(deleteStock.Finish()));

    // A palette selection needs a palette.
    Emf brushAsPalette(3);
    brush(brushAsPalette, 2);
    brushAsPalette.Add(48, {2});
    EXPECT_FALSE(Sound(brushAsPalette.Finish()));
    Emf palette(3);
    palette.Add(49, {2, 0x00010300, 0x00FF00FF}).Add(48, {2}).Add(50, {2, 0, 1, 0});
    EXPECT_TRUE(Sound(palette.Finish()));
    Emf paletteEntries(3);
    paletteEntries.Add(49, {2, 0x00050300, 0});  // five entries claimed, one there
    EXPECT_FALSE(Sound(paletteEntries.Finish()));

    // Brushes of styles that would make the player read a pointer.
    Emf pattern(3);
    pattern.Add(39, {1, 5, 0, 0x1234});
    EXPECT_FALSE(Sound(pattern.Finish()));
}

TEST(MetafileRecords, EnhancedCountsAndBitmaps)
{
    // A polyline of 2 points, then one claiming 3.
    Emf poly(1);
    poly.Add(4, {0, 0, 10, 10, 2, 1, 1, 5, 5});
    EXPECT_TRUE(Sound(poly.Finish()));
    Emf polyShort(1);
    polyShort.Add(4, {0, 0, 10, 10, 3, 1, 1, 5, 5});
    EXPECT_FALSE(Sound(polyShort.Finish()));
    Emf polyPoly(1);
    polyPoly.Add(7, {0, 0, 10, 10, 2, 2, 1, 2, 1, 1, 5, 5});  // counts 1 + 2 of 2 points
    EXPECT_FALSE(Sound(polyPoly.Finish()));

    // A bit blit without a bitmap has neither offset nor size.
    auto blit = [](uint32_t offInfo, uint32_t infoBytes, uint32_t offBits, uint32_t bitsBytes) {
        Emf e(1);
        e.Add(76, {0, 0, 10, 10, 0, 0, 10, 10, 0x00F00021, 0, 0, 0x3F800000, 0, 0, 0x3F800000, 0, 0, 0, 0,
                   offInfo, infoBytes, offBits, bitsBytes});
        return e;
    };
    EXPECT_TRUE(Sound(blit(0, 0, 0, 0).Finish()));
    EXPECT_FALSE(Sound(blit(0xC9000000u, 0, 0, 0).Finish()));
    EXPECT_FALSE(Sound(blit(100, 40, 140, 16).Finish()));  // past the record

    // A stretch of bits with its bitmap inside the record.
    auto stretch = [](const Bytes& dib, uint32_t bitsBytes) {
        Emf e(1);
        const uint32_t infoBytes = uint32_t(dib.size()) - bitsBytes;
        e.Add(81, {0, 0, 2, 2, 0, 0, 0, 0, 2, 2, 80, infoBytes, 80 + infoBytes, bitsBytes, 0, 0x00CC0020, 2, 2});
        Bytes out = e.Finish(false);
        // Grow the record by the bitmap and fix its size.
        const size_t record = out.size() - 80;
        out.insert(out.end(), dib.begin(), dib.end());
        testimg::PutLE32(&out[record + 4], uint32_t(80 + dib.size()));
        Emf::AppendEnd(out);
        testimg::PutLE32(&out[48], uint32_t(out.size()));
        return out;
    };
    EXPECT_TRUE(Sound(stretch(Dib(2, 2, 24), 16)));
    EXPECT_FALSE(Sound(stretch(Dib(2, 200, 24, 0, 16), 16)));  // 200 lines in 16 bytes

    // Gradient vertices named by the mesh must exist.
    Emf gradient(1);
    // Bounds, 2 vertices, 1 rectangle, mode; the vertices; the mesh.
    gradient.Add(118, {0, 0, 1, 1, 2, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1});
    EXPECT_TRUE(Sound(gradient.Finish()));
    Emf gradientBad(1);
    gradientBad.Add(118, {0, 0, 1, 1, 2, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 7});
    EXPECT_FALSE(Sound(gradientBad.Finish()));

    // Text pieces within their record.
    Emf text(1);
    text.Add(84, {0, 0, 1, 1, 1, 0, 0, 0, 0, 2, 76, 0, 0, 0, 0, 0, 0, 0x00690068});
    EXPECT_TRUE(Sound(text.Finish()));
    Emf textLong(1);
    textLong.Add(84, {0, 0, 1, 1, 1, 0, 0, 0, 0, 200, 76, 0, 0, 0, 0, 0, 0, 0x00690068});
    EXPECT_FALSE(Sound(textLong.Finish()));
}

TEST(MetafileRecords, EnhancedFraming)
{
    Emf e(1);
    e.Add(9, {100, 100});
    const Bytes good = e.Finish();
    EXPECT_TRUE(Sound(good));

    EXPECT_FALSE(Sound(e.Finish(false)));  // no end record
    Bytes stated = good;
    testimg::PutLE32(&stated[48], uint32_t(good.size() + 4));  // more than there is
    EXPECT_FALSE(Sound(stated));
    Bytes early = good;
    testimg::PutLE32(&early[88], 14);  // an end record before the last
    EXPECT_FALSE(Sound(early));
    Bytes odd = good;
    testimg::PutLE32(&odd[92], 14);  // record size not a multiple of 4
    EXPECT_FALSE(Sound(odd));
    Bytes shortFixed = good;
    testimg::PutLE32(&shortFixed[92], 8);  // a window extent without its values
    shortFixed.erase(shortFixed.begin() + 96, shortFixed.begin() + 104);
    testimg::PutLE32(&shortFixed[48], uint32_t(shortFixed.size()));
    EXPECT_FALSE(Sound(shortFixed));
    Bytes header = good;
    testimg::PutLE32(&header[4], 40);  // header too short for the millimetre size
    EXPECT_FALSE(Sound(header));
    EXPECT_FALSE(PLMetafileRecords::IsSoundEnhanced(good.data(), 40));
    EXPECT_FALSE(PLMetafileRecords::IsSoundEnhanced(nullptr, 0));
}

TEST(MetafileRecords, WindowsHandleTable)
{
    Wmf good(2);
    good.Add(0x02FC, {0, 0x00FF, 0, 0}).Add(0x012D, {0}).Add(0x0418, {0, 0, 10, 10}).Add(0x01F0, {0});
    EXPECT_TRUE(Sound(good));

    Wmf beyond(2);
    beyond.Add(0x012D, {2});
    EXPECT_FALSE(Sound(beyond));
    Wmf empty(2);
    empty.Add(0x012D, {1});
    EXPECT_FALSE(Sound(empty));
    Wmf full(1);
    full.Add(0x02FC, {0, 0, 0, 0}).Add(0x02FC, {0, 0, 0, 0});  // no free slot for the second
    EXPECT_FALSE(Sound(full));
    Wmf brushAsPalette(2);
    brushAsPalette.Add(0x02FC, {0, 0, 0, 0}).Add(0x0234, {0});
    EXPECT_FALSE(Sound(brushAsPalette));
    Wmf palette(2);
    palette.Add(0x00F7, {0x300, 1, 0, 0}).Add(0x0234, {0});
    EXPECT_TRUE(Sound(palette));
    Wmf freedSlot(2);
    freedSlot.Add(0x02FC, {0, 0, 0, 0}).Add(0x01F0, {0}).Add(0x02FA, {0, 1, 0, 0, 0}).Add(0x012D, {0});
    EXPECT_TRUE(Sound(freedSlot));  // the pen took the freed slot
    Wmf hatch(2);
    hatch.Add(0x02FC, {2, 0, 0, 9});
    EXPECT_FALSE(Sound(hatch));
}

TEST(MetafileRecords, WindowsCountsAndFraming)
{
    Wmf polygon(0);
    polygon.Add(0x0324, {2, 0, 0, 5, 5});
    EXPECT_TRUE(Sound(polygon));
    Wmf polygonShort(0);
    polygonShort.Add(0x0324, {9, 0, 0, 5, 5});
    EXPECT_FALSE(Sound(polygonShort));
    Wmf ellipse(0);
    ellipse.Add(0x0418, {0, 0});  // four parameters needed
    EXPECT_FALSE(Sound(ellipse));
    Wmf text(0);
    text.Add(0x0521, {1, 'A', 5, 5});  // one character
    EXPECT_TRUE(Sound(text));

    // A stretched DIB whose lines are there, and one whose lines are not.
    Bytes params(22, 0);
    Bytes dib = Dib(3, 2, 8);
    params.insert(params.end(), dib.begin(), dib.end());
    Wmf stretch(0);
    stretch.AddBytes(0x0F43, params);
    EXPECT_TRUE(Sound(stretch));
    Bytes lying(22, 0);
    Bytes tall = Dib(3, 5000, 8, 0, 8);
    lying.insert(lying.end(), tall.begin(), tall.end());
    Wmf stretchShort(0);
    stretchShort.AddBytes(0x0F43, lying);
    EXPECT_FALSE(Sound(stretchShort));

    Bytes good = polygon.Finish();
    Bytes stated = good;
    testimg::PutLE32(&stated[6], uint32_t(good.size() / 2 + 2));  // more words than there are
    EXPECT_FALSE(PLMetafileRecords::IsSoundWindows(stated.data(), int(stated.size())));
    Bytes record = good;
    testimg::PutLE32(&record[18], 200);  // a record past the end
    EXPECT_FALSE(PLMetafileRecords::IsSoundWindows(record.data(), int(record.size())));
    Bytes noEnd = good;
    noEnd.resize(noEnd.size() - 6);
    testimg::PutLE32(&noEnd[6], uint32_t(noEnd.size() / 2));
    EXPECT_FALSE(PLMetafileRecords::IsSoundWindows(noEnd.data(), int(noEnd.size())));
    EXPECT_FALSE(PLMetafileRecords::IsSoundWindows(good.data(), 10));
}

TEST(MetafileRecords, Bitmaps)
{
    auto packed = [](const Bytes& dib) { return PLMetafileRecords::IsSoundDib(dib.data(), dib.size(), 0, true); };
    EXPECT_TRUE(packed(Dib(5, 3, 1)));
    EXPECT_TRUE(packed(Dib(5, -3, 24)));
    EXPECT_TRUE(packed(Dib(5, 3, 32)));
    EXPECT_FALSE(packed(Dib(5, 3, 24, 0, 44)));  // one line short
    EXPECT_FALSE(packed(Dib(0, 3, 24)));
    EXPECT_FALSE(packed(Dib(5, 0, 24)));
    EXPECT_FALSE(packed(Dib(5, 3, 7)));
    EXPECT_FALSE(packed(Dib(5, 3, 24, 4)));  // JPEG data
    Bytes fields = Dib(4, 2, 16, 3, 16 + 12);
    EXPECT_TRUE(packed(fields));  // three masks after the header
    Bytes noMasks = Dib(4, 2, 16, 3, 16 + 8);
    EXPECT_FALSE(packed(noMasks));

    // Colours beyond what the header holds.
    Bytes colours = Dib(2, 2, 8);
    testimg::PutLE32(&colours[32], 300);
    EXPECT_FALSE(packed(colours));

    // The core header with three-byte colours.
    Bytes core;
    PutLE32(core, 12);
    PutLE16(core, 8);
    PutLE16(core, 2);
    PutLE16(core, 1);
    PutLE16(core, 1);
    core.insert(core.end(), 6, 0);
    core.insert(core.end(), 2 * 4, 0);
    EXPECT_TRUE(packed(core));
    core.pop_back();
    EXPECT_FALSE(packed(core));

    // Bits kept apart from the header.
    Bytes header = Dib(4, 4, 24, 0, 1);
    header.pop_back();
    EXPECT_TRUE(PLMetafileRecords::IsSoundDib(header.data(), header.size(), 48, false));
    EXPECT_FALSE(PLMetafileRecords::IsSoundDib(header.data(), header.size(), 47, false));
}

// --- records that the system's drawing layer does not survive ----------------

TEST(MetafileRecords, SavedStatesAreFollowed)
{
    Emf restored(1);
    restored.Add(33, {}).Add(33, {}).Add(34, {uint32_t(-2)}).Add(33, {}).Add(34, {uint32_t(-1)});
    EXPECT_TRUE(Sound(restored.Finish()));
    for (uint32_t relative : {0x80000000u, uint32_t(-2), 0u, 1u})
    {
        Emf e(1);
        e.Add(33, {}).Add(34, {relative});
        EXPECT_FALSE(Sound(e.Finish())) << relative;
    }
    Emf unsaved(1);
    unsaved.Add(34, {0x80000000u});
    EXPECT_FALSE(Sound(unsaved.Finish()));
    Emf twice(1);
    twice.Add(33, {}).Add(34, {uint32_t(-1)}).Add(34, {uint32_t(-1)});
    EXPECT_FALSE(Sound(twice.Finish()));

    // Windows metafiles count back too, or name the state by its number.
    Wmf wmf(0);
    wmf.Add(0x001E, {}).Add(0x001E, {}).Add(0x0127, {2}).Add(0x0127, {0xFFFF});
    EXPECT_TRUE(Sound(wmf));
    for (unsigned which : {0u, 2u, 0xFFFEu, 0x8000u})
    {
        Wmf w(0);
        w.Add(0x001E, {}).Add(0x0127, {which});
        EXPECT_FALSE(Sound(w)) << which;
    }
}

TEST(MetafileRecords, CoordinatesStayWithinWhatTheSystemHandles)
{
    const uint32_t limit = 1u << 27;
    auto one = [](uint32_t type, std::initializer_list<uint32_t> words) {
        Emf e(1);
        e.Add(type, words);
        return Sound(e.Finish());
    };
    // Arcs, chords and pies of huge boxes; an arc-to reaching far.
    for (uint32_t type : {45u, 46u, 47u})
    {
        EXPECT_FALSE(one(type, {0x8000FFFFu, 0, 100, 0x10000000u, 0, 0, 10, 10})) << type;
        EXPECT_TRUE(one(type, {0, 0, limit, limit, 0, 0, 10, 10})) << type;
        EXPECT_FALSE(one(type, {0, 0, limit + 1, 10, 0, 0, 10, 10})) << type;
    }
    EXPECT_FALSE(one(55, {0x20000000u, 0, 100, 100, 0, 0, 10, 10}));
    EXPECT_FALSE(one(11, {0x80000001u, 100}));                   // viewport extent
    EXPECT_TRUE(one(11, {uint32_t(-1000), 100}));
    EXPECT_FALSE(one(32, {1, 0, 1, 1}));                         // scaled by 1/0
    EXPECT_FALSE(one(35, {0x7FC00000u, 0, 0, 0x3F800000u, 0, 0}));  // a world transform of NaN
    EXPECT_TRUE(one(35, {0x3F800000u, 0, 0, 0x3F800000u, 0x42C80000u, 0}));
    EXPECT_FALSE(one(41, {0, 0, 0xF0000000u, 0, 0x43B40000u}));     // angle arc radius
    EXPECT_FALSE(one(4, {0, 0, 1, 1, 2, 1, 1, 0x10000000u, 5}));   // a polyline point

    // Stretched bits with a destination height of INT_MIN.
    const Bytes dib = Dib(2, 2, 24);
    auto stretch = [&](uint32_t cyDest) {
        Bytes body;
        for (uint32_t w : {0u, 0u, 10u, 10u, 0u, 0u, 0u, 0u, 2u, 2u, 80u, 40u, 120u, 16u, 0u, 0x00CC0020u, 10u, cyDest})
            PutLE32(body, w);
        body.insert(body.end(), dib.begin(), dib.end());
        Emf e(1);
        e.AddBody(81, body);
        return Sound(e.Finish());
    };
    EXPECT_TRUE(stretch(10));
    EXPECT_FALSE(stretch(0x80000000u));
}

TEST(MetafileRecords, WindowsRegionsAsTheSystemWritesThem)
{
    // A region in slot 0 and a brush in slot 1; the fill names the brush
    // first, the frame its height and width, then brush and region.
    auto regionAndBrush = [](Wmf& w) {
        w.Add(0x06FF, {0, 6, 0, 0, 36, 1, 2, 0, 0, 20, 20, 2, 0, 20, 0, 20, 2});
        w.Add(0x02FC, {0, 0x00FF, 0, 0});
    };
    Wmf fill(2);
    regionAndBrush(fill);
    fill.Add(0x0228, {1, 0});
    EXPECT_TRUE(Sound(fill));
    Wmf fillSwapped(2);
    regionAndBrush(fillSwapped);
    fillSwapped.Add(0x0228, {0, 1});
    EXPECT_FALSE(Sound(fillSwapped));
    Wmf frame(2);
    regionAndBrush(frame);
    frame.Add(0x0429, {2, 2, 1, 0});
    EXPECT_TRUE(Sound(frame));
    Wmf frameBeyond(2);
    regionAndBrush(frameBeyond);
    frameBeyond.Add(0x0429, {0, 1, 0x8001, 0});  // brush -32767
    EXPECT_FALSE(Sound(frameBeyond));
}

TEST(MetafileRecords, BlitsWithoutABitmapHoldTheirParameters)
{
    // A stretch blit without a bitmap has eleven parameter words; a record of
    // two (a move-to with another function) would be read past its end.
    Wmf whole(0);
    whole.Add(0x0B41, {0x0020, 0x00CC, 8, 8, 0, 0, 0, 20, 20, 0, 0});
    EXPECT_TRUE(Sound(whole));
    for (unsigned function : {0x0B41u, 0x0940u, 0x0B23u, 0x0922u})
    {
        Wmf cut(0);
        cut.Add(function, {5, 5});
        EXPECT_FALSE(Sound(cut)) << function;
    }
    Wmf bitBlt(0);
    bitBlt.Add(0x0940, {0x0020, 0x00CC, 0, 0, 0, 8, 8, 0, 0});
    EXPECT_TRUE(Sound(bitBlt));
}

TEST(MetafileRecords, PlayableCopiesOfWindowsMetafiles)
{
    auto playable = [](const Bytes& wmf) {
        EXPECT_TRUE(PLMetafileRecords::IsSoundWindows(wmf.data(), int(wmf.size())));
        Bytes copy = PLMetafileRecords::MakePlayableWindows(wmf.data(), int(wmf.size()));
        EXPECT_TRUE(PLMetafileRecords::IsSoundWindows(copy.data(), int(copy.size())));
        EXPECT_EQ(GetLE32(&copy[6]) * 2, copy.size());
        return copy;
    };
    // Stretch-DIB parameters of a 4 x 4 picture into 40 x 40.
    auto stretchParams = [](const Bytes& dib) {
        Bytes p;
        PutLE32(p, 0x00CC0020);
        for (unsigned v : {0u, 4u, 4u, 0u, 0u, 40u, 40u, 0u, 0u})
            PutLE16(p, v);
        p.insert(p.end(), dib.begin(), dib.end());
        return p;
    };
    const size_t dibAt = 18 + 28;

    // An 8-bit bitmap with no colour count states its 256 colours.
    Wmf eight(0);
    eight.AddBytes(0x0F43, stretchParams(Dib(4, 4, 8)));
    Bytes copy = playable(eight.Finish());
    EXPECT_EQ(GetLE32(&copy[dibAt + 32]), 256u);
    EXPECT_EQ(copy.size(), eight.Finish().size());

    // Run-length bits of 6 bytes are padded to 8.
    Bytes rle = Dib(4, 4, 8, 1, 6);
    PutLE32(&rle[20], 6);
    Wmf runs(0);
    runs.AddBytes(0x0F43, stretchParams(rle));
    copy = playable(runs.Finish());
    EXPECT_EQ(GetLE32(&copy[dibAt + 20]), 8u);
    EXPECT_EQ(GetLE32(&copy[18]) * 2, 28u + 40 + 1024 + 8);

    // A bitmap written without its pixels gets black ones.
    Bytes bitless = Dib(4, 4, 24, 0, 1);
    bitless.pop_back();
    Wmf noPixels(0);
    noPixels.AddBytes(0x0F43, stretchParams(bitless));
    const Bytes written = noPixels.Finish();
    copy = playable(written);
    EXPECT_EQ(copy.size(), written.size() + 48);
    EXPECT_EQ(copy[dibAt + 40], 0);
    EXPECT_EQ(GetLE32(&copy[12]), uint32_t(28 + 40 + 48) / 2);  // the largest record
    // One that claims more than can be supplied is damage.
    PutLE32(&bitless[4], 30000);
    PutLE32(&bitless[8], 30000);
    Wmf huge(0);
    huge.AddBytes(0x0F43, stretchParams(bitless));
    const Bytes hugeBytes = huge.Finish();
    EXPECT_FALSE(PLMetafileRecords::IsSoundWindows(hugeBytes.data(), int(hugeBytes.size())));

    // An enhanced metafile riding in comments is left out; other escapes stay.
    Bytes comment;
    PutLE16(comment, 15);
    PutLE16(comment, 8);
    PutLE32(comment, 0x43464D57u);
    PutLE32(comment, 1);
    Bytes other = comment;
    PutLE32(&other[4], 0x12345678u);
    Wmf escapes(0);
    escapes.AddBytes(0x0626, comment).Add(0x0418, {0, 0, 10, 10}).AddBytes(0x0626, other);
    const Bytes withComments = escapes.Finish();
    copy = playable(withComments);
    EXPECT_EQ(copy.size(), withComments.size() - 18);
    EXPECT_EQ(copy[18 + 4] | (copy[18 + 5] << 8), 0x0418);
}

TEST(MetafileRecords, DrawingExtents)
{
    auto extentOf = [](uint32_t type, std::initializer_list<uint32_t> words, PLMetafileRecords::Extent& e) {
        Bytes r;
        PutLE32(r, type);
        PutLE32(r, uint32_t(8 + 4 * words.size()));
        for (uint32_t w : words)
            PutLE32(r, w);
        return PLMetafileRecords::DrawingExtent(r.data(), uint32_t(r.size()), e);
    };
    PLMetafileRecords::Extent e;
    ASSERT_TRUE(extentOf(45, {10, 20, 300, 400, 5, 5, 500, 7}, e));
    EXPECT_TRUE(e.curve);
    EXPECT_EQ(e.left, 5);
    EXPECT_EQ(e.right, 500);
    EXPECT_EQ(e.bottom, 400);
    ASSERT_TRUE(extentOf(4, {0, 0, 0, 0, 3, 1, 2, uint32_t(-3), 4, 5, 6}, e));
    EXPECT_FALSE(e.curve);
    EXPECT_EQ(e.left, -3);
    EXPECT_EQ(e.bottom, 6);
    ASSERT_TRUE(extentOf(81, {0, 0, 0, 0, 10, 20, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 100, uint32_t(-50)}, e));
    EXPECT_EQ(e.right, 110);
    EXPECT_EQ(e.top, -30);
    EXPECT_FALSE(extentOf(9, {100, 100}, e));
    // Ellipses and rounded rectangles are drawn point by point as arcs are;
    // a rectangle is not.
    ASSERT_TRUE(extentOf(42, {uint32_t(-5), uint32_t(-6), 70, 80}, e));
    EXPECT_TRUE(e.curve);
    EXPECT_EQ(e.left, -5);
    EXPECT_EQ(e.bottom, 80);
    ASSERT_TRUE(extentOf(44, {0, 0, 70, 80, 10, 10}, e));
    EXPECT_TRUE(e.curve);
    ASSERT_TRUE(extentOf(43, {0, 0, 70, 80}, e));
    EXPECT_FALSE(e.curve);
}

TEST(MetafileRecords, WhatRecordsDrawWith)
{
    using R = PLMetafileRecords;
    // Lines, outlines and paths stroked or widened take the pen.
    for (uint32_t type : {2u, 4u, 7u, 8u, 41u, 42u, 43u, 44u, 45u, 46u, 47u, 54u, 55u, 56u, 63u, 64u, 66u, 86u, 90u})
        EXPECT_EQ(unsigned(R::kUsesPen), R::DrawingTools(type)) << type;
    // Text takes the font.
    for (uint32_t type : {83u, 84u, 96u, 97u, 108u})
        EXPECT_EQ(unsigned(R::kUsesFont), R::DrawingTools(type)) << type;
    // Fills, bitmaps, objects and state take neither.
    for (uint32_t type : {62u, 71u, 76u, 81u, 37u, 38u, 82u, 35u, 9u})
        EXPECT_EQ(unsigned(R::kNoTools), R::DrawingTools(type)) << type;
}

TEST(MetafileRecords, PointsAndCharactersARecordDraws)
{
    auto countOf = [](uint32_t type, std::initializer_list<uint32_t> words) {
        Bytes r;
        PutLE32(r, type);
        PutLE32(r, uint32_t(8 + 4 * words.size()));
        for (uint32_t w : words)
            PutLE32(r, w);
        return PLMetafileRecords::DrawingCount(r.data(), uint32_t(r.size()));
    };
    // Bounds, then the count of points (their bytes need not be there).
    EXPECT_EQ(3u, countOf(4, {0, 0, 10, 10, 3}));
    EXPECT_EQ(100000u, countOf(3, {0, 0, 10, 10, 100000}));
    EXPECT_EQ(7u, countOf(87, {0, 0, 10, 10, 7}));
    // Poly-polygons: polygons, then points, whichever is more.
    EXPECT_EQ(9u, countOf(8, {0, 0, 10, 10, 2, 9}));
    EXPECT_EQ(70000u, countOf(90, {0, 0, 10, 10, 70000, 5}));
    // Text: its characters.
    EXPECT_EQ(4u, countOf(84, {0, 0, 0, 0, 1, 0, 0, 0, 0, 4, 76, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(12u, countOf(108, {0, 0, 12, 0x100}));
    // Records that draw nothing of their own.
    EXPECT_EQ(0u, countOf(42, {0, 0, 10, 10}));
    EXPECT_EQ(0u, countOf(37, {1}));
}

TEST(MetafileRecords, PalettesHoldNoMoreEntriesThanADisplayShows)
{
    // The system allocates what a resize asks for: 0xE1F261E0 entries are
    // some 15 GB.
    auto palette = [](Emf& e) { e.Add(49, {1, 0x300 | (2u << 16), 0x000000FF, 0x0000FF00}).Add(48, {1}); };
    for (uint32_t entries : {2u, 256u, PLMetafileRecords::kMaxPaletteEntries})
    {
        Emf resized(2);
        palette(resized);
        resized.Add(51, {1, entries});
        EXPECT_TRUE(Sound(resized.Finish())) << entries;
    }
    for (uint32_t entries : {PLMetafileRecords::kMaxPaletteEntries + 1, 0x10000u, 0xE1F261E0u})
    {
        Emf resized(2);
        palette(resized);
        resized.Add(51, {1, entries});
        EXPECT_FALSE(Sound(resized.Finish())) << entries;
    }
    // Entries set beyond the largest palette.
    Emf set(2);
    palette(set);
    set.Add(50, {1, 0, 2, 0x00FFFFFF, 0});
    EXPECT_TRUE(Sound(set.Finish()));
    Emf setFar(2);
    palette(setFar);
    setFar.Add(50, {1, 0xFFFFFFF0u, 2, 0x00FFFFFF, 0});
    EXPECT_FALSE(Sound(setFar.Finish()));

    // The same in a Windows metafile (16-bit counts).
    auto wmfPalette = [](Wmf& w) { w.Add(0x00F7, {0x300, 2, 0x00FF, 0, 0xFF00, 0}).Add(0x0234, {0}); };
    Wmf small(1);
    wmfPalette(small);
    small.Add(0x0139, {256}).Add(0x0037, {0, 1, 0x00FF, 0});
    EXPECT_TRUE(Sound(small));
    Wmf big(1);
    wmfPalette(big);
    big.Add(0x0139, {0xFFFF});
    EXPECT_FALSE(Sound(big));
    Wmf distant(1);
    wmfPalette(distant);
    distant.Add(0x0037, {0xFFF0, 1, 0x00FF, 0});
    EXPECT_FALSE(Sound(distant));
}
