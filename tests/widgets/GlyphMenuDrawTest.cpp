// Measuring and painting owner-drawn items: sizes in both looks, pixels of
// items painted into a memory bitmap, the picture filters, and the system
// facts the look depends on.
#include "GlyphMenuTestRes.h"
#include "GlyphMenuTestSupport.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const COLORREF kPictureColour = RGB(200, 40, 40);
const COLORREF kSentinel = RGB(1, 2, 3);
const int kWidth = 200;

COLORREF Sys(int n)
{
    return ::GetSysColor(n);
}

// A popup with: 0 "&New" with a solid picture, 1 "&Copy" without, 2 a
// separator, 3 "&Save\tCtrl+S" without.
struct DrawFixture
{
    GlyphMenu menu;
    CImageList list;

    explicit DrawFixture(UINT nPictureID = 21780)
    {
        menu.CreatePopupMenu();
        menu.AppendDrawnItem("&New", MF_STRING, nPictureID);
        menu.AppendDrawnItem("&Copy", MF_STRING, 21781);
        menu.AppendDrawnItem((LPCSTR)nullptr, 0, 0);
        menu.AppendDrawnItem("&Save\tCtrl+S", MF_STRING, 21782);
        list.Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1);
        CMemoryCanvas picture(16, 15, kPictureColour);
        HBITMAP hbm = ::CreateCompatibleBitmap(picture.m_hdc, 16, 15);
        HDC hdc = ::CreateCompatibleDC(picture.m_hdc);
        HGDIOBJ hOld = ::SelectObject(hdc, hbm);
        ::BitBlt(hdc, 0, 0, 16, 15, picture.m_hdc, 0, 0, SRCCOPY);
        ::SelectObject(hdc, hOld);
        ::DeleteDC(hdc);
        ImageList_AddMasked(list.m_hImageList, hbm, RGB(192, 192, 192));
        ::DeleteObject(hbm);
        menu.SetCommandImage((LPCSTR)nullptr, nPictureID, &list, 0);
    }

    void Draw(CMemoryCanvas& canvas, int nItem, UINT nState, int nHeight)
    {
        GlyphMenuData* pData = menu.m_itemData[nItem];
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = (UINT)pData->commandId;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = nState;
        dis.hwndItem = (HWND)menu.m_hMenu;
        dis.hDC = canvas.m_hdc;
        dis.rcItem = { 0, 0, kWidth, nHeight };
        dis.itemData = (ULONG_PTR)pData;
        menu.DrawItem(&dis);
    }

    MEASUREITEMSTRUCT Measure(int nItem)
    {
        MEASUREITEMSTRUCT mis = {};
        mis.CtlType = ODT_MENU;
        mis.itemID = (UINT)menu.m_itemData[nItem]->commandId;
        mis.itemData = (ULONG_PTR)menu.m_itemData[nItem];
        menu.MeasureItem(&mis);
        return mis;
    }
};

int ClassicHeight()
{
    return std::max(::GetSystemMetrics(SM_CYMENU), 19);
}

int XPHeight()
{
    return std::max(::GetSystemMetrics(SM_CYMENU), 22);
}

// Pixels in columns [x0, x1) of the canvas that differ from cr.
int CountOther(const CMemoryCanvas& canvas, int x0, int x1, int nHeight, COLORREF cr)
{
    int n = 0;
    for (int x = x0; x < x1; x++)
        for (int y = 0; y < nHeight; y++)
            if (canvas.Pixel(x, y) != cr)
                n++;
    return n;
}

COLORREF Disabled(COLORREF cr)
{
    const int nGrey = (GetRValue(cr) + GetGValue(cr) + GetBValue(cr)) / 3;
    return GlyphMenu::LightenShade(Sys(COLOR_BTNSHADOW), nGrey / 255.0);
}

const char kThemeKey[] = "Software\\Microsoft\\Plus!\\Themes\\Current";

void SetThemeValue(const std::string& value, DWORD cbData)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kThemeKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                               &hKey, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(hKey, nullptr, 0, REG_SZ, (const BYTE*)value.data(), cbData));
    ::RegCloseKey(hKey);
}

void DeleteThemeKey()
{
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kThemeKey);
}

} // namespace

// ---------------------------------------------------------------------------

TEST(GlyphMenuMeasureTest, ClassicAndXPSizes)
{
    DrawFixture f;
    MEASUREITEMSTRUCT classic, classicSeparator;
    {
        CForcedLook look(1, FALSE);
        EXPECT_FALSE(GlyphMenu::XPLookActive());
        classic = f.Measure(0);
        classicSeparator = f.Measure(2);
    }
    EXPECT_EQ((UINT)ClassicHeight(), classic.itemHeight);
    EXPECT_EQ((UINT)std::max(::GetSystemMetrics(SM_CYMENU) / 2, 9), classicSeparator.itemHeight);
    EXPECT_EQ(0u, classicSeparator.itemWidth);
    {
        // Windows XP with the classic theme, and Windows 2000: classic too.
        CForcedLook look(7, TRUE);
        EXPECT_EQ(classic.itemHeight, f.Measure(0).itemHeight);
        GlyphMenu::ForceSystemLook(6, FALSE);
        EXPECT_EQ(classic.itemHeight, f.Measure(0).itemHeight);
    }
    {
        CForcedLook look(7, FALSE);
        ASSERT_TRUE(GlyphMenu::XPLookActive());
        const MEASUREITEMSTRUCT xp = f.Measure(0);
        EXPECT_EQ((UINT)XPHeight(), xp.itemHeight);
        EXPECT_EQ(3u, f.Measure(2).itemHeight);
        // Text + 33 in the classic look, text + 16 + 7 + 8 in the XP look,
        // both measured in the menu font (version codes from 2 on).
        GlyphMenu::ForceSystemLook(6, FALSE);
        EXPECT_EQ(f.Measure(0).itemWidth, xp.itemWidth + 2);
        GlyphMenu::ForceSystemLook(7, FALSE);
        EXPECT_GT(xp.itemWidth, 31u);
    }
    // A longer text is wider; an accelerator widens too.
    CForcedLook look(1, FALSE);
    EXPECT_GT(f.Measure(3).itemWidth, f.Measure(1).itemWidth);
}

TEST(GlyphMenuMeasureTest, TheFrameMeasuresPopupItemsByTheirHandleAndOthersThroughTheFramework)
{
    CForcedLook look(1, FALSE);
    CMenuTestFrame* pFrame = new CMenuTestFrame;
    ASSERT_TRUE(pFrame->CreateWithMenu(IDR_GM_MENU));
    GlyphMenu* pFile = PopupAt(pFrame->m_menu, 0);
    ASSERT_NE(nullptr, pFile);

    // The Recent popup item: its id is the popup's handle as 32 bits.
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemID = (UINT)pFile->m_itemData[4]->commandId;
    mis.itemData = (ULONG_PTR)pFile->m_itemData[4];
    pFrame->SendMessage(WM_MEASUREITEM, 0, (LPARAM)&mis);
    EXPECT_EQ((UINT)ClassicHeight(), mis.itemHeight);
    EXPECT_GT(mis.itemWidth, 33u);

    // An ordinary command: the framework finds the popup that holds it.
    MEASUREITEMSTRUCT save = {};
    save.CtlType = ODT_MENU;
    save.itemID = ID_GM_SAVE;
    save.itemData = (ULONG_PTR)pFile->m_itemData[1];
    pFrame->SendMessage(WM_MEASUREITEM, 0, (LPARAM)&save);
    EXPECT_EQ((UINT)ClassicHeight(), save.itemHeight);

    pFrame->DestroyWindow();
    PumpMessages();
}

TEST(GlyphMenuDrawTest, ClassicItemsPaintTheirHighlightPictureCheckAndGreyedStates)
{
    CForcedLook look(6, FALSE); // 3D frames need a version code above 1
    DrawFixture f;
    const int h = ClassicHeight();
    const int dy = std::max(0, (h - 15 - 4) / 2);

    {
        // Selected with a picture: the highlight starts after the picture box.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 0, ODS_SELECTED, h);
        EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.Pixel(21, h / 2));
        EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.Pixel(kWidth - 1, h / 2));
        EXPECT_NE(Sys(COLOR_HIGHLIGHT), canvas.Pixel(20, h / 2));
        EXPECT_EQ(kPictureColour, canvas.Pixel(2 + 8, dy + 2 + 7));
        // Raised frame around the picture, sunken when checked.
        EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), canvas.Pixel(0, dy));
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.Pixel(19, dy + 18));
        f.Draw(canvas, 0, ODS_SELECTED | ODS_CHECKED, h);
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.Pixel(0, dy));
        // Later systems draw no frame.
        GlyphMenu::ForceSystemLook(1, FALSE);
        CMemoryCanvas flat(kWidth, h, kSentinel);
        f.Draw(flat, 0, ODS_SELECTED, h);
        EXPECT_EQ(kSentinel, flat.Pixel(0, dy));
        GlyphMenu::ForceSystemLook(6, FALSE);
    }
    {
        // Plain: all menu colour where no text is.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 1, 0, h);
        EXPECT_EQ(Sys(COLOR_MENU), canvas.Pixel(5, 5));
        EXPECT_EQ(Sys(COLOR_MENU), canvas.Pixel(kWidth - 2, 2));
        EXPECT_EQ(0, CountOther(canvas, 0, 24, h, Sys(COLOR_MENU)));
        EXPECT_GT(CountOther(canvas, 25, 60, h, Sys(COLOR_MENU)), 0); // the label
    }
    {
        // Checked without a picture: a pale box with a check mark.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 1, ODS_CHECKED, h);
        const int top = dy + 2;
        EXPECT_EQ(GlyphMenu::LightenShade(Sys(COLOR_MENU), 0.6), canvas.Pixel(3, top + 2));
        EXPECT_EQ(Sys(COLOR_MENUTEXT), canvas.Pixel(1 + 4, top + 4 + 2));     // first stroke
        EXPECT_EQ(Sys(COLOR_MENUTEXT), canvas.Pixel(1 + 4 + 6, top + 4 + 0)); // last stroke
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.Pixel(1, top));                // sunken edge
    }
    {
        // Greyed picture from colour-mapped bitmaps: each pixel a shade of
        // the shadow colour by its grey level.
        const BOOL bOld = GlyphMenu::s_colorMappedBitmaps;
        GlyphMenu::s_colorMappedBitmaps = TRUE;
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 0, ODS_GRAYED, h);
        EXPECT_EQ(Disabled(kPictureColour), canvas.Pixel(2 + 8, dy + 2 + 7));
        EXPECT_NE(Sys(COLOR_BTNSHADOW), canvas.Pixel(2 + 8, dy + 2 + 7)); // not flat
        // Otherwise embossed: the shape in shadow over its highlight copy.
        GlyphMenu::s_colorMappedBitmaps = FALSE;
        CMemoryCanvas embossed(kWidth, h, kSentinel);
        f.Draw(embossed, 0, ODS_GRAYED, h);
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), embossed.Pixel(2 + 8, dy + 2 + 7));
        EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), embossed.Pixel(2 + 16, dy + 2 + 7));
        GlyphMenu::s_colorMappedBitmaps = bOld;
    }
    {
        // Greyed and selected: drawn selected, unless that is switched off.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 1, ODS_GRAYED | ODS_SELECTED, h);
        EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.Pixel(kWidth - 2, h / 2));
        GlyphMenu::s_classicSelectDisabled = FALSE;
        f.Draw(canvas, 1, ODS_GRAYED | ODS_SELECTED, h);
        GlyphMenu::s_classicSelectDisabled = TRUE;
        EXPECT_EQ(Sys(COLOR_MENU), canvas.Pixel(kWidth - 2, h / 2));
    }
    {
        // Separator: an etched line at half height.
        CMemoryCanvas canvas(kWidth, 10, kSentinel);
        f.Draw(canvas, 2, 0, 10);
        EXPECT_EQ(Sys(COLOR_MENU), canvas.Pixel(50, 2));
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.Pixel(50, 5));
        EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), canvas.Pixel(50, 6));
    }
    {
        // The accelerator ends one picture width before the right edge.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 3, 0, h);
        EXPECT_EQ(0, CountOther(canvas, kWidth - 16, kWidth, h, Sys(COLOR_MENU)));
        EXPECT_GT(CountOther(canvas, kWidth - 24, kWidth - 16, h, Sys(COLOR_MENU)), 0);
    }
}

TEST(GlyphMenuDrawTest, ACheckedPictureShowsPressedOnLaterSystemsToo)
{
    // A later system (version code 1) with the classic look, as the Help
    // Bar's item is drawn when the bar is shown.
    CForcedLook look(1, FALSE);
    DrawFixture f;
    const int h = ClassicHeight();
    const int dy = std::max(0, (h - 15 - 4) / 2);
    for (UINT nSelected : { 0u, (UINT)ODS_SELECTED })
    {
        CMemoryCanvas plain(kWidth, h, kSentinel);
        CMemoryCanvas checked(kWidth, h, kSentinel);
        f.Draw(plain, 0, nSelected, h);
        f.Draw(checked, 0, nSelected | ODS_CHECKED, h);
        // The picture sits pressed in: shadow along the box's top and left,
        // whatever colour the menu has.
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), checked.Pixel(0, dy)) << nSelected;
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), checked.Pixel(10, dy)) << nSelected;
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), checked.Pixel(0, dy + 10)) << nSelected;
        EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), checked.Pixel(19, dy + 18)) << nSelected;
        EXPECT_GT(CountOther(checked, 0, 1, h, plain.Pixel(0, dy)), 0) << "checked looks like unchecked";
        // The picture itself is drawn in both.
        EXPECT_EQ(kPictureColour, checked.Pixel(2 + 8, dy + 2 + 7));
        EXPECT_EQ(kPictureColour, plain.Pixel(2 + 8, dy + 2 + 7));
    }
}

TEST(GlyphMenuDrawTest, XPItemsPaintTheColumnTheSelectionAndTheDerivedPictures)
{
    CForcedLook look(7, FALSE);
    DrawFixture f(21783); // a command new to the shared list: derived pictures
    ASSERT_TRUE(GlyphMenu::HasEffectImages(f.menu.m_itemData[0]->globalImageIndex));
    const int h = XPHeight();
    const int dx = 4, dy = std::max(0, (h - 15 + 1) / 2);
    const COLORREF crBack = GlyphMenu::DarkenShade(Sys(COLOR_WINDOW), 0.02);
    const COLORREF crMargin = Sys(COLOR_BTNFACE);
    const COLORREF crHighlight = Sys(COLOR_HIGHLIGHT);
    const COLORREF crSelection = GlyphMenu::LightenShade(crHighlight, 0.7);

    {
        // Plain with a picture: the shaded column and the faded picture.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 0, 0, h);
        EXPECT_EQ(crMargin, canvas.Pixel(2, 2));
        EXPECT_EQ(crMargin, canvas.Pixel(22, h / 2));
        EXPECT_EQ(crBack, canvas.Pixel(24, 2));
        EXPECT_EQ(crBack, canvas.Pixel(kWidth - 2, h / 2));
        EXPECT_EQ(GlyphMenu::LightenShade(kPictureColour, 0.3), canvas.Pixel(dx + 8, dy + 7));
    }
    {
        // Selected: a pale rectangle framed in the highlight colour; the
        // picture lifted over its shadow.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 0, ODS_SELECTED, h);
        EXPECT_EQ(crHighlight, canvas.Pixel(0, 0));
        EXPECT_EQ(crHighlight, canvas.Pixel(kWidth - 1, h - 1));
        EXPECT_EQ(crSelection, canvas.Pixel(kWidth - 3, h / 2));
        EXPECT_EQ(kPictureColour, canvas.Pixel(dx - 1 + 8, dy - 1 + 7));
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.Pixel(dx + 1 + 15, dy + 1 + 14));
    }
    {
        // Greyed is never drawn selected; its picture is the disabled one.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 0, ODS_GRAYED | ODS_SELECTED, h);
        EXPECT_EQ(crBack, canvas.Pixel(kWidth - 3, h / 2));
        EXPECT_EQ(crMargin, canvas.Pixel(2, 2));
        EXPECT_EQ(Disabled(kPictureColour), canvas.Pixel(dx + 8, dy + 7));
    }
    {
        // Checked without a picture: the check box fills the column.
        CMemoryCanvas canvas(kWidth, h, kSentinel);
        f.Draw(canvas, 1, ODS_CHECKED, h);
        EXPECT_EQ(crHighlight, canvas.Pixel(1, 1));
        EXPECT_EQ(GlyphMenu::LightenShade(crHighlight, 0.85), canvas.Pixel(3, 3));
        const int x = 1 + (20 / 2 - 3), y = 1 + ((h - 2) / 2 - 3);
        EXPECT_EQ(Sys(COLOR_MENUTEXT), canvas.Pixel(x, y + 2));
    }
    {
        // Separator: the column, then the line.
        CMemoryCanvas canvas(kWidth, 3, kSentinel);
        f.Draw(canvas, 2, 0, 3);
        EXPECT_EQ(crMargin, canvas.Pixel(5, 1));
        EXPECT_EQ(crBack, canvas.Pixel(25, 0));
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.Pixel(60, 1));
    }
}

namespace {

int g_nIconsFetched = 0;
int g_nIconsDestroyed = 0;

HICON WINAPI CountingGetIcon(HIMAGELIST hList, int nIndex, UINT nFlags)
{
    HICON hIcon = ImageList_GetIcon(hList, nIndex, nFlags);
    if (hIcon != nullptr)
        g_nIconsFetched++;
    return hIcon;
}

BOOL WINAPI CountingDestroyIcon(HICON hIcon)
{
    g_nIconsDestroyed++;
    return ::DestroyIcon(hIcon);
}

} // namespace

TEST(GlyphMenuDrawTest, PaintingADisabledItemKeepsNoIcon)
{
    DrawFixture f;
    g_nIconsFetched = g_nIconsDestroyed = 0;
    GlyphMenu::s_pfnGetIcon = &CountingGetIcon;
    GlyphMenu::s_pfnDestroyIcon = &CountingDestroyIcon;
    const BOOL bOld = GlyphMenu::s_colorMappedBitmaps;
    {
        CForcedLook look(1, FALSE);
        CMemoryCanvas canvas(kWidth, ClassicHeight(), kSentinel);
        for (BOOL bMapped : { TRUE, FALSE }) // greyed and embossed
        {
            GlyphMenu::s_colorMappedBitmaps = bMapped;
            for (int i = 0; i < 10; i++)
                f.Draw(canvas, 0, ODS_GRAYED, ClassicHeight());
        }
    }
    {
        // Under the XP look without derived pictures: embossed too.
        CForcedLook look(7, FALSE);
        GlyphMenu::s_xpImageEffects = FALSE;
        CMemoryCanvas canvas(kWidth, XPHeight(), kSentinel);
        for (int i = 0; i < 10; i++)
            f.Draw(canvas, 0, ODS_GRAYED, XPHeight());
        GlyphMenu::s_xpImageEffects = TRUE;
    }
    GlyphMenu::s_colorMappedBitmaps = bOld;
    GlyphMenu::s_pfnGetIcon = &ImageList_GetIcon;
    GlyphMenu::s_pfnDestroyIcon = &::DestroyIcon;
    EXPECT_EQ(30, g_nIconsFetched);
    EXPECT_EQ(g_nIconsFetched, g_nIconsDestroyed);
}

TEST(GlyphMenuFilterTest, ShadesAndDerivedPictures)
{
    EXPECT_EQ(RGB(10, 20, 30), GlyphMenu::LightenShade(RGB(10, 20, 30), 0.0));
    EXPECT_EQ(RGB(10, 20, 30), GlyphMenu::LightenShade(RGB(10, 20, 30), 1.5));
    EXPECT_EQ(RGB(255, 255, 255), GlyphMenu::LightenShade(RGB(10, 20, 30), 1.0));
    EXPECT_EQ(RGB(127, 177, 227), GlyphMenu::LightenShade(RGB(0, 100, 200), 0.5));
    EXPECT_EQ(RGB(0, 50, 100), GlyphMenu::DarkenShade(RGB(0, 100, 200), 0.5));
    EXPECT_EQ(RGB(0, 0, 0), GlyphMenu::DarkenShade(RGB(0, 100, 200), 1.0));
    EXPECT_EQ(RGB(0, 100, 200), GlyphMenu::DarkenShade(RGB(0, 100, 200), -0.1));
    EXPECT_EQ(RGB(127, 177, 227), GlyphMenu::LightenShade(0x02000000 | RGB(0, 100, 200), 0.5)); // top byte dropped

    const COLORREF crFace = Sys(COLOR_BTNFACE);
    CMemoryCanvas screen(1, 1, 0);
    auto make = [&](COLORREF crPixel) {
        // Face everywhere, crPixel at (5, 5) and 192-grey at (6, 6).
        HBITMAP hbm = ::CreateCompatibleBitmap(screen.m_hdc, 16, 15);
        HDC hdc = ::CreateCompatibleDC(screen.m_hdc);
        HGDIOBJ hOld = ::SelectObject(hdc, hbm);
        HBRUSH hFace = ::CreateSolidBrush(crFace);
        RECT rc = { 0, 0, 16, 15 };
        ::FillRect(hdc, &rc, hFace);
        ::DeleteObject(hFace);
        ::SetPixel(hdc, 5, 5, crPixel);
        ::SetPixel(hdc, 6, 6, RGB(192, 192, 192));
        ::SelectObject(hdc, hOld);
        ::DeleteDC(hdc);
        return hbm;
    };
    auto pixel = [&](HBITMAP hbm, int x, int y) {
        HDC hdc = ::CreateCompatibleDC(screen.m_hdc);
        HGDIOBJ hOld = ::SelectObject(hdc, hbm);
        const COLORREF cr = ::GetPixel(hdc, x, y);
        ::SelectObject(hdc, hOld);
        ::DeleteDC(hdc);
        return cr;
    };

    HBITMAP hbm = make(RGB(90, 90, 90));
    GlyphMenu::MakeDisabledBitmap(hbm, 0);
    EXPECT_EQ(GlyphMenu::LightenShade(Sys(COLOR_BTNSHADOW), 90 / 255.0), pixel(hbm, 5, 5));
    EXPECT_EQ(crFace, pixel(hbm, 0, 0)); // no replacement: the face stays
    ::DeleteObject(hbm);
    hbm = make(RGB(255, 255, 255));
    GlyphMenu::MakeDisabledBitmap(hbm, RGB(9, 9, 9));
    EXPECT_EQ(RGB(255, 255, 255), pixel(hbm, 5, 5));
    EXPECT_EQ(RGB(9, 9, 9), pixel(hbm, 0, 0));
    ::DeleteObject(hbm);

    hbm = make(RGB(0, 100, 200));
    GlyphMenu::MakeFadedBitmap(hbm);
    EXPECT_EQ(GlyphMenu::LightenShade(RGB(0, 100, 200), 0.3), pixel(hbm, 5, 5));
    EXPECT_EQ(crFace, pixel(hbm, 0, 0));
    ::DeleteObject(hbm);

    {
        CForcedLook look(1, FALSE); // not XP-themed: a paler shadow
        hbm = make(RGB(0, 100, 200));
        GlyphMenu::MakeShadowBitmap(hbm);
        EXPECT_EQ(GlyphMenu::LightenShade(Sys(COLOR_BTNSHADOW), 0.49), pixel(hbm, 5, 5));
        EXPECT_EQ(crFace, pixel(hbm, 0, 0));
        ::DeleteObject(hbm);
    }
    {
        CForcedLook look(7, FALSE);
        hbm = make(RGB(0, 100, 200));
        GlyphMenu::MakeShadowBitmap(hbm);
        EXPECT_EQ(Sys(COLOR_BTNSHADOW), pixel(hbm, 5, 5));
        ::DeleteObject(hbm);
    }

    hbm = make(RGB(0, 100, 200));
    GlyphMenu::ReplaceBackgroundColor(hbm);
    EXPECT_EQ(crFace, pixel(hbm, 6, 6));
    EXPECT_EQ(RGB(0, 100, 200), pixel(hbm, 5, 5));
    ::DeleteObject(hbm);
}

TEST(GlyphMenuSystemTest, ClassicThemeFromTheRegistryAndTheVersionCode)
{
    DeleteThemeKey();
    GlyphMenu::ResetSystemLook();
    // Wine reports a modern NT: the classic look everywhere.
    EXPECT_EQ(1, GlyphMenu::GetWindowsVersionCode());
    EXPECT_FALSE(GlyphMenu::ClassicThemeActive()); // no key
    EXPECT_FALSE(GlyphMenu::XPLookActive());

    // 260 bytes, no terminator, ending in the classic theme's file name.
    const std::string name = "Windows Classic.theme";
    std::string value = "C:\\Themes\\" + std::string(260 - 10 - name.size(), 'x') + name;
    ASSERT_EQ(260u, value.size());
    SetThemeValue(value, 260);
    GlyphMenu::ResetSystemLook();
    EXPECT_TRUE(GlyphMenu::ClassicThemeActive());

    // The answer is kept for the process.
    SetThemeValue("C:\\Themes\\Luna.theme", 21);
    EXPECT_TRUE(GlyphMenu::ClassicThemeActive());
    GlyphMenu::ResetSystemLook();
    EXPECT_FALSE(GlyphMenu::ClassicThemeActive());

    const std::string mixed = "c:\\WINDOWS\\resources\\wINDOWS cLASSIC.THEME";
    SetThemeValue(mixed, (DWORD)mixed.size() + 1);
    GlyphMenu::ResetSystemLook();
    EXPECT_TRUE(GlyphMenu::ClassicThemeActive());

    SetThemeValue("Classic.theme", 14); // shorter than the name
    GlyphMenu::ResetSystemLook();
    EXPECT_FALSE(GlyphMenu::ClassicThemeActive());

    // XP with the classic theme draws classic; without it, XP.
    GlyphMenu::ForceSystemLook(7, TRUE);
    EXPECT_FALSE(GlyphMenu::IsXPThemed());
    EXPECT_FALSE(GlyphMenu::XPLookActive());
    GlyphMenu::ForceSystemLook(7, FALSE);
    EXPECT_TRUE(GlyphMenu::XPLookActive());

    DeleteThemeKey();
    GlyphMenu::ResetSystemLook();
}
