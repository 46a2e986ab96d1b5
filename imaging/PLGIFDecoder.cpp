#include "imaging/PLGIFDecoder.h"

#include <cstring>
#include <string>
#include <vector>

#include <gif_lib.h>

#include "imaging/PLBmp.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLTextException.h"

namespace
{
// Owns the library's file record on every path.
struct GifGuard
{
    GifFileType* gif = nullptr;
    ~GifGuard()
    {
        if (gif)
        {
            int error = 0;
            DGifCloseFile(gif, &error);
        }
    }
};

// Running out of data raises the source's code 11, which unwinds through
// giflib to the guard; all the library allocates hangs off its file record.
int ReadData(GifFileType* gif, GifByteType* buffer, int length)
{
    if (length <= 0)
        return 0;
    PLDataSource* source = static_cast<PLDataSource*>(gif->UserData);
    const uint8_t* p = source->ReadBytes(length);
    std::memcpy(buffer, p, size_t(length));
    return length;
}

[[noreturn]] void ThrowGifError(int error)
{
    const char* text = GifErrorString(error);
    PLPicDecoder::ThrowError(PL_ERR_FORMAT, text ? text : "GIF decoding failed");
}

void Check(GifFileType* gif, int result)
{
    if (result == GIF_ERROR)
        ThrowGifError(gif->Error);
}
} // namespace

PLGIFDecoder::PLGIFDecoder() = default;

PLGIFDecoder::~PLGIFDecoder() = default;

void PLGIFDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    // The header and global colour map are read while the library opens the
    // file, before it has handed us its record: make sure they are there.
    int available = 0;
    const uint8_t* head = source->PeekBuffer(13, &available);
    int needed = 13;
    if (available == 13 && (head[10] & 0x80))
        needed += 3 << ((head[10] & 7) + 1);
    source->PeekBuffer(needed, &available);
    if (available < needed)
        throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");

    GifGuard g;
    int error = 0;
    g.gif = DGifOpen(source, ReadData, &error);
    if (!g.gif)
        ThrowGifError(error);
    GifFileType* gif = g.gif;

    // Only the first image is decoded: later frames of an animation would be
    // drawn over it without their own palettes or transparency.
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    for (;;)
    {
        Check(gif, DGifGetRecordType(gif, &record));
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
        if (record == TERMINATE_RECORD_TYPE)
            ThrowError(PL_ERR_FORMAT, "GIF file contains no image.");
        if (record == EXTENSION_RECORD_TYPE)
        {
            int code = 0;
            GifByteType* extension = nullptr;
            Check(gif, DGifGetExtension(gif, &code, &extension));
            while (extension)
                Check(gif, DGifGetExtensionNext(gif, &extension));
        }
    }
    Check(gif, DGifGetImageDesc(gif));

    const GifImageDesc& image = gif->Image;
    const ColorMapObject* map = image.ColorMap ? image.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0)
        ThrowError(PL_ERR_FORMAT, "GIF file has no colour map.");

    const int imageLeft = image.Left, imageTop = image.Top;
    const int imageWidth = image.Width, imageHeight = image.Height;
    // A screen of size 0 takes the size of the image.
    const int width = gif->SWidth > 0 ? gif->SWidth : imageLeft + imageWidth;
    const int height = gif->SHeight > 0 ? gif->SHeight : imageTop + imageHeight;

    // LZW data can describe far more pixels than it takes bytes: an image
    // beyond the bitmap limit is refused like a bitmap of that size.
    if (imageWidth > 0 && imageHeight > 0)
        PLBmp::CheckDimensions(imageWidth, imageHeight, 8);
    bmp->Create(width, height, 8, false, PLPoint());
    for (int i = 0; i < map->ColorCount && i < 256; ++i)
    {
        const GifColorType& c = map->Colors[i];
        bmp->SetPaletteEntry(i, c.Red, c.Green, c.Blue, 255);
    }

    bmp->Lock(false, true);
    uint8_t** lines = bmp->GetLineArray();
    const uint8_t background = uint8_t(gif->SBackGroundColor);
    for (int y = 0; y < height; ++y)
        std::memset(lines[y], background, size_t(width));

    // Rows are read into a scratch line and clipped to the screen: an image
    // that is not confined to the screen must not write outside the bitmap.
    std::vector<GifByteType> row(size_t(imageWidth > 0 ? imageWidth : 1));
    const int visibleLeft = imageLeft < width ? imageLeft : width;
    const int visibleRight = imageLeft + imageWidth < width ? imageLeft + imageWidth : width;

    static const int passStart[4] = {0, 4, 2, 1};
    static const int passStep[4] = {8, 8, 4, 2};
    const int passes = image.Interlace ? 4 : 1;
    int rowsRead = 0;
    try
    {
        for (int pass = 0; pass < passes && imageWidth > 0; ++pass)
        {
            const int start = image.Interlace ? passStart[pass] : 0;
            const int step = image.Interlace ? passStep[pass] : 1;
            for (int y = start; y < imageHeight; y += step)
            {
                // Only the first image counts: nothing below the screen is needed.
                if (!image.Interlace && imageTop + y >= height)
                    break;
                if (DGifGetLine(gif, row.data(), imageWidth) == GIF_ERROR)
                {
                    // A damaged or truncated image keeps the rows decoded so far.
                    if (rowsRead == 0)
                        ThrowGifError(gif->Error);
                    bmp->Unlock();
                    return;
                }
                ++rowsRead;
                const int line = imageTop + y;
                if (line < height && visibleRight > visibleLeft)
                    std::memcpy(lines[line] + visibleLeft, row.data() + (visibleLeft - imageLeft),
                                size_t(visibleRight - visibleLeft));
            }
        }
    }
    catch (const PLTextException& e)
    {
        if (e.GetCode() != PL_ERR_END_OF_DATA || rowsRead == 0)
            throw;
    }
    bmp->Unlock();
}
