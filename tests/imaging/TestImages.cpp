#include "TestImages.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLPicEncoder.h"
#include "imaging/PLTiffHandle.h"

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace testimg
{
namespace
{
uint32_t Next(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}
} // namespace

void MakePattern(PLBmp& bmp, int width, int height, int bpp, bool alpha, unsigned seed)
{
    bmp.Create(width, height, uint16_t(bpp), alpha && bpp == 32, PLPoint());
    uint32_t state = seed * 2654435761u + 7;
    if (bpp <= 8)
    {
        const int n = bmp.GetNumColors();
        for (int i = 0; i < n; ++i)
        {
            if (bpp == 1)
                bmp.SetPaletteEntry(i, i ? 0 : 255, i ? 0 : 255, i ? 0 : 255, 255);
            else
                bmp.SetPaletteEntry(i, uint8_t(i * 37 + 11), uint8_t(255 - i * 11), uint8_t(i * 73 + 5), 255);
        }
    }
    for (int y = 0; y < height; ++y)
    {
        uint8_t* line = bmp.GetLineArray()[y];
        switch (bpp)
        {
        case 1:
        case 4:
        {
            const int64_t bytes = PLBmp::PackedLineBytes(width, bpp);
            for (int64_t i = 0; i < bytes; ++i)
                line[i] = uint8_t(Next(state));
            // Bits past the width stay clear, as encoders write them.
            const int used = (width * bpp) % 8;
            if (used)
                line[bytes - 1] &= uint8_t(0xFF << (8 - used));
            break;
        }
        case 8:
            for (int x = 0; x < width; ++x)
                line[x] = uint8_t(Next(state));
            break;
        case 24:
            for (int x = 0; x < 3 * width; ++x)
                line[x] = uint8_t(Next(state));
            break;
        default:
        {
            PLPixel32* p = bmp.GetLineArray32()[y];
            for (int x = 0; x < width; ++x)
            {
                uint32_t v = Next(state);
                p[x] = PLPixel32(uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16),
                                 alpha ? uint8_t(Next(state)) : 255);
            }
            break;
        }
        }
    }
}

void MakeSmooth(PLBmp& bmp, int width, int height, int bpp)
{
    PLAnyBmp rgb;
    rgb.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgb.GetLineArray32()[y][x] = PLPixel32(uint8_t(40 + x * 160 / width), uint8_t(30 + y * 180 / height),
                                                   uint8_t(120 + (x + y) * 60 / (width + height)), 255);
    if (bpp == 32)
    {
        bmp.CopyAtDepth(rgb, 0);
        return;
    }
    if (bpp == 24)
    {
        bmp.CopyAtDepth(rgb, 24);
        return;
    }
    // Palette depths: grey levels through an explicit palette.
    bmp.Create(width, height, uint16_t(bpp), false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            if (bpp == 8)
                bmp.GetLineArray()[y][x] = uint8_t((x + y) * 255 / (width + height));
            else if (((x / 8) + (y / 8)) & 1)
                bmp.GetLineArray()[y][x >> 3] |= uint8_t(0x80 >> (x & 7));
        }
}

Bytes Encode(PLPicEncoder& encoder, PLBmp& bmp)
{
    Bytes buffer(size_t(encoder.GetOutputCapacity(bmp)));
    PLDataSink sink;
    sink.Open("Mem", buffer.data(), int(buffer.size()));
    encoder.EncodeToSink(&bmp, &sink);
    buffer.resize(size_t(sink.GetDataSize()));
    sink.Close();
    return buffer;
}

int DecodeAny(const Bytes& data, PLBmp& bmp)
{
    PLAnyPicDecoder decoder;
    decoder.DecodeMemory(data.data(), int(data.size()), &bmp);
    return decoder.LastFormatCode();
}

int MaxColourDiff(const PLBmp& a, const PLBmp& b, bool compareAlpha)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return -1;
    PLAnyBmp ca, cb;
    ca.CopyAtDepth(a, 32);
    cb.CopyAtDepth(b, 32);
    int worst = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
        {
            const PLPixel32& p = ca.GetLineArray32()[y][x];
            const PLPixel32& q = cb.GetLineArray32()[y][x];
            int d = std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
            if (compareAlpha)
                d = std::max(d, std::abs(p.a - q.a));
            worst = std::max(worst, d);
        }
    return worst;
}

// --- GIF ------------------------------------------------------------------

namespace
{
void PutLE16(Bytes& out, int v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

int MapBits(size_t entries)
{
    int bits = 1;
    while ((size_t(1) << bits) < entries)
        ++bits;
    return bits;
}

void PutMap(Bytes& out, const std::vector<PLPixel32>& map)
{
    const size_t n = size_t(1) << MapBits(map.size());
    for (size_t i = 0; i < n; ++i)
    {
        PLPixel32 c = i < map.size() ? map[i] : PLPixel32();
        out.push_back(c.r);
        out.push_back(c.g);
        out.push_back(c.b);
    }
}

class BitWriter
{
public:
    void Put(unsigned code, int width)
    {
        m_Acc |= uint32_t(code) << m_Bits;
        m_Bits += width;
        while (m_Bits >= 8)
        {
            m_Data.push_back(uint8_t(m_Acc));
            m_Acc >>= 8;
            m_Bits -= 8;
        }
    }
    Bytes Finish()
    {
        if (m_Bits)
            m_Data.push_back(uint8_t(m_Acc));
        return m_Data;
    }

private:
    Bytes m_Data;
    uint32_t m_Acc = 0;
    int m_Bits = 0;
};
} // namespace

Bytes MakeGif(const GifLayout& layout)
{
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    PutLE16(out, layout.screenWidth);
    PutLE16(out, layout.screenHeight);
    uint8_t flags = 0;
    if (!layout.globalMap.empty())
        flags = uint8_t(0x80 | ((MapBits(layout.globalMap.size()) - 1) << 4) | (MapBits(layout.globalMap.size()) - 1));
    out.push_back(flags);
    out.push_back(uint8_t(layout.background));
    out.push_back(0);
    if (!layout.globalMap.empty())
        PutMap(out, layout.globalMap);

    for (const GifImage& image : layout.images)
    {
        if (layout.graphicsControl)
        {
            const uint8_t gce[] = {0x21, 0xF9, 4, 0x01, 0, 0, 0, 0};
            out.insert(out.end(), gce, gce + sizeof(gce));
        }
        out.push_back(0x2C);
        PutLE16(out, image.left);
        PutLE16(out, image.top);
        PutLE16(out, image.width);
        PutLE16(out, image.height);
        uint8_t imageFlags = image.interlace ? 0x40 : 0;
        if (!image.localMap.empty())
            imageFlags |= uint8_t(0x80 | (MapBits(image.localMap.size()) - 1));
        out.push_back(imageFlags);
        if (!image.localMap.empty())
            PutMap(out, image.localMap);

        // Pixels in stored order (interlaced rows by pass).
        std::vector<uint8_t> stored;
        if (image.interlace)
        {
            static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < image.height; y += step[pass])
                    stored.insert(stored.end(), image.pixels.begin() + size_t(y) * size_t(image.width),
                                  image.pixels.begin() + size_t(y + 1) * size_t(image.width));
        }
        else
        {
            stored = image.pixels;
        }

        const int codeSize = 8;
        const unsigned clear = 1u << codeSize;
        BitWriter bits;
        bits.Put(clear, codeSize + 1);
        int sinceClear = 0;
        for (uint8_t p : stored)
        {
            if (sinceClear == 200)
            {
                bits.Put(clear, codeSize + 1);
                sinceClear = 0;
            }
            bits.Put(p, codeSize + 1);
            ++sinceClear;
        }
        bits.Put(clear + 1, codeSize + 1);
        Bytes data = bits.Finish();

        out.push_back(uint8_t(codeSize));
        for (size_t at = 0; at < data.size(); at += 255)
        {
            size_t n = std::min<size_t>(255, data.size() - at);
            out.push_back(uint8_t(n));
            out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

// --- TIFF -----------------------------------------------------------------

Bytes MakeTiff(const std::function<void(TIFF*)>& write)
{
    Bytes buffer(4 << 20);
    PLTiffHandle tiff;
    TIFF* tif = tiff.OpenTiffInMemory(buffer.data(), int64_t(buffer.size()), true);
    if (!tif)
        throw std::runtime_error(tiff.GetLastError());
    write(tif);
    if (!TIFFFlush(tif))
        throw std::runtime_error(tiff.GetLastError());
    tiff.Close();
    buffer.resize(size_t(tiff.GetSize()));
    return buffer;
}

static_assert(COMPRESSION_NONE == 1, "the default compression of SetBasicTags");

void SetBasicTags(TIFF* tif, uint32_t width, uint32_t height, int bits, int samples, int photometric,
                  int compression)
{
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
}

// --- PNG ------------------------------------------------------------------

namespace
{
void PNGCBAPI PngFail(png_structp, png_const_charp message)
{
    throw std::runtime_error(message);
}

void PNGCBAPI PngQuiet(png_structp, png_const_charp)
{
}

void PNGCBAPI PngAppend(png_structp png, png_bytep data, png_size_t n)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

void PNGCBAPI PngFlush(png_structp)
{
}
} // namespace

Bytes MakePng(int width, int height, int colourType, int bitDepth,
              const std::function<unsigned(int x, int y, int c)>& sample, bool interlace, int ppm,
              int paletteEntries)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngQuiet);
    png_infop info = png_create_info_struct(png);
    try
    {
        png_set_write_fn(png, &out, PngAppend, PngFlush);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colourType,
                     interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        std::vector<png_color> palette;
        if (colourType == PNG_COLOR_TYPE_PALETTE)
        {
            for (int i = 0; i < paletteEntries; ++i)
                palette.push_back(png_color{png_byte(i * 40), png_byte(255 - i * 30), png_byte(i * 7)});
            png_set_PLTE(png, info, palette.data(), paletteEntries);
        }
        if (ppm > 0)
            png_set_pHYs(png, info, png_uint_32(ppm), png_uint_32(ppm), PNG_RESOLUTION_METER);
        png_write_info(png, info);

        const int channels = png_get_channels(png, info);
        const int bytesPerSample = bitDepth == 16 ? 2 : 1;
        const size_t rowBytes = png_get_rowbytes(png, info);
        std::vector<Bytes> rows(size_t(height), Bytes(rowBytes, 0));
        std::vector<png_bytep> pointers;
        for (int y = 0; y < height; ++y)
        {
            Bytes& row = rows[size_t(y)];
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c)
                {
                    unsigned v = sample(x, y, c);
                    if (bitDepth < 8)
                    {
                        int bitPos = x * bitDepth;
                        row[size_t(bitPos / 8)] |= uint8_t(v << (8 - bitDepth - bitPos % 8));
                    }
                    else
                    {
                        size_t at = size_t((x * channels + c) * bytesPerSample);
                        if (bytesPerSample == 2)
                        {
                            row[at] = uint8_t(v >> 8);
                            row[at + 1] = uint8_t(v);
                        }
                        else
                        {
                            row[at] = uint8_t(v);
                        }
                    }
                }
            pointers.push_back(row.data());
        }
        png_write_image(png, pointers.data());
        png_write_end(png, info);
    }
    catch (...)
    {
        png_destroy_write_struct(&png, &info);
        throw;
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

// --- JPEG -----------------------------------------------------------------

namespace
{
void JpegFail(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    throw std::runtime_error(text);
}
} // namespace

Bytes MakeJpeg(const JpegLayout& layout)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = JpegFail;
    jpeg_create_compress(&cinfo);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    Bytes out;
    try
    {
        jpeg_mem_dest(&cinfo, &data, &size);
        cinfo.image_width = JDIMENSION(layout.width);
        cinfo.image_height = JDIMENSION(layout.height);
        cinfo.input_components = layout.components;
        cinfo.in_color_space = layout.components == 1 ? JCS_GRAYSCALE : (layout.components == 4 ? JCS_CMYK : JCS_RGB);
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, layout.quality, TRUE);
        if (layout.components == 4 && layout.ycck)
            jpeg_set_colorspace(&cinfo, JCS_YCCK);
        else if (layout.components == 4)
            cinfo.write_Adobe_marker = layout.adobeMarker ? TRUE : FALSE;
        cinfo.density_unit = UINT8(layout.densityUnit);
        cinfo.X_density = UINT16(layout.xDensity);
        cinfo.Y_density = UINT16(layout.yDensity);
        if (layout.progressive)
            jpeg_simple_progression(&cinfo);
        jpeg_start_compress(&cinfo, TRUE);
        Bytes row(size_t(layout.width * layout.components));
        while (cinfo.next_scanline < cinfo.image_height)
        {
            const int y = int(cinfo.next_scanline);
            for (int x = 0; x < layout.width; ++x)
                for (int c = 0; c < layout.components; ++c)
                    row[size_t(x * layout.components + c)] = uint8_t(layout.sample(x, y, c));
            JSAMPROW p = row.data();
            jpeg_write_scanlines(&cinfo, &p, 1);
        }
        jpeg_finish_compress(&cinfo);
        out.assign(data, data + size);
    }
    catch (...)
    {
        jpeg_destroy_compress(&cinfo);
        std::free(data);
        throw;
    }
    jpeg_destroy_compress(&cinfo);
    std::free(data);
    return out;
}

// --- bytes and files --------------------------------------------------------

namespace
{
uint32_t Crc32(const uint8_t* p, size_t n)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i)
    {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}
} // namespace

void FixPngCrcs(Bytes& png)
{
    size_t at = 8;
    while (at + 12 <= png.size())
    {
        const uint32_t length = GetBE32(&png[at]);
        if (length > png.size() - at - 12)
            break;
        PutBE32(&png[at + 8 + length], Crc32(&png[at + 4], length + 4));
        at += 12 + length;
    }
}

void PutBE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

void PutLE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint32_t GetLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint32_t GetBE32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

std::string TempPath(const std::string& name)
{
    static const std::string folder = [] {
#ifdef _WIN32
        const char* base = std::getenv("TEMP");
        std::string dir = std::string(base ? base : ".") + "\\qlc_imaging_" + std::to_string(_getpid());
        _mkdir(dir.c_str());
        return dir + "\\";
#else
        std::string dir = "/tmp/qlc_imaging_" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        return dir + "/";
#endif
    }();
    return folder + name;
}

void WriteFile(const std::string& path, const Bytes& data)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot create " + path);
    if (!data.empty())
        std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
}

Bytes ReadFile(const std::string& path)
{
    Bytes data;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return data;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    return data;
}

bool FileExists(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f)
        std::fclose(f);
    return f != nullptr;
}
} // namespace testimg
