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

    Screen screen;
    try
    {
        ReadRecords(g.gif, bmp, screen);
    }
    catch (const PLTextException& e)
    {
        // A damaged or truncated file keeps what was drawn before the damage.
        if (screen.locked)
            bmp->Unlock();
        if (e.GetCode() != PL_ERR_END_OF_DATA || screen.rowsRead == 0)
            throw;
        screen.locked = false;
    }
    if (screen.locked)
        bmp->Unlock();
    if (!screen.created)
        ThrowError(PL_ERR_FORMAT, "GIF file contains no image.");

    // The colour map of the last image that has one, else the global one.
    if (screen.palette.empty())
        KeepColourMap(g.gif->SColorMap, screen);
    if (screen.palette.empty())
        ThrowError(PL_ERR_FORMAT, "GIF file has no colour map.");
    for (size_t i = 0; i < screen.palette.size() && i < 256; ++i)
        bmp->GetPalette()[i] = screen.palette[i];
}

void PLGIFDecoder::KeepColourMap(const ColorMapObject* map, Screen& screen)
{
    if (!map || !map->Colors || map->ColorCount <= 0)
        return;
    screen.palette.clear();
    for (int i = 0; i < map->ColorCount; ++i)
        screen.palette.push_back(PLPixel32(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue, 255));
}

void PLGIFDecoder::ReadRecords(GifFileType* gif, PLBmp* bmp, Screen& screen)
{
    for (;;)
    {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            return Failed(gif, screen);
        if (record == TERMINATE_RECORD_TYPE)
            return;
        if (record == EXTENSION_RECORD_TYPE)
        {
            // Transparency and the other extensions are skipped.
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif, &code, &extension) == GIF_ERROR)
                return Failed(gif, screen);
            while (extension)
                if (DGifGetExtensionNext(gif, &extension) == GIF_ERROR)
                    return Failed(gif, screen);
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            return Failed(gif, screen);
        if (!DrawImage(gif, bmp, screen))
            return;
    }
}

void PLGIFDecoder::Failed(GifFileType* gif, const Screen& screen)
{
    // Once something is drawn, damage further on ends the picture there.
    if (screen.rowsRead == 0)
        ThrowGifError(gif->Error);
}

bool PLGIFDecoder::DrawImage(GifFileType* gif, PLBmp* bmp, Screen& screen)
{
    const GifImageDesc& image = gif->Image;
    KeepColourMap(image.ColorMap, screen);

    const int imageLeft = image.Left, imageTop = image.Top;
    const int imageWidth = image.Width, imageHeight = image.Height;
    // LZW data can describe far more pixels than it takes bytes: an image
    // beyond the bitmap limit is refused like a bitmap of that size (after
    // the first rows, it ends the picture).
    if (imageWidth > 0 && imageHeight > 0)
    {
        try
        {
            PLBmp::CheckDimensions(imageWidth, imageHeight, 8);
        }
        catch (const PLTextException&)
        {
            if (screen.rowsRead == 0)
                throw;
            return false;
        }
    }

    if (!screen.created)
    {
        // A screen of size 0 takes the size of the first image.
        screen.width = gif->SWidth > 0 ? gif->SWidth : imageLeft + imageWidth;
        screen.height = gif->SHeight > 0 ? gif->SHeight : imageTop + imageHeight;
        bmp->Create(screen.width, screen.height, 8, false, PLPoint());
        screen.created = true;
        bmp->Lock(false, true);
        screen.locked = true;
        const uint8_t background = uint8_t(gif->SBackGroundColor);
        for (int y = 0; y < screen.height; ++y)
            std::memset(bmp->GetLineArray()[y], background, size_t(screen.width));
    }
    if (imageWidth <= 0 || imageHeight <= 0)
        return true;

    // Rows are read into a scratch line and clipped to the screen: an image
    // that is not confined to the screen must not write outside the bitmap.
    uint8_t** lines = bmp->GetLineArray();
    std::vector<GifByteType> row(static_cast<size_t>(imageWidth));
    const int visibleLeft = imageLeft < screen.width ? imageLeft : screen.width;
    const int visibleRight = imageLeft + imageWidth < screen.width ? imageLeft + imageWidth : screen.width;

    static const int passStart[4] = {0, 4, 2, 1};
    static const int passStep[4] = {8, 8, 4, 2};
    const int passes = image.Interlace ? 4 : 1;
    int rowsOfImage = 0;
    for (int pass = 0; pass < passes; ++pass)
    {
        const int start = image.Interlace ? passStart[pass] : 0;
        const int step = image.Interlace ? passStep[pass] : 1;
        for (int y = start; y < imageHeight; y += step)
        {
            // Rows below the screen are not needed: the rest of the image's
            // data is passed over.
            if (!image.Interlace && imageTop + y >= screen.height)
                return SkipImageData(gif, rowsOfImage > 0, screen);
            if (DGifGetLine(gif, row.data(), imageWidth) == GIF_ERROR)
            {
                Failed(gif, screen);
                return false;
            }
            ++rowsOfImage;
            ++screen.rowsRead;
            const int line = imageTop + y;
            if (line < screen.height && visibleRight > visibleLeft)
                std::memcpy(lines[line] + visibleLeft, row.data() + (visibleLeft - imageLeft),
                            size_t(visibleRight - visibleLeft));
        }
    }
    return true;
}

bool PLGIFDecoder::SkipImageData(GifFileType* gif, bool started, Screen& screen)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (!started && DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
    {
        Failed(gif, screen);
        return false;
    }
    if (started && DGifGetCodeNext(gif, &block) == GIF_ERROR)
    {
        Failed(gif, screen);
        return false;
    }
    while (block)
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
        {
            Failed(gif, screen);
            return false;
        }
    return true;
}
