#pragma once

#include <vector>

#include "imaging/PLPicDecoder.h"
#include "imaging/PLPixel32.h"

struct GifFileType;
struct ColorMapObject;

// GIF through giflib: every image of the file drawn in turn at its own
// position on the logical screen, 8 bpp with the colour map of the last
// image that has one (else the global one).
class PLGIFDecoder : public PLPicDecoder
{
public:
    PLGIFDecoder();
    ~PLGIFDecoder() override;

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;

private:
    // The picture being drawn: made at the first image.
    struct Screen
    {
        bool created = false;
        bool locked = false;
        int width = 0;
        int height = 0;
        int64_t rowsRead = 0;  // over all images
        std::vector<PLPixel32> palette;
    };

    static void ReadRecords(GifFileType* gif, PLBmp* bmp, Screen& screen);
    // Draws the image whose descriptor was just read; false when damage
    // ended the picture.
    static bool DrawImage(GifFileType* gif, PLBmp* bmp, Screen& screen);
    // Passes over the rest of the current image's data.
    static bool SkipImageData(GifFileType* gif, bool started, Screen& screen);
    static void KeepColourMap(const ColorMapObject* map, Screen& screen);
    // A library failure: an error while nothing is drawn yet.
    static void Failed(GifFileType* gif, const Screen& screen);
};
