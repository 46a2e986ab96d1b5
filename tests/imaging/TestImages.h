#pragma once

// Test images made by the tests themselves: patterned bitmaps, our own
// encoders, and small builders over the image libraries' writers.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLProgressListener.h"
#include "imaging/PLTextException.h"

typedef struct tiff TIFF;
class PLPicEncoder;

namespace testimg
{
using Bytes = std::vector<uint8_t>;

// What an operation raised: code 0 when it raised nothing, -1000 when it
// raised something other than a PLTextException.
struct ImageError
{
    int code = 0;
    std::string text;
};

template <typename F>
ImageError CatchImageError(F f)
{
    ImageError result;
    try
    {
        f();
    }
    catch (const PLTextException& e)
    {
        result.code = e.GetCode();
        result.text = e.GetText();
    }
    catch (...)
    {
        result.code = -1000;
    }
    return result;
}

// A bitmap of the given size and depth filled with a pseudo-random pattern;
// at 8 bpp and below the palette holds distinct colours (at 1 bpp white,
// black). 32-bpp pixels get varied alpha bytes when alpha is set, else 255.
void MakePattern(PLBmp& bmp, int width, int height, int bpp, bool alpha, unsigned seed = 1);

// Smooth gradients, for lossy round trips.
void MakeSmooth(PLBmp& bmp, int width, int height, int bpp);

// Encodes into memory through the encoder's own sink path.
Bytes Encode(PLPicEncoder& encoder, PLBmp& bmp);

// Decodes with the any-format decoder; returns its format code.
int DecodeAny(const Bytes& data, PLBmp& bmp);

// Largest difference of red, green or blue (and alpha when asked) between
// two bitmaps compared at 32 bpp; -1 when the sizes differ.
int MaxColourDiff(const PLBmp& a, const PLBmp& b, bool compareAlpha);

// --- GIF ------------------------------------------------------------------
struct GifImage
{
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    std::vector<PLPixel32> localMap;  // empty: none
    std::vector<uint8_t> pixels;      // width x height indices, top row first
};

struct GifLayout
{
    int screenWidth = 0, screenHeight = 0;
    int background = 0;
    std::vector<PLPixel32> globalMap;  // empty: none
    bool graphicsControl = false;      // a graphic control extension before each image
    std::vector<GifImage> images;
};

// A GIF89a file; LZW data is written with literal codes only (a clear code
// every 200 codes keeps the code width at 9 bits).
Bytes MakeGif(const GifLayout& layout);

// --- TIFF, PNG, JPEG through the libraries' writers -------------------------
// Runs the writer on a TIFF opened for writing in memory and returns the file.
Bytes MakeTiff(const std::function<void(TIFF*)>& write);
// The tags of a contiguous image: size, bits and samples per pixel,
// photometric interpretation and compression (by default COMPRESSION_NONE).
void SetBasicTags(TIFF* tif, uint32_t width, uint32_t height, int bits, int samples, int photometric,
                  int compression = 1);

// A PNG of the given colour type and bit depth; sample(x, y, channel) gives
// each channel's value; ppm > 0 writes a pHYs chunk in pixels per metre.
Bytes MakePng(int width, int height, int colourType, int bitDepth,
              const std::function<unsigned(int x, int y, int c)>& sample, bool interlace = false,
              int ppm = -1, int paletteEntries = 0);

struct JpegLayout
{
    int width = 16, height = 16;
    int components = 3;          // 1 grey, 3 RGB, 4 CMYK
    bool adobeMarker = true;     // for CMYK
    bool ycck = false;           // CMYK samples stored as YCCK (with the Adobe marker)
    bool progressive = false;
    int densityUnit = 0, xDensity = 1, yDensity = 1;
    int quality = 90;
    std::function<unsigned(int x, int y, int c)> sample;
};
Bytes MakeJpeg(const JpegLayout& layout);

// Recomputes the CRC of every chunk of a PNG (after a test changed bytes).
void FixPngCrcs(Bytes& png);

void PutBE32(uint8_t* p, uint32_t v);
void PutLE32(uint8_t* p, uint32_t v);
uint32_t GetLE32(const uint8_t* p);
uint32_t GetBE32(const uint8_t* p);

// Keeps every progress report it receives.
struct ProgressRecorder : PLProgressListener
{
    std::vector<double> parts;
    void OnProgress(double part) override { parts.push_back(part); }
};

// A source over bytes in memory that reports its progress to a listener, as
// a decoder's own source does.
class ListeningSource : public PLDataSource
{
public:
    ListeningSource(PLProgressListener* listener, const Bytes& data) : PLDataSource(listener)
    {
        Open("test", data.data(), int(data.size()));
    }
};

// A file path in a folder private to this test run.
std::string TempPath(const std::string& name);
void WriteFile(const std::string& path, const Bytes& data);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);
} // namespace testimg
