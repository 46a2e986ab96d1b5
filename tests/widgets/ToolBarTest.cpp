// The program's toolbar look in a real frame: the bar paints its own
// background in the button face colour, around the controls that sit on it.
#include "widgets/CQlcToolBar.h"

#include "WindowTestSupport.h"

#include "framework/gdi/CDC.h"
#include "framework/ui/CFrameWnd.h"

#include <gtest/gtest.h>

namespace {

// A frame with one toolbar docked at the top and a frame-coloured box on the bar
// where the Formatting bar keeps its lists.
class CBarFrame : public CFrameWnd
{
public:
    CBarFrame()
    {
        EXPECT_TRUE(Create(nullptr, "bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(30, 30, 630, 330)));
        EnableDocking(CBRS_ALIGN_ANY);
        static const UINT ids[] = { 0x9001, ID_SEPARATOR, 0x9002, 0x9003 };
        EXPECT_TRUE(m_bar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_SIZE_DYNAMIC,
                                   CRect(0, 0, 0, 0), 0xE890));
        m_bar.SetButtons(ids, 4);
        // Wide room for the box, as the Formatting bar makes for its lists.
        m_bar.SetButtonInfo(1, ID_SEPARATOR, TBSTYLE_SEP, 60);
        m_bar.EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_bar, AFX_IDW_DOCKBAR_TOP);
        RecalcLayout();
        CRect rectSep;
        m_bar.GetItemRect(1, rectSep);
        m_hBox = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, rectSep.left + 4, 2, 40,
                                   rectSep.Height() - 4, m_bar.m_hWnd, nullptr, nullptr, nullptr);
        EXPECT_NE(nullptr, m_hBox);
        UpdateWindow();
        PumpMessages();
    }
    ~CBarFrame() override {}
    void PostNcDestroy() override {}

    CQlcToolBar m_bar;
    HWND m_hBox = nullptr;
};

COLORREF PixelOf(HWND hWnd, int x, int y)
{
    HDC hdc = ::GetDC(hWnd);
    const COLORREF clr = ::GetPixel(hdc, x, y);
    ::ReleaseDC(hWnd, hdc);
    return clr;
}

} // namespace

TEST(QlcToolBarTest, TheBarPaintsTheButtonFaceAroundTheControlsOnIt)
{
    CBarFrame frame;
    CQlcToolBar& bar = frame.m_bar;
    CRect rectClient;
    bar.GetClientRect(rectClient);
    ASSERT_GT(rectClient.Width(), 0);
    CRect rectBox;
    ::GetWindowRect(frame.m_hBox, rectBox);
    bar.ScreenToClient(rectBox);
    const CPoint ptBox = rectBox.CenterPoint();
    // The box is drawn in the window frame colour.
    const COLORREF clrBox = PixelOf(bar.m_hWnd, ptBox.x, ptBox.y);
    ASSERT_NE(::GetSysColor(COLOR_BTNFACE), clrBox);

    // The bar alone painted again, as when a button changes: its own
    // background is the button face, the box on it is left as it is.
    bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpMessages();
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), PixelOf(bar.m_hWnd, rectClient.right - 3, rectClient.CenterPoint().y));
    EXPECT_EQ(clrBox, PixelOf(bar.m_hWnd, ptBox.x, ptBox.y));

    // What the bar paints behind its buttons: the face over its whole
    // client area (a docked bar keeps its gripper beside that area).
    HDC hdcBar = ::GetDC(bar.m_hWnd);
    CDC dc;
    dc.Attach(::CreateCompatibleDC(hdcBar));
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hdcBar, rectClient.Width(), rectClient.Height());
    ::ReleaseDC(bar.m_hWnd, hdcBar);
    HGDIOBJ hOld = ::SelectObject(dc.GetSafeHdc(), hBitmap);
    dc.FillSolidRect(rectClient, RGB(255, 0, 255));
    bar.DoPaint(&dc);
    int nOther = 0;
    for (int y = 0; y < rectClient.Height(); y++)
        for (int x = 0; x < rectClient.Width(); x++)
            nOther += ::GetPixel(dc.GetSafeHdc(), x, y) != ::GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(0, nOther);
    ::SelectObject(dc.GetSafeHdc(), hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(dc.Detach());
    frame.DestroyWindow();
}
