// Measuring and painting the owner-drawn items in the classic and the XP
// look, and the picture filters behind greyed and derived pictures.
#include "widgets/GlyphMenu.h"
#include "widgets/GlyphMenuMemDC.h"

#include <algorithm>
#include <cwchar>

namespace {

void FillSolid(HDC hdc, const RECT& rc, COLORREF cr)
{
    const COLORREF crOld = ::SetBkColor(hdc, cr);
    ::ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(hdc, crOld);
}

// Top and left edges in one colour, bottom and right in the other.
void Frame3d(HDC hdc, const RECT& rc, COLORREF crTopLeft, COLORREF crBottomRight)
{
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    FillSolid(hdc, { rc.left, rc.top, rc.left + cx - 1, rc.top + 1 }, crTopLeft);
    FillSolid(hdc, { rc.left, rc.top, rc.left + 1, rc.top + cy - 1 }, crTopLeft);
    FillSolid(hdc, { rc.right - 1, rc.top, rc.right, rc.bottom }, crBottomRight);
    FillSolid(hdc, { rc.left, rc.bottom - 1, rc.right, rc.bottom }, crBottomRight);
}

HFONT CreateMenuFont()
{
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof(ncm);
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        return nullptr;
    return ::CreateFontIndirectA(&ncm.lfMenuFont);
}

// The picture an item shows: its own list, else the shared one.
struct ItemPicture
{
    HIMAGELIST hList = nullptr;
    int nIndex = -1;
    bool bOwn = false;
    bool Has() const { return hList != nullptr && nIndex >= 0; }
};

ItemPicture PictureOf(const GlyphMenuData* pData)
{
    ItemPicture pic;
    if (pData->imageId >= 0)
    {
        if (pData->ownImages != nullptr && pData->ownImages->m_hImageList != nullptr)
        {
            pic.hList = pData->ownImages->m_hImageList;
            pic.nIndex = pData->imageOffset;
            pic.bOwn = true;
        }
    }
    else if (pData->imageOffset < 0 && pData->globalImageIndex >= 0 &&
             GlyphMenu::s_sharedImages.m_hImageList != nullptr)
    {
        pic.hList = GlyphMenu::s_sharedImages.m_hImageList;
        pic.nIndex = pData->globalImageIndex;
    }
    return pic;
}

void DrawPicture(HDC hdc, HIMAGELIST hList, int nIndex, int x, int y)
{
    if (hList != nullptr && nIndex >= 0)
        ImageList_Draw(hList, nIndex, hdc, x, y, ILD_TRANSPARENT);
}

// The label (before the first tab) and the accelerator (after the last).
void DrawItemText(HDC hdc, const wchar_t* pszText, RECT rc, int nImageWidth)
{
    const wchar_t* pFirstTab = std::wcschr(pszText, L'\t');
    const wchar_t* pLastTab = std::wcsrchr(pszText, L'\t');
    const int nLabel = pFirstTab ? (int)(pFirstTab - pszText) : (int)std::wcslen(pszText);
    if (pLastTab != nullptr)
        rc.right -= nImageWidth;
    ::DrawTextW(hdc, pszText, nLabel, &rc, DT_SINGLELINE | DT_VCENTER);
    if (pLastTab != nullptr)
        ::DrawTextW(hdc, pLastTab + 1, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

// Whether a checked item shows a dot rather than a check: a radio item
// (framework radio items are marked by their type) or one with its own
// checked-mark bitmap.
bool IsRadioItem(HMENU hMenu, UINT nID)
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_CHECKMARKS | MIIM_FTYPE;
    if (!::GetMenuItemInfoA(hMenu, nID, FALSE, &mii))
        return false;
    return mii.hbmpChecked != nullptr || (mii.fType & MFT_RADIOCHECK) != 0;
}

// Runs fn(x, y, crPixel) -> new colour (or the same) over a bitmap.
template <class Fn>
void ForEachPixel(HBITMAP hbm, Fn fn)
{
    BITMAP bm;
    if (hbm == nullptr || ::GetObjectA(hbm, sizeof(bm), &bm) == 0)
        return;
    HDC hdc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, hbm);
    fn.Prepare(hdc);
    for (int y = 0; y < bm.bmHeight; y++)
    {
        for (int x = 0; x < bm.bmWidth; x++)
        {
            const COLORREF cr = ::GetPixel(hdc, x, y);
            const COLORREF crNew = fn(cr);
            if (crNew != cr)
                ::SetPixel(hdc, x, y, crNew);
        }
    }
    ::SelectObject(hdc, hOld);
    ::DeleteDC(hdc);
}

// A colour as a bitmap of the same kind as the one in hdc stores it.
COLORREF ReadBack(HDC hdc, COLORREF cr)
{
    HBITMAP hbm = ::CreateCompatibleBitmap(hdc, 2, 2);
    HDC hdcProbe = ::CreateCompatibleDC(hdc);
    HGDIOBJ hOld = ::SelectObject(hdcProbe, hbm);
    FillSolid(hdcProbe, { 0, 0, 2, 2 }, cr);
    const COLORREF crBack = ::GetPixel(hdcProbe, 1, 1);
    ::SelectObject(hdcProbe, hOld);
    ::DeleteDC(hdcProbe);
    ::DeleteObject(hbm);
    return crBack;
}

struct FadeFilter
{
    COLORREF crFace = 0;
    void Prepare(HDC hdc) { crFace = ReadBack(hdc, ::GetSysColor(COLOR_BTNFACE)); }
    COLORREF operator()(COLORREF cr) const { return cr == crFace ? cr : GlyphMenu::LightenShade(cr, 0.3); }
};

struct ShadowFilter
{
    COLORREF crFace = 0;
    COLORREF crShadow = 0;
    void Prepare(HDC hdc)
    {
        crFace = ReadBack(hdc, ::GetSysColor(COLOR_BTNFACE));
        crShadow = ::GetSysColor(COLOR_BTNSHADOW);
        if (!GlyphMenu::IsXPThemed())
            crShadow = GlyphMenu::LightenShade(crShadow, 0.49);
    }
    COLORREF operator()(COLORREF cr) const { return cr == crFace ? cr : crShadow; }
};

struct DisabledFilter
{
    COLORREF crFace = 0;
    COLORREF crShadow = 0;
    COLORREF crReplacement = 0;
    void Prepare(HDC hdc)
    {
        crFace = ReadBack(hdc, ::GetSysColor(COLOR_BTNFACE));
        crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    }
    COLORREF operator()(COLORREF cr) const
    {
        if (cr == crFace)
            return crReplacement != 0 ? crReplacement : cr;
        // The grey level is a fraction of white: in integers every pixel
        // but white would come out as the flat shadow colour.
        const int nGrey = (GetRValue(cr) + GetGValue(cr) + GetBValue(cr)) / 3;
        return GlyphMenu::LightenShade(crShadow, nGrey / 255.0);
    }
};

struct BackgroundFilter
{
    COLORREF crGrey = 0;
    COLORREF crFace = 0;
    void Prepare(HDC hdc)
    {
        crGrey = ReadBack(hdc, RGB(192, 192, 192));
        crFace = ::GetSysColor(COLOR_BTNFACE);
    }
    COLORREF operator()(COLORREF cr) const { return cr == crGrey ? crFace : cr; }
};

// The embossed look: the picture's shape in the shadow colour over the same
// shape in the highlight colour one pixel right and down, on crBackground.
void Emboss(HDC hdc, int x, int y, int cx, int cy, HBITMAP hbm, COLORREF crBackground, bool bDibMask)
{
    if (hbm == nullptr || cx <= 0 || cy <= 0)
        return;
    HDC hdcWork = ::CreateCompatibleDC(hdc);
    HGDIOBJ hOldWork = ::SelectObject(hdcWork, hbm);
    HDC hdcMask = ::CreateCompatibleDC(hdc);
    HBITMAP hMask = nullptr;
    if (bDibMask)
    {
        struct
        {
            BITMAPINFOHEADER bmiHeader;
            RGBQUAD bmiColors[2];
        } bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = cx;
        bmi.bmiHeader.biHeight = cy;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 1;
        bmi.bmiColors[1] = { 255, 255, 255, 0 };
        void* pBits = nullptr;
        hMask = ::CreateDIBSection(hdc, (BITMAPINFO*)&bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    }
    else
    {
        hMask = ::CreateBitmap(cx, cy, 1, 1, nullptr);
    }
    HGDIOBJ hOldMask = ::SelectObject(hdcMask, hMask);

    // White where the picture is button face or highlight, black elsewhere.
    ::PatBlt(hdcMask, 0, 0, cx, cy, WHITENESS);
    ::SetBkColor(hdcWork, ::GetSysColor(COLOR_BTNFACE));
    ::BitBlt(hdcMask, 0, 0, cx, cy, hdcWork, 0, 0, SRCCOPY);
    ::SetBkColor(hdcWork, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    ::BitBlt(hdcMask, 0, 0, cx, cy, hdcWork, 0, 0, SRCPAINT);

    FillSolid(hdcWork, { 0, 0, cx, cy }, crBackground);
    ::SetBkColor(hdcWork, RGB(0, 0, 0));
    ::SetTextColor(hdcWork, RGB(255, 255, 255));
    const DWORD kBrushWhereShape = 0x00E20746;

    HBRUSH hHighlight = ::CreateSolidBrush(::GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ hOldBrush = ::SelectObject(hdcWork, hHighlight);
    ::BitBlt(hdcWork, 0, 0, cx, cy, hdcMask, 0, 0, kBrushWhereShape);
    ::BitBlt(hdc, x + 1, y + 1, cx, cy, hdcWork, 0, 0, SRCCOPY);
    ::BitBlt(hdcWork, 1, 1, cx, cy, hdcMask, 0, 0, kBrushWhereShape);

    HBRUSH hShadow = ::CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW));
    ::SelectObject(hdcWork, hShadow);
    ::BitBlt(hdcWork, 0, 0, cx, cy, hdcMask, 0, 0, kBrushWhereShape);
    ::BitBlt(hdc, x, y, cx, cy, hdcWork, 0, 0, SRCCOPY);

    ::SelectObject(hdcWork, hOldBrush);
    ::DeleteObject(hShadow);
    ::DeleteObject(hHighlight);
    ::SelectObject(hdcMask, hOldMask);
    ::DeleteObject(hMask);
    ::DeleteDC(hdcMask);
    ::SelectObject(hdcWork, hOldWork);
    ::DeleteDC(hdcWork);
}

} // namespace

// ---------------------------------------------------------------------------
// Colours

COLORREF GlyphMenu::LightenShade(COLORREF cr, double dFactor)
{
    if (dFactor <= 0.0 || dFactor > 1.0)
        return cr;
    auto up = [dFactor](int c) { return (int)(c + dFactor * (255 - c)); };
    return RGB(up(GetRValue(cr)), up(GetGValue(cr)), up(GetBValue(cr)));
}

COLORREF GlyphMenu::DarkenShade(COLORREF cr, double dFactor)
{
    if (dFactor <= 0.0 || dFactor > 1.0)
        return cr;
    auto down = [dFactor](int c) { return (int)(c - dFactor * c); };
    return RGB(down(GetRValue(cr)), down(GetGValue(cr)), down(GetBValue(cr)));
}

// ---------------------------------------------------------------------------
// Picture filters

HICON(WINAPI* GlyphMenu::s_pfnGetIcon)(HIMAGELIST, int, UINT) = &ImageList_GetIcon;
BOOL(WINAPI* GlyphMenu::s_pfnDestroyIcon)(HICON) = &::DestroyIcon;

HBITMAP GlyphMenu::GetImageBitmap(HIMAGELIST hList, int nIndex, HDC hdcTarget)
{
    HDC hdcScreen = hdcTarget ? nullptr : ::GetDC(nullptr);
    HDC hdcRef = hdcTarget ? hdcTarget : hdcScreen;
    HBITMAP hbm = ::CreateCompatibleBitmap(hdcRef, s_imageWidth, s_imageHeight);
    if (hbm != nullptr)
    {
        HDC hdc = ::CreateCompatibleDC(hdcRef);
        HGDIOBJ hOld = ::SelectObject(hdc, hbm);
        HBRUSH hFace = ::GetSysColorBrush(COLOR_BTNFACE);
        RECT rc = { 0, 0, s_imageWidth, s_imageHeight };
        ::FillRect(hdc, &rc, hFace);
        // The icon is ours for this one drawing only.
        HICON hIcon = hList ? s_pfnGetIcon(hList, nIndex, ILD_NORMAL) : nullptr;
        if (hIcon != nullptr)
        {
            ::DrawIconEx(hdc, 0, 0, hIcon, s_imageWidth, s_imageHeight, 0, nullptr, DI_NORMAL);
            s_pfnDestroyIcon(hIcon);
        }
        ::SelectObject(hdc, hOld);
        ::DeleteDC(hdc);
    }
    if (hdcScreen != nullptr)
        ::ReleaseDC(nullptr, hdcScreen);
    return hbm;
}

void GlyphMenu::MakeFadedBitmap(HBITMAP hbm)
{
    ForEachPixel(hbm, FadeFilter());
}

void GlyphMenu::MakeShadowBitmap(HBITMAP hbm)
{
    ForEachPixel(hbm, ShadowFilter());
}

void GlyphMenu::MakeDisabledBitmap(HBITMAP hbm, COLORREF crReplacement)
{
    DisabledFilter filter;
    filter.crReplacement = crReplacement;
    ForEachPixel(hbm, filter);
}

void GlyphMenu::ReplaceBackgroundColor(HBITMAP hbm)
{
    ForEachPixel(hbm, BackgroundFilter());
}

void GlyphMenu::DrawEmbossed(HDC hdc, int x, int y, int cx, int cy, HBITMAP hbm, COLORREF crBackground)
{
    Emboss(hdc, x, y, cx, cy, hbm, crBackground, false);
}

void GlyphMenu::DrawEmbossedDib(HDC hdc, int x, int y, int cx, int cy, HBITMAP hbm, COLORREF crBackground)
{
    Emboss(hdc, x, y, cx, cy, hbm, crBackground, true);
}

void GlyphMenu::DrawGreyed(HDC hdc, int x, int y, int cx, int cy, HBITMAP hbm, COLORREF crBackground)
{
    if (hbm == nullptr)
        return;
    MakeDisabledBitmap(hbm, crBackground);
    HDC hdcPic = ::CreateCompatibleDC(hdc);
    HGDIOBJ hOld = ::SelectObject(hdcPic, hbm);
    ::BitBlt(hdc, x, y, cx, cy, hdcPic, 0, 0, SRCCOPY);
    ::SelectObject(hdcPic, hOld);
    ::DeleteDC(hdcPic);
}

// ---------------------------------------------------------------------------
// Measuring

void GlyphMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMIS)
{
    if (lpMIS == nullptr || lpMIS->itemData == 0)
        return;
    const GlyphMenuData* pData = (const GlyphMenuData*)lpMIS->itemData;
    const BOOL bXP = XPLookActive();
    const int nMargin = (bXP && s_xpImageEffects) ? 7 : 4;
    if (pData->flags & MF_SEPARATOR)
    {
        lpMIS->itemWidth = 0;
        lpMIS->itemHeight =
            bXP ? 3 : (UINT)std::max(::GetSystemMetrics(SM_CYMENU) / 2, (s_imageHeight + nMargin) / 2);
        return;
    }

    const wchar_t* pszText = pData->text ? pData->text : L"";
    const int nLength = (int)std::wcslen(pszText);
    HFONT hFont = CreateMenuFont();
    HWND hWnd = GetMeasuringWindow();
    HDC hdc = ::GetDC(hWnd);
    HGDIOBJ hOldFont = (s_versionCode >= 2 && hFont) ? ::SelectObject(hdc, hFont) : nullptr;
    SIZE size = { 0, 0 };
    if (s_versionCode == 0)
    {
        RECT rc = { 0, 0, 0, 0 };
        size.cy = ::DrawTextW(hdc, pszText, nLength, &rc, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        size.cx = rc.right - rc.left + 3;
        if (nLength > 0)
            size.cx += 3 * (size.cx / nLength);
    }
    else
    {
        ::GetTextExtentPoint32W(hdc, pszText, nLength, &size);
    }
    if (hOldFont != nullptr)
        ::SelectObject(hdc, hOldFont);
    ::ReleaseDC(hWnd, hdc);
    if (hFont != nullptr)
        ::DeleteObject(hFont);

    lpMIS->itemWidth = bXP ? (UINT)(size.cx + s_imageWidth + nMargin + 8) : (UINT)(size.cx + 2 * s_imageWidth + 1);
    lpMIS->itemHeight = (UINT)std::max(::GetSystemMetrics(SM_CYMENU), s_imageHeight + nMargin);
}

// ---------------------------------------------------------------------------
// Drawing

void GlyphMenu::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == nullptr || lpDIS->CtlType != ODT_MENU || lpDIS->itemData == 0)
        return;
    if (::GetDeviceCaps(lpDIS->hDC, RASTERCAPS) & RC_PALETTE)
        DrawItemClassic(lpDIS);
    else if (XPLookActive())
        DrawItemXP(lpDIS);
    else
        DrawItemClassic(lpDIS);
}

void GlyphMenu::PaintRadioDot(HDC hdc, int x, int y, COLORREF cr)
{
    HPEN hPen = ::CreatePen(PS_SOLID, 0, cr);
    HBRUSH hBrush = ::CreateSolidBrush(cr);
    HGDIOBJ hOldPen = ::SelectObject(hdc, hPen);
    HGDIOBJ hOldBrush = ::SelectObject(hdc, hBrush);
    ::Ellipse(hdc, x, y, x + 6, y + 6);
    ::SelectObject(hdc, hOldBrush);
    ::SelectObject(hdc, hOldPen);
    ::DeleteObject(hBrush);
    ::DeleteObject(hPen);
}

void GlyphMenu::PaintCheckStrokes(HDC hdc, int x, int y, COLORREF cr)
{
    static const int kStart[7] = { 2, 3, 4, 3, 2, 1, 0 };
    HPEN hPen = ::CreatePen(PS_SOLID, 0, cr);
    HGDIOBJ hOldPen = ::SelectObject(hdc, hPen);
    for (int i = 0; i < 7; i++)
    {
        ::MoveToEx(hdc, x + i, y + kStart[i], nullptr);
        ::LineTo(hdc, x + i, y + kStart[i] + 3);
    }
    ::SelectObject(hdc, hOldPen);
    ::DeleteObject(hPen);
}

void GlyphMenu::DrawCheckBoxClassic(HDC hdc, const RECT& rc, BOOL bSelected, BOOL bRadio)
{
    COLORREF cr = ::GetSysColor(IsXPThemed() ? COLOR_BTNFACE : COLOR_MENU);
    if (!bSelected)
        cr = LightenShade(cr, 0.6);
    FillSolid(hdc, rc, cr);
    if (s_versionCode > 1)
    {
        RECT rcEdge = rc;
        ::DrawEdge(hdc, &rcEdge, BDR_SUNKENOUTER, BF_RECT);
    }
    const COLORREF crMark = ::GetSysColor(COLOR_MENUTEXT);
    if (bRadio)
        PaintRadioDot(hdc, rc.left + 5, rc.top + 4, crMark);
    else
        PaintCheckStrokes(hdc, rc.left + 4, rc.top + 4, crMark);
}

void GlyphMenu::DrawCheckBoxXP(HDC hdc, const RECT& rc, BOOL bRadio, COLORREF crHighlight, BOOL bSelected)
{
    FillSolid(hdc, rc, LightenShade(crHighlight, bSelected ? 0.55 : 0.85));
    Frame3d(hdc, rc, crHighlight, crHighlight);
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    const int x = cx > 5 ? cx / 2 - 3 : 0;
    const int y = cy > 5 ? cy / 2 - 3 : 0;
    const COLORREF crMark = ::GetSysColor(COLOR_MENUTEXT);
    if (bRadio)
        PaintRadioDot(hdc, rc.left + x, rc.top + y, crMark);
    else
        PaintCheckStrokes(hdc, rc.left + x, rc.top + y, crMark);
}

void GlyphMenu::DrawItemClassic(LPDRAWITEMSTRUCT lpDIS)
{
    const GlyphMenuData* pData = (const GlyphMenuData*)lpDIS->itemData;
    HDC hdc = lpDIS->hDC;
    const RECT rc = lpDIS->rcItem;
    const COLORREF crBack = ::GetSysColor(IsXPThemed() ? COLOR_BTNFACE : COLOR_MENU);
    const BOOL bGreyed = (lpDIS->itemState & ODS_GRAYED) != 0;
    const BOOL bChecked = (lpDIS->itemState & ODS_CHECKED) != 0;
    BOOL bSelected = (lpDIS->itemState & ODS_SELECTED) != 0;
    if (bGreyed && bSelected && !s_classicSelectDisabled)
        bSelected = FALSE;

    if (pData->flags & MF_SEPARATOR)
    {
        FillSolid(hdc, rc, crBack);
        RECT rcLine = rc;
        rcLine.top += (rc.bottom - rc.top) / 2;
        ::DrawEdge(hdc, &rcLine, EDGE_ETCHED, BF_TOP);
        return;
    }

    COLORREF crText = ::GetSysColor(COLOR_MENUTEXT);
    const ItemPicture pic = PictureOf(pData);
    const BOOL bHasPicture = pic.Has();
    const BOOL bCheckImage = bChecked && !bHasPicture && m_checkImages != nullptr &&
                             (bSelected ? m_checkedSelectedId > 0 : m_checkedId > 0);
    const BOOL bSelectedPicture = bHasPicture && bSelected && !bGreyed;
    const BOOL bDisabledPicture = bHasPicture && bGreyed;

    if (!bSelected)
    {
        FillSolid(hdc, rc, crBack);
        Frame3d(hdc, rc, crBack, crBack);
    }
    else
    {
        RECT rcBar = rc;
        if (bCheckImage || bHasPicture || bChecked)
            rcBar.left += s_imageWidth + 5;
        FillSolid(hdc, rcBar, ::GetSysColor(COLOR_HIGHLIGHT));
        crText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    }

    const int dy = std::max(0, (int)(rc.bottom - s_imageHeight - rc.top - 4) / 2);
    const RECT rcImage = { rc.left + 1, rc.top + dy + 1, rc.left + s_imageWidth + 3, rc.top + dy + s_imageHeight + 3 };
    const RECT rcOuter = { rc.left, rc.top + dy, rc.left + s_imageWidth + 4, rc.top + dy + s_imageHeight + 4 };
    const POINT ptPicture = { rc.left + 2, rc.top + dy + 2 };
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF crLight = ::GetSysColor(COLOR_BTNHIGHLIGHT);

    if (bCheckImage || bHasPicture)
    {
        Frame3d(hdc, rcImage, crBack, crBack);
        if (bCheckImage)
        {
            FillSolid(hdc, rcImage, crBack);
            Frame3d(hdc, rcOuter, crBack, crBack);
            DrawPicture(hdc, m_checkImages->m_hImageList, bSelected ? 1 : 0, ptPicture.x, ptPicture.y);
        }
        else if (bDisabledPicture)
        {
            HBITMAP hbm = GetImageBitmap(pic.hList, pic.nIndex, hdc);
            Frame3d(hdc, rcOuter, crBack, crBack);
            if (m_altDisabledDraw)
                DrawEmbossedDib(hdc, ptPicture.x, ptPicture.y, s_imageWidth, s_imageHeight, hbm, crBack);
            else if (s_colorMappedBitmaps)
                DrawGreyed(hdc, ptPicture.x, ptPicture.y, s_imageWidth, s_imageHeight, hbm, crBack);
            else
                DrawEmbossed(hdc, ptPicture.x, ptPicture.y, s_imageWidth, s_imageHeight, hbm, crBack);
            if (hbm != nullptr)
                ::DeleteObject(hbm);
        }
        else
        {
            // A checked picture is pressed on every system: without the
            // frame its state would not show at all where the lightened
            // background is the background (a white menu).
            if (bSelectedPicture)
            {
                FillSolid(hdc, rcImage, crBack);
                if (bChecked)
                    Frame3d(hdc, rcOuter, crShadow, crLight);
                else if (s_versionCode > 1)
                    Frame3d(hdc, rcOuter, crLight, crShadow);
            }
            else if (bChecked)
            {
                FillSolid(hdc, rcImage, LightenShade(crBack, 0.6));
                Frame3d(hdc, rcOuter, crShadow, crLight);
            }
            else
            {
                FillSolid(hdc, rcImage, crBack);
                Frame3d(hdc, rcOuter, crBack, crBack);
            }
            DrawPicture(hdc, pic.hList, pic.nIndex, ptPicture.x, ptPicture.y);
        }
    }

    if (bChecked && !bHasPicture && !bCheckImage)
    {
        const RECT rcBox = { rc.left + 1, rc.top + dy + 2, rc.left + s_imageWidth + 1, rc.top + dy + s_imageHeight + 2 };
        DrawCheckBoxClassic(hdc, rcBox, bSelected, IsRadioItem((HMENU)lpDIS->hwndItem, lpDIS->itemID));
    }

    if (pData->text != nullptr && pData->text[0] != L'\0')
    {
        const RECT rcText = { rc.left + s_imageWidth + 9, rc.top - 1, rc.right, rc.bottom - 1 };
        const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);
        const COLORREF crOldText = ::GetTextColor(hdc);
        if (bGreyed && !bSelected)
        {
            RECT rcRaised = rcText;
            ::OffsetRect(&rcRaised, 1, 1);
            ::SetTextColor(hdc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawItemText(hdc, pData->text, rcRaised, s_imageWidth);
            ::SetTextColor(hdc, ::GetSysColor(COLOR_GRAYTEXT));
        }
        else
        {
            ::SetTextColor(hdc, bGreyed ? crBack : crText);
        }
        DrawItemText(hdc, pData->text, rcText, s_imageWidth);
        ::SetTextColor(hdc, crOldText);
        ::SetBkMode(hdc, nOldMode);
    }
}

void GlyphMenu::DrawItemXP(LPDRAWITEMSTRUCT lpDIS)
{
    const GlyphMenuData* pData = (const GlyphMenuData*)lpDIS->itemData;
    const RECT rc = lpDIS->rcItem;
    const BOOL bThemed = IsXPThemed();
    COLORREF crMargin = ::GetSysColor(COLOR_BTNFACE);
    if (!bThemed)
        crMargin = LightenShade(crMargin, 0.25);
    const COLORREF crBack = DarkenShade(::GetSysColor(COLOR_WINDOW), 0.02);
    const int nMargin = s_xpImageEffects ? 7 : 4;
    const int nColumn = s_imageWidth + nMargin;
    const BOOL bGreyed = (lpDIS->itemState & ODS_GRAYED) != 0;
    const BOOL bChecked = (lpDIS->itemState & ODS_CHECKED) != 0;
    BOOL bSelected = (lpDIS->itemState & ODS_SELECTED) != 0;

    // A greyed item is composed off-screen and copied in one blit.
    CDC* pTarget = CDC::FromHandle(lpDIS->hDC);
    GlyphMenuMemDC* pMemDC = nullptr;
    HFONT hFont = nullptr;
    HGDIOBJ hOldFont = nullptr;
    HDC hdc = lpDIS->hDC;
    if (bGreyed && !s_xpSelectDisabled)
    {
        bSelected = FALSE;
        pMemDC = new GlyphMenuMemDC(pTarget, CRect(rc));
        hdc = pMemDC->m_hDC;
        hFont = CreateMenuFont();
        if (hFont != nullptr)
            hOldFont = ::SelectObject(hdc, hFont);
    }

    const RECT rcColumn = { rc.left, rc.top, rc.left + nColumn, rc.bottom };
    if (pData->flags & MF_SEPARATOR)
    {
        FillSolid(hdc, rc, crBack);
        FillSolid(hdc, rcColumn, crMargin);
        Frame3d(hdc, rcColumn, crMargin, crMargin);
        RECT rcLine = { rcColumn.right + nMargin, rc.top + (rc.bottom - rc.top) / 2, rc.right, rc.bottom };
        ::DrawEdge(hdc, &rcLine, EDGE_ETCHED, BF_TOP);
    }
    else
    {
        const COLORREF crHighlight = ::GetSysColor(COLOR_HIGHLIGHT);
        const COLORREF crSelection = LightenShade(crHighlight, bThemed ? 0.7 : 0.85);
        const ItemPicture pic = PictureOf(pData);
        const BOOL bHasPicture = pic.Has();
        const BOOL bCheckImage = bChecked && !bHasPicture && m_checkImages != nullptr &&
                                 (bSelected ? m_checkedSelectedId > 0 : m_checkedId > 0);
        const BOOL bSelectedPicture = bHasPicture && bSelected && !bGreyed;
        const BOOL bDisabledPicture = bHasPicture && bGreyed;

        // Faded, shadow and disabled pictures follow the picture.
        bool bDerived = false;
        if (bHasPicture && s_xpImageEffects)
        {
            if (pic.bOwn)
                bDerived = pData->imageOffset == 0 && ImageList_GetImageCount(pic.hList) > 2;
            else
                bDerived = HasEffectImages(pic.nIndex) != FALSE;
        }
        const int iFaded = pic.bOwn ? 1 : pic.nIndex + 1;
        const int iShadow = pic.bOwn ? 2 : pic.nIndex + 2;
        const int iDisabled = pic.bOwn ? 3 : pic.nIndex + 3;

        if (!bSelected)
        {
            FillSolid(hdc, rc, crBack);
            FillSolid(hdc, rcColumn, crMargin);
            Frame3d(hdc, rc, crBack, crBack);
            Frame3d(hdc, rcColumn, crMargin, crMargin);
        }
        else
        {
            FillSolid(hdc, rc, crSelection);
            Frame3d(hdc, rc, crHighlight, crHighlight);
        }

        const int dx = std::max(0, (int)((nColumn - s_imageWidth + 1) * 0.5));
        const int dy = std::max(0, (int)((rc.bottom - s_imageHeight - rc.top + 1) * 0.5));
        const RECT rcImage = { rc.left + 1, rc.top + 1, rc.left + nColumn - 2, rc.bottom - 1 };
        const int x = rc.left + dx, y = rc.top + dy;

        if (bCheckImage)
        {
            FillSolid(hdc, rcImage, crMargin);
            DrawPicture(hdc, m_checkImages->m_hImageList, bSelected ? 1 : 0, x, y);
        }
        else if (bDisabledPicture)
        {
            if (bDerived)
            {
                DrawPicture(hdc, pic.hList, iDisabled, x, y);
            }
            else
            {
                HBITMAP hbm = GetImageBitmap(pic.hList, pic.nIndex, hdc);
                const COLORREF crUnder = bSelected ? crSelection : crMargin;
                if (m_altDisabledDraw)
                    DrawEmbossedDib(hdc, x, y, s_imageWidth, s_imageHeight, hbm, crUnder);
                else
                    DrawEmbossed(hdc, x, y, s_imageWidth, s_imageHeight, hbm, crUnder);
                if (hbm != nullptr)
                    ::DeleteObject(hbm);
                if (bSelected)
                    Frame3d(hdc, rc, crHighlight, crHighlight);
            }
        }
        else if (bHasPicture && bChecked)
        {
            // A pale framed box (paler when not selected), the picture lifted.
            FillSolid(hdc, rcImage, LightenShade(crHighlight, bSelected ? 0.55 : 0.85));
            Frame3d(hdc, rcImage, crHighlight, crHighlight);
            DrawPicture(hdc, pic.hList, pic.nIndex, x - 1, y - 1);
        }
        else if (bSelectedPicture)
        {
            FillSolid(hdc, rcImage, crSelection);
            if (bDerived)
            {
                DrawPicture(hdc, pic.hList, iShadow, x + 1, y + 1);
                DrawPicture(hdc, pic.hList, pic.nIndex, x - 1, y - 1);
            }
            else
            {
                DrawPicture(hdc, pic.hList, pic.nIndex, x, y);
            }
        }
        else if (bHasPicture)
        {
            FillSolid(hdc, rcImage, crMargin);
            Frame3d(hdc, rcImage, crMargin, crMargin);
            DrawPicture(hdc, pic.hList, bDerived ? iFaded : pic.nIndex, x, y);
        }

        if (bChecked && !bHasPicture && !bCheckImage)
            DrawCheckBoxXP(hdc, rcImage, IsRadioItem((HMENU)lpDIS->hwndItem, lpDIS->itemID), crHighlight, bSelected);

        if (pData->text != nullptr && pData->text[0] != L'\0')
        {
            const RECT rcText = { rc.left + nColumn + 8, rc.top - 1, rc.right, rc.bottom - 1 };
            COLORREF crText = ::GetSysColor(COLOR_MENUTEXT);
            if (bGreyed)
            {
                crText = ::GetSysColor(COLOR_GRAYTEXT);
                if (!bThemed && !bSelected)
                    crText = LightenShade(crText, 0.4);
            }
            const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);
            const COLORREF crOldText = ::SetTextColor(hdc, crText);
            DrawItemText(hdc, pData->text, rcText, s_imageWidth);
            ::SetTextColor(hdc, crOldText);
            ::SetBkMode(hdc, nOldMode);
        }
    }

    if (hOldFont != nullptr)
        ::SelectObject(hdc, hOldFont);
    if (hFont != nullptr)
        ::DeleteObject(hFont);
    delete pMemDC; // copies a greyed item to the screen
}
