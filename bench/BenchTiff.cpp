#include "BenchTiff.h"

#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLTextException.h"
#include "imaging/PLTiffHandle.h"
#include "imaging/PLWinBmp.h"

#include <windows.h>

#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)f.QuadPart;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// An uncompressed strip TIFF with smooth colours and some noise.
std::vector<uint8_t> MakePicture(int w, int h, bool bAlpha)
{
    const int nSamples = bAlpha ? 4 : 3;
    std::vector<uint8_t> buffer(size_t(w) * size_t(h) * size_t(nSamples) + (1 << 20));
    PLTiffHandle tiff;
    TIFF* tif = tiff.OpenTiffInMemory(buffer.data(), int64_t(buffer.size()), true);
    if (!tif)
        return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, nSamples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
    if (bAlpha)
    {
        uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    std::vector<uint8_t> row(size_t(w) * size_t(nSamples));
    unsigned seed = 12345;
    for (int y = 0; y < h; ++y)
    {
        for (int x = 0; x < w; ++x)
        {
            seed = seed * 1103515245u + 12345u;
            uint8_t* p = &row[size_t(x) * size_t(nSamples)];
            p[0] = uint8_t(x * 255 / std::max(1, w - 1));
            p[1] = uint8_t(y * 255 / std::max(1, h - 1));
            p[2] = uint8_t(seed >> 24);
            if (bAlpha)
                p[3] = uint8_t(128 + (seed >> 25));
        }
        if (TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) < 0)
            return {};
    }
    if (!TIFFFlush(tif))
        return {};
    tiff.Close();
    buffer.resize(size_t(tiff.GetSize()));
    return buffer;
}

} // namespace

bool RunTiffBench(int nWidth, int nHeight, bool bAlpha, int nReps, BenchTiffFigures& figures)
{
    const std::vector<uint8_t> picture = MakePicture(nWidth, nHeight, bAlpha);
    if (picture.empty())
        return false;
    figures.strCase = std::to_string(nWidth) + "x" + std::to_string(nHeight) + (bAlpha ? " RGBA" : " RGB");

    std::vector<double> winBmp, anyBmp, libtiff;
    try
    {
        for (int r = 0; r < nReps; ++r)
        {
            {
                PLWinBmp bmp;
                PLAnyPicDecoder decoder;
                const double t = Now();
                decoder.DecodeMemory(picture.data(), (int)picture.size(), &bmp);
                winBmp.push_back(Now() - t);
            }
            {
                PLAnyBmp bmp;
                PLAnyPicDecoder decoder;
                const double t = Now();
                decoder.DecodeMemory(picture.data(), (int)picture.size(), &bmp);
                anyBmp.push_back(Now() - t);
            }
            {
                const double t = Now();
                PLTiffHandle tiff;
                TIFF* tif = tiff.OpenTiffInMemory(picture.data(), int64_t(picture.size()));
                uint32_t* raster = tif ? (uint32_t*)std::malloc(size_t(nWidth) * size_t(nHeight) * 4) : nullptr;
                const bool bRead = raster && TIFFReadRGBAImage(tif, uint32_t(nWidth), uint32_t(nHeight), raster, 0);
                std::free(raster);
                libtiff.push_back(Now() - t);
                if (!bRead)
                    return false;
            }
        }
    }
    catch (PLTextException&)
    {
        return false;
    }
    figures.dDecoderWinBmp = Median(winBmp);
    figures.dDecoderAnyBmp = Median(anyBmp);
    figures.dLibtiff = Median(libtiff);
    return true;
}
