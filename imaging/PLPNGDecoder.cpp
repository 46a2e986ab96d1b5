#include "imaging/PLPNGDecoder.h"

#include <climits>
#include <cstring>

#include <png.h>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLTextException.h"

namespace
{
// Ancillary chunks the library may hold in memory at all (none is read but
// the resolution), and the most bytes it may allocate for one.
const png_uint_32 kMaxAncillaryChunks = 32;
const png_alloc_size_t kMaxChunkBytes = 1 << 20;

// Owns the library's read structures for one decode, on every path.
struct PngReadGuard
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReadGuard()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

// libpng may not continue after an error: the exception unwinds through it
// (the library is built with unwind tables) to the guard above.
void PNGCBAPI OnPNGError(png_structp, png_const_charp message)
{
    PLPicDecoder::ThrowError(PL_ERR_FORMAT, message ? message : "libpng error");
}

void PNGCBAPI OnPNGWarning(png_structp, png_const_charp)
{
}

void PNGCBAPI ReadData(png_structp png, png_bytep data, png_size_t length)
{
    PLDataSource* source = static_cast<PLDataSource*>(png_get_io_ptr(png));
    if (length > size_t(INT_MAX))
        throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");
    const uint8_t* p = source->ReadBytes(int(length));
    std::memcpy(data, p, length);
}
} // namespace

PLPNGDecoder::PLPNGDecoder() = default;

PLPNGDecoder::~PLPNGDecoder() = default;

void PLPNGDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    PngReadGuard g;
    g.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPNGError, OnPNGWarning);
    if (!g.png)
        ThrowError(PL_ERR_NO_MEMORY, "Cannot create the PNG read structure.");
    g.info = png_create_info_struct(g.png);
    if (!g.info)
        ThrowError(PL_ERR_NO_MEMORY, "Cannot create the PNG info structure.");

    // A small file must cost no more than its image needs: a text chunk may
    // declare gigabytes, which the library would allocate before reading
    // (a length beyond its limit is only a warning). Every ancillary chunk
    // the decoder does not use is skipped unread; the one it does (pHYs,
    // the resolution) has a fixed size.
    png_set_keep_unknown_chunks(g.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    static const png_byte kResolutionChunk[] = "pHYs";
    png_set_keep_unknown_chunks(g.png, PNG_HANDLE_CHUNK_AS_DEFAULT, kResolutionChunk, 1);
    png_set_chunk_malloc_max(g.png, kMaxChunkBytes);
    png_set_chunk_cache_max(g.png, kMaxAncillaryChunks);

    png_set_read_fn(g.png, source, ReadData);
    png_read_info(g.png, g.info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(g.png, g.info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);

    int bpp = 32;
    bool alpha = false;
    switch (colourType)
    {
    case PNG_COLOR_TYPE_GRAY:
        bpp = 8;
        if (bitDepth == 16)
            png_set_strip_16(g.png);
        if (bitDepth < 8)
            png_set_packing(g.png);
        break;
    case PNG_COLOR_TYPE_RGB:
        png_set_bgr(g.png);
        png_set_filler(g.png, 0xFF, PNG_FILLER_AFTER);
        if (bitDepth == 16)
            png_set_strip_16(g.png);
        break;
    case PNG_COLOR_TYPE_PALETTE:
        bpp = 8;
        if (bitDepth < 8)
            png_set_packing(g.png);
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        alpha = true;
        png_set_gray_to_rgb(g.png);
        png_set_expand(g.png);
        png_set_bgr(g.png);
        if (bitDepth == 16)
            png_set_strip_16(g.png);
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        alpha = true;
        png_set_bgr(g.png);
        if (bitDepth == 16)
            png_set_strip_16(g.png);
        break;
    default:
        ThrowError(PL_ERR_FORMAT, "Unknown PNG colour type.");
    }

    // Refuse hostile sizes before the library allocates its row buffers.
    PLBmp::CheckDimensions(width, height, bpp);
    png_set_interlace_handling(g.png);
    png_read_update_info(g.png, g.info);

    bmp->Create(int(width), int(height), uint16_t(bpp), alpha, PLPoint());
    if (png_get_rowbytes(g.png, g.info) > size_t(bmp->LineBytes()))
        ThrowError(PL_ERR_FORMAT, "PNG rows do not fit the bitmap.");

    if (colourType == PNG_COLOR_TYPE_GRAY)
    {
        const int entries = 1 << (bitDepth < 8 ? bitDepth : 8);
        for (int i = 0; i < entries; ++i)
        {
            uint8_t v = uint8_t(i * 255 / (entries - 1));
            bmp->SetPaletteEntry(i, v, v, v, 255);
        }
    }
    else if (colourType == PNG_COLOR_TYPE_PALETTE)
    {
        png_colorp palette = nullptr;
        int count = 0;
        if (png_get_PLTE(g.png, g.info, &palette, &count) && palette)
            for (int i = 0; i < count && i < 256; ++i)
                bmp->SetPaletteEntry(i, palette[i].red, palette[i].green, palette[i].blue, 255);
    }

    bmp->Lock(false, true);
    png_read_image(g.png, bmp->GetLineArray());
    bmp->Unlock();
    bmp->DropEmptyAlpha();

    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    PLPoint res;
    if (png_get_pHYs(g.png, g.info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER)
    {
        // 1 / 39.37 as the single-precision constant the resolution was always scaled by.
        const double inchPerMetre = double(0.025400052f);
        res = PLPoint(int(resX * inchPerMetre + 0.5), int(resY * inchPerMetre + 0.5));
    }
    bmp->SetResolution(res);

    png_read_end(g.png, nullptr);
}
