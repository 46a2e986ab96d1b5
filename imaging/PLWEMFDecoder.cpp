#include "imaging/PLWEMFDecoder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
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
void FitRenderingSize(int64_t& width, int64_t& height, int64_t maxBytes)
{
    double scale = 1.0;
    const double side = PLWEMFDecoder::kMaxSide;
    if (width > side)
        scale = side / double(width);
    if (height * scale > side)
        scale = side / double(height);
    const double pixels = double(width) * scale * double(height) * scale;
    const double maxPixels = double(maxBytes) / 5.0;  // 4 bytes a pixel and the line table
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

std::atomic<unsigned> g_PlaybackLimit(5000);
// Time the playing thread gets to stop at its next record once told to.
const DWORD kGraceMilliseconds = 1000;

const char* const kFailed = "Windows Metafile functions failed to load this image.";
const char* const kTooLong = "Playing the metafile took too long; it was abandoned.";
const char* const kStillPlaying =
    "An earlier metafile that took too long is still being played; this one was not started.";

std::atomic<PLWEMFDecoder::RecordHook> g_RecordHook(nullptr);

// The thread of the playback abandoned last, while it may still run: the
// system's drawing is not asked for anything else before it has ended, so
// an abandoned playback can never pile up with others.
std::mutex g_AbandonedLock;
HANDLE g_AbandonedThread = nullptr;

// Waits as long as the limit for an abandoned playback to end; false when
// it still runs.
bool AwaitAbandoned(unsigned limit)
{
    std::lock_guard<std::mutex> lock(g_AbandonedLock);
    if (!g_AbandonedThread)
        return true;
    if (WaitForSingleObject(g_AbandonedThread, limit) == WAIT_TIMEOUT)
        return false;
    CloseHandle(g_AbandonedThread);
    g_AbandonedThread = nullptr;
    return true;
}

void KeepAbandoned(HANDLE thread)
{
    std::lock_guard<std::mutex> lock(g_AbandonedLock);
    if (g_AbandonedThread)
        CloseHandle(g_AbandonedThread);
    g_AbandonedThread = thread;
}

// One playback, shared by the decoder and the thread that plays: the thread
// owns a reference of its own, so that an abandoned playback can run on
// after the decode has returned and clean up after itself.
struct Playback
{
    // What to play: an enhanced metafile, or a Windows metafile's records.
    std::vector<uint8_t> data;
    bool enhanced = false;
    bool placeable = false;
    int unitsPerInch = 0;
    int left = 0, top = 0, right = 0, bottom = 0;  // of the placeable header
    int64_t maxBytes = 0;
    ULONGLONG deadline = 0;
    std::atomic<bool> stop{false};

    // What came of it, read by the decoder once the thread has ended.
    int errorCode = 0;
    std::string errorText;
    int width = 0, height = 0;
    bool usePalette = false;
    PLPixel32 palette[256];
    HBITMAP rendering = nullptr;

    ~Playback()
    {
        if (rendering)
            DeleteObject(rendering);
    }
};

// The context's world and page transforms as they stand before a record is
// played: logical units to device pixels.
struct DeviceMapping
{
    XFORM world = {1, 0, 0, 1, 0, 0};
    POINT windowOrg = {0, 0}, viewportOrg = {0, 0};
    SIZE windowExt = {1, 1}, viewportExt = {1, 1};

    explicit DeviceMapping(HDC dc)
    {
        GetWorldTransform(dc, &world);
        GetWindowOrgEx(dc, &windowOrg);
        GetViewportOrgEx(dc, &viewportOrg);
        GetWindowExtEx(dc, &windowExt);
        GetViewportExtEx(dc, &viewportExt);
    }
    bool IsUsable() const { return windowExt.cx != 0 && windowExt.cy != 0; }
    void Map(double lx, double ly, double& x, double& y) const
    {
        x = lx * world.eM11 + ly * world.eM21 + world.eDx;
        y = lx * world.eM12 + ly * world.eM22 + world.eDy;
        x = (x - windowOrg.x) * viewportExt.cx / windowExt.cx + viewportOrg.x;
        y = (y - windowOrg.y) * viewportExt.cy / windowExt.cy + viewportOrg.y;
    }
    // What one logical unit becomes on the device, along the axis that
    // stretches most.
    double Scale() const
    {
        const double sx = double(viewportExt.cx) / windowExt.cx, sy = double(viewportExt.cy) / windowExt.cy;
        return std::max(std::hypot(world.eM11 * sx, world.eM12 * sy), std::hypot(world.eM21 * sx, world.eM22 * sy));
    }
};

// The box of a record's drawing on the device.
bool FitsTheDevice(const DeviceMapping& mapping, const ENHMETARECORD* record)
{
    PLMetafileRecords::Extent e;
    if (!PLMetafileRecords::DrawingExtent(reinterpret_cast<const uint8_t*>(record), record->nSize, e))
        return true;
    if (!mapping.IsUsable())
        return false;
    double left = 0, top = 0, right = 0, bottom = 0;
    const double xs[2] = {e.left, e.right}, ys[2] = {e.top, e.bottom};
    for (int i = 0; i < 4; ++i)
    {
        double x = 0, y = 0;
        mapping.Map(xs[i & 1], ys[i >> 1], x, y);
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > PLWEMFDecoder::kMaxDeviceCoordinate ||
            std::fabs(y) > PLWEMFDecoder::kMaxDeviceCoordinate)
            return false;
        left = i ? std::min(left, x) : x;
        right = i ? std::max(right, x) : x;
        top = i ? std::min(top, y) : y;
        bottom = i ? std::max(bottom, y) : y;
    }
    return !e.curve || (right - left <= PLWEMFDecoder::kMaxCurveSide && bottom - top <= PLWEMFDecoder::kMaxCurveSide);
}

// The width of the context's pen in logical units; 0 when it draws nothing.
double PenWidth(HDC dc)
{
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    if (!pen)
        return 0;
    if (GetObjectType(pen) == OBJ_PEN)
    {
        LOGPEN logical = {};
        if (!GetObjectW(pen, sizeof(logical), &logical) || logical.lopnStyle == PS_NULL)
            return 0;
        return std::fabs(double(logical.lopnWidth.x));
    }
    if (GetObjectType(pen) == OBJ_EXTPEN)
    {
        // Followed by its style entries, as many as the record held.
        const int bytes = GetObjectW(pen, 0, nullptr);
        std::vector<uint8_t> buffer(std::max<size_t>(size_t(bytes > 0 ? bytes : 0), sizeof(EXTLOGPEN)), 0);
        if (!GetObjectW(pen, int(buffer.size()), buffer.data()))
            return 0;
        const EXTLOGPEN* extended = reinterpret_cast<const EXTLOGPEN*>(buffer.data());
        if ((extended->elpPenStyle & PS_STYLE_MASK) == PS_NULL)
            return 0;
        if ((extended->elpPenStyle & PS_TYPE_MASK) == PS_COSMETIC)
            return 1;
        return double(extended->elpWidth);
    }
    return 0;
}

// The height or width of the context's font in logical units, whichever is
// larger.
double FontSize(HDC dc)
{
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    LOGFONTW logical = {};
    if (!font || !GetObjectW(font, sizeof(logical), &logical))
        return 0;
    return std::max(std::fabs(double(logical.lfHeight)), std::fabs(double(logical.lfWidth)));
}

// Whether a record can be played safely: no more points or characters than
// the system draws in time, its drawing within the device, and the pen and
// font it draws with of a size the system draws in time.
bool PlaysSafely(HDC dc, const ENHMETARECORD* record)
{
    if (PLMetafileRecords::DrawingCount(reinterpret_cast<const uint8_t*>(record), record->nSize) >
        PLWEMFDecoder::kMaxDrawingCount)
        return false;
    const DeviceMapping mapping(dc);
    if (!FitsTheDevice(mapping, record))
        return false;
    const unsigned tools = PLMetafileRecords::DrawingTools(record->iType);
    if (tools == PLMetafileRecords::kNoTools)
        return true;
    if (!mapping.IsUsable())
        return false;
    const double scale = mapping.Scale();
    if ((tools & PLMetafileRecords::kUsesPen) && !(PenWidth(dc) * scale <= PLWEMFDecoder::kMaxPenWidth))
        return false;
    if ((tools & PLMetafileRecords::kUsesFont) && !(FontSize(dc) * scale <= PLWEMFDecoder::kMaxTextSize))
        return false;
    return true;
}

// Plays one record, unless the time is up or its drawing is beyond what the
// system draws safely (then it is left out).
int CALLBACK PlayRecord(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, int objects, LPARAM parameter)
{
    try
    {
        Playback& job = *reinterpret_cast<Playback*>(parameter);
        if (const PLWEMFDecoder::RecordHook hook = g_RecordHook.load())
            hook(record->iType);
        if (job.stop || GetTickCount64() > job.deadline)
        {
            job.stop = true;
            return FALSE;
        }
        if (PlaysSafely(dc, record))
            PlayEnhMetaFileRecord(dc, table, record, UINT(objects));
        return TRUE;
    }
    catch (...)
    {
        return FALSE;
    }
}

// The thread's part: the metafile handle, the rendering size, the
// off-screen bitmap and the playback, record by record.
void Play(Playback& job)
{
    ScreenDC screen;
    if (!screen.dc)
        PLPicDecoder::ThrowError(PL_ERR_NO_MEMORY, "Cannot allocate device context.");

    const uint8_t* data = job.data.data();
    const UINT size = UINT(job.data.size());
    MetafileHandle metafile;
    if (job.enhanced)
        metafile.handle = SetEnhMetaFileBits(size, data);
    else if (job.placeable)
    {
        // The picture's own size (in 0.01 mm) makes the frame, so that its
        // window maps onto it however the player fits the device surface.
        METAFILEPICT picture = {MM_ANISOTROPIC, (job.right - job.left) * 2540 / job.unitsPerInch,
                                (job.bottom - job.top) * 2540 / job.unitsPerInch, nullptr};
        const bool sized = picture.xExt > 0 && picture.yExt > 0;
        metafile.handle = SetWinMetaFileBits(size, data, screen.dc, sized ? &picture : nullptr);
    }
    else
        metafile.handle = SetWinMetaFileBits(size, data, screen.dc, nullptr);
    if (!metafile.handle)
        PLPicDecoder::ThrowError(PL_ERR_UNSUPPORTED, kFailed);

    // Older headers end earlier than the platform's structure: the buffer
    // holds at least the whole structure, zero past what GDI fills in.
    const UINT headerBytes = GetEnhMetaFileHeader(metafile.handle, 0, nullptr);
    if (headerBytes < UINT(kEnhancedHeaderBytes))
        PLPicDecoder::ThrowError(PL_ERR_FORMAT, "No header information in metafile");
    std::vector<uint8_t> headerBuffer;
    try
    {
        headerBuffer.resize(headerBytes > sizeof(ENHMETAHEADER) ? headerBytes : sizeof(ENHMETAHEADER), 0);
    }
    catch (const std::bad_alloc&)
    {
        PLPicDecoder::ThrowError(PL_ERR_NO_MEMORY, "Out of memory during allocation of header.");
    }
    ENHMETAHEADER* header = reinterpret_cast<ENHMETAHEADER*>(headerBuffer.data());
    header->iType = EMR_HEADER;
    header->nSize = headerBytes;
    if (!GetEnhMetaFileHeader(metafile.handle, headerBytes, header))
        PLPicDecoder::ThrowError(PL_ERR_FORMAT, "No header information in metafile");

    int64_t width, height;
    if (job.placeable)
    {
        width = int64_t(job.right - job.left) * GetDeviceCaps(screen.dc, LOGPIXELSX) / job.unitsPerInch;
        height = int64_t(job.bottom - job.top) * GetDeviceCaps(screen.dc, LOGPIXELSY) / job.unitsPerInch;
    }
    else
    {
        if (header->szlMillimeters.cx <= 0 || header->szlMillimeters.cy <= 0)
            PLPicDecoder::ThrowError(PL_ERR_FORMAT, "Metafile states a reference device of size 0.");
        const RECTL& frame = header->rclFrame;
        width = (int64_t(frame.right) - frame.left) * header->szlDevice.cx / (int64_t(header->szlMillimeters.cx) * 100);
        height = (int64_t(frame.bottom) - frame.top) * header->szlDevice.cy / (int64_t(header->szlMillimeters.cy) * 100);
    }
    if (width <= 0)
        width = 320;
    if (height <= 0)
        height = 200;
    FitRenderingSize(width, height, job.maxBytes);

    MemoryDC memory;
    memory.dc = CreateCompatibleDC(screen.dc);
    if (!memory.dc)
        PLPicDecoder::ThrowError(PL_ERR_NO_MEMORY, "Cannot allocate device context.");
    GdiObject offscreen;
    offscreen.handle = CreateCompatibleBitmap(screen.dc, int(width), int(height));
    if (!offscreen.handle)
        PLPicDecoder::ThrowError(PL_ERR_NO_MEMORY, "Cannot allocate memory bitmap.");
    memory.oldBitmap = SelectObject(memory.dc, offscreen.handle);

    // A metafile with its own palette is rendered through it and kept at 8 bpp.
    GdiObject logicalPalette;
    const UINT paletteEntries = GetEnhMetaFilePaletteEntries(metafile.handle, 0, nullptr);
    job.usePalette = paletteEntries >= 1 && paletteEntries <= 255;
    if (job.usePalette)
    {
        std::vector<uint8_t> block(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY), 0);
        LOGPALETTE* lp = reinterpret_cast<LOGPALETTE*>(block.data());
        lp->palVersion = 0x300;
        lp->palNumEntries = 256;
        GetEnhMetaFilePaletteEntries(metafile.handle, paletteEntries, lp->palPalEntry);
        for (int i = 0; i < 256; ++i)
            job.palette[i] = PLPixel32(lp->palPalEntry[i].peRed, lp->palPalEntry[i].peGreen,
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
    EnumEnhMetaFile(memory.dc, metafile.handle, PlayRecord, &job, &rect);
    // The bitmap must leave the memory context before its bits are read.
    memory.Release();
    if (job.stop)
        PLPicDecoder::ThrowError(PL_ERR_UNSUPPORTED, kTooLong);

    job.width = int(width);
    job.height = int(height);
    job.rendering = static_cast<HBITMAP>(offscreen.handle);
    offscreen.handle = nullptr;
}

DWORD WINAPI PlayThread(LPVOID parameter)
{
    std::unique_ptr<std::shared_ptr<Playback>> holder(static_cast<std::shared_ptr<Playback>*>(parameter));
    Playback& job = **holder;
    try
    {
        Play(job);
    }
    catch (const PLTextException& e)
    {
        job.errorCode = e.GetCode();
        job.errorText = e.GetText();
    }
    catch (const std::bad_alloc&)
    {
        job.errorCode = PL_ERR_NO_MEMORY;
        job.errorText = "Out of memory.";
    }
    catch (...)
    {
        job.errorCode = PL_ERR_UNSUPPORTED;
        job.errorText = kFailed;
    }
    return 0;
}

// Runs the playback on its own thread and waits for it within the time
// limit. A thread that does not stop when told (it is inside one record) is
// left to finish on its own.
void RunPlayback(const std::shared_ptr<Playback>& job)
{
    const unsigned limit = PLWEMFDecoder::GetPlaybackLimit();
    if (!AwaitAbandoned(limit))
        PLPicDecoder::ThrowError(PL_ERR_UNSUPPORTED, kStillPlaying);
    job->deadline = GetTickCount64() + limit;
    std::unique_ptr<std::shared_ptr<Playback>> holder(new std::shared_ptr<Playback>(job));
    HANDLE thread = CreateThread(nullptr, 0, PlayThread, holder.get(), 0, nullptr);
    if (!thread)
        PLPicDecoder::ThrowError(PL_ERR_NO_MEMORY, "Cannot start the metafile playback.");
    holder.release();
    if (WaitForSingleObject(thread, limit) == WAIT_TIMEOUT)
    {
        job->stop = true;
        if (WaitForSingleObject(thread, kGraceMilliseconds) == WAIT_TIMEOUT)
        {
            KeepAbandoned(thread);
            PLPicDecoder::ThrowError(PL_ERR_UNSUPPORTED, kTooLong);
        }
    }
    CloseHandle(thread);
    if (job->errorCode)
        throw PLTextException(job->errorCode, job->errorText);
}
} // namespace

PLWEMFDecoder::PLWEMFDecoder() = default;

PLWEMFDecoder::~PLWEMFDecoder() = default;

void PLWEMFDecoder::SetPlaybackLimit(unsigned milliseconds)
{
    g_PlaybackLimit = milliseconds;
}

unsigned PLWEMFDecoder::GetPlaybackLimit()
{
    return g_PlaybackLimit;
}

void PLWEMFDecoder::SetRecordHook(RecordHook hook)
{
    g_RecordHook = hook;
}

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

    std::shared_ptr<Playback> job = std::make_shared<Playback>();
    job->enhanced = enhanced;
    job->placeable = placeable;
    job->unitsPerInch = unitsPerInch;
    if (placeable)
    {
        job->left = LE16s(data + 6);
        job->top = LE16s(data + 8);
        job->right = LE16s(data + 10);
        job->bottom = LE16s(data + 12);
    }
    job->maxBytes = PLBmp::GetMaxBytes();
    if (enhanced)
        job->data.assign(records, records + recordBytes);
    else
        job->data = PLMetafileRecords::MakePlayableWindows(records, recordBytes);
    if (job->data.empty())
        ThrowError(PL_ERR_FORMAT, "Metafile bitmaps are too large.");
    RunPlayback(job);

    // GDI leaves the fourth byte of each pixel 0: it is no alpha.
    bmp->Create(job->width, job->height, job->usePalette ? 8 : 32, false, PLPoint());
    if (job->usePalette)
        bmp->SetPalette(job->palette);
    ScreenDC screen;
    if (!screen.dc)
        ThrowError(PL_ERR_NO_MEMORY, "Cannot allocate device context.");
    bmp->Lock(false, true);
    const int lines = GetDIBits(screen.dc, job->rendering, 0, UINT(job->height), bmp->GetBits(),
                                reinterpret_cast<BITMAPINFO*>(bmp->GetBitmapInfo()), DIB_RGB_COLORS);
    bmp->Unlock();
    if (lines != job->height)
        ThrowError(PL_ERR_UNSUPPORTED, kFailed);
    if (job->usePalette)
        for (int i = 0; i < 256; ++i)
            bmp->GetPalette()[i].a = 255;
    bmp->SetHasAlpha(false);
}
