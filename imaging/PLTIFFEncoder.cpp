#include "imaging/PLTIFFEncoder.h"

#include <cstring>
#include <vector>

#include <tiffio.h>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLTextException.h"
#include "imaging/PLTiffHandle.h"

namespace
{
template <typename... Args>
void SetField(PLTiffHandle& tiff, uint32_t tag, Args... values)
{
    if (!TIFFSetField(tiff.Get(), tag, values...))
        PLPicEncoder::ThrowError(PL_ERR_UNSUPPORTED, tiff.GetLastError());
}

[[noreturn]] void WriteFailed(PLTiffHandle& tiff)
{
    PLPicEncoder::ThrowError(PL_ERR_END_OF_DATA, tiff.GetLastError());
}
} // namespace

PLTIFFEncoder::PLTIFFEncoder() : m_Compression(COMPRESSION_PACKBITS)
{
}

PLTIFFEncoder::~PLTIFFEncoder() = default;

void PLTIFFEncoder::EncodeBody(PLBmp* bmp, PLDataSink* sink)
{
    PLTiffHandle tiff;
    if (!tiff.OpenTiffInMemory(sink->GetWritePointer(), sink->GetBytesFree(), true))
        WriteFailed(tiff);
    WriteStandardTags(bmp, tiff);
    WriteImage(bmp, tiff);
    if (!TIFFFlush(tiff.Get()))
        WriteFailed(tiff);
    tiff.Close();
    sink->CommitBytes(int(tiff.GetSize()));
}

void PLTIFFEncoder::WriteStandardTags(PLBmp* bmp, PLTiffHandle& tiff)
{
    const int bpp = bmp->GetBitsPerPixel();
    SetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(bmp->GetWidth()));
    SetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(bmp->GetHeight()));
    SetField(tiff, TIFFTAG_BITSPERSAMPLE, int(bpp < 9 ? bpp : 8));
    SetField(tiff, TIFFTAG_SAMPLESPERPIXEL, int(bpp < 9 ? 1 : 3));
    SetField(tiff, TIFFTAG_COMPRESSION, m_Compression);
    SetField(tiff, TIFFTAG_PLANARCONFIG, int(PLANARCONFIG_CONTIG));
    const PLPoint res = bmp->GetResolution();
    SetField(tiff, TIFFTAG_XRESOLUTION, double(res.x > 0 ? res.x : 0));
    SetField(tiff, TIFFTAG_YRESOLUTION, double(res.y > 0 ? res.y : 0));
    SetField(tiff, TIFFTAG_RESOLUTIONUNIT, int(RESUNIT_INCH));

    int photometric;
    if (bpp == 1)
    {
        const PLPixel32* p = bmp->GetPalette();
        const bool blackFirst = p[0].r < p[1].r && p[0].g < p[1].g && p[0].b < p[1].b;
        photometric = blackFirst ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE;
    }
    else if (bpp <= 8)
    {
        photometric = PHOTOMETRIC_PALETTE;
    }
    else
    {
        photometric = PHOTOMETRIC_RGB;
    }
    SetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
    // Strips of about 8 KB: otherwise libtiff holds the whole picture in a
    // second buffer before writing it.
    SetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff.Get(), 0));
}

void PLTIFFEncoder::WriteImage(PLBmp* bmp, PLTiffHandle& tiff)
{
    TIFF* tif = tiff.Get();
    const int bpp = bmp->GetBitsPerPixel();
    const int width = bmp->GetWidth();

    if (bpp > 1 && bpp <= 8)
    {
        // The colour map: 16-bit intensities, 65535 for 255.
        const int n = bmp->GetNumColors();
        std::vector<uint16_t> red(static_cast<size_t>(n)), green(static_cast<size_t>(n)), blue(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
        {
            const PLPixel32& e = bmp->GetPalette()[i];
            red[size_t(i)] = uint16_t(e.r * 65535 / 255);
            green[size_t(i)] = uint16_t(e.g * 65535 / 255);
            blue[size_t(i)] = uint16_t(e.b * 65535 / 255);
        }
        SetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    }

    const int64_t lineBytes = bpp <= 8 ? PLBmp::PackedLineBytes(width, bpp) : int64_t(width) * 3;
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    // A full buffer while the lines go out raises code 11 right away; the
    // directory written at the end reports failure by its result instead.
    tiff.SetRaiseWhenFull(true);
    bmp->Lock(true, false);
    for (int y = 0; y < bmp->GetHeight(); ++y)
    {
        const uint8_t* src = bmp->GetLineArray()[y];
        if (bpp <= 8)
        {
            std::memcpy(line.data(), src, line.size());
        }
        else
        {
            for (int x = 0; x < width; ++x)
            {
                const PLPixel32 c = bmp->GetPixelColour(src, x);
                line[3 * size_t(x)] = c.r;
                line[3 * size_t(x) + 1] = c.g;
                line[3 * size_t(x) + 2] = c.b;
            }
        }
        if (TIFFWriteScanline(tif, line.data(), uint32_t(y), 0) < 0)
            WriteFailed(tiff);
    }
    bmp->Unlock();
    tiff.SetRaiseWhenFull(false);
}
