#include "imaging/PLTIFFDecoder.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLTextException.h"
#include "imaging/PLTiffHandle.h"

namespace
{
struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};

// Ends an RGBA read on every path.
struct RgbaGuard
{
    TIFFRGBAImage* img = nullptr;
    ~RgbaGuard()
    {
        if (img)
            TIFFRGBAImageEnd(img);
    }
};

int ToInt(uint32_t v)
{
    return v > uint32_t(INT_MAX) ? -1 : int(v);
}

// The RGBA reader writes pixels as R | G << 8 | B << 16 | A << 24; bitmap
// pixels are B, G, R, A in memory. The reader's own put routines run as they
// are and each block they fill is turned around at once, while it is still
// in the cache, so the pixels land in the bitmap's lines in its order.
struct RgbaReader
{
    TIFFRGBAImage img; // first: the put routines get its address
    tileContigRoutine contig = nullptr;
    tileSeparateRoutine separate = nullptr;
};

void SwapRedBlue(uint32_t* cp, uint32_t w, uint32_t h, int32_t toskew)
{
    for (; h > 0; --h)
    {
        for (uint32_t i = 0; i < w; ++i)
        {
            const uint32_t v = cp[i];
            cp[i] = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
        }
        cp += int64_t(w) + toskew;
    }
}

void PutContigSwapped(TIFFRGBAImage* img, uint32_t* cp, uint32_t x, uint32_t y, uint32_t w, uint32_t h,
                      int32_t fromskew, int32_t toskew, unsigned char* pp)
{
    RgbaReader* reader = reinterpret_cast<RgbaReader*>(img);
    reader->contig(img, cp, x, y, w, h, fromskew, toskew, pp);
    SwapRedBlue(cp, w, h, toskew);
}

void PutSeparateSwapped(TIFFRGBAImage* img, uint32_t* cp, uint32_t x, uint32_t y, uint32_t w, uint32_t h,
                        int32_t fromskew, int32_t toskew, unsigned char* r, unsigned char* g, unsigned char* b,
                        unsigned char* a)
{
    RgbaReader* reader = reinterpret_cast<RgbaReader*>(img);
    reader->separate(img, cp, x, y, w, h, fromskew, toskew, r, g, b, a);
    SwapRedBlue(cp, w, h, toskew);
}

// Contiguous 8-bit RGB with an alpha sample: the four samples are taken as
// they are, without premultiplication, straight into bitmap order.
void PutRGBAContig8(TIFFRGBAImage* img, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h,
                    int32_t fromskew, int32_t toskew, unsigned char* pp)
{
    const int samples = img->samplesperpixel;
    fromskew *= samples;
    for (; h > 0; --h)
    {
        for (uint32_t i = 0; i < w; ++i)
        {
            *cp++ = uint32_t(pp[2]) | (uint32_t(pp[1]) << 8) | (uint32_t(pp[0]) << 16) | (uint32_t(pp[3]) << 24);
            pp += samples;
        }
        cp += toskew;
        pp += fromskew;
    }
}

// Where the RGBA reader can write the bitmap's lines directly: one block of
// w pixels per line, top-down or bottom-up. Null otherwise.
uint32_t* DirectRaster(PLBmp* bmp, int w, int h, uint16_t& orientation)
{
    PLPixel32** lines = bmp->GetLineArray32();
    if (lines == nullptr || h <= 0)
        return nullptr;
    bool topDown = true, bottomUp = true;
    for (int y = 1; y < h && (topDown || bottomUp); ++y)
    {
        topDown = topDown && lines[y] == lines[0] + int64_t(y) * w;
        bottomUp = bottomUp && lines[y] == lines[0] - int64_t(y) * w;
    }
    if (topDown)
    {
        orientation = ORIENTATION_TOPLEFT;
        return reinterpret_cast<uint32_t*>(lines[0]);
    }
    if (bottomUp)
    {
        orientation = ORIENTATION_BOTLEFT;
        return reinterpret_cast<uint32_t*>(lines[h - 1]);
    }
    return nullptr;
}

struct UnlockGuard
{
    PLBmp* bmp;
    ~UnlockGuard() { bmp->Unlock(); }
};

int Rounded(double v)
{
    if (!(v > 0))
        return 0;
    if (v > 1e6)
        v = 1e6;
    return int(v + 0.5);
}
} // namespace

PLTIFFDecoder::PLTIFFDecoder() = default;

PLTIFFDecoder::~PLTIFFDecoder() = default;

PLPoint PLTIFFDecoder::GetResolution(TIFF* tif)
{
    float x = 0, y = 0;
    if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) || !(x > 1.0f))
        x = 0;
    if (!TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y) || !(y > 1.0f))
        y = 0;
    double rx = x, ry = y;
    uint16_t unit = 0;
    if (TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit))
    {
        if (unit == RESUNIT_CENTIMETER)
        {
            rx *= 2.54;
            ry *= 2.54;
        }
        else if (unit == RESUNIT_NONE)
        {
            // Only an aspect ratio: no dots per inch to report.
            rx = ry = 0;
        }
    }
    return PLPoint(Rounded(rx), Rounded(ry));
}

void PLTIFFDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    PLTiffHandle tiff;
    // Only the bytes left in the source: an EPS preview starts in the middle.
    if (!tiff.OpenTiffInMemory(source->GetRemainingData(), source->GetBytesLeft()))
        ThrowError(PL_ERR_SIGNATURE, tiff.GetLastError());
    DecodeImage(bmp, tiff);
    bmp->SetResolution(GetResolution(tiff.Get()));
    tiff.Close();
}

void PLTIFFDecoder::DecodeImage(PLBmp* bmp, PLTiffHandle& tiff)
{
    TIFF* tif = tiff.Get();
    uint16_t bitsPerSample = 1, samplesPerPixel = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);

    const bool lowDepth = bitsPerSample == 1 || bitsPerSample == 2 || bitsPerSample == 4 || bitsPerSample == 8;
    const bool lineByLine = !TIFFIsTiled(tif) &&
                            ((samplesPerPixel == 1 && lowDepth) || (samplesPerPixel == 2 && bitsPerSample == 8));
    if (lineByLine)
        DoLoColor(tiff, bmp);
    else
        DecodeViaRgba(tiff, bmp, samplesPerPixel);
}

void PLTIFFDecoder::DoLoColor(PLTiffHandle& tiff, PLBmp* bmp)
{
    TIFF* tif = tiff.Get();
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) ||
        (photometric != PHOTOMETRIC_MINISWHITE && photometric != PHOTOMETRIC_MINISBLACK &&
         photometric != PHOTOMETRIC_PALETTE))
        photometric = PHOTOMETRIC_MINISWHITE;

    const int w = ToInt(width);
    const int h = ToInt(height);
    const int bpp = (samples == 1 && bits == 1) ? 1 : 8;
    bmp->Create(w, h, uint16_t(bpp), false, PLPoint());

    // The scanline as the library delivers it, never shorter than what the
    // row conversion below reads.
    const int pixelStep = (samples == 2 && planar == PLANARCONFIG_CONTIG) ? 2 : 1;
    const int64_t needed = samples == 2 ? int64_t(w) * pixelStep : PLBmp::PackedLineBytes(w, bits);
    int64_t lineBytes = int64_t(TIFFScanlineSize64(tif));
    if (lineBytes < needed)
        lineBytes = needed;
    if (lineBytes > PLBmp::GetMaxBytes())
        ThrowError(PL_ERR_NO_MEMORY, "Out of memory allocating TIFF buffer.");
    std::unique_ptr<uint8_t, FreeDeleter> buffer(static_cast<uint8_t*>(std::calloc(1, size_t(lineBytes))));
    if (!buffer)
        ThrowError(PL_ERR_NO_MEMORY, "Out of memory allocating TIFF buffer.");

    // Palette of 2^bits entries, alpha 255.
    const int n = 1 << (samples == 2 ? 8 : bits);
    std::vector<PLPixel32> palette(static_cast<size_t>(n));
    if (photometric == PHOTOMETRIC_PALETTE)
    {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
            ThrowError(PL_ERR_FORMAT, "Palette image without colour map.");
        bool wide = false;
        for (int i = 0; i < n; ++i)
            if (red[i] >= 256 || green[i] >= 256 || blue[i] >= 256)
                wide = true;
        for (int i = 0; i < n; ++i)
        {
            if (wide)
                palette[i] = PLPixel32(uint8_t(red[i] * 255 / 65535), uint8_t(green[i] * 255 / 65535),
                                       uint8_t(blue[i] * 255 / 65535), 255);
            else
                palette[i] = PLPixel32(uint8_t(red[i]), uint8_t(green[i]), uint8_t(blue[i]), 255);
        }
    }
    else
    {
        const int step = 255 / (n - 1);
        for (int i = 0; i < n; ++i)
        {
            const int level = photometric == PHOTOMETRIC_MINISBLACK ? i : n - 1 - i;
            uint8_t v = uint8_t(level * step);
            palette[i] = PLPixel32(v, v, v, 255);
        }
    }

    bmp->Lock(false, true);
    uint8_t* buf = buffer.get();
    for (int row = 0; row < h; ++row)
    {
        if (TIFFReadScanline(tif, buf, uint32_t(row), 0) < 0)
        {
            // Damage in the first third makes the picture useless; later on,
            // what was read is kept and the rest stays blank.
            if (row < h / 3)
                ThrowError(PL_ERR_LAYOUT, tiff.GetLastError());
            break;
        }
        uint8_t* dst = bmp->GetLineArray()[row];
        if (samples == 2)
        {
            for (int x = 0; x < w; ++x)
                dst[x] = buf[x * pixelStep];
        }
        else if (bits == 4)
        {
            for (int x = 0; x < w; ++x)
                dst[x] = uint8_t((x & 1) ? (buf[x >> 1] & 0x0F) : (buf[x >> 1] >> 4));
        }
        else if (bits == 2)
        {
            for (int x = 0; x < w; ++x)
                dst[x] = uint8_t((buf[x >> 2] >> (6 - 2 * (x & 3))) & 3);
        }
        else
        {
            std::memcpy(dst, buf, size_t(PLBmp::PackedLineBytes(w, bits)));
        }
    }
    bmp->Unlock();

    for (int i = 0; i < n && i < bmp->GetNumColors(); ++i)
        bmp->GetPalette()[i] = palette[size_t(i)];
}

void PLTIFFDecoder::DecodeViaRgba(PLTiffHandle& tiff, PLBmp* bmp, int samplesPerPixel)
{
    TIFF* tif = tiff.Get();
    char message[1024] = "";
    RgbaReader reader;
    TIFFRGBAImage& img = reader.img;
    std::memset(&img, 0, sizeof(img));
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&img, tif, 0, message))
        ThrowError(PL_ERR_SIGNATURE, message[0] ? message : tiff.GetLastError());
    RgbaGuard guard;
    guard.img = &img;

    const int w = ToInt(img.width);
    const int h = ToInt(img.height);
    const bool alpha = img.alpha != 0 || samplesPerPixel == 4;
    PLBmp::CheckDimensions(w, h, 32);
    bmp->Create(w, h, 32, alpha, PLPoint());

    if (img.isContig && img.bitspersample == 8 && img.photometric == PHOTOMETRIC_RGB && img.alpha &&
        img.samplesperpixel >= 4)
        img.put.contig = PutRGBAContig8;
    else if (img.isContig && img.put.contig != nullptr)
    {
        reader.contig = img.put.contig;
        img.put.contig = PutContigSwapped;
    }
    else if (!img.isContig && img.put.separate != nullptr)
    {
        reader.separate = img.put.separate;
        img.put.separate = PutSeparateSwapped;
    }

    {
        bmp->Lock(false, true);
        UnlockGuard unlock{ bmp };
        uint16_t orientation = ORIENTATION_BOTLEFT;
        if (uint32_t* raster = DirectRaster(bmp, w, h, orientation))
        {
            img.req_orientation = orientation;
            if (!TIFFRGBAImageGet(&img, raster, img.width, img.height))
                ThrowError(PL_ERR_SIGNATURE, tiff.GetLastError());
        }
        else
        {
            // Lines apart from each other: through a raster of the whole picture,
            // bottom-up, copied line by line.
            std::unique_ptr<uint32_t, FreeDeleter> buffer(
                static_cast<uint32_t*>(std::calloc(size_t(w) * size_t(h), sizeof(uint32_t))));
            if (!buffer)
                ThrowError(PL_ERR_NO_MEMORY, "Out of memory allocating TIFF buffer.");
            if (!TIFFRGBAImageGet(&img, buffer.get(), img.width, img.height))
                ThrowError(PL_ERR_SIGNATURE, tiff.GetLastError());
            for (int y = 0; y < h; ++y)
                std::memcpy(bmp->GetLineArray()[y], buffer.get() + size_t(h - 1 - y) * size_t(w), size_t(w) * 4);
        }
    }
    bmp->DropEmptyAlpha();
}
