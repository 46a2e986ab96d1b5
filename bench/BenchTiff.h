// TIFF decoding: the image layer's decoder against libtiff's own RGBA reader
// on the same picture in memory.
#pragma once

#include <string>

struct BenchTiffFigures
{
    std::string strCase;
    double dDecoderWinBmp = 0; // seconds, median: decoded into a device-independent bitmap
    double dDecoderAnyBmp = 0; // decoded into a plain top-down bitmap
    double dLibtiff = 0;       // libtiff's RGBA reader into its own raster
};

// Times one picture of width x height (RGB, or RGB with alpha); FALSE when
// the picture could not be made or decoded.
bool RunTiffBench(int nWidth, int nHeight, bool bAlpha, int nReps, BenchTiffFigures& figures);
