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
// An enhanced metafile: the header record, the records added, the end.
class Emf
{
public:
    explicit Emf(unsigned handles)
    {
        Add(1, {0, 0, 100, 100, 0, 0, 2000, 2000, 0x464D4520u, 0x10000u, 0, 0, handles, 0, 0, 0, 1024, 768, 320, 240});
    }
    Emf& Add(uint32_t type, std::initializer_list<uint32_t> words)
    {
        PutLE32(m_Data, type);
        PutLE32(m_Data, uint32_t(8 + 4 * words.size()));
        for (uint32_t w : words)
            PutLE32(m_Data, w);
        return *this;
    }
    Bytes Finish(bool withEnd = true) const
    {
        Bytes out = m_Data;
        if (withEnd)
            AppendEnd(out);
        testimg::PutLE32(&out[48], uint32_t(out.size()));
        return out;
    }
    // The end-of-file record.
    static void AppendEnd(Bytes& out)
    {
        for (uint32_t w : {14u, 20u, 0u, 16u, 20u})
            PutLE32(out, w);
    }

private:
    Bytes m_Data;
};

bool Sound(const Bytes& emf)
{
    return PLMetafileRecords::IsSoundEnhanced(emf.data(), int(emf.size()));
}

// A Windows metafile (no placeable header).
class Wmf
{
public:
    explicit Wmf(unsigned objects) : m_Objects(objects) {}
    Wmf& Add(unsigned function, std::initializer_list<unsigned> params)
    {
        PutLE32(m_Records, uint32_t(3 + params.size()));
        PutLE16(m_Records, function);
        for (unsigned p : params)
            PutLE16(m_Records, p);
        return *this;
    }
    Wmf& AddBytes(unsigned function, const Bytes& params)
    {
        PutLE32(m_Records, uint32_t(3 + params.size() / 2));
        PutLE16(m_Records, function);
        m_Records.insert(m_Records.end(), params.begin(), params.end());
        return *this;
    }
    Bytes Finish() const
    {
        Bytes out;
        PutLE16(out, 1);
        PutLE16(out, 9);
        PutLE16(out, 0x300);
        PutLE32(out, uint32_t((18 + m_Records.size() + 6) / 2));
        PutLE16(out, m_Objects);
        PutLE32(out, 100);
        PutLE16(out, 0);
        out.insert(out.end(), m_Records.begin(), m_Records.end());
        PutLE32(out, 3);
        PutLE16(out, 0);
        return out;
    }

private:
    unsigned m_Objects;
    Bytes m_Records;
};

bool Sound(const Wmf& wmf)
{
    const Bytes b = wmf.Finish();
    return PLMetafileRecords::IsSoundWindows(b.data(), int(b.size()));
}

// A packed DIB: 40-byte header, colour table, lines.
Bytes Dib(int width, int height, int bpp, uint32_t compression = 0, size_t lineBytesGiven = 0)
{
    Bytes out;
    PutLE32(out, 40);
    PutLE32(out, uint32_t(width));
    PutLE32(out, uint32_t(height));
    PutLE16(out, 1);
    PutLE16(out, unsigned(bpp));
    PutLE32(out, compression);
    out.insert(out.end(), 20, 0);
    if (bpp <= 8)
        out.insert(out.end(), size_t(4) << bpp, 0x40);
    const size_t stride = ((size_t(width) * size_t(bpp) + 31) / 32) * 4;
    const size_t lines = size_t(height < 0 ? -height : height);
    out.insert(out.end(), lineBytesGiven ? lineBytesGiven : stride * lines, 0x11);
    return out;
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
