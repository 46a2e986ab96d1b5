// TIFF: round trips, the in-memory I/O, library variants and error paths.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>
#include <tiffio.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLTIFFEncoder.h"
#include "imaging/PLTiffHandle.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
void WriteRows(TIFF* tif, uint32_t height, const std::vector<uint8_t>& row)
{
    std::vector<uint8_t> copy(row);
    for (uint32_t y = 0; y < height; ++y)
        TIFFWriteScanline(tif, copy.data(), y, 0);
}

// Reads one tag of the first directory of a TIFF in memory.
template <typename T>
bool ReadTag(const Bytes& data, uint32_t tag, T* value)
{
    PLTiffHandle tiff;
    TIFF* tif = tiff.OpenTiffInMemory(data.data(), int64_t(data.size()));
    return tif && TIFFGetField(tif, tag, value);
}
} // namespace

TEST(Tiff, RoundTripsExact)
{
    PLTIFFEncoder encoder;
    for (int bpp : {1, 4, 8, 24, 32})
        for (int width : {1, 5, 9, 31})
            for (bool alpha : {false, true})
            {
                if (alpha && bpp != 32)
                    continue;
                PLWinBmp pic;
                MakePattern(pic, width, 6, bpp, alpha, unsigned(bpp + width));
                pic.SetResolution(PLPoint(300, 150));
                Bytes tiff = Encode(encoder, pic);
                PLWinBmp back;
                ASSERT_EQ(DecodeAny(tiff, back), 4);
                SCOPED_TRACE(testing::Message() << "bpp " << bpp << " width " << width << " alpha " << alpha);
                EXPECT_EQ(back.GetBitsPerPixel(), bpp == 1 ? 1 : (bpp <= 8 ? 8 : 32));
                EXPECT_FALSE(back.HasAlpha());  // TIFF export keeps colour only
                EXPECT_EQ(MaxColourDiff(back, pic, false), 0);
                EXPECT_EQ(back.GetResolution(), PLPoint(300, 150));
            }
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

TEST(Tiff, EncoderTags)
{
    PLTIFFEncoder encoder;
    PLAnyBmp pal;
    MakePattern(pal, 4, 4, 8, false);
    pal.SetPaletteEntry(7, 255, 255, 255);
    Bytes tiff = Encode(encoder, pal);
    uint16_t photometric = 0;
    ASSERT_TRUE(ReadTag(tiff, TIFFTAG_PHOTOMETRIC, &photometric));
    EXPECT_EQ(photometric, PHOTOMETRIC_PALETTE);
    {
        PLTiffHandle handle;
        TIFF* tif = handle.OpenTiffInMemory(tiff.data(), int64_t(tiff.size()));
        uint16_t *r, *g, *b;
        ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b));
        EXPECT_EQ(r[7], 65535);
        EXPECT_EQ(b[7], 65535);
        uint16_t compression = 0;
        TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
        EXPECT_EQ(compression, COMPRESSION_PACKBITS);
    }

    PLAnyBmp mono;
    MakePattern(mono, 9, 2, 1, false);  // palette white, black
    ASSERT_TRUE(ReadTag(Encode(encoder, mono), TIFFTAG_PHOTOMETRIC, &photometric));
    EXPECT_EQ(photometric, PHOTOMETRIC_MINISWHITE);
    mono.SetPaletteEntry(0, 0, 0, 0);
    mono.SetPaletteEntry(1, 255, 255, 255);
    ASSERT_TRUE(ReadTag(Encode(encoder, mono), TIFFTAG_PHOTOMETRIC, &photometric));
    EXPECT_EQ(photometric, PHOTOMETRIC_MINISBLACK);

    encoder.SetCompression(COMPRESSION_LZW);
    PLAnyBmp rgb;
    MakePattern(rgb, 10, 10, 32, false);
    Bytes lzw = Encode(encoder, rgb);
    uint16_t compression = 0;
    ASSERT_TRUE(ReadTag(lzw, TIFFTAG_COMPRESSION, &compression));
    EXPECT_EQ(compression, COMPRESSION_LZW);
    PLAnyBmp back;
    DecodeAny(lzw, back);
    EXPECT_EQ(MaxColourDiff(back, rgb, false), 0);
}

TEST(Tiff, MemoryIoClipsAndCountsIn64Bits)
{
    Bytes buffer(100, 0);
    PLTiffHandle tiff;
    TIFF* tif = tiff.OpenTiffInMemory(buffer.data(), 100, true);
    ASSERT_NE(tif, nullptr);
    thandle_t h = TIFFClientdata(tif);
    TIFFSeekProc seek = TIFFGetSeekProc(tif);
    TIFFReadWriteProc write = TIFFGetWriteProc(tif);
    TIFFReadWriteProc read = TIFFGetReadProc(tif);
    const int64_t size = tiff.GetSize();
    EXPECT_EQ(int64_t(seek(h, 0, SEEK_END)), size);  // end + 0 lands at the current size

    uint8_t data[64];
    std::memset(data, 0x5A, sizeof(data));
    EXPECT_EQ(int64_t(seek(h, 60, SEEK_SET)), 60);
    EXPECT_EQ(write(h, data, 64), 40);  // up to the capacity only
    EXPECT_EQ(tiff.GetSize(), 100);
    EXPECT_EQ(write(h, data, 1), 0);
    EXPECT_EQ(int64_t(seek(h, toff_t(1) << 40, SEEK_SET)), 100);  // clipped
    EXPECT_EQ(seek(h, toff_t(-200), SEEK_CUR), toff_t(-1));
    EXPECT_EQ(read(h, data, 10), 0);  // nothing is read from a TIFF being written
    tiff.Close();

    // Reading: past the end gives 0 bytes, never a negative length.
    Bytes file(20, 7);
    PLTiffHandle reader;
    reader.OpenTiffInMemory(file.data(), 20);  // not a TIFF: no handle
    EXPECT_EQ(reader.Get(), nullptr);
    EXPECT_NE(std::string(reader.GetLastError()), "");
}

TEST(Tiff, DirectoryOffsetPastTheEnd)
{
    // The 8-byte header alone, pointing at a directory far beyond it.
    Bytes tiny = {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0x7F};
    PLAnyBmp bmp;
    ImageError e = CatchImageError([&] { DecodeAny(tiny, bmp); });
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.text.rfind("Decoder error: ", 0), 0u);
    Bytes big = {'M', 'M', 0, 42, 0xFF, 0xFF, 0xFF, 0xF0};
    EXPECT_EQ(CatchImageError([&] { DecodeAny(big, bmp); }).code, 1);
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

TEST(Tiff, LineByLineVariants)
{
    PLAnyBmp bmp;
    // 1-bit min-is-white: entry 0 is white.
    DecodeAny(MakeTiff([](TIFF* tif) {
                  SetBasicTags(tif, 10, 2, 1, 1, PHOTOMETRIC_MINISWHITE);
                  WriteRows(tif, 2, {0xC0, 0x40});
              }),
              bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 1);
    EXPECT_EQ(bmp.GetPalette()[0], PLPixel32(255, 255, 255));
    EXPECT_EQ(bmp.GetLineArray()[1][0], 0xC0);

    // 2-bit grey.
    DecodeAny(MakeTiff([](TIFF* tif) {
                  SetBasicTags(tif, 5, 1, 2, 1, PHOTOMETRIC_MINISBLACK);
                  WriteRows(tif, 1, {0x1B, 0xC0});
              }),
              bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 1);
    EXPECT_EQ(bmp.GetLineArray()[0][3], 3);
    EXPECT_EQ(bmp.GetLineArray()[0][4], 3);
    EXPECT_EQ(bmp.GetPalette()[2], PLPixel32(170, 170, 170));

    // 4-bit palette with 8-bit colour-map values, and with 16-bit ones.
    for (bool wide : {false, true})
    {
        DecodeAny(MakeTiff([wide](TIFF* tif) {
                      SetBasicTags(tif, 3, 1, 4, 1, PHOTOMETRIC_PALETTE);
                      std::vector<uint16_t> r(16, 0), g(16, 0), b(16, 0);
                      r[1] = wide ? 65535 : 200;
                      g[2] = wide ? 32896 : 100;
                      TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
                      WriteRows(tif, 1, {0x12, 0xF0});
                  }),
                  bmp);
        EXPECT_EQ(bmp.GetPalette()[1].r, wide ? 255 : 200);
        EXPECT_EQ(bmp.GetPalette()[2].g, wide ? 128 : 100);
        EXPECT_EQ(bmp.GetLineArray()[0][0], 1);
        EXPECT_EQ(bmp.GetLineArray()[0][2], 15);
    }

    // Two samples (grey + alpha): the first sample of each pixel.
    DecodeAny(MakeTiff([](TIFF* tif) {
                  SetBasicTags(tif, 3, 1, 8, 2, PHOTOMETRIC_MINISBLACK);
                  uint16_t extra = EXTRASAMPLE_UNASSALPHA;
                  TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
                  WriteRows(tif, 1, {10, 255, 20, 0, 30, 128});
              }),
              bmp);
    EXPECT_EQ(bmp.GetLineArray()[0][2], 30);
}

TEST(Tiff, RgbaReaderVariants)
{
    PLAnyBmp bmp;
    // Three 16-bit samples go through the RGBA reader.
    DecodeAny(MakeTiff([](TIFF* tif) {
                  SetBasicTags(tif, 2, 1, 16, 3, PHOTOMETRIC_RGB);
                  std::vector<uint16_t> row = {0x1200, 0x3400, 0x5600, 0xFF00, 0x0000, 0x8000};
                  TIFFWriteScanline(tif, row.data(), 0, 0);
              }),
              bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    EXPECT_EQ(bmp.GetLineArray32()[0][0], PLPixel32(0x12, 0x34, 0x56, 255));

    // One 16-bit grey sample: not a depth the line reader takes.
    DecodeAny(MakeTiff([](TIFF* tif) {
                  SetBasicTags(tif, 2, 1, 16, 1, PHOTOMETRIC_MINISBLACK);
                  std::vector<uint16_t> row = {0x0000, 0xFFFF};
                  TIFFWriteScanline(tif, row.data(), 0, 0);
              }),
              bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    EXPECT_EQ(bmp.GetLineArray32()[0][1], PLPixel32(255, 255, 255, 255));

    // RGB with an unassociated alpha sample: samples taken as they are.
    DecodeAny(MakeTiff([](TIFF* tif) {
                  SetBasicTags(tif, 2, 2, 8, 4, PHOTOMETRIC_RGB);
                  uint16_t extra = EXTRASAMPLE_UNASSALPHA;
                  TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
                  WriteRows(tif, 2, {200, 100, 50, 128, 1, 2, 3, 0});
              }),
              bmp);
    EXPECT_TRUE(bmp.HasAlpha());
    EXPECT_EQ(bmp.GetLineArray32()[1][0], PLPixel32(200, 100, 50, 128));
    EXPECT_EQ(bmp.GetLineArray32()[0][1], PLPixel32(1, 2, 3, 0));

    // An alpha sample that is 0 everywhere means nothing.
    DecodeAny(MakeTiff([](TIFF* tif) {
                  SetBasicTags(tif, 1, 1, 8, 4, PHOTOMETRIC_RGB);
                  uint16_t extra = EXTRASAMPLE_UNASSALPHA;
                  TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
                  WriteRows(tif, 1, {9, 8, 7, 0});
              }),
              bmp);
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_EQ(bmp.GetLineArray32()[0][0].r, 9);

    // A tiled image.
    DecodeAny(MakeTiff([](TIFF* tif) {
                  SetBasicTags(tif, 20, 18, 8, 3, PHOTOMETRIC_RGB);
                  TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
                  TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
                  std::vector<uint8_t> tile(16 * 16 * 3);
                  for (size_t i = 0; i < tile.size(); ++i)
                      tile[i] = uint8_t(i / 3);
                  for (uint32_t ty = 0; ty < 18; ty += 16)
                      for (uint32_t tx = 0; tx < 20; tx += 16)
                          TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0);
              }),
              bmp);
    EXPECT_EQ(bmp.GetWidth(), 20);
    EXPECT_EQ(bmp.GetLineArray32()[17][19].r, uint8_t(1 * 16 + 3));
}

namespace
{
struct RgbaCase
{
    const char* name;
    uint32_t width, height;
    int bits, samples, planar, orientation, extra; // extra: 0, or the kind of the 4th sample
    bool tiled;
};

// A picture of noise in the case's layout.
Bytes MakeRgbaCase(const RgbaCase& c)
{
    return MakeTiff([&c](TIFF* tif) {
        SetBasicTags(tif, c.width, c.height, c.bits, c.samples, c.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, c.planar);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, c.orientation);
        if (c.extra)
        {
            uint16_t extra = uint16_t(c.extra);
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
        }
        const int bytes = c.bits / 8;
        const int perPixel = c.planar == PLANARCONFIG_CONTIG ? c.samples : 1;
        const int planes = c.planar == PLANARCONFIG_CONTIG ? 1 : c.samples;
        unsigned seed = c.width * 31 + c.height;
        auto noise = [&seed]() {
            seed = seed * 1103515245u + 12345u;
            return uint8_t(seed >> 23);
        };
        if (c.tiled)
        {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
            std::vector<uint8_t> tile(size_t(16 * 16 * perPixel * bytes));
            for (int s = 0; s < planes; ++s)
                for (uint32_t ty = 0; ty < c.height; ty += 16)
                    for (uint32_t tx = 0; tx < c.width; tx += 16)
                    {
                        for (uint8_t& b : tile)
                            b = noise();
                        TIFFWriteTile(tif, tile.data(), tx, ty, 0, uint16_t(s));
                    }
            return;
        }
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 5);
        std::vector<uint8_t> row(size_t(c.width) * size_t(perPixel * bytes));
        for (int s = 0; s < planes; ++s)
            for (uint32_t y = 0; y < c.height; ++y)
            {
                for (uint8_t& b : row)
                    b = noise();
                TIFFWriteScanline(tif, row.data(), y, uint16_t(s));
            }
    });
}
} // namespace

// The RGBA reader writes straight into the bitmap's lines: every layout and
// orientation gives, in a top-down bitmap and in a bottom-up DIB, the pixels
// libtiff's own reader gives for the picture seen from its top left corner.
TEST(Tiff, RgbaReaderFillsTheLinesAsLibtiffReadsThePicture)
{
    const RgbaCase cases[] = {
        { "strips", 37, 23, 8, 3, PLANARCONFIG_CONTIG, ORIENTATION_TOPLEFT, 0, false },
        { "bottom left", 37, 23, 8, 3, PLANARCONFIG_CONTIG, ORIENTATION_BOTLEFT, 0, false },
        { "top right", 37, 23, 8, 3, PLANARCONFIG_CONTIG, ORIENTATION_TOPRIGHT, 0, false },
        { "bottom right", 37, 23, 8, 3, PLANARCONFIG_CONTIG, ORIENTATION_BOTRIGHT, 0, false },
        { "16 bits", 19, 11, 16, 3, PLANARCONFIG_CONTIG, ORIENTATION_TOPLEFT, 0, false },
        { "planes", 21, 13, 8, 3, PLANARCONFIG_SEPARATE, ORIENTATION_TOPLEFT, 0, false },
        { "planes with alpha", 21, 13, 8, 4, PLANARCONFIG_SEPARATE, ORIENTATION_BOTLEFT, EXTRASAMPLE_UNASSALPHA, false },
        { "tiles", 40, 30, 8, 3, PLANARCONFIG_CONTIG, ORIENTATION_BOTLEFT, 0, true },
        { "associated alpha", 17, 9, 8, 4, PLANARCONFIG_CONTIG, ORIENTATION_TOPLEFT, EXTRASAMPLE_ASSOCALPHA, false },
        { "grey 16 bits", 15, 7, 16, 1, PLANARCONFIG_CONTIG, ORIENTATION_BOTRIGHT, 0, false },
    };
    for (const RgbaCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Bytes data = MakeRgbaCase(c);
        std::vector<uint32_t> expected(size_t(c.width) * c.height);
        {
            PLTiffHandle tiff;
            TIFF* tif = tiff.OpenTiffInMemory(data.data(), int64_t(data.size()));
            ASSERT_TRUE(tif);
            ASSERT_TRUE(TIFFReadRGBAImageOriented(tif, c.width, c.height, expected.data(), ORIENTATION_TOPLEFT, 0));
        }
        PLAnyBmp plain;
        PLWinBmp dib;
        for (PLBmp* bmp : { static_cast<PLBmp*>(&plain), static_cast<PLBmp*>(&dib) })
        {
            DecodeAny(data, *bmp);
            ASSERT_EQ(bmp->GetBitsPerPixel(), 32);
            ASSERT_EQ(bmp->GetWidth(), int(c.width));
            ASSERT_EQ(bmp->GetHeight(), int(c.height));
            int wrong = 0;
            for (uint32_t y = 0; y < c.height; ++y)
                for (uint32_t x = 0; x < c.width; ++x)
                {
                    const uint32_t v = expected[size_t(y) * c.width + x];
                    const PLPixel32 want(uint8_t(TIFFGetR(v)), uint8_t(TIFFGetG(v)), uint8_t(TIFFGetB(v)),
                                         uint8_t(TIFFGetA(v)));
                    wrong += bmp->GetLineArray32()[y][x] != want;
                }
            EXPECT_EQ(wrong, 0) << (bmp == &plain ? "top-down bitmap" : "DIB");
        }
    }
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

TEST(Tiff, Resolution)
{
    struct Case
    {
        float x;
        int unit;  // 0: no tag
        PLPoint expected;
    };
    const Case cases[] = {{300.0f, RESUNIT_INCH, PLPoint(300, 300)},
                          {118.11f, RESUNIT_CENTIMETER, PLPoint(300, 300)},
                          {1.0f, RESUNIT_INCH, PLPoint(0, 0)},
                          {96.0f, 0, PLPoint(96, 96)},
                          {72.0f, RESUNIT_NONE, PLPoint(0, 0)}};
    for (const Case& c : cases)
    {
        PLAnyBmp bmp;
        DecodeAny(MakeTiff([&c](TIFF* tif) {
                      SetBasicTags(tif, 1, 1, 8, 1, PHOTOMETRIC_MINISBLACK);
                      TIFFSetField(tif, TIFFTAG_XRESOLUTION, double(c.x));
                      TIFFSetField(tif, TIFFTAG_YRESOLUTION, double(c.x));
                      if (c.unit)
                          TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, c.unit);
                      WriteRows(tif, 1, {0});
                  }),
                  bmp);
        EXPECT_EQ(bmp.GetResolution(), c.expected) << c.x << " " << c.unit;
    }
}

TEST(Tiff, ErrorPathsCloseTheTiff)
{
    PLAnyBmp bmp;
    PLAnyPicDecoder decoder;

    // Strip data missing for the first rows: code 7 with the library text.
    Bytes tiff = MakeTiff([](TIFF* tif) {
        SetBasicTags(tif, 64, 30, 8, 1, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 5);
        WriteRows(tif, 30, std::vector<uint8_t>(64, 1));
    });
    // Move the first strip beyond the end of the file: find StripOffsets in
    // the (little-endian) directory and change its first entry.
    Bytes moved = tiff;
    ASSERT_EQ(moved[0], 'I');
    const uint32_t ifd = GetLE32(&moved[4]);
    const int entries = moved[ifd] | (moved[ifd + 1] << 8);
    bool patched = false;
    for (int i = 0; i < entries; ++i)
    {
        uint8_t* entry = &moved[ifd + 2 + 12 * size_t(i)];
        if ((entry[0] | (entry[1] << 8)) == TIFFTAG_STRIPOFFSETS)
        {
            ASSERT_EQ(GetLE32(entry + 4), 6u);  // six strips of five rows
            PutLE32(&moved[GetLE32(entry + 8)], 0x7FFFFF00);
            patched = true;
        }
    }
    ASSERT_TRUE(patched);
    ImageError e = CatchImageError([&] { decoder.DecodeMemory(moved.data(), int(moved.size()), &bmp); });
    EXPECT_EQ(e.code, 7);
    EXPECT_EQ(e.text.rfind("Decoder error: ", 0), 0u);

    // A bitmap larger than allowed: code 10 while the TIFF is open.
    Bytes wide = MakeTiff([](TIFF* tif) {
        SetBasicTags(tif, 60000, 60000, 8, 3, PHOTOMETRIC_RGB);
        std::vector<uint8_t> row(60000 * 3, 0);
        TIFFWriteScanline(tif, row.data(), 0, 0);
    });
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeMemory(wide.data(), int(wide.size()), &bmp); }).code, 10);
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);

    PLAnyBmp pic;
    MakePattern(pic, 50, 50, 32, false);
    PLTIFFEncoder encoder;

    // Lines that outgrow the sink: the write callback raises code 11 through
    // libtiff (the handle still closes the TIFF and frees all it holds).
    {
        PLAnyBmp large;
        MakePattern(large, 200, 200, 32, false);
        std::vector<uint8_t> room(5000);
        PLDataSink sink;
        sink.Open("small", room.data(), int(room.size()));
        ImageError e = CatchImageError([&] { encoder.EncodeToSink(&large, &sink); });
        EXPECT_EQ(e.code, 11);
        EXPECT_EQ(e.text, "Buffer overflow while encoding.\n");
        EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
    }

    // The header or the directory does not fit: code 11 from the checked
    // results.
    for (int capacity : {4, 100, 3000})
    {
        std::vector<uint8_t> room(static_cast<size_t>(capacity));
        PLDataSink sink;
        sink.Open("small", room.data(), capacity);
        EXPECT_EQ(CatchImageError([&] { encoder.EncodeToSink(&pic, &sink); }).code, 11) << capacity;
        EXPECT_EQ(sink.GetDataSize(), 0);
    }
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}
