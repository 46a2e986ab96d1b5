#include "app/CSplashWnd.h"

#include "app/res/Resource.h"

#include "framework/base/CSingleLock.h"
#include "framework/gdi/CPaintDC.h"
#include "framework/gdi/CScopedDC.h"
#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/AfxHooks.h"

#include <vector>

IMPLEMENT_DYNAMIC(CSplashWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplashWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_CLOSE()
    ON_WM_QUERYNEWPALETTE()
    ON_WM_PALETTECHANGED()
END_MESSAGE_MAP()

namespace {

// A palette selected into a device context for a scope.
class CPaletteSelect
{
public:
    CPaletteSelect(HDC hDC, HPALETTE hPalette, BOOL bBackground)
        : m_hDC(hDC), m_hOld(hPalette ? ::SelectPalette(hDC, hPalette, bBackground) : nullptr)
    {
    }
    ~CPaletteSelect()
    {
        if (m_hOld != nullptr)
            ::SelectPalette(m_hDC, m_hOld, TRUE);
    }

private:
    CPaletteSelect(const CPaletteSelect&) = delete;
    CPaletteSelect& operator=(const CPaletteSelect&) = delete;
    HDC m_hDC;
    HPALETTE m_hOld;
};

// Entries of the colour table a DIB header announces.
UINT ColourTableSize(const BITMAPINFOHEADER* pHeader, size_t cbAvailable)
{
    if (cbAvailable < sizeof(BITMAPCOREHEADER))
        return 0;
    if (pHeader->biSize == sizeof(BITMAPCOREHEADER))
    {
        const WORD wBits = reinterpret_cast<const BITMAPCOREHEADER*>(pHeader)->bcBitCount;
        return wBits <= 8 ? 1u << wBits : 0;
    }
    if (cbAvailable < sizeof(BITMAPINFOHEADER) || pHeader->biSize < sizeof(BITMAPINFOHEADER))
        return 0;
    if (pHeader->biBitCount > 8)
        return 0;
    const UINT nMax = 1u << pHeader->biBitCount;
    if (pHeader->biClrUsed == 0 || pHeader->biClrUsed > nMax)
        return nMax;
    return pHeader->biClrUsed;
}

// Only a screen of palette colours needs the picture's palette realised.
// Elsewhere realising it gains nothing and costs a notice sent to every
// top-level window, which waits on a start-up too busy to answer and keeps
// the splash from ever painting.
BOOL IsPaletteDevice(HDC hDC)
{
    return (::GetDeviceCaps(hDC, RASTERCAPS) & RC_PALETTE) != 0;
}

} // namespace

CSplashWnd::CSplashWnd()
    : m_nTimer(0), m_bReleased(FALSE), m_dwCloseDeadline(0), m_nWidth(0), m_nHeight(0), m_bFromFile(FALSE),
      m_nResourceID(0)
{
}

CSplashWnd::~CSplashWnd()
{
}

void CSplashWnd::SetBitmap(UINT nIDResource)
{
    m_bFromFile = FALSE;
    m_nResourceID = nIDResource;
    m_strFileName.Empty();
}

void CSplashWnd::SetBitmapFile(LPCSTR lpszFileName)
{
    m_bFromFile = TRUE;
    m_strFileName = lpszFileName;
    m_nResourceID = 0;
}

BOOL CSplashWnd::LoadBitmap()
{
    // A section at the picture's own size, so its colour table stays readable.
    HANDLE hImage = m_bFromFile
                        ? ::LoadImageA(nullptr, m_strFileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)
                        : ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nResourceID), IMAGE_BITMAP, 0, 0,
                                       LR_CREATEDIBSECTION);
    m_bitmap.DeleteObject();
    m_nWidth = m_nHeight = 0;
    if (hImage == nullptr || !m_bitmap.Attach(hImage))
        return FALSE;
    BITMAP bm = {};
    m_bitmap.GetBitmap(&bm);
    m_nWidth = bm.bmWidth;
    m_nHeight = bm.bmHeight;
    return TRUE;
}

UINT CSplashWnd::ReadColourTableSize() const
{
    if (m_bFromFile)
    {
        BYTE header[sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)] = {};
        HANDLE hFile = ::CreateFileA(m_strFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return 0;
        DWORD dwRead = 0;
        const BOOL bRead = ::ReadFile(hFile, header, sizeof(header), &dwRead, nullptr);
        ::CloseHandle(hFile);
        if (!bRead || dwRead < sizeof(BITMAPFILEHEADER) || header[0] != 'B' || header[1] != 'M')
            return 0;
        BITMAPINFOHEADER info = {};
        memcpy(&info, header + sizeof(BITMAPFILEHEADER), dwRead - sizeof(BITMAPFILEHEADER));
        return ColourTableSize(&info, dwRead - sizeof(BITMAPFILEHEADER));
    }
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hInst, MAKEINTRESOURCEA(m_nResourceID), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    HGLOBAL hData = hResource ? ::LoadResource(hInst, hResource) : nullptr;
    const void* pData = hData ? ::LockResource(hData) : nullptr;
    if (pData == nullptr)
        return 0;
    return ColourTableSize(static_cast<const BITMAPINFOHEADER*>(pData), ::SizeofResource(hInst, hResource));
}

BOOL CSplashWnd::CreatePalette()
{
    m_palette.DeleteObject();
    if (m_bitmap.GetSafeHandle() == nullptr)
        return FALSE;
    BITMAP bm = {};
    m_bitmap.GetBitmap(&bm);
    RGBQUAD colours[256];
    UINT nColours = 0;
    if (bm.bmPlanes * bm.bmBitsPixel <= 8)
    {
        CScopedDC dc = CScopedDC::Compatible(nullptr);
        CScopedSelect select(dc, m_bitmap);
        // Only the entries the picture's table has: a 16-colour picture has
        // 16, and nothing past them is read.
        const UINT nTable = ReadColourTableSize();
        if (nTable > 0)
            nColours = ::GetDIBColorTable(dc, 0, nTable, colours);
    }
    if (nColours == 0)
    {
        // True colour (or no table): the screen's halftone palette.
        CScopedDC screen = CScopedDC::OfWindow(nullptr);
        return m_palette.CreateHalftonePalette(screen);
    }
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + nColours * sizeof(PALETTEENTRY));
    LOGPALETTE* pLogPalette = reinterpret_cast<LOGPALETTE*>(buffer.data());
    pLogPalette->palVersion = 0x300;
    pLogPalette->palNumEntries = (WORD)nColours;
    for (UINT i = 0; i < nColours; i++)
    {
        pLogPalette->palPalEntry[i].peRed = colours[i].rgbRed;
        pLogPalette->palPalEntry[i].peGreen = colours[i].rgbGreen;
        pLogPalette->palPalEntry[i].peBlue = colours[i].rgbBlue;
        pLogPalette->palPalEntry[i].peFlags = 0;
    }
    return m_palette.CreatePalette(pLogPalette);
}

BOOL CSplashWnd::Create()
{
    // A picture that cannot be loaded leaves the window without size.
    LoadBitmap();
    CreatePalette();

    HINSTANCE hInst = AfxGetResourceHandle();
    HICON hIcon = ::LoadIconA(hInst, MAKEINTRESOURCEA(IDR_MAINFRAME));
    LPCSTR lpszOwnerClass = AfxRegisterWndClass(0, nullptr, nullptr, hIcon);
    if (!m_wndOwner.CreateEx(WS_EX_TOPMOST, lpszOwnerClass, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr))
        return FALSE;
    LPCSTR lpszClass = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));
    if (!CreateEx(WS_EX_TOPMOST, lpszClass, "", WS_POPUP | WS_VISIBLE, 0, 0, m_nWidth, m_nHeight, m_wndOwner.m_hWnd,
                  nullptr))
    {
        m_wndOwner.DestroyWindow();
        return FALSE;
    }
    CScopedDC dc = CScopedDC::OfWindow(m_hWnd);
    RealizePaletteIn(dc, FALSE);
    return TRUE;
}

void CSplashWnd::Release()
{
    CSingleLock lock(&m_mutex, TRUE);
    m_bReleased = TRUE;
}

BOOL CSplashWnd::IsReleased()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_bReleased;
}

BOOL CSplashWnd::RealizePaletteIn(HDC hDC, BOOL bBackground)
{
    if (m_palette.GetSafeHandle() == nullptr || !IsPaletteDevice(hDC))
        return FALSE;
    CPaletteSelect select(hDC, m_palette, bBackground);
    return ::RealizePalette(hDC) != 0;
}

int CSplashWnd::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    CenterWindow();
    m_nTimer = SetTimer(nTimerID, nTimerPeriod);
    return 0;
}

void CSplashWnd::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != nTimerID)
    {
        CWnd::OnTimer(nIDEvent);
        return;
    }
    BOOL bClose = FALSE;
    {
        CSingleLock lock(&m_mutex, TRUE);
        // Wrap-safe: the deadline is earlier than now.
        bClose = m_bReleased && (LONG)(AfxGetTickCount() - m_dwCloseDeadline) > 0;
    }
    if (bClose)
    {
        SendMessage(WM_CLOSE);
        return;
    }
    KeepInFront();
}

void CSplashWnd::KeepInFront()
{
    // Wine stacks a window shown after the splash (the main window) above
    // it on the screen although the splash is topmost and first in the
    // system's order; a move in that order is what makes it restack.
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CSplashWnd::OnClose()
{
    if (m_nTimer != 0)
    {
        KillTimer(m_nTimer);
        m_nTimer = 0;
    }
    // The thread's main window: destroying it ends the splash thread.
    DestroyWindow();
}

void CSplashWnd::OnPaint()
{
    CPaintDC dc(this);
    if (m_bitmap.GetSafeHandle() == nullptr)
        return;
    CScopedDC memDC = CScopedDC::Compatible(dc.m_hDC);
    const HPALETTE hPalette = IsPaletteDevice(dc.m_hDC) ? (HPALETTE)m_palette.GetSafeHandle() : nullptr;
    CPaletteSelect selectScreen(dc.m_hDC, hPalette, FALSE);
    if (hPalette != nullptr)
        ::RealizePalette(dc.m_hDC);
    CPaletteSelect selectMemory(memDC, hPalette, FALSE);
    CScopedSelect selectBitmap(memDC, m_bitmap);
    ::BitBlt(dc.m_hDC, 0, 0, m_nWidth, m_nHeight, memDC, 0, 0, SRCCOPY);
}

BOOL CSplashWnd::OnQueryNewPalette()
{
    if (m_palette.GetSafeHandle() == nullptr)
        return FALSE;
    CScopedDC dc = CScopedDC::OfWindow(m_hWnd);
    if (!IsPaletteDevice(dc))
        return FALSE;
    if (RealizePaletteIn(dc, FALSE))
        Invalidate(FALSE);
    return TRUE;
}

void CSplashWnd::OnPaletteChanged(CWnd* pFocusWnd)
{
    if (pFocusWnd != nullptr && pFocusWnd->m_hWnd == m_hWnd)
        return;
    OnQueryNewPalette();
}

void CSplashWnd::PostNcDestroy()
{
    // The owner goes with the splash, on the thread that made both.
    if (m_wndOwner.m_hWnd != nullptr)
        m_wndOwner.DestroyWindow();
}
