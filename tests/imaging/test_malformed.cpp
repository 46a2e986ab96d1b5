// Malformed input over every decoder: truncations of every seed, header
// bytes replaced, header fields at extremes and seeded random byte changes,
// each decoded through the any-format decoder and the format's own. Only
// PLTextException with a known code may leave a decoder, in a bounded time,
// and what decodes has a bounded size and readable lines; the sanitizers
// watch the rest.
#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include "TestImages.h"
#include "TestFormats.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLBmpDecoder.h"
#include "imaging/PLGIFDecoder.h"
#include "imaging/PLJPEGDecoder.h"
#include "imaging/PLJPEGEncoder.h"
#include "imaging/PLPCXDecoder.h"
#include "imaging/PLPGMDecoder.h"
#include "imaging/PLPNGDecoder.h"
#include "imaging/PLPNGEncoder.h"
#include "imaging/PLPPMDecoder.h"
#include "imaging/PLPSDDecoder.h"
#include "imaging/PLPictDecoder.h"
#include "imaging/PLTGADecoder.h"
#include "imaging/PLTIFFDecoder.h"
#include "imaging/PLTIFFEncoder.h"
#include "imaging/PLTiffHandle.h"
#include "imaging/PLWinBmp.h"
#ifdef _WIN32
#include "imaging/PLWEMFDecoder.h"
#endif

using namespace testimg;

namespace
{
// Natively every case runs; under Wine a lighter campaign covers the same
// kinds of damage.
#ifdef _WIN32
const size_t kEveryTruncationUpTo = 512;
const size_t kHeaderBytes = 64;
const int kRandomRounds = 150;
#else
const size_t kEveryTruncationUpTo = 1024;
const size_t kHeaderBytes = 64;
const int kRandomRounds = 300;
#endif
const double kBudgetSeconds = 5.0;
const int64_t kMaxBytes = 16 << 20;

struct Seed
{
    std::string name;
    Bytes data;
    int format = 0;             // the detection code; picks the format's own decoder
    bool png = false;
    bool bigEndian = false;     // of the header fields
    size_t headerStart = 0;     // where the header bytes begin (PICT: after the file header)
};

bool KnownCode(int code)
{
    return (code >= 1 && code <= 8) || code == 10 || code == 11;
}

class Fuzzer
{
public:
    Fuzzer() : m_Saved(PLBmp::GetMaxBytes()), m_Pict(&m_Jpeg) { PLBmp::SetMaxBytes(kMaxBytes); }
    ~Fuzzer() { PLBmp::SetMaxBytes(m_Saved); }

    // Decodes through the any-format decoder and through the format's own.
    void Decode(const Bytes& data, const std::string& what, int format = 0)
    {
        ++m_Decodes;
        PLBmp& first = (m_Decodes & 1) ? static_cast<PLBmp&>(m_Win) : m_Any;
        PLBmp& second = (m_Decodes & 1) ? static_cast<PLBmp&>(m_Any) : m_Win;
        DecodeWith(m_Decoder, data, first, what + " (any)");
        if (PLPicDecoder* own = OwnDecoder(format))
            DecodeWith(*own, data, second, what + " (own)");
    }

    int Decodes() const { return m_Decodes; }

private:
    PLPicDecoder* OwnDecoder(int format)
    {
        switch (format)
        {
        case PL_FT_WINBMP: return &m_Bmp;
        case PL_FT_MACPICT: return &m_Pict;
        case PL_FT_TARGA: return &m_Tga;
        case PL_FT_TIFF: return &m_Tiff;
        case PL_FT_JPEG: return &m_Jpeg;
        case PL_FT_PNG: return &m_Png;
        case PL_FT_PCX: return &m_Pcx;
        case PL_FT_PGM: return &m_Pgm;
        case PL_FT_GIF: return &m_Gif;
        case PL_FT_PPM: return &m_Ppm;
        case PL_FT_PSD: return &m_Psd;
#ifdef _WIN32
        case PL_FT_WMF:
        case PL_FT_EMF: return &m_Wemf;
#endif
        default: return nullptr;
        }
    }

    void DecodeWith(PLPicDecoder& decoder, const Bytes& data, PLBmp& bmp, const std::string& what)
    {
        const auto start = std::chrono::steady_clock::now();
        bool decoded = false;
        try
        {
            decoder.DecodeMemory(data.data(), int(data.size()), &bmp);
            decoded = true;
        }
        catch (const PLTextException& e)
        {
            EXPECT_TRUE(KnownCode(e.GetCode())) << what << ": code " << e.GetCode() << " " << e.GetText();
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
        if (decoded)
            CheckBitmap(bmp, what);
    }

    // A decoded bitmap has a size under the limit and lines that can be read.
    static void CheckBitmap(const PLBmp& bmp, const std::string& what)
    {
        ASSERT_GT(bmp.GetWidth(), 0) << what;
        ASSERT_GT(bmp.GetHeight(), 0) << what;
        EXPECT_LE(bmp.StorageBytes(), kMaxBytes + 4096) << what;
        const int bytes = bmp.LineBytes();
        unsigned sum = 0;
        for (int y = 0; y < bmp.GetHeight(); ++y)
        {
            const uint8_t* line = bmp.GetLineArray()[y];
            for (int i = 0; i < bytes; i += 61)
                sum += line[i];
            sum += line[bytes - 1];
        }
        if (bmp.GetPalette())
            sum += bmp.GetPalette()[bmp.GetNumColors() - 1].r;
        (void)sum;
    }

    int64_t m_Saved;
    PLAnyPicDecoder m_Decoder;
    PLBmpDecoder m_Bmp;
    PLTGADecoder m_Tga;
    PLTIFFDecoder m_Tiff;
    PLJPEGDecoder m_Jpeg;
    PLPictDecoder m_Pict;
    PLPNGDecoder m_Png;
    PLPCXDecoder m_Pcx;
    PLPGMDecoder m_Pgm;
    PLGIFDecoder m_Gif;
    PLPPMDecoder m_Ppm;
    PLPSDDecoder m_Psd;
#ifdef _WIN32
    PLWEMFDecoder m_Wemf;
#endif
    PLWinBmp m_Win;
    PLAnyBmp m_Any;
    int m_Decodes = 0;
};

// One seed per variant of the decoders that read their formats themselves.
template <typename Add>
void AddOwnFormatSeeds(Add add)
{
    PLAnyBmp indexed, rgb, alpha, grey;
    MakePattern(indexed, 13, 7, 8, false, 2);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 6; ++x)
            indexed.GetLineArray()[y][x] = uint8_t(y * 3);  // runs for the encoders
    MakePattern(rgb, 11, 6, 32, false, 3);
    MakePattern(alpha, 9, 5, 32, true, 4);
    MakePattern(grey, 12, 5, 8, false, 5);
    grey.SetGreyRamp();
    auto limited = [&](int bits) {
        PLAnyBmp* pic = new PLAnyBmp;
        pic->CopyAtDepth(indexed, 0);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                pic->GetLineArray()[y][x] &= uint8_t((1 << bits) - 1);
        return std::unique_ptr<PLAnyBmp>(pic);
    };

    // BMP: every depth, RLE, OS/2 core header, bit fields in a V5 header.
    for (int bits : {1, 4, 8})
    {
        BmpLayout l;
        l.bitCount = bits;
        add("bmp" + std::to_string(bits), MakeBmp(*limited(bits), l), PL_FT_WINBMP);
    }
    for (int bits : {16, 24, 32})
    {
        BmpLayout l;
        l.bitCount = bits;
        l.compression = bits == 16 ? 3 : 0;
        l.headerSize = bits == 16 ? 124 : 40;
        add("bmp" + std::to_string(bits), MakeBmp(bits == 32 ? alpha : rgb, l), PL_FT_WINBMP);
    }
    for (int bits : {4, 8})
    {
        BmpLayout l;
        l.bitCount = bits;
        l.compression = bits == 8 ? 1 : 2;
        add("bmp-rle" + std::to_string(bits), MakeBmp(*limited(bits), l), PL_FT_WINBMP);
    }
    BmpLayout os2;
    os2.bitCount = 8;
    os2.headerSize = 12;
    os2.arrays = 1;
    add("bmp-os2", MakeBmp(indexed, os2), PL_FT_WINBMP);

    // TGA: types 1, 2, 3, 9, 10, 11 at 8, 15/16, 24 and 32 bits.
    struct Tga
    {
        int type, depth, entry;
    };
    for (const Tga& t : {Tga{1, 8, 24}, Tga{2, 16, 0}, Tga{2, 24, 0}, Tga{2, 32, 0}, Tga{3, 8, 0}, Tga{9, 8, 16},
                         Tga{10, 15, 0}, Tga{10, 24, 0}, Tga{10, 32, 0}, Tga{11, 8, 0}})
    {
        TgaLayout l;
        l.imageType = t.type;
        l.pixelDepth = t.depth;
        l.mapEntrySize = t.entry;
        l.topFirst = t.type == 10;
        const PLBmp& pic = t.depth == 8 ? static_cast<const PLBmp&>(t.type == 1 || t.type == 9 ? indexed : grey)
                                        : static_cast<const PLBmp&>(t.depth == 32 ? alpha : rgb);
        if (t.type == 1 || t.type == 9)
            l.mapLength = 16;
        add("tga" + std::to_string(t.type) + "-" + std::to_string(t.depth), MakeTga(pic, l), PL_FT_TARGA);
    }

    // PCX: monochrome, 16 colours in planes, 256 colours, 24 bits.
    PcxLayout pcx;
    pcx.bitsPerPixel = 1;
    add("pcx-mono", MakePcx(*limited(1), pcx), PL_FT_PCX);
    pcx.planes = 4;
    add("pcx-planar16", MakePcx(*limited(4), pcx), PL_FT_PCX);
    pcx.bitsPerPixel = 8;
    pcx.planes = 1;
    add("pcx-256", MakePcx(indexed, pcx), PL_FT_PCX);
    pcx.planes = 3;
    pcx.runsAcrossLines = true;
    add("pcx-24", MakePcx(rgb, pcx), PL_FT_PCX);

    // PGM and PPM, text and binary; one with two-byte samples.
    add("pgm-p2", MakePnm(grey, '2', 255), PL_FT_PGM);
    add("pgm-p5", MakePnm(grey, '5', 255, " "), PL_FT_PGM);
    add("pgm-p5-16", MakePnm(grey, '5', 4095), PL_FT_PGM);
    add("ppm-p3", MakePnm(rgb, '3', 200), PL_FT_PPM);
    add("ppm-p6", MakePnm(rgb, '6', 255, "\n# made here\n"), PL_FT_PPM);

    // PSD: grey, indexed, RGB with a resolution, RGBA with a layer.
    PsdLayout psd;
    psd.mode = 1;
    psd.channels = 1;
    add("psd-grey", MakePsd(grey, psd), PL_FT_PSD);
    psd.mode = 2;
    add("psd-indexed", MakePsd(indexed, psd), PL_FT_PSD);
    psd.mode = 3;
    psd.channels = 3;
    psd.resolution = 72;
    add("psd-rgb", MakePsd(rgb, psd), PL_FT_PSD);
    psd.channels = 4;
    psd.layer = true;
    add("psd-rgba-layer", MakePsd(alpha, psd), PL_FT_PSD);

    // PICT: version 1 bitmap, PackBitsRect, direct bits of 16 and 32, JPEG.
    PictLayout pict;
    pict.version = 1;
    pict.pixelSize = 1;
    PLAnyBmp wide;
    MakePattern(wide, 70, 4, 8, false, 9);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 70; ++x)
            wide.GetLineArray()[y][x] &= 1;
    add("pict-v1", MakePict(wide, pict), PL_FT_MACPICT);
    pict = PictLayout();
    add("pict-packbits", MakePict(*limited(8), pict), PL_FT_MACPICT);
    pict.opcode = 0x9A;
    pict.pixelSize = 16;
    add("pict-direct16", MakePict(rgb, pict), PL_FT_MACPICT);
    pict.pixelSize = 32;
    pict.cmpCount = 4;
    add("pict-direct32", MakePict(alpha, pict), PL_FT_MACPICT);
    JpegLayout jpeg;
    jpeg.width = 8;
    jpeg.height = 8;
    jpeg.sample = [](int x, int y, int c) { return unsigned((x * 20 + y * 7 + c * 60) & 0xFF); };
    add("pict-jpeg", MakePictJpeg(MakeJpeg(jpeg)), PL_FT_MACPICT);

#ifdef _WIN32
    // Metafiles, played through GDI.
    add("emf", MakeEmf(1500, 1000), PL_FT_EMF);
    add("wmf-placeable", MakePlaceable(MakeWmf(600, 400), 0, 0, 600, 400, 1440), PL_FT_WMF);
    add("wmf", MakeWmf(600, 400), PL_FT_WMF);
#endif
}

std::vector<Seed> MakeSeeds()
{
    std::vector<Seed> seeds;
    auto add = [&seeds](const std::string& name, const Bytes& data, int format) {
        Seed seed;
        seed.name = name;
        seed.data = data;
        seed.format = format;
        seed.png = format == PL_FT_PNG;
        seed.bigEndian = format == PL_FT_PNG || format == PL_FT_JPEG || format == PL_FT_PSD ||
                         format == PL_FT_MACPICT;
        seed.headerStart = format == PL_FT_MACPICT ? 512 : 0;
        seeds.push_back(seed);
    };
    PLPNGEncoder png;
    PLJPEGEncoder jpeg;
    PLTIFFEncoder tiff;

    for (int bpp : {1, 8, 32})
    {
        PLAnyBmp pic;
        MakePattern(pic, 13, 7, bpp, bpp == 32, unsigned(bpp));
        pic.SetResolution(PLPoint(72, 72));
        add("png" + std::to_string(bpp), Encode(png, pic), PL_FT_PNG);
        add("tiff" + std::to_string(bpp), Encode(tiff, pic), PL_FT_TIFF);
    }
    add("png-grey16-interlaced",
        MakePng(9, 9, PNG_COLOR_TYPE_GRAY, 16, [](int x, int y, int) { return unsigned(x * 5000 + y * 300); }, true,
                2835),
        PL_FT_PNG);
    add("png-grey-alpha",
        MakePng(5, 4, PNG_COLOR_TYPE_GRAY_ALPHA, 8, [](int x, int y, int c) { return unsigned(x * 40 + y + c); }),
        PL_FT_PNG);

    PLAnyBmp smooth;
    MakeSmooth(smooth, 24, 16, 32);
    add("jpeg", Encode(jpeg, smooth), PL_FT_JPEG);
    JpegLayout progressive;
    progressive.width = 20;
    progressive.height = 12;
    progressive.progressive = true;
    progressive.sample = [](int x, int y, int c) { return unsigned((x * 9 + y * 13 + c * 50) & 0xFF); };
    add("jpeg-progressive", MakeJpeg(progressive), PL_FT_JPEG);
    JpegLayout cmyk = progressive;
    cmyk.progressive = false;
    cmyk.components = 4;
    add("jpeg-cmyk", MakeJpeg(cmyk), PL_FT_JPEG);
    JpegLayout grey = progressive;
    grey.components = 1;
    grey.progressive = false;
    add("jpeg-grey", MakeJpeg(grey), PL_FT_JPEG);

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
    add("gif", MakeGif(gif), PL_FT_GIF);
    image.interlace = true;
    image.localMap = gif.globalMap;
    gif.images = {image, image};
    add("gif-interlaced-two", MakeGif(gif), PL_FT_GIF);

    add("tiff-rgb16", MakeTiff([](TIFF* t) {
                         SetBasicTags(t, 5, 4, 16, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE);
                         std::vector<uint16_t> row(15, 0x7F7F);
                         for (uint32_t y = 0; y < 4; ++y)
                             TIFFWriteScanline(t, row.data(), y, 0);
                     }), PL_FT_TIFF);
    add("tiff-lzw-rgba", MakeTiff([](TIFF* t) {
                         SetBasicTags(t, 6, 5, 8, 4, PHOTOMETRIC_RGB, COMPRESSION_LZW);
                         uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
                         TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
                         TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2);
                         std::vector<uint8_t> row(24);
                         for (size_t i = 0; i < row.size(); ++i)
                             row[i] = uint8_t(i * 11);
                         for (uint32_t y = 0; y < 5; ++y)
                             TIFFWriteScanline(t, row.data(), y, 0);
                     }), PL_FT_TIFF);
    add("tiff-tiled-deflate", MakeTiff([](TIFF* t) {
                         SetBasicTags(t, 20, 17, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE);
                         TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
                         TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
                         std::vector<uint8_t> tile(16 * 16 * 3, 0x44);
                         for (uint32_t ty = 0; ty < 17; ty += 16)
                             for (uint32_t tx = 0; tx < 20; tx += 16)
                                 TIFFWriteTile(t, tile.data(), tx, ty, 0, 0);
                     }), PL_FT_TIFF);
    add("tiff-palette4", MakeTiff([](TIFF* t) {
                         SetBasicTags(t, 7, 3, 4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_NONE);
                         std::vector<uint16_t> r(16, 1000), g(16, 2000), b(16, 3000);
                         TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
                         std::vector<uint8_t> row = {0x12, 0x34, 0x56, 0x70};
                         for (uint32_t y = 0; y < 3; ++y)
                             TIFFWriteScanline(t, row.data(), y, 0);
                     }), PL_FT_TIFF);

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
    add("eps", eps, 0);

    AddOwnFormatSeeds(add);
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

    // Every 16- and 32-bit field of the header bytes at its extremes.
    const size_t end = std::min(d.size(), seed.headerStart + kHeaderBytes);
    for (size_t at = seed.headerStart; at + 2 <= end; at += 2)
        for (uint32_t v : {0u, 1u, 0x7FFFu, 0x8000u, 0xFFFFu})
            add("field16", at, 2, v, seed.bigEndian);
    for (size_t at = seed.headerStart; at + 4 <= end; at += 4)
        for (uint32_t v : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
            add("field32", at, 4, v, seed.bigEndian);
    return out;
}

// Single bytes of the header replaced by typical damage.
std::vector<std::pair<std::string, Bytes>> ByteReplacements(const Seed& seed)
{
    std::vector<std::pair<std::string, Bytes>> out;
    const size_t end = std::min(seed.data.size(), seed.headerStart + kHeaderBytes);
    for (size_t at = seed.headerStart; at < end; ++at)
        for (uint8_t v : {0x00, 0x01, 0x7F, 0x80, 0xFF})
        {
            if (seed.data[at] == v)
                continue;
            Bytes m = seed.data;
            m[at] = v;
            if (seed.png)
                FixPngCrcs(m);
            out.push_back({"byte@" + std::to_string(at) + "=" + std::to_string(v), m});
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
        PLAnyPicDecoder decoder;
        EXPECT_EQ(CatchImageError([&] { decoder.DecodeMemory(seed.data.data(), int(seed.data.size()), &bmp); }).code, 0)
            << seed.name;
        if (seed.format)
        {
            EXPECT_EQ(decoder.LastFormatCode(), seed.format) << seed.name;
        }
    }
}

TEST(Malformed, Truncations)
{
    Fuzzer fuzz;
    for (const Seed& seed : MakeSeeds())
    {
        const size_t size = seed.data.size();
        const size_t every = std::min(size, kEveryTruncationUpTo);
        const size_t stride = size > every ? (size - every) / 64 + 1 : 1;
        for (size_t n = 0; n < size; n += n < every ? 1 : stride)
            fuzz.Decode(Bytes(seed.data.begin(), seed.data.begin() + long(n)),
                        seed.name + " cut at " + std::to_string(n), seed.format);
    }
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

TEST(Malformed, HeaderBytesReplaced)
{
    Fuzzer fuzz;
    for (const Seed& seed : MakeSeeds())
        for (const auto& m : ByteReplacements(seed))
            fuzz.Decode(m.second, seed.name + " " + m.first, seed.format);
    EXPECT_GT(fuzz.Decodes(), 5000);
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

TEST(Malformed, HeaderFieldsAtExtremes)
{
    Fuzzer fuzz;
    for (const Seed& seed : MakeSeeds())
        for (const auto& m : Extremes(seed))
            fuzz.Decode(m.second, seed.name + " " + m.first, seed.format);
    EXPECT_GT(fuzz.Decodes(), 5000);
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

TEST(Malformed, RandomByteChanges)
{
    Fuzzer fuzz;
    std::mt19937 rng(20240611);
    for (const Seed& seed : MakeSeeds())
    {
        for (int round = 0; round < kRandomRounds; ++round)
        {
            Bytes m = seed.data;
            const int changes = 1 + int(rng() % 4);
            for (int i = 0; i < changes; ++i)
                m[rng() % m.size()] = uint8_t(rng());
            // PNG chunks carry CRCs: mostly fix them, so that the changes
            // reach past the checksum test.
            if (seed.png && (round % 4) != 0)
                FixPngCrcs(m);
            fuzz.Decode(m, seed.name + " round " + std::to_string(round), seed.format);
        }
    }
    EXPECT_EQ(PLTiffHandle::GetOpenCount(), 0);
}

// --- a few bytes declaring a huge image ---------------------------------------

namespace
{
// Counts the bitmaps a decoder makes: a file refused before its bitmap is
// made costs neither the pixels nor the line table.
class CreateCounter : public PLAnyBmp
{
public:
    void Create(int width, int height, uint16_t bpp, bool alpha, const PLPoint& resolution) override
    {
        ++creates;
        PLAnyBmp::Create(width, height, bpp, alpha, resolution);
    }
    int creates = 0;
};

Bytes Chars(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

struct Tiny
{
    std::string name;
    Bytes data;
    int code;            // what the decode raises
    bool small = false;  // declares a small image, which may be made
};

// A 26-byte header of a 16000 x 16000 RGB Photoshop file with empty sections.
Bytes PsdHeader(int width, int height)
{
    Bytes psd = Chars("8BPS");
    PutBE16(psd, 1);
    psd.insert(psd.end(), 6, 0);
    PutBE16(psd, 3);
    PutBE32(psd, uint32_t(height));
    PutBE32(psd, uint32_t(width));
    PutBE16(psd, 8);
    PutBE16(psd, 3);
    for (int section = 0; section < 3; ++section)
        PutBE32(psd, 0);
    return psd;
}

std::vector<Tiny> TinyFiles()
{
    std::vector<Tiny> out;
    // Text pixmap of 16000 x 16000 with a stray character: its 7 bytes of
    // samples cannot hold 768 million numbers.
    out.push_back({"ppm-text-stray", Chars("P3 16000 16000 255\n0 0 7 x"), 11});
    // The same stray character where the samples could be complete: damage,
    // not zeros for every sample after it.
    out.push_back({"ppm-text-stray-small", Chars("P3 2 2 255\n1 2 3 x 5 6 7 8 9 10 11 12"), 2, true});
    out.push_back({"pgm-text-stray-small", Chars("P2 3 1 255\n1 x 3"), 2, true});
    out.push_back({"pgm-text-tall", Chars("P2 1 89000000 255\n1 2 3"), 11});
    Bytes pgm = Chars("P5 1 89000000 255\n");
    pgm.insert(pgm.end(), 8, 0x40);
    out.push_back({"pgm-binary-tall", pgm, 11});
    Bytes ppm16 = Chars("P6 3000 3000 65535\n");
    ppm16.insert(ppm16.end(), 30, 0x40);
    out.push_back({"ppm-binary-16bit", ppm16, 11});

    // Bitmap of 1 x 89,000,000 at 24 bits: the line table alone would be 712 MB.
    Bytes bmp = Chars("BM");
    PutLE32(bmp, 62);
    PutLE32(bmp, 0);
    PutLE32(bmp, 54);
    PutLE32(bmp, 40);
    PutLE32(bmp, 1);
    PutLE32(bmp, 89000000);
    PutLE16(bmp, 1);
    PutLE16(bmp, 24);
    bmp.insert(bmp.end(), 24, 0);
    bmp.insert(bmp.end(), 8, 0x7F);
    out.push_back({"bmp-tall", bmp, 11});
    Bytes topDown = bmp;
    PutLE32(&topDown[22], uint32_t(-89000000));
    out.push_back({"bmp-tall-top-down", topDown, 11});
    // Run-length data may end the bitmap early, but not before it begins.
    Bytes rle = bmp;
    rle[28] = 8;
    rle[30] = 1;  // RLE8
    rle.resize(54 + 1024);
    PutLE32(&rle[10], 54 + 1024);
    out.push_back({"bmp-rle-without-data", rle, 11});

    // Targa of 16000 x 16000 grey, plain and run-length encoded.
    Bytes tga(18, 0);
    tga[2] = 3;
    tga[12] = tga[14] = uint8_t(16000 & 0xFF);
    tga[13] = tga[15] = uint8_t(16000 >> 8);
    tga[16] = 8;
    tga.insert(tga.end(), {0x7F, 1, 2, 3});
    out.push_back({"tga-grey", tga, 11});
    tga[2] = 11;
    out.push_back({"tga-grey-rle", tga, 11});

    // PCX of 16000 x 16000 in 256 colours: 256 MB of image from 6 bytes.
    Bytes pcx(128, 0);
    pcx[0] = 10;
    pcx[2] = 1;
    pcx[3] = 8;
    pcx[8] = pcx[10] = uint8_t(15999 & 0xFF);
    pcx[9] = pcx[11] = uint8_t(15999 >> 8);
    pcx[65] = 1;
    pcx[66] = uint8_t(16000 & 0xFF);
    pcx[67] = uint8_t(16000 >> 8);
    pcx.insert(pcx.end(), {0xFF, 0x01, 0xFF, 0x02, 0xFF, 0x03});
    out.push_back({"pcx-256", pcx, 11});

    // Photoshop: the 38-byte header ends before the compression code; then
    // the code without its row table; raw data; a row table whose rows are
    // missing.
    Bytes psd = PsdHeader(16000, 16000);
    out.push_back({"psd-header-only", psd, 11});
    PutBE16(psd, 1);
    out.push_back({"psd-no-row-table", psd, 11});
    Bytes raw = PsdHeader(16000, 16000);
    PutBE16(raw, 0);
    raw.insert(raw.end(), 64, 0x33);
    out.push_back({"psd-raw", raw, 2});
    Bytes rows = PsdHeader(4, 2);
    PutBE16(rows, 1);
    for (int i = 0; i < 6; ++i)
        PutBE16(rows, 30000);
    rows.insert(rows.end(), 12, 0x01);
    out.push_back({"psd-rows-missing", rows, 11});
    return out;
}
} // namespace

TEST(Malformed, FewBytesNeverMakeAHugeBitmap)
{
    for (const Tiny& t : TinyFiles())
    {
        CreateCounter bmp;
        PLAnyPicDecoder decoder;
        ImageError e = CatchImageError([&] { decoder.DecodeMemory(t.data.data(), int(t.data.size()), &bmp); });
        EXPECT_EQ(e.code, t.code) << t.name << ": " << e.text;
        if (t.small)
        {
            EXPECT_LE(bmp.GetWidth(), 3) << t.name;
            continue;
        }
        EXPECT_EQ(bmp.creates, 0) << t.name;
        EXPECT_EQ(bmp.GetWidth(), 16) << t.name;
    }
}

TEST(Malformed, FewBytesOfRealImagesStillDecode)
{
    // Files that are what they declare keep decoding however small.
    CreateCounter bmp;
    PLAnyPicDecoder decoder;
    const Bytes pgm = Chars("P2 2 1 255\n7 9");
    ASSERT_EQ(CatchImageError([&] { decoder.DecodeMemory(pgm.data(), int(pgm.size()), &bmp); }).code, 0);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 9);

    // A PSD whose rows are all empty packets decodes to 0 (the rows are there).
    Bytes psd = PsdHeader(300, 2);
    PutBE16(psd, 1);
    for (int i = 0; i < 6; ++i)
        PutBE16(psd, 0);
    ASSERT_EQ(CatchImageError([&] { decoder.DecodeMemory(psd.data(), int(psd.size()), &bmp); }).code, 0);
    EXPECT_EQ(bmp.GetWidth(), 300);

    // A GIF of a few dozen bytes on a large screen is that screen: the
    // background is the picture, within the bitmap limit.
    GifLayout layout;
    layout.screenWidth = 4000;
    layout.screenHeight = 3000;
    layout.background = 1;
    layout.globalMap = {PLPixel32(255, 0, 0), PLPixel32(0, 0, 255)};
    GifImage dot;
    dot.width = dot.height = 1;
    dot.pixels = {0};
    layout.images.push_back(dot);
    const Bytes gif = MakeGif(layout);
    EXPECT_LT(gif.size(), 48u);
    bmp.creates = 0;
    ASSERT_EQ(CatchImageError([&] { decoder.DecodeMemory(gif.data(), int(gif.size()), &bmp); }).code, 0);
    EXPECT_EQ(bmp.creates, 1);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 0);
    EXPECT_EQ(bmp.GetLineArray()[2999][3999], 1);

    // The same on a screen beyond the limit: refused before it is made.
    const int64_t saved = PLBmp::GetMaxBytes();
    PLBmp::SetMaxBytes(64 << 20);
    layout.screenWidth = 16000;
    layout.screenHeight = 15500;
    const Bytes huge = MakeGif(layout);
    bmp.creates = 0;
    const ImageError e = CatchImageError([&] { decoder.DecodeMemory(huge.data(), int(huge.size()), &bmp); });
    PLBmp::SetMaxBytes(saved);
    EXPECT_EQ(e.code, 10);
    EXPECT_EQ(bmp.GetWidth(), 4000);
}
