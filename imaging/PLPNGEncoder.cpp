#include "imaging/PLPNGEncoder.h"

#include <climits>
#include <vector>

#include <png.h>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLTextException.h"

namespace
{
struct PngWriteGuard
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriteGuard()
    {
        if (png)
            png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

void PNGCBAPI OnPNGError(png_structp, png_const_charp message)
{
    PLPicEncoder::ThrowError(PL_ERR_UNSUPPORTED, message ? message : "libpng error");
}

void PNGCBAPI OnPNGWarning(png_structp, png_const_charp)
{
}

// A full sink raises code 11 through the library.
void PNGCBAPI WriteData(png_structp png, png_bytep data, png_size_t length)
{
    PLDataSink* sink = static_cast<PLDataSink*>(png_get_io_ptr(png));
    if (length > size_t(INT_MAX))
        throw PLTextException(PL_ERR_END_OF_DATA, "Buffer overflow while encoding.\n");
    sink->WriteBytes(int(length), data);
}

void PNGCBAPI FlushData(png_structp)
{
}

png_uint_32 PixelsPerMetre(int dpi)
{
    if (dpi <= 0)
        return 0;
    return png_uint_32(dpi * 39.37);
}
} // namespace

PLPNGEncoder::PLPNGEncoder() : m_pBmp(nullptr), m_pSink(nullptr)
{
}

PLPNGEncoder::~PLPNGEncoder() = default;

void PLPNGEncoder::EncodeBody(PLBmp* bmp, PLDataSink* sink)
{
    PngWriteGuard g;
    g.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPNGError, OnPNGWarning);
    if (!g.png)
        ThrowError(PL_ERR_NO_MEMORY, "Cannot create the PNG write structure.");
    g.info = png_create_info_struct(g.png);
    if (!g.info)
        ThrowError(PL_ERR_NO_MEMORY, "Cannot create the PNG info structure.");

    m_pBmp = bmp;
    m_pSink = sink;
    png_set_write_fn(g.png, sink, WriteData, FlushData);

    const int bpp = bmp->GetBitsPerPixel();
    const bool alpha = bpp == 32 && bmp->HasAlpha();
    int colourType, depth;
    if (bpp <= 8)
    {
        colourType = PNG_COLOR_TYPE_PALETTE;
        depth = bpp;
    }
    else
    {
        colourType = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
        depth = 8;
    }
    png_set_IHDR(g.png, g.info, png_uint_32(bmp->GetWidth()), png_uint_32(bmp->GetHeight()), depth,
                 colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);

    if (bpp <= 8)
    {
        // As many entries as the depth addresses: 2 at 1 bpp, 256 at 8 bpp.
        const int entries = bmp->GetNumColors();
        std::vector<png_color> palette(static_cast<size_t>(entries));
        for (int i = 0; i < entries; ++i)
        {
            const PLPixel32& e = bmp->GetPalette()[i];
            palette[size_t(i)].red = e.r;
            palette[size_t(i)].green = e.g;
            palette[size_t(i)].blue = e.b;
        }
        png_set_PLTE(g.png, g.info, palette.data(), entries);
    }

    png_color_8 significant;
    significant.red = significant.green = significant.blue = significant.gray = 8;
    significant.alpha = alpha ? 8 : 0;
    png_set_sBIT(g.png, g.info, &significant);

    const PLPoint res = bmp->GetResolution();
    if (res.x != 0)
        png_set_pHYs(g.png, g.info, PixelsPerMetre(res.x), PixelsPerMetre(res.y), PNG_RESOLUTION_METER);
    else
        png_set_pHYs(g.png, g.info, 0, 0, PNG_RESOLUTION_UNKNOWN);

    png_write_info(g.png, g.info);

    // Pixel transforms come after the header in libpng 1.6.
    if (bpp == 32 && !alpha)
        png_set_filler(g.png, 0, PNG_FILLER_AFTER);
    if (bpp > 8)
        png_set_bgr(g.png);

    bmp->Lock(true, false);
    png_write_image(g.png, bmp->GetLineArray());
    bmp->Unlock();
    png_write_end(g.png, g.info);

    m_pBmp = nullptr;
    m_pSink = nullptr;
}
