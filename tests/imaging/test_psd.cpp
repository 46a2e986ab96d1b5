// The PSD decoder: greyscale, indexed and RGB(A) merged images against the
// source picture, resources, layers, refusals and the mended bounds.
#include <gtest/gtest.h>

#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLMemSource.h"
#include "imaging/PLPSDDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
ImageError DecodePsd(const Bytes& data, PLBmp& bmp)
{
    PLPSDDecoder decoder;
    return CatchImageError([&] { decoder.DecodeMemory(data.data(), int(data.size()), &bmp); });
}

// Offset of the colour-mode section length (after the 26-byte header).
const size_t kColourModeAt = 26;

size_t ResourcesAt(const Bytes& psd)
{
    return kColourModeAt + 4 + GetBE32(&psd[kColourModeAt]);
}

size_t LayersAt(const Bytes& psd)
{
    const size_t at = ResourcesAt(psd);
    return at + 4 + GetBE32(&psd[at]);
}
} // namespace

TEST(PsdDecoder, GreyIndexedAndRgb)
{
    PLAnyBmp grey;
    MakePattern(grey, 15, 6, 8, false, 4);
    grey.SetGreyRamp();
    PsdLayout layout;
    layout.mode = 1;
    layout.channels = 1;
    PLWinBmp bmp;
    ASSERT_EQ(DecodePsd(MakePsd(grey, layout), bmp).code, 0);
    EXPECT_TRUE(bmp == grey);
    EXPECT_EQ(DecodeAny(MakePsd(grey, layout), bmp), 14);

    PLAnyBmp indexed;
    MakePattern(indexed, 10, 7, 8, false, 8);
    layout.mode = 2;
    layout.channels = 2;  // the second channel is dropped
    ASSERT_EQ(DecodePsd(MakePsd(indexed, layout), bmp).code, 0);
    EXPECT_TRUE(bmp == indexed);

    PLAnyBmp rgb;
    MakePattern(rgb, 12, 5, 32, true);
    layout.mode = 3;
    for (int channels : {3, 4, 5})
    {
        layout.channels = channels;
        ASSERT_EQ(DecodePsd(MakePsd(rgb, layout), bmp).code, 0) << channels;
        EXPECT_EQ(bmp.HasAlpha(), channels > 3);
        EXPECT_EQ(MaxColourDiff(bmp, rgb, channels > 3), 0) << channels;
    }
}

TEST(PsdDecoder, ResolutionLayersAndWideRows)
{
    PLAnyBmp rgb;
    MakePattern(rgb, 200, 3, 32, false);
    PsdLayout layout;
    layout.resolution = 72;
    layout.layer = true;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePsd(MakePsd(rgb, layout), bmp).code, 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(72, 72));
    EXPECT_EQ(MaxColourDiff(bmp, rgb, false), 0);

    layout.resolution = 0;
    ASSERT_EQ(DecodePsd(MakePsd(rgb, layout), bmp).code, 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(0, 0));

    // Layer by layer: the layer is the picture's top-left quarter.
    PLAnyBmp small;
    MakePattern(small, 6, 4, 32, false);
    layout.resolution = 300;
    Bytes file = MakePsd(small, layout);
    PLMemSource source;
    source.Open(file.data(), int(file.size()));
    PLPSDDecoder decoder;
    ASSERT_EQ(decoder.OpenLayers(&source), 1);
    EXPECT_EQ(decoder.GetNextLayerOffset(), PLPoint(0, 0));
    decoder.ReadNextLayer(&bmp);
    ASSERT_EQ(bmp.GetWidth(), 3);
    ASSERT_EQ(bmp.GetHeight(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bmp.GetLineArray32()[y][x], small.GetLineArray32()[y][x]);
    EXPECT_EQ(CatchImageError([&] { decoder.ReadNextLayer(&bmp); }).code, 2);
    decoder.ReadMergedImage(&source, &bmp);
    EXPECT_EQ(MaxColourDiff(bmp, small, false), 0);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(300, 300));
}

TEST(PsdDecoder, Refusals)
{
    PLAnyBmp rgb;
    MakePattern(rgb, 4, 4, 32, false);
    PLAnyBmp bmp;
    Bytes file = MakePsd(rgb, PsdLayout());
    file[1] = 'X';
    ImageError e = DecodePsd(file, bmp);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.text, "Decoder error: PSD decoder: This isn't a photoshop file.\n");

    file = MakePsd(rgb, PsdLayout());
    file[25] = 4;  // CMYK
    e = DecodePsd(file, bmp);
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text, "Decoder error: This PSD color mode is not supported.\n");

    PsdLayout raw;
    raw.compression = 0;
    e = DecodePsd(MakePsd(rgb, raw), bmp);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.text, "Decoder error: PSD decoder: Compression type not supported.\n");
    raw.compression = 9;
    e = DecodePsd(MakePsd(rgb, raw), bmp);
    EXPECT_EQ(e.text, "Decoder error: PSD decoder: Compression unknown.\n");

    file = MakePsd(rgb, PsdLayout());
    const size_t resources = ResourcesAt(file);
    file[resources + 4] = '7';
    e = DecodePsd(file, bmp);
    EXPECT_EQ(e.text, "Decoder error: PSD decoder: Wrong signature in resource data block.\n");

    file = MakePsd(rgb, PsdLayout());
    file.resize(file.size() - 3);
    EXPECT_EQ(DecodePsd(file, bmp).code, 11);
}

// --- faults mended ---------------------------------------------------------

TEST(PsdDecoderFaults, ColourModeSectionIsSkippedByItsLength)
{
    PLAnyBmp indexed;
    MakePattern(indexed, 5, 3, 8, false, 2);
    PsdLayout layout;
    layout.mode = 2;
    layout.channels = 1;
    layout.colourModeExtra = 77;
    PLAnyBmp bmp;
    ASSERT_EQ(DecodePsd(MakePsd(indexed, layout), bmp).code, 0);
    EXPECT_TRUE(bmp == indexed);

    // A short colour-mode section is skipped too, and is no palette.
    PLAnyBmp rgb;
    MakePattern(rgb, 5, 3, 32, false);
    PsdLayout rgbLayout;
    rgbLayout.colourModeExtra = 40;
    ASSERT_EQ(DecodePsd(MakePsd(rgb, rgbLayout), bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, rgb, false), 0);
}

TEST(PsdDecoderFaults, SectionLengthsAreBoundedByTheFile)
{
    PLAnyBmp rgb;
    MakePattern(rgb, 5, 3, 32, false);
    PsdLayout layout;
    layout.layer = true;
    layout.resolution = 96;
    const Bytes good = MakePsd(rgb, layout);
    PLAnyBmp bmp;

    for (uint32_t length : {0x7FFFFFFFu, 0x01000000u, uint32_t(good.size())})
    {
        Bytes file = good;
        PutBE32(&file[kColourModeAt], length);
        EXPECT_EQ(DecodePsd(file, bmp).code, 11) << length;
        file = good;
        PutBE32(&file[ResourcesAt(good)], length);
        EXPECT_EQ(DecodePsd(file, bmp).code, 11) << length;
        file = good;
        PutBE32(&file[LayersAt(good)], length);
        EXPECT_EQ(DecodePsd(file, bmp).code, 11) << length;
    }

    // A resource whose size runs past its section.
    Bytes file = good;
    const size_t firstResource = ResourcesAt(good) + 4;
    PutBE32(&file[firstResource + 4 + 2 + 4], 0x7FFFFFF0);
    EXPECT_EQ(DecodePsd(file, bmp).code, 2);

    // The layer section is left at its start plus its length, whatever the
    // records inside say.
    file = good;
    const size_t layers = LayersAt(good);
    PutBE32(&file[layers + 4], 0x7FFFFFF0);  // layer info length
    EXPECT_EQ(DecodePsd(file, bmp).code, 2);
    file = good;
    PutBE32(&file[layers + 4], 0);  // no layer records: still skipped whole
    ASSERT_EQ(DecodePsd(file, bmp).code, 0);
    EXPECT_EQ(MaxColourDiff(bmp, rgb, false), 0);
}

TEST(PsdDecoderFaults, ChannelsSizesVersionAndDepth)
{
    PLAnyBmp rgb;
    MakePattern(rgb, 4, 3, 32, false);
    const Bytes good = MakePsd(rgb, PsdLayout());
    PLAnyBmp bmp;
    auto with16 = [&](size_t at, unsigned value) {
        Bytes f = good;
        f[at] = uint8_t(value >> 8);
        f[at + 1] = uint8_t(value);
        return DecodePsd(f, bmp).code;
    };
    auto with32 = [&](size_t at, uint32_t value) {
        Bytes f = good;
        PutBE32(&f[at], value);
        return DecodePsd(f, bmp).code;
    };
    EXPECT_EQ(with16(12, 0), 2);
    EXPECT_EQ(with16(12, 57), 2);
    EXPECT_EQ(with16(12, 0xFFFF), 2);
    EXPECT_EQ(with16(12, 2), 2);  // RGB needs three
    EXPECT_EQ(with32(14, 0), 2);
    EXPECT_EQ(with32(18, 30001), 2);
    EXPECT_EQ(with32(18, 0xFFFFFFFFu), 2);
    EXPECT_EQ(with16(4, 2), 2);
    EXPECT_EQ(with16(4, 0), 2);
    ImageError e = CatchImageError([&] {
        Bytes f = good;
        f[23] = 16;
        PLPSDDecoder decoder;
        decoder.DecodeMemory(f.data(), int(f.size()), &bmp);
    });
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(with16(22, 1), 6);
    EXPECT_EQ(with16(22, 32), 6);
}

TEST(PsdDecoderFaults, StateIsResetForEveryFile)
{
    // A file with a resolution, then one without: the second has none.
    PLAnyBmp rgb;
    MakePattern(rgb, 4, 3, 32, false);
    PsdLayout layout;
    layout.resolution = 150;
    const Bytes first = MakePsd(rgb, layout);
    layout.resolution = 0;
    const Bytes second = MakePsd(rgb, layout);

    PLAnyBmp indexed;
    MakePattern(indexed, 4, 3, 8, false, 5);
    PsdLayout indexedLayout;
    indexedLayout.mode = 2;
    indexedLayout.channels = 1;
    const Bytes withPalette = MakePsd(indexed, indexedLayout);
    Bytes withoutPalette = withPalette;
    // An indexed file whose colour-mode section is empty.
    withoutPalette.erase(withoutPalette.begin() + long(kColourModeAt + 4),
                         withoutPalette.begin() + long(kColourModeAt + 4 + 768));
    PutBE32(&withoutPalette[kColourModeAt], 0);

    PLPSDDecoder decoder;
    PLAnyBmp bmp;
    decoder.DecodeMemory(first.data(), int(first.size()), &bmp);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(150, 150));
    decoder.DecodeMemory(second.data(), int(second.size()), &bmp);
    EXPECT_EQ(bmp.GetResolution(), PLPoint(0, 0));

    decoder.DecodeMemory(withPalette.data(), int(withPalette.size()), &bmp);
    EXPECT_TRUE(bmp == indexed);
    decoder.DecodeMemory(withoutPalette.data(), int(withoutPalette.size()), &bmp);
    EXPECT_EQ(bmp.GetPalette()[200], PLPixel32(200, 200, 200, 255));
}
