// The metafile decoder under GDI: enhanced and Windows metafiles (plain and
// placeable) recorded by the test, recognition by content and extension,
// and the mended refusals and limits.
#include <windows.h>

#include <functional>

#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLWEMFDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

ImageError DecodeWemf(const Bytes& data, PLBmp& bmp)
{
    PLWEMFDecoder decoder;
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

// Left half red, right half white.
void ExpectRedHalf(const PLBmp& bmp)
{
    PLAnyBmp colours;
    colours.CopyAtDepth(bmp, 32);
    const int w = bmp.GetWidth(), h = bmp.GetHeight();
    PLPixel32 left = colours.GetLineArray32()[h / 2][w / 4];
    PLPixel32 right = colours.GetLineArray32()[h / 2][w - 2];
    left.a = right.a = 0;  // the fourth byte is no alpha here
    EXPECT_EQ(left, PLPixel32(255, 0, 0, 0)) << w << "x" << h;
    EXPECT_EQ(right, PLPixel32(255, 255, 255, 0)) << w << "x" << h;
}
} // namespace

TEST(MetafileDecoder, EnhancedMetafile)
{
    const Bytes emf = MakeEmf(5000, 2500);  // 50 x 25 mm
    ASSERT_GT(emf.size(), 88u);
    PLWinBmp bmp;
    EXPECT_EQ(DecodeAny(emf, bmp), 9);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 32);
    EXPECT_FALSE(bmp.HasAlpha());
    // The frame at the reference device's pixels per millimetre.
    const ENHMETAHEADER* header = reinterpret_cast<const ENHMETAHEADER*>(emf.data());
    const int64_t width = int64_t(header->rclFrame.right - header->rclFrame.left) * header->szlDevice.cx /
                          (int64_t(header->szlMillimeters.cx) * 100);
    EXPECT_EQ(bmp.GetWidth(), width);
    EXPECT_GT(bmp.GetHeight(), 0);
    ExpectRedHalf(bmp);

    // Into a bitmap that is not a DIB block: through a copy.
    PLAnyBmp any;
    ASSERT_EQ(DecodeWemf(emf, any).code, 0);
    EXPECT_EQ(MaxColourDiff(any, bmp, false), 0);
}

TEST(MetafileDecoder, PlaceableAndPlainWindowsMetafiles)
{
    const Bytes wmf = MakeWmf(2880, 1440);
    // 1440 units per inch, 2880 wide: two inches at the screen's resolution.
    const Bytes placeable = MakePlaceable(wmf, 0, 0, 2880, 1440, 1440);
    PLWinBmp bmp;
    EXPECT_EQ(DecodeAny(placeable, bmp), 8);
    EXPECT_EQ(bmp.GetWidth(), 2 * ScreenDpi());
    EXPECT_EQ(bmp.GetHeight(), ScreenDpi());
    EXPECT_FALSE(bmp.HasAlpha());
    ExpectRedHalf(bmp);

    EXPECT_EQ(DecodeAny(wmf, bmp), 8);
    EXPECT_GT(bmp.GetWidth(), 0);
    EXPECT_GT(bmp.GetHeight(), 0);
}

TEST(MetafileDecoder, NameAndContent)
{
    const Bytes emf = MakeEmf(2000, 2000);
    const Bytes placeable = MakePlaceable(MakeWmf(100, 100), 0, 0, 100, 100, 96);

    // Imported under the ".wemf" extension: recognised by content.
    const std::string path = TempPath("drawing.wemf");
    WriteFile(path, emf);
    PLAnyPicDecoder decoder;
    PLWinBmp bmp;
    decoder.DecodeFile(path.c_str(), &bmp);
    EXPECT_EQ(decoder.LastFormatCode(), 9);
    WriteFile(path, placeable);
    decoder.DecodeFile(path.c_str(), &bmp);
    EXPECT_EQ(decoder.LastFormatCode(), 8);
    EXPECT_EQ(bmp.GetWidth(), 100 * ScreenDpi() / 96);

    // The extension still decides: an enhanced metafile named .wmf is played
    // all the same (the data tells the decoder which kind it is).
    const std::string named = TempPath("named.wmf");
    WriteFile(named, emf);
    decoder.DecodeFile(named.c_str(), &bmp);
    EXPECT_EQ(decoder.LastFormatCode(), 8);
    ExpectRedHalf(bmp);
    std::remove(path.c_str());
    std::remove(named.c_str());
}

TEST(MetafileDecoder, PaletteGivesEightBits)
{
    // The palette entries ride in the end record and the header counts them.
    Bytes emf = MakeEmf(2000, 1000);
    emf.resize(emf.size() - 20);
    const PLPixel32 entries[] = {PLPixel32(255, 0, 0), PLPixel32(255, 255, 255), PLPixel32(0, 0, 0)};
    const uint32_t size = 16 + 4 * 3 + 4;
    PutLE32(emf, 14);
    PutLE32(emf, size);
    PutLE32(emf, 3);
    PutLE32(emf, 16);
    for (const PLPixel32& e : entries)
        emf.insert(emf.end(), {e.r, e.g, e.b, 0});
    PutLE32(emf, size);
    PutLE32(&emf[48], uint32_t(emf.size()));
    PutLE32(&emf[68], 3);

    PLWinBmp bmp;
    ASSERT_EQ(DecodeWemf(emf, bmp).code, 0);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_FALSE(bmp.HasAlpha());
    ExpectRedHalf(bmp);
}

// --- faults mended ---------------------------------------------------------

TEST(MetafileDecoderFaults, ZeroUnitsAndFramesAreRefused)
{
    const Bytes wmf = MakeWmf(100, 100);
    PLWinBmp bmp;
    ImageError e = DecodeWemf(MakePlaceable(wmf, 0, 0, 100, 100, 0), bmp);
    EXPECT_EQ(e.code, 2);

    // A reference device of 0 millimetres.
    Bytes emf = MakeEmf(1000, 1000);
    PutLE32(&emf[80], 0);
    EXPECT_EQ(DecodeWemf(emf, bmp).code, 2);
    emf = MakeEmf(1000, 1000);
    PutLE32(&emf[84], 0);
    EXPECT_EQ(DecodeWemf(emf, bmp).code, 2);

    // A frame of size 0 is rendered at 320 x 200.
    emf = MakeEmf(1000, 1000);
    for (size_t at = 24; at < 40; at += 4)
        PutLE32(&emf[at], 0);
    ASSERT_EQ(DecodeWemf(emf, bmp).code, 0);
    EXPECT_EQ(bmp.GetWidth(), 320);
    EXPECT_EQ(bmp.GetHeight(), 200);
}

TEST(MetafileDecoderFaults, PlaceableHeaderIsCheckedBeforeUse)
{
    PLWinBmp bmp;
    for (size_t size : {4u, 10u, 21u})
    {
        Bytes data = MakePlaceable(MakeWmf(10, 10), 0, 0, 10, 10, 96);
        data.resize(size);
        EXPECT_EQ(DecodeWemf(data, bmp).code, 2) << size;
    }
    // The key, and records that run past the end.
    Bytes junk = MakePlaceable(Bytes(30, 0x5A), 0, 0, 10, 10, 96);
    ImageError e = DecodeWemf(junk, bmp);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.text, "Decoder error: Metafile records are damaged or truncated.\n");
}

// The largest renderings take seconds on a busy machine: these tests are
// about sizes, not the time limit, which is set out of their way.
class CGenerousPlaybackLimit
{
public:
    CGenerousPlaybackLimit() : m_saved(PLWEMFDecoder::GetPlaybackLimit()) { PLWEMFDecoder::SetPlaybackLimit(120000); }
    ~CGenerousPlaybackLimit() { PLWEMFDecoder::SetPlaybackLimit(m_saved); }

private:
    unsigned m_saved;
};

TEST(MetafileDecoderFaults, RenderingSizeIsCapped)
{
    CGenerousPlaybackLimit limit;
    const int64_t saved = PLBmp::GetMaxBytes();
    PLBmp::SetMaxBytes(8 << 20);
    PLWinBmp bmp;
    // 32767 units at 1 unit per inch: far beyond any bitmap.
    const Bytes huge = MakePlaceable(MakeWmf(100, 50), 0, 0, 32767, 16000, 1);
    ImageError e = DecodeWemf(huge, bmp);
    PLBmp::SetMaxBytes(saved);
    ASSERT_EQ(e.code, 0);
    EXPECT_LE(bmp.GetWidth(), PLWEMFDecoder::kMaxSide);
    EXPECT_LE(int64_t(bmp.GetWidth()) * bmp.GetHeight() * 4, int64_t(8) << 20);
    // The aspect ratio is kept.
    EXPECT_NEAR(double(bmp.GetWidth()) / bmp.GetHeight(), 32767.0 / 16000.0, 0.05);

    // An enhanced metafile with an enormous frame.
    Bytes emf = MakeEmf(1000, 1000);
    PutLE32(&emf[32], 0x7FFFFFF0);
    PutLE32(&emf[36], 0x7FFFFFF0);
    ASSERT_EQ(DecodeWemf(emf, bmp).code, 0);
    EXPECT_LE(bmp.GetWidth(), PLWEMFDecoder::kMaxSide);
    EXPECT_LE(bmp.GetHeight(), PLWEMFDecoder::kMaxSide);
}

TEST(MetafileDecoderFaults, PlaceableMetafilesWiderThanTheCapKeepTheirShape)
{
    // 10,000 x 2,000 units at the screen's resolution: 10,000 x 2,000
    // pixels, beyond the side limit. The picture is scaled as a whole:
    // 8192 pixels wide, its height in proportion, the red half where it was.
    CGenerousPlaybackLimit limit;
    const int dpi = ScreenDpi();
    for (int height : {2000, 200})
    {
        const Bytes wide = MakePlaceable(MakeWmf(10000, height), 0, 0, 10000, height, dpi);
        PLWinBmp bmp;
        ASSERT_EQ(DecodeWemf(wide, bmp).code, 0) << height;
        EXPECT_EQ(bmp.GetWidth(), PLWEMFDecoder::kMaxSide) << height;
        EXPECT_NEAR(bmp.GetHeight(), height * PLWEMFDecoder::kMaxSide / 10000.0, 1.0) << height;
        ExpectRedHalf(bmp);
        // Red from top to bottom on the left, white on the right.
        PLAnyBmp colours;
        colours.CopyAtDepth(bmp, 32);
        const int w = colours.GetWidth(), h = colours.GetHeight();
        for (int y : {1, h / 4, h / 2, 3 * h / 4, h - 2})
        {
            PLPixel32 left = colours.GetLineArray32()[y][w / 2 - w / 20];
            PLPixel32 right = colours.GetLineArray32()[y][w / 2 + w / 20];
            left.a = right.a = 0;
            EXPECT_EQ(left, PLPixel32(255, 0, 0, 0)) << height << " line " << y;
            EXPECT_EQ(right, PLPixel32(255, 255, 255, 0)) << height << " line " << y;
        }
    }
    // Tall instead of wide: the same.
    const Bytes tall = MakePlaceable(MakeWmf(2000, 10000), 0, 0, 2000, 10000, dpi);
    PLWinBmp bmp;
    ASSERT_EQ(DecodeWemf(tall, bmp).code, 0);
    EXPECT_EQ(bmp.GetHeight(), PLWEMFDecoder::kMaxSide);
    EXPECT_NEAR(bmp.GetWidth(), 2000 * PLWEMFDecoder::kMaxSide / 10000.0, 1.0);
    ExpectRedHalf(bmp);
}
