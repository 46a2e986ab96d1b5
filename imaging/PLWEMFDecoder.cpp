#include "imaging/PLWEMFDecoder.h"

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include <windows.h>

#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLMetafileRecords.h"
#include "imaging/PLTextException.h"
#include "imaging/PLWinBmp.h"

namespace
{
const int kPlaceableHeaderBytes = 22;

// Owners of the GDI objects of one rendering, released on every path.
struct ScreenDC
{
    HDC dc = GetDC(nullptr);
    ~ScreenDC()
    {
        if (dc)
            ReleaseDC(nullptr, dc);
    }
};

struct MetafileHandle
{
    HENHMETAFILE handle = nullptr;
    ~MetafileHandle()
    {
        if (handle)
            DeleteEnhMetaFile(handle);
    }
};

struct MemoryDC
{
    HDC dc = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HPALETTE oldPalette = nullptr;
    void Release()
    {
        if (!dc)
            return;
        if (oldPalette)
            SelectPalette(dc, oldPalette, FALSE);
        if (oldBitmap)
            SelectObject(dc, oldBitmap);
        DeleteDC(dc);
        dc = nullptr;
    }
    ~MemoryDC() { Release(); }
};

struct GdiObject
{
    HGDIOBJ handle = nullptr;
    ~GdiObject()
    {
        if (handle)
            DeleteObject(handle);
    }
};

const int kEnhancedHeaderBytes = 88;  // up to and including szlMillimeters
int16_t LE16s(const uint8_t* p)
{
    return int16_t(p[0] | (p[1] << 8));
}

// Fits the rendering size under the side limit and the bitmap size limit,
// keeping the aspect ratio.
void FitRenderingSize(int64_t& width, int64_t& height)
{
    double scale = 1.0;
    const double side = PLWEMFDecoder::kMaxSide;
    if (width > side)
        scale = side / double(width);
    if (height * scale > side)
        scale = side / double(height);
    const double pixels = double(width) * scale * double(height) * scale;
    const double maxPixels = double(PLBmp::GetMaxBytes()) / 5.0;  // 4 bytes a pixel and the line table
    if (pixels > maxPixels)
        scale *= std::sqrt(maxPixels / pixels);
    if (scale < 1.0)
    {
        width = int64_t(double(width) * scale);
        height = int64_t(double(height) * scale);
        if (width < 1)
            width = 1;
        if (height < 1)
            height = 1;
    }
}
} // namespace

PLWEMFDecoder::PLWEMFDecoder() = default;

PLWEMFDecoder::~PLWEMFDecoder() = default;

void PLWEMFDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    const int size = source->GetBytesLeft();
    const uint8_t* data = source->ReadBytes(size);
    // GDI writes straight into a DIB block: other bitmaps get a copy.
    if (PLWinBmp* win = dynamic_cast<PLWinBmp*>(bmp))
    {
        Render(data, size, win);
        return;
    }
    PLWinBmp rendered;
    Render(data, size, &rendered);
    bmp->CopyAtDepth(rendered, 0);
}

void PLWEMFDecoder::Render(const uint8_t* data, int size, PLWinBmp* bmp)
{
    const bool enhanced = PLAnyPicDecoder::IsEnhancedMetafile(data, size);
    const bool placeable = !enhanced && PLAnyPicDecoder::IsPlaceableMetafile(data, size);
    if (placeable && size < kPlaceableHeaderBytes)
        ThrowError(PL_ERR_FORMAT, "Placeable metafile header is truncated.");
    const int unitsPerInch = placeable ? data[14] | (data[15] << 8) : 0;
    if (placeable && unitsPerInch == 0)
        ThrowError(PL_ERR_FORMAT, "Metafile states 0 units per inch.");

    const uint8_t* records = placeable ? data + kPlaceableHeaderBytes : data;
    const int recordBytes = placeable ? size - kPlaceableHeaderBytes : size;
    if (enhanced ? !PLMetafileRecords::IsSoundEnhanced(records, recordBytes)
                 : !PLMetafileRecords::IsSoundWindows(records, recordBytes))
        ThrowError(PL_ERR_FORMAT, "Metafile records are damaged or truncated.");

    ScreenDC screen;
    if (!screen.dc)
        ThrowError(PL_ERR_NO_MEMORY, "Cannot allocate device context.");

    MetafileHandle metafile;
    if (enhanced)
        metafile.handle = SetEnhMetaFileBits(UINT(size), data);
    else if (placeable)
    {
        // The picture's own size (in 0.01 mm) makes the frame, so that its
        // window maps onto it however the player fits the device surface.
        METAFILEPICT picture = {MM_ANISOTROPIC, (LE16s(data + 10) - LE16s(data + 6)) * 2540 / unitsPerInch,
                                (LE16s(data + 12) - LE16s(data + 8)) * 2540 / unitsPerInch, nullptr};
        const bool sized = picture.xExt > 0 && picture.yExt > 0;
        metafile.handle = SetWinMetaFileBits(UINT(size - kPlaceableHeaderBytes), data + kPlaceableHeaderBytes,
                                             screen.dc, sized ? &picture : nullptr);
    }
    else
        metafile.handle = SetWinMetaFileBits(UINT(size), data, screen.dc, nullptr);
    if (!metafile.handle)
        ThrowError(PL_ERR_UNSUPPORTED, "Windows Metafile functions failed to load this image.");

    // Older headers end earlier than the platform's structure: the buffer
    // holds at least the whole structure, zero past what GDI fills in.
    const UINT headerBytes = GetEnhMetaFileHeader(metafile.handle, 0, nullptr);
    if (headerBytes < UINT(kEnhancedHeaderBytes))
        ThrowError(PL_ERR_FORMAT, "No header information in metafile");
    std::vector<uint8_t> headerBuffer;
    try
    {
        headerBuffer.resize(headerBytes > sizeof(ENHMETAHEADER) ? headerBytes : sizeof(ENHMETAHEADER), 0);
    }
    catch (const std::bad_alloc&)
    {
        ThrowError(PL_ERR_NO_MEMORY, "Out of memory during allocation of header.");
    }
    ENHMETAHEADER* header = reinterpret_cast<ENHMETAHEADER*>(headerBuffer.data());
    header->iType = EMR_HEADER;
    header->nSize = headerBytes;
    if (!GetEnhMetaFileHeader(metafile.handle, headerBytes, header))
        ThrowError(PL_ERR_FORMAT, "No header information in metafile");

    int64_t width, height;
    if (placeable)
    {
        width = int64_t(LE16s(data + 10) - LE16s(data + 6)) * GetDeviceCaps(screen.dc, LOGPIXELSX) / unitsPerInch;
        height = int64_t(LE16s(data + 12) - LE16s(data + 8)) * GetDeviceCaps(screen.dc, LOGPIXELSY) / unitsPerInch;
    }
    else
    {
        if (header->szlMillimeters.cx <= 0 || header->szlMillimeters.cy <= 0)
            ThrowError(PL_ERR_FORMAT, "Metafile states a reference device of size 0.");
        const RECTL& frame = header->rclFrame;
        width = (int64_t(frame.right) - frame.left) * header->szlDevice.cx /
                (int64_t(header->szlMillimeters.cx) * 100);
        height = (int64_t(frame.bottom) - frame.top) * header->szlDevice.cy /
                 (int64_t(header->szlMillimeters.cy) * 100);
    }
    if (width <= 0)
        width = 320;
    if (height <= 0)
        height = 200;
    FitRenderingSize(width, height);

    MemoryDC memory;
    memory.dc = CreateCompatibleDC(screen.dc);
    if (!memory.dc)
        ThrowError(PL_ERR_NO_MEMORY, "Cannot allocate device context.");
    GdiObject offscreen;
    offscreen.handle = CreateCompatibleBitmap(screen.dc, int(width), int(height));
    if (!offscreen.handle)
        ThrowError(PL_ERR_NO_MEMORY, "Cannot allocate memory bitmap.");
    memory.oldBitmap = SelectObject(memory.dc, offscreen.handle);

    // A metafile with its own palette is rendered through it and kept at 8 bpp.
    GdiObject logicalPalette;
    PLPixel32 palette[256];
    const UINT paletteEntries = GetEnhMetaFilePaletteEntries(metafile.handle, 0, nullptr);
    const bool usePalette = paletteEntries >= 1 && paletteEntries <= 255;
    if (usePalette)
    {
        std::vector<uint8_t> block(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY), 0);
        LOGPALETTE* lp = reinterpret_cast<LOGPALETTE*>(block.data());
        lp->palVersion = 0x300;
        lp->palNumEntries = 256;
        GetEnhMetaFilePaletteEntries(metafile.handle, paletteEntries, lp->palPalEntry);
        for (int i = 0; i < 256; ++i)
            palette[i] = PLPixel32(lp->palPalEntry[i].peRed, lp->palPalEntry[i].peGreen,
                                   lp->palPalEntry[i].peBlue, 255);
        logicalPalette.handle = CreatePalette(lp);
        if (logicalPalette.handle)
        {
            memory.oldPalette = SelectPalette(memory.dc, static_cast<HPALETTE>(logicalPalette.handle), FALSE);
            RealizePalette(memory.dc);
        }
    }

    RECT rect = {0, 0, int(width), int(height)};
    FillRect(memory.dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    PlayEnhMetaFile(memory.dc, metafile.handle, &rect);
    // The bitmap must leave the memory context before its bits are read.
    memory.Release();

    // GDI leaves the fourth byte of each pixel 0: it is no alpha.
    bmp->Create(int(width), int(height), usePalette ? 8 : 32, false, PLPoint());
    if (usePalette)
        bmp->SetPalette(palette);
    bmp->Lock(false, true);
    const int lines = GetDIBits(screen.dc, static_cast<HBITMAP>(offscreen.handle), 0, UINT(height), bmp->GetBits(),
                                reinterpret_cast<BITMAPINFO*>(bmp->GetBitmapInfo()), DIB_RGB_COLORS);
    bmp->Unlock();
    if (lines != int(height))
        ThrowError(PL_ERR_UNSUPPORTED, "Windows Metafile functions failed to load this image.");
    if (usePalette)
        for (int i = 0; i < 256; ++i)
            bmp->GetPalette()[i].a = 255;
    bmp->SetHasAlpha(false);
}
