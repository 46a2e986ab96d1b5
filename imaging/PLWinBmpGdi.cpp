// The Windows-bound operations of PLWinBmp: resources, GDI and the clipboard.
#include "imaging/PLWinBmp.h"

#include <cstring>
#include <string>

#include "imaging/PLTextException.h"

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(PLBitmapInfoHeader), "DIB header layout");
static_assert(sizeof(RGBQUAD) == sizeof(PLPixel32), "colour table layout");

namespace
{
const BITMAPINFO* AsBitmapInfo(const PLBitmapInfo* info)
{
    return reinterpret_cast<const BITMAPINFO*>(info);
}

struct ScreenDC
{
    HDC dc;
    ScreenDC() : dc(GetDC(nullptr)) {}
    ~ScreenDC()
    {
        if (dc)
            ReleaseDC(nullptr, dc);
    }
};

struct ClipboardOpen
{
    bool open;
    ClipboardOpen() : open(OpenClipboard(nullptr) != FALSE) {}
    bool Close()
    {
        bool ok = CloseClipboard() != FALSE;
        open = false;
        return ok;
    }
    ~ClipboardOpen()
    {
        if (open)
            CloseClipboard();
    }
};

struct GlobalLockGuard
{
    HGLOBAL handle;
    void* data;
    explicit GlobalLockGuard(HGLOBAL h) : handle(h), data(GlobalLock(h)) {}
    ~GlobalLockGuard()
    {
        if (data)
            GlobalUnlock(handle);
    }
};
} // namespace

void PLWinBmp::LoadFromResource(HINSTANCE module, int resourceId)
{
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(2));
    HGLOBAL res = info ? LoadResource(module, info) : nullptr;
    const void* data = res ? LockResource(res) : nullptr;
    if (!data)
        throw PLTextException(PL_ERR_OPEN, "Bitmap resource " + std::to_string(resourceId) + " not found.");
    CreateFromPackedDib(data, SizeofResource(module, info));
}

void PLWinBmp::CreateFromBitmapHandle(HBITMAP bitmap)
{
    ScreenDC screen;
    struct
    {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info;
    std::memset(&info, 0, sizeof(info));
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biPlanes = 1;
    if (!screen.dc || !bitmap ||
        !GetDIBits(screen.dc, bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
        throw PLTextException(PL_ERR_FORMAT, "Cannot read the bitmap handle.");

    int depth = info.header.biBitCount;
    if (depth > 8)
        depth = 32;
    else if (depth > 1)
        depth = 8;
    const int width = info.header.biWidth;
    const int height = info.header.biHeight < 0 ? -info.header.biHeight : info.header.biHeight;
    CreateStorage(width, height, uint16_t(depth), false);

    if (!GetDIBits(screen.dc, bitmap, 0, UINT(height), m_pBits, reinterpret_cast<BITMAPINFO*>(m_pDib),
                   DIB_RGB_COLORS))
        throw PLTextException(PL_ERR_FORMAT, "Cannot read the bitmap handle.");
}

void PLWinBmp::CreateFromDibWithPalette(const void* dib, size_t bytes, HPALETTE palette)
{
    CreateFromPackedDib(dib, bytes);
    if (!palette || m_bpp > 8)
        return;
    WORD count = 0;
    if (!GetObjectA(palette, sizeof(count), &count))
        return;
    const int n = count < GetNumColors() ? count : GetNumColors();
    for (int i = 0; i < n; ++i)
    {
        PALETTEENTRY entry;
        if (GetPaletteEntries(palette, UINT(i), 1, &entry) == 1)
            m_pPalette[i] = PLPixel32(entry.peRed, entry.peGreen, entry.peBlue, 0);
    }
}

void PLWinBmp::Draw(HDC dc, int x, int y, DWORD rop) const
{
    DrawStretched(dc, x, y, m_Width, m_Height, rop);
}

void PLWinBmp::DrawStretched(HDC dc, int x, int y, int width, int height, DWORD rop) const
{
    StretchDIBits(dc, x, y, width, height, 0, 0, m_Width, m_Height, m_pBits, AsBitmapInfo(GetBitmapInfo()),
                  DIB_RGB_COLORS, rop);
}

void PLWinBmp::DrawAtScale(HDC dc, int x, int y, double factor, DWORD rop) const
{
    DrawStretched(dc, x, y, int(factor * m_Width), int(factor * m_Height), rop);
}

void PLWinBmp::DrawRegion(HDC dc, int x, int y, int left, int top, int right, int bottom) const
{
    // The rectangle is in top-down picture coordinates; DIB rows count from
    // the bottom.
    SetDIBitsToDevice(dc, x, y, DWORD(right - left), DWORD(bottom - top), left, m_Height - bottom, 0,
                      UINT(m_Height), m_pBits, AsBitmapInfo(GetBitmapInfo()), DIB_RGB_COLORS);
}

HGLOBAL PLWinBmp::DuplicateDibBlock() const
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, SIZE_T(m_DibBytes));
    if (!block)
        throw PLTextException(PL_ERR_NO_MEMORY, "Can't allocate global memory block.");
    void* data = GlobalLock(block);
    if (!data)
    {
        GlobalFree(block);
        throw PLTextException(PL_ERR_NO_MEMORY, "Can't allocate global memory block.");
    }
    std::memcpy(data, m_pDib, size_t(m_DibBytes));
    GlobalUnlock(block);
    return block;
}

bool PLWinBmp::PutOnClipboard() const
{
    ClipboardOpen clipboard;
    if (!clipboard.open)
        return false;
    EmptyClipboard();
    HGLOBAL block = DuplicateDibBlock();
    if (!SetClipboardData(CF_DIB, block))
        GlobalFree(block);
    return clipboard.Close();
}

bool PLWinBmp::TakeFromClipboard(UINT format)
{
    if (!IsClipboardFormatAvailable(format))
        return false;
    ClipboardOpen clipboard;
    if (!clipboard.open)
        return false;
    HANDLE data = GetClipboardData(format);
    if (!data)
        return false;

    if (format == CF_BITMAP)
    {
        CreateFromBitmapHandle(static_cast<HBITMAP>(data));
    }
    else if (format == CF_DIB)
    {
        HPALETTE palette = IsClipboardFormatAvailable(CF_PALETTE)
                               ? static_cast<HPALETTE>(GetClipboardData(CF_PALETTE))
                               : nullptr;
        GlobalLockGuard lock(data);
        if (!lock.data)
            return false;
        CreateFromDibWithPalette(lock.data, GlobalSize(data), palette);
    }
    clipboard.Close();
    return true;
}
