// Malformed input: truncations of every seed, header fields at extremes and
// seeded random byte changes. Only PLTextException may leave a decoder, in a
// bounded time; the sanitizers watch the rest.
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLJPEGEncoder.h"
#include "imaging/PLPNGEncoder.h"
#include "imaging/PLTIFFEncoder.h"
#include "imaging/PLTiffHandle.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
const double kBudgetSeconds = 10.0;

struct Seed
{
    std::string name;
    Bytes data;
    bool png = false;
};

class Fuzzer
{
public:
    Fuzzer() : m_Saved(PLBmp::GetMaxBytes()) { PLBmp::SetMaxBytes(16 << 20); }
    ~Fuzzer() { PLBmp::SetMaxBytes(m_Saved); }

    void Decode(const Bytes& data, const std::string& what)
    {
        ++m_Decodes;
        const auto start = std::chrono::steady_clock::now();
        try
        {
            if (m_Decodes & 1)
                m_Decoder.DecodeMemory(data.data(), int(data.size()), &m_Win);
            else
                m_Decoder.DecodeMemory(data.data(), int(data.size()), &m_Any);
        }
        catch (const PLTextException&)
        {
        }
        catch (const std::exception& e)
        {
            ADD_FAILURE() << what << ": std::exception " << e.what();
        }
        catch (...)
        {
            ADD_FAILURE() << what << ": unknown exception";
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, kBudgetSeconds) << what;
    }

    int Decodes() const { return m_Decodes; }

private:
    int64_t m_Saved;
    PLAnyPicDecoder m_Decoder;
    PLWinBmp m_Win;
    PLAnyBmp m_Any;
    int m_Decodes = 0;
};

void Basic(TIFF* tif, uint32_t width, uint32_t height, int bits, int samples, int photometric, int compression)
{
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
}

std::vector<Seed> MakeSeeds()
{
    std::vector<Seed> seeds;
    PLPNGEncoder png;
    PLJPEGEncoder jpeg;
    PLTIFFEncoder tiff;

    for (int bpp : {1, 8, 32})
    {
        PLAnyBmp pic;
        MakePattern(pic, 13, 7, bpp, bpp == 32, unsigned(bpp));
        pic.SetResolution(PLPoint(72, 72));
        seeds.push_back({"png" + std::to_string(bpp), Encode(png, pic), true});
        seeds.push_back({"tiff" + std::to_string(bpp), Encode(tiff, pic)});
    }
    seeds.push_back({"png-grey16-interlaced",
                     MakePng(9, 9, PNG_COLOR_TYPE_GRAY, 16, [](int x, int y, int) { return unsigned(x * 5000 + y * 300); },
                             true, 2835),
                     true});
    seeds.push_back({"png-grey-alpha",
                     MakePng(5, 4, PNG_COLOR_TYPE_GRAY_ALPHA, 8, [](int x, int y, int c) { return unsigned(x * 40 + y + c); }),
                     true});

    PLAnyBmp smooth;
    MakeSmooth(smooth, 24, 16, 32);
    seeds.push_back({"jpeg", Encode(jpeg, smooth)});
    JpegLayout progressive;
    progressive.width = 20;
    progressive.height = 12;
    progressive.progressive = true;
    progressive.sample = [](int x, int y, int c) { return unsigned((x * 9 + y * 13 + c * 50) & 0xFF); };
    seeds.push_back({"jpeg-progressive", MakeJpeg(progressive)});
    JpegLayout cmyk = progressive;
    cmyk.progressive = false;
    cmyk.components = 4;
    seeds.push_back({"jpeg-cmyk", MakeJpeg(cmyk)});
    JpegLayout grey = progressive;
    grey.components = 1;
    grey.progressive = false;
    seeds.push_back({"jpeg-grey", MakeJpeg(grey)});

    GifLayout gif;
    gif.screenWidth = 12;
    gif.screenHeight = 9;
    gif.graphicsControl = true;
    for (int i = 0; i < 4; ++i)
        gif.globalMap.push_back(PLPixel32(uint8_t(i * 60), uint8_t(i * 20), 0));
    GifImage image;
    image.left = 1;
    image.top = 1;
    image.width = 10;
    image.height = 7;
    for (int i = 0; i < 70; ++i)
        image.pixels.push_back(uint8_t(i % 4));
    gif.images.push_back(image);
    seeds.push_back({"gif", MakeGif(gif)});
    image.interlace = true;
    image.localMap = gif.globalMap;
    gif.images = {image, image};
    seeds.push_back({"gif-interlaced-two", MakeGif(gif)});

    seeds.push_back({"tiff-rgb16", MakeTiff([](TIFF* t) {
                         Basic(t, 5, 4, 16, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE);
                         std::vector<uint16_t> row(15, 0x7F7F);
                         for (uint32_t y = 0; y < 4; ++y)
                             TIFFWriteScanline(t, row.data(), y, 0);
                     })});
    seeds.push_back({"tiff-lzw-rgba", MakeTiff([](TIFF* t) {
                         Basic(t, 6, 5, 8, 4, PHOTOMETRIC_RGB, COMPRESSION_LZW);
                         uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
                         TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
                         TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2);
                         std::vector<uint8_t> row(24);
                         for (size_t i = 0; i < row.size(); ++i)
                             row[i] = uint8_t(i * 11);
                         for (uint32_t y = 0; y < 5; ++y)
                             TIFFWriteScanline(t, row.data(), y, 0);
                     })});
    seeds.push_back({"tiff-tiled-deflate", MakeTiff([](TIFF* t) {
                         Basic(t, 20, 17, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE);
                         TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
                         TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
                         std::vector<uint8_t> tile(16 * 16 * 3, 0x44);
                         for (uint32_t ty = 0; ty < 17; ty += 16)
                             for (uint32_t tx = 0; tx < 20; tx += 16)
                                 TIFFWriteTile(t, tile.data(), tx, ty, 0, 0);
                     })});
    seeds.push_back({"tiff-palette4", MakeTiff([](TIFF* t) {
                         Basic(t, 7, 3, 4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_NONE);
                         std::vector<uint16_t> r(16, 1000), g(16, 2000), b(16, 3000);
                         TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
                         std::vector<uint8_t> row = {0x12, 0x34, 0x56, 0x70};
                         for (uint32_t y = 0; y < 3; ++y)
                             TIFFWriteScanline(t, row.data(), y, 0);
                     })});

    // EPS around a TIFF preview.
    Bytes eps(32, 0);
    eps[0] = 0xC5;
    eps[1] = 0xD0;
    eps[2] = 0xD3;
    eps[3] = 0xC6;
    const Bytes& preview = seeds[1].data;
    PutLE32(&eps[20], 32);
    PutLE32(&eps[24], uint32_t(preview.size()));
    eps.insert(eps.end(), preview.begin(), preview.end());
    seeds.push_back({"eps", eps});
    return seeds;
}

// Header fields set to extreme values, per format.
std::vector<std::pair<std::string, Bytes>> Extremes(const Seed& seed)
{
    std::vector<std::pair<std::string, Bytes>> out;
    const Bytes& d = seed.data;
    auto add = [&](const std::string& what, size_t at, int bytes, uint32_t value, bool bigEndian) {
        if (at + size_t(bytes) > d.size())
            return;
        Bytes m = d;
        for (int i = 0; i < bytes; ++i)
        {
            int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            m[at + size_t(i)] = uint8_t(value >> shift);
        }
        if (seed.png)
            FixPngCrcs(m);
        out.push_back({what + "@" + std::to_string(at) + "=" + std::to_string(value), m});
    };
    const uint32_t values32[] = {0, 1, 2, 0xFF, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    const uint32_t values16[] = {0, 1, 2, 0xFF, 0x7FFF, 0x8000, 0xFFFF};
    const uint32_t values8[] = {0, 1, 2, 3, 7, 8, 12, 16, 0x7F, 0x80, 0xFF};

    if (seed.png)
    {
        for (size_t at : {16, 20})
            for (uint32_t v : values32)
                add("png-size", at, 4, v, true);
        for (size_t at : {24, 25, 26, 27, 28})
            for (uint32_t v : values8)
                add("png-ihdr", at, 1, v, true);
        // Every chunk length.
        for (size_t at = 8; at + 12 <= d.size(); at += 12 + GetBE32(&d[at]))
            for (uint32_t v : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu})
                add("png-chunk-length", at, 4, v, true);
    }
    else if (d.size() > 4 && d[0] == 'G')
    {
        for (size_t at : {6, 8})
            for (uint32_t v : values16)
                add("gif-screen", at, 2, v, false);
        for (size_t at : {10, 11, 12})
            for (uint32_t v : values8)
                add("gif-flags", at, 1, v, false);
        for (size_t i = 13; i + 10 < d.size(); ++i)
            if (d[i] == 0x2C)
            {
                for (size_t f = 1; f < 9; f += 2)
                    for (uint32_t v : values16)
                        add("gif-image", i + f, 2, v, false);
                for (uint32_t v : values8)
                {
                    add("gif-image-flags", i + 9, 1, v, false);
                    add("gif-code-size", i + 10, 1, v, false);
                }
            }
    }
    else if (d.size() > 4 && d[0] == 0xFF)
    {
        for (size_t i = 2; i + 10 < d.size(); ++i)
            if (d[i] == 0xFF && (d[i + 1] == 0xC0 || d[i + 1] == 0xC2))
            {
                for (size_t f : {5, 7})
                    for (uint32_t v : values16)
                        add("jpeg-sof", i + f, 2, v, true);
                for (size_t f : {4, 9, 11, 12})
                    for (uint32_t v : values8)
                        add("jpeg-sof-byte", i + f, 1, v, true);
            }
            else if (d[i] == 0xFF && d[i + 1] >= 0xC4 && d[i + 1] <= 0xFE && d[i + 1] != 0xD8)
            {
                for (uint32_t v : values16)
                    add("jpeg-segment-length", i + 2, 2, v, true);
            }
    }
    else if (d.size() > 8 && d[0] == 'I')
    {
        add("tiff-ifd", 4, 4, 0xFFFFFFF0u, false);
        add("tiff-ifd", 4, 4, uint32_t(d.size()) - 2, false);
        const uint32_t ifd = GetLE32(&d[4]);
        if (ifd + 2 <= d.size())
        {
            const int entries = d[ifd] | (d[ifd + 1] << 8);
            for (int e = 0; e < entries && ifd + 2 + 12 * size_t(e + 1) <= d.size(); ++e)
            {
                const size_t at = ifd + 2 + 12 * size_t(e);
                for (uint32_t v : values32)
                {
                    add("tiff-value", at + 8, 4, v, false);
                    add("tiff-count", at + 4, 4, v, false);
                }
                for (uint32_t v : {0u, 3u, 4u, 13u, 16u, 0xFFFFu})
                    add("tiff-type", at + 2, 2, v, false);
            }
        }
    }
    return out;
}
} // namespace

TEST(Malformed, SeedsDecode)
{
    Fuzzer fuzz;
    for (const Seed& seed : MakeSeeds())
    {
        PLAnyBmp bmp;
        EXPECT_EQ(CatchImageError([&] { DecodeAny(seed.data, bmp); }).code, 0) << seed.name;
    }
}

TEST(Malformed, Truncations)
{
    Fuzzer fuzz;
    for (const Seed& seed : MakeSeeds())
    {
        const size_t step = seed.data.size() / 1500 + 1;
        for (size_t n = 0; n < seed.data.size(); n += step)
            fuzz.Decode(Bytes(seed.data.begin(), seed.data.begin() + long(n)),
                        seed.name + " cut at " + std::to_string(n));
    }
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

TEST(Malformed, HeaderFieldsAtExtremes)
{
    Fuzzer fuzz;
    for (const Seed& seed : MakeSeeds())
        for (const auto& m : Extremes(seed))
            fuzz.Decode(m.second, seed.name + " " + m.first);
    EXPECT_GT(fuzz.Decodes(), 1000);
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

TEST(Malformed, RandomByteChanges)
{
    Fuzzer fuzz;
    std::mt19937 rng(20240611);
    for (const Seed& seed : MakeSeeds())
    {
        for (int round = 0; round < 1000; ++round)
        {
            Bytes m = seed.data;
            const int changes = 1 + int(rng() % 4);
            for (int i = 0; i < changes; ++i)
                m[rng() % m.size()] = uint8_t(rng());
            // PNG chunks carry CRCs: mostly fix them, so that the changes
            // reach past the checksum test.
            if (seed.png && (round % 4) != 0)
                FixPngCrcs(m);
            fuzz.Decode(m, seed.name + " round " + std::to_string(round));
        }
    }
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}
