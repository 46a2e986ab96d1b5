// The image view through real notebook windows: fitting, zoom steps and
// their limits, quarter turns, drawing through the back buffer (and when it
// is rebuilt), zoom clicks on a scrolled and on a turned picture, pictures
// that do not decode, and a very thin picture at the highest zoom.
#include "NotebookWindowSupport.h"
#include "PrintTestSupport.h"

#include "app/CQlcScrollView.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CQlcNode.h"

#include "framework/docview/CPrintPreviewWnd.h"
#include "framework/gdi/CDC.h"

#include <functional>

namespace {

// A 24-bpp BMP file of w x h whose pixel (x, y) (top-down) has the colour.
std::string MakeBmp(int w, int h, const std::function<COLORREF(int, int)>& colour)
{
    const int nRow = (w * 3 + 3) & ~3;
    const DWORD dwBits = (DWORD)nRow * h;
    std::string bytes(14 + 40 + dwBits, '\0');
    BYTE* p = (BYTE*)&bytes[0];
    BITMAPFILEHEADER bf = {};
    bf.bfType = 0x4D42;
    bf.bfSize = (DWORD)bytes.size();
    bf.bfOffBits = 14 + 40;
    memcpy(p, &bf, 14);
    BITMAPINFOHEADER bi = {};
    bi.biSize = 40;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biSizeImage = dwBits;
    memcpy(p + 14, &bi, 40);
    for (int y = 0; y < h; ++y)
    {
        BYTE* row = p + 54 + (size_t)(h - 1 - y) * nRow;
        for (int x = 0; x < w; ++x)
        {
            const COLORREF c = colour(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    return bytes;
}

std::string SolidBmp(int w, int h, COLORREF c)
{
    return MakeBmp(w, h, [c](int, int) { return c; });
}

// A 32-bpp top-down picture the view draws into, read pixel by pixel.
class CCanvas
{
public:
    CCanvas(int w, int h) : m_w(w), m_h(h)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_hDC = ::CreateCompatibleDC(nullptr);
        m_hBitmap = ::CreateDIBSection(m_hDC, &bi, DIB_RGB_COLORS, (void**)&m_pBits, nullptr, 0);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        // What the view does not paint stays this colour.
        for (int i = 0; i < w * h; ++i)
            m_pBits[i] = 0x00123456;
        m_dc.Attach(m_hDC);
    }
    ~CCanvas()
    {
        m_dc.Detach();
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }
    CDC* DC() { return &m_dc; }
    COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        const DWORD v = m_pBits[y * m_w + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int Count(int x0, int y0, int x1, int y1, COLORREF c) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y) == c;
        return n;
    }

private:
    int m_w, m_h;
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    DWORD* m_pBits = nullptr;
    CDC m_dc;
};

class ImageViewTest : public NotebookWindowTest
{
protected:
    // Opens the notebook with an image node of these bytes in its window.
    CQlcScrollView* OpenImage(const std::string& bytes, BOOL bFit)
    {
        app.m_settings.m_nImageScaleToFit = bFit;
        CNotebookBuilder builder;
        builder.Node(QLC_NODE_IMAGE, "Picture", 0, bytes);
        builder.Note("Note", 0, "{\\rtf1 text\\par}");
        m_pDoc = OpenBuilt(builder);
        if (m_pDoc == nullptr)
            return nullptr;
        m_pFrame = FrameOf(m_pDoc);
        if (!m_pFrame->DisplayNode(TRUE, NodeIdByName(m_pDoc, "Picture")))
            return nullptr;
        PumpMessages();
        return m_pFrame->GetScrollView();
    }
    CSize ClientSize(CWnd* pWnd)
    {
        CRect rc;
        pWnd->GetClientRect(&rc);
        return CSize(rc.Width(), rc.Height());
    }
    void Click(CWnd* pWnd, UINT nMessage, UINT nKeys, int x, int y)
    {
        pWnd->SendMessage(nMessage, nKeys, MAKELPARAM(x, y));
    }

    CQuillcrestDoc* m_pDoc = nullptr;
    CChildFrame* m_pFrame = nullptr;
};

} // namespace

TEST(ImageViewFit, FitFactorCases)
{
    EXPECT_EQ(0.0, CQlcScrollView::GetFitFactor(0, 100, 10, 10));
    EXPECT_EQ(0.0, CQlcScrollView::GetFitFactor(100, -1, 10, 10));
    EXPECT_EQ(0.0, CQlcScrollView::GetFitFactor(100, 100, 0, 10));
    EXPECT_EQ(0.0, CQlcScrollView::GetFitFactor(100, 100, 10, -5));
    EXPECT_EQ(1.0, CQlcScrollView::GetFitFactor(100, 100, 100, 100));
    EXPECT_EQ(1.0, CQlcScrollView::GetFitFactor(100, 100, 3, 99));
    EXPECT_DOUBLE_EQ(0.1, CQlcScrollView::GetFitFactor(100, 100, 1000, 500));
    EXPECT_DOUBLE_EQ(0.25, CQlcScrollView::GetFitFactor(400, 100, 200, 400));
    // Too big one way only.
    EXPECT_DOUBLE_EQ(0.5, CQlcScrollView::GetFitFactor(100, 1000, 200, 10));
}

TEST_F(ImageViewTest, AnImageNodeOpensDecodedWithItsCommands)
{
    CQlcScrollView* pView = OpenImage(SolidBmp(30, 20, RGB(200, 10, 10)), TRUE);
    ASSERT_NE(nullptr, pView);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(pView, m_pFrame->GetContentView());
    EXPECT_TRUE(pView->IsLoaded());
    EXPECT_EQ(30, pView->GetDecodedImage().GetWidth());
    EXPECT_EQ(20, pView->GetDecodedImage().GetHeight());
    EXPECT_EQ(32, pView->GetDisplayImage().GetBitsPerPixel());
    EXPECT_EQ(1.0, pView->GetFitFactorValue());
    EXPECT_EQ(0u, pView->GetZoomLevel());
    EXPECT_EQ(0.0, pView->GetRotationAngle());
    EXPECT_NE(0u, pView->GetStyle() & WS_VISIBLE);

    for (UINT nID : { (UINT)ID_IMAGE_ROTATECW, (UINT)ID_IMAGE_ROTATEACW, (UINT)ID_IMAGE_ZOOM,
                      (UINT)ID_IMAGE_SCALETOFIT })
        EXPECT_EQ(1, QueryCommand(m_pFrame, nID).nEnabled) << nID;
    EXPECT_EQ(0, QueryCommand(m_pFrame, ID_IMAGE_ZOOM).nChecked);
    EXPECT_EQ(1, QueryCommand(m_pFrame, ID_IMAGE_SCALETOFIT).nChecked);

    // Zoom mode: the view's and the program's, and the next view starts in it.
    m_pFrame->SendMessage(WM_COMMAND, ID_IMAGE_ZOOM);
    EXPECT_TRUE(pView->GetZoomMode());
    EXPECT_EQ(1, app.m_settings.m_nZoomMode);
    EXPECT_EQ(1, QueryCommand(m_pFrame, ID_IMAGE_ZOOM).nChecked);
    m_pFrame->SendMessage(WM_COMMAND, ID_IMAGE_SCALETOFIT);
    EXPECT_EQ(0, app.m_settings.m_nImageScaleToFit);
    EXPECT_EQ(0, QueryCommand(m_pFrame, ID_IMAGE_SCALETOFIT).nChecked);

    // Another node: the commands go grey; the picture again: zoom mode kept.
    ASSERT_TRUE(m_pFrame->DisplayNode(TRUE, NodeIdByName(m_pDoc, "Note")));
    EXPECT_EQ(nullptr, m_pFrame->GetScrollView());
    for (UINT nID : { (UINT)ID_IMAGE_ROTATECW, (UINT)ID_IMAGE_ROTATEACW, (UINT)ID_IMAGE_ZOOM,
                      (UINT)ID_IMAGE_SCALETOFIT })
        EXPECT_EQ(0, QueryCommand(m_pFrame, nID).nEnabled) << nID;
    ASSERT_TRUE(m_pFrame->DisplayNode(TRUE, NodeIdByName(m_pDoc, "Picture")));
    ASSERT_NE(nullptr, m_pFrame->GetScrollView());
    EXPECT_TRUE(m_pFrame->GetScrollView()->GetZoomMode());
    app.m_settings.m_nZoomMode = 0;
}

TEST_F(ImageViewTest, ABigImageIsFittedWholeAndAZoomStepAddsScrollBars)
{
    // Ten times the window (the pane is under 1000 pixels wide).
    CQlcScrollView* pView = OpenImage(SolidBmp(10000, 200, RGB(0, 128, 0)), TRUE);
    ASSERT_NE(nullptr, pView);
    CRect rcWindow;
    pView->GetWindowRect(&rcWindow);
    EXPECT_DOUBLE_EQ((double)rcWindow.Width() / 10000, pView->GetFitFactorValue());
    EXPECT_EQ(0u, pView->GetStyle() & (WS_HSCROLL | WS_VSCROLL));
    const CRect rcShown = pView->GetShownRect();
    EXPECT_LE(rcShown.Width(), rcWindow.Width());
    EXPECT_GE(rcShown.Width(), ClientSize(pView).cx - 1);

    pView->ImageZoomMore(CPoint(0, 0));
    EXPECT_EQ(1u, pView->GetZoomLevel());
    EXPECT_NE(0u, pView->GetStyle() & WS_HSCROLL);
    EXPECT_NEAR(2 * rcShown.Width(), pView->GetShownRect().Width(), 2);
}

TEST_F(ImageViewTest, ZoomLevelsStopAtZeroAndFive)
{
    CQlcScrollView* pView = OpenImage(SolidBmp(8, 8, RGB(1, 2, 3)), FALSE);
    ASSERT_NE(nullptr, pView);
    for (int i = 0; i < 7; ++i)
        pView->ImageZoomMore(CPoint(1, 1));
    EXPECT_EQ(5u, pView->GetZoomLevel());
    EXPECT_DOUBLE_EQ(32.0, pView->GetScale());
    EXPECT_EQ(8 * 32, pView->GetShownRect().Width());
    for (int i = 0; i < 7; ++i)
        pView->ImageZoomLess(CPoint(1, 1));
    EXPECT_EQ(0u, pView->GetZoomLevel());
    EXPECT_DOUBLE_EQ(1.0, pView->GetScale());
}

TEST_F(ImageViewTest, QuarterTurnsComeBackToTheSamePixels)
{
    // Every pixel different, so a wrong turn shows.
    CQlcScrollView* pView =
        OpenImage(MakeBmp(7, 3, [](int x, int y) { return RGB(x * 30, y * 80, 7); }), FALSE);
    ASSERT_NE(nullptr, pView);
    PLWinBmp original;
    original = pView->GetDisplayImage();

    pView->RotateClockwise();
    EXPECT_EQ(3, pView->GetDisplayImage().GetWidth());
    EXPECT_EQ(7, pView->GetDisplayImage().GetHeight());
    EXPECT_EQ(3, pView->GetShownRect().Width());
    EXPECT_EQ(7, pView->GetShownRect().Height());
    EXPECT_FALSE(original == pView->GetDisplayImage());
    pView->RotateClockwise();
    pView->RotateClockwise();
    pView->RotateClockwise();
    EXPECT_EQ(0.0, pView->GetRotationAngle());
    EXPECT_TRUE(original == pView->GetDisplayImage());

    pView->RotateClockwise();
    pView->RotateAnticlockwise();
    EXPECT_EQ(0.0, pView->GetRotationAngle());
    EXPECT_TRUE(original == pView->GetDisplayImage());

    // Anticlockwise twice is half a turn, as clockwise twice is.
    pView->RotateAnticlockwise();
    pView->RotateAnticlockwise();
    PLWinBmp half;
    half = pView->GetDisplayImage();
    pView->RotateClockwise();
    pView->RotateClockwise();
    pView->RotateClockwise();
    pView->RotateClockwise();
    EXPECT_TRUE(half == pView->GetDisplayImage());
    // The decoded picture is never touched.
    EXPECT_EQ(7, pView->GetDecodedImage().GetWidth());
}

TEST_F(ImageViewTest, DrawingCentresThePictureOnTheHatchAndReusesTheBackBuffer)
{
    CQlcScrollView* pView = OpenImage(SolidBmp(40, 30, RGB(220, 0, 0)), FALSE);
    ASSERT_NE(nullptr, pView);
    const CSize client = ClientSize(pView);
    ASSERT_GT(client.cx, 100);
    ASSERT_GT(client.cy, 100);

    CCanvas canvas(client.cx, client.cy);
    pView->OnDraw(canvas.DC());
    // The corner shows the hatch (grey lines on white), the centre the picture.
    EXPECT_GT(canvas.Count(0, 0, 16, 16, RGB(192, 192, 192)), 8);
    EXPECT_EQ(0, canvas.Count(0, 0, 16, 16, RGB(0x12, 0x34, 0x56)));
    EXPECT_EQ(RGB(220, 0, 0), canvas.At(client.cx / 2, client.cy / 2));
    const CRect rcShown = pView->GetShownRect();
    EXPECT_EQ(client.cx / 2 - 20, rcShown.left);
    EXPECT_EQ(client.cy / 2 - 15, rcShown.top);
    EXPECT_EQ(RGB(220, 0, 0), canvas.At(rcShown.left, rcShown.top));
    EXPECT_EQ(RGB(220, 0, 0), canvas.At(rcShown.right - 1, rcShown.bottom - 1));
    EXPECT_NE(RGB(220, 0, 0), canvas.At(rcShown.left - 1, rcShown.top));
    EXPECT_NE(RGB(220, 0, 0), canvas.At(rcShown.right, rcShown.bottom));

    // Plain repaints reuse the buffer.
    const int nBuilt = pView->GetRebuildCount();
    pView->OnDraw(canvas.DC());
    pView->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(nBuilt, pView->GetRebuildCount());

    // A zoom step, a new size and changed options build it again.
    pView->ImageZoomMore(CPoint(0, 0));
    EXPECT_EQ(nBuilt + 1, pView->GetRebuildCount());
    pView->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(nBuilt + 1, pView->GetRebuildCount());
    CRect rcWindow;
    pView->GetWindowRect(&rcWindow);
    pView->SetWindowPos(nullptr, 0, 0, rcWindow.Width() - 20, rcWindow.Height() - 10,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pView->UpdateWindow();
    EXPECT_EQ(nBuilt + 2, pView->GetRebuildCount());
    pView->SendMessage(::RegisterWindowMessageA("Options Changed"));
    EXPECT_EQ(nBuilt + 3, pView->GetRebuildCount());

    CCanvas zoomed(client.cx, client.cy);
    pView->OnDraw(zoomed.DC());
    EXPECT_EQ(80, pView->GetShownRect().Width());
}

TEST_F(ImageViewTest, ZoomClicksFindTheImagePointThroughTheScrollPosition)
{
    // Bigger than the pane both ways.
    CQlcScrollView* pView = OpenImage(SolidBmp(2000, 1600, RGB(9, 9, 9)), FALSE);
    ASSERT_NE(nullptr, pView);
    ASSERT_NE(0u, pView->GetStyle() & WS_HSCROLL);
    ASSERT_NE(0u, pView->GetStyle() & WS_VSCROLL);

    // Zoom mode off: clicks on the picture do nothing.
    Click(pView, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    EXPECT_EQ(0u, pView->GetZoomLevel());

    pView->SetZoomMode(TRUE);
    pView->ScrollToPosition(CPoint(100, 50));
    ASSERT_EQ(CPoint(100, 50), pView->GetDeviceScrollPosition());
    Click(pView, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Click(pView, WM_LBUTTONUP, 0, 10, 10);
    EXPECT_EQ(1u, pView->GetZoomLevel());
    // Image point (110, 60), at twice the size.
    EXPECT_EQ(CPoint(220, 120), pView->GetDeviceScrollPosition());

    // The right button zooms out about the point under it: (220 + 40) / 2.
    Click(pView, WM_RBUTTONDOWN, MK_RBUTTON, 40, 40);
    EXPECT_EQ(0u, pView->GetZoomLevel());
    EXPECT_EQ(CPoint(130, 80), pView->GetDeviceScrollPosition());

    // A double click zooms twice: its button-down and the double click.
    Click(pView, WM_LBUTTONDOWN, MK_LBUTTON, 0, 0);
    Click(pView, WM_LBUTTONUP, 0, 0, 0);
    Click(pView, WM_LBUTTONDBLCLK, MK_LBUTTON, 0, 0);
    EXPECT_EQ(2u, pView->GetZoomLevel());
}

TEST_F(ImageViewTest, AZoomClickOnATurnedPictureUsesItsShownWidth)
{
    // 800 x 100 turned is 100 wide and 800 high: taller than the pane.
    CQlcScrollView* pView = OpenImage(SolidBmp(800, 100, RGB(5, 5, 200)), FALSE);
    ASSERT_NE(nullptr, pView);
    pView->RotateClockwise();
    ASSERT_EQ(100, pView->GetShownRect().Width());
    ASSERT_LT(ClientSize(pView).cy, 800);
    ASSERT_LT(200, ClientSize(pView).cx);
    pView->SetZoomMode(TRUE);
    const CRect rcShown = pView->GetShownRect();
    Click(pView, WM_LBUTTONDOWN, MK_LBUTTON, rcShown.left + 30, 40);
    EXPECT_EQ(1u, pView->GetZoomLevel());
    // Image point (30, 40): at twice the size, 80 down (no room across).
    EXPECT_EQ(CPoint(0, 80), pView->GetDeviceScrollPosition());

    // Beside the picture nothing happens.
    Click(pView, WM_LBUTTONDOWN, MK_LBUTTON, 2, 40);
    EXPECT_EQ(1u, pView->GetZoomLevel());
}

TEST_F(ImageViewTest, ThePictureDrawsWhereTheViewIsScrolled)
{
    // Top half white, bottom half black; rows of red every 100 lines.
    CQlcScrollView* pView = OpenImage(MakeBmp(300, 3000, [](int, int y) {
                                          return y % 100 == 0 ? RGB(255, 0, 0)
                                                              : (y < 1500 ? RGB(255, 255, 255) : RGB(0, 0, 0));
                                      }),
                                      FALSE);
    ASSERT_NE(nullptr, pView);
    const CSize client = ClientSize(pView);
    const int x = pView->GetShownRect().left + 150;
    pView->ScrollToPosition(CPoint(0, 2000));
    ASSERT_EQ(2000, pView->GetDeviceScrollPosition().y);
    CCanvas canvas(client.cx, client.cy);
    // The painting comes with the DC a paint would have: scrolled.
    pView->OnPrepareDC(canvas.DC());
    pView->OnDraw(canvas.DC());
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(x, 0));
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(x, 1));
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(x, 100));
    pView->ScrollToPosition(CPoint(0, 1450));
    pView->OnPrepareDC(canvas.DC());
    pView->OnDraw(canvas.DC());
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(x, 50));
    EXPECT_EQ(RGB(255, 255, 255), canvas.At(x, 49));
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(x, 51));
}

TEST_F(ImageViewTest, AThinPictureAtTheHighestZoomDrawsFromAWindowSizedBuffer)
{
    CQlcScrollView* pView = OpenImage(SolidBmp(4, 20000, RGB(0, 200, 100)), FALSE);
    ASSERT_NE(nullptr, pView);
    for (int i = 0; i < 5; ++i)
        pView->ImageZoomMore(CPoint(2, 10000));
    ASSERT_EQ(5u, pView->GetZoomLevel());
    EXPECT_EQ(CSize(128, 640000), pView->GetTotalSize());
    const CSize client = ClientSize(pView);
    pView->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_NE(nullptr, pView->GetBackBuffer());
    BITMAP bm = {};
    ASSERT_NE(0, ::GetObjectA(pView->GetBackBuffer(), sizeof(bm), &bm));
    EXPECT_EQ(client.cx, bm.bmWidth);
    EXPECT_EQ(client.cy, bm.bmHeight);

    CCanvas canvas(client.cx, client.cy);
    pView->OnPrepareDC(canvas.DC());
    pView->OnDraw(canvas.DC());
    const CRect rcShown = pView->GetShownRect();
    EXPECT_EQ(128, rcShown.Width());
    EXPECT_EQ(RGB(0, 200, 100), canvas.At(rcShown.left + 64, client.cy / 2));
    EXPECT_EQ(RGB(0, 200, 100), canvas.At(rcShown.left, 0));
    EXPECT_NE(RGB(0, 200, 100), canvas.At(rcShown.left - 1, 0));
}

TEST_F(ImageViewTest, APictureThatDoesNotDecodeGivesTheLoadWarning)
{
    for (const std::string& bytes :
         { std::string("this is not a picture of any kind at all, only words"),
           // A BMP header that promises far more than follows.
           SolidBmp(100, 100, RGB(1, 1, 1)).substr(0, 80),
           // Nothing at all.
           std::string() })
    {
        CNotebookBuilder builder;
        builder.Node(QLC_NODE_IMAGE, "Broken", 0, bytes);
        CQuillcrestDoc* pDoc = OpenBuilt(builder);
        ASSERT_NE(nullptr, pDoc);
        CChildFrame* pFrame = FrameOf(pDoc);
        TakeMessages();
        EXPECT_FALSE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Broken")));
        const std::vector<std::string> messages = TakeMessages();
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ("Warning: Could not load node data.", messages[0]);
        EXPECT_EQ(nullptr, pFrame->GetScrollView());
        EXPECT_EQ(pFrame->GetBlankView(), pFrame->GetContentView());
        EXPECT_EQ(CChildFrame::kNoNode, pFrame->GetShownNodeId());
        pDoc->OnCloseDocument();
    }
}

TEST_F(ImageViewTest, AnEncryptedPictureOpensWithItsPassword)
{
    ASSERT_TRUE(app.m_cryptHandler.Load());
    CNotebookBuilder builder;
    builder.Encrypt(builder.Node(QLC_NODE_IMAGE, "Secret", 0, SolidBmp(5, 6, RGB(3, 4, 5))), "pw");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CScriptedDialogs passwords([](CWnd* pDlg) {
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_PASSWORD_FIRST, "pw");
        ClickButton(pDlg, IDOK);
    });
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Secret")));
    ASSERT_NE(nullptr, pFrame->GetScrollView());
    EXPECT_EQ(6, pFrame->GetScrollView()->GetDecodedImage().GetHeight());
}

TEST_F(ImageViewTest, ASmoothShrinkDrawsTheRightPartsWhenScrolled)
{
    app.m_settings.m_nResizeBilinear = 1;
    // The left third red, the rest blue: a turned or shifted part shows.
    CQlcScrollView* pView = OpenImage(MakeBmp(3000, 1000, [](int x, int) {
                                          return x < 1000 ? RGB(255, 0, 0) : RGB(0, 0, 255);
                                      }),
                                      TRUE);
    ASSERT_NE(nullptr, pView);
    ASSERT_LT(pView->GetScale(), 0.5);
    const CSize client = ClientSize(pView);
    CCanvas canvas(client.cx, client.cy);
    pView->OnDraw(canvas.DC());
    const CRect rcShown = pView->GetShownRect();
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(rcShown.left + 2, rcShown.CenterPoint().y));
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(std::min<int>(rcShown.right, client.cx) - 3, rcShown.CenterPoint().y));

    // Twice the fitted size is still a shrink, now with scroll bars.
    pView->ImageZoomMore(CPoint(0, 0));
    ASSERT_LT(pView->GetScale(), 1.0);
    ASSERT_NE(0u, pView->GetStyle() & WS_HSCROLL);
    const int cxTotal = pView->GetTotalSize().cx;
    pView->ScrollToPosition(CPoint(cxTotal, 0));
    const CSize scrolled = ClientSize(pView);
    CCanvas right(scrolled.cx, scrolled.cy);
    pView->OnPrepareDC(right.DC());
    pView->OnDraw(right.DC());
    // Scrolled to the far right: only blue shows.
    const int y = pView->GetShownRect().CenterPoint().y - pView->GetDeviceScrollPosition().y;
    EXPECT_EQ(RGB(0, 0, 255), right.At(2, y));
    EXPECT_EQ(RGB(0, 0, 255), right.At(scrolled.cx - 3, y));
    pView->ScrollToPosition(CPoint(0, 0));
    pView->OnPrepareDC(right.DC());
    pView->OnDraw(right.DC());
    EXPECT_EQ(RGB(255, 0, 0), right.At(2, y));
    app.m_settings.m_nResizeBilinear = 0;
}

TEST_F(ImageViewTest, TabGoesBetweenTheTreeAndThePicture)
{
    CQlcScrollView* pView = OpenImage(SolidBmp(20, 20, RGB(1, 1, 1)), TRUE);
    ASSERT_NE(nullptr, pView);
    CQlcTreeCtrl* pTree = m_pFrame->GetTreeCtrl();
    pTree->SetFocus();
    PressKey(*pTree, VK_TAB);
    EXPECT_EQ(pView->m_hWnd, ::GetFocus());
    PressKey(*pView, VK_TAB);
    EXPECT_EQ(pTree->m_hWnd, ::GetFocus());
}

TEST_F(ImageViewTest, TheZoomCursorShowsOnlyOverThePictureInZoomMode)
{
    CQlcScrollView* pView = OpenImage(SolidBmp(60, 40, RGB(1, 1, 1)), FALSE);
    ASSERT_NE(nullptr, pView);
    const HCURSOR hZoom = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_ZOOM_CURSOR));
    ASSERT_NE(nullptr, hZoom);
    CPoint ptCentre = pView->GetShownRect().CenterPoint();
    pView->ClientToScreen(&ptCentre);
    ::SetCursorPos(ptCentre.x, ptCentre.y);
    const LPARAM lHit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    pView->SendMessage(WM_SETCURSOR, (WPARAM)pView->m_hWnd, lHit);
    EXPECT_NE(hZoom, ::GetCursor());

    pView->SetZoomMode(TRUE);
    EXPECT_TRUE(pView->SendMessage(WM_SETCURSOR, (WPARAM)pView->m_hWnd, lHit));
    EXPECT_EQ(hZoom, ::GetCursor());

    // Off the picture the zoom cursor goes again.
    CPoint ptCorner(1, 1);
    pView->ClientToScreen(&ptCorner);
    ::SetCursorPos(ptCorner.x, ptCorner.y);
    pView->SendMessage(WM_SETCURSOR, (WPARAM)pView->m_hWnd, lHit);
    EXPECT_NE(hZoom, ::GetCursor());
}

TEST_F(ImageViewTest, OnAPageThePictureIsCentredAtTheWindowsScaleWithoutBackground)
{
    CQlcScrollView* pView = OpenImage(SolidBmp(50, 30, RGB(0, 90, 180)), FALSE);
    ASSERT_NE(nullptr, pView);
    pView->ImageZoomMore(CPoint(0, 0));
    // A memory DC stands in for the printer: its page is the screen's size.
    HDC hScreen = ::GetDC(nullptr);
    const int cxPage = ::GetDeviceCaps(hScreen, HORZRES);
    const int cyPage = ::GetDeviceCaps(hScreen, VERTRES);
    ::ReleaseDC(nullptr, hScreen);
    CCanvas page(cxPage, cyPage);
    const int nBuilt = pView->GetRebuildCount();
    const CRect rcScreen = pView->GetShownRect();
    pView->DrawImage(page.DC(), TRUE);
    // Neither the back buffer nor the window's picture place changes.
    EXPECT_EQ(nBuilt, pView->GetRebuildCount());
    EXPECT_EQ(rcScreen, pView->GetShownRect());
    const CRect rcShown(cxPage / 2 - 50, cyPage / 2 - 30, cxPage / 2 + 50, cyPage / 2 + 30);
    EXPECT_EQ(RGB(0, 90, 180), page.At(rcShown.left, rcShown.top));
    EXPECT_EQ(RGB(0, 90, 180), page.At(rcShown.right - 1, rcShown.bottom - 1));
    // Nothing but the picture is drawn.
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), page.At(0, 0));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), page.At(rcShown.left - 1, rcShown.top));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), page.At(rcShown.right, rcShown.bottom));
}

namespace {

// Counts a page's records that draw a bitmap.
int CALLBACK CountBitmapRecords(HDC, HANDLETABLE*, const ENHMETARECORD* pRecord, int, LPARAM lParam)
{
    switch (pRecord->iType)
    {
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE:
        ++*reinterpret_cast<int*>(lParam);
        break;
    }
    return 1;
}

} // namespace

TEST_F(ImageViewTest, PrintPreviewFromTheTreeShowsThePictureOnOnePage)
{
    CQlcScrollView* pView = OpenImage(SolidBmp(50, 30, RGB(0, 90, 180)), FALSE);
    ASSERT_NE(nullptr, pView);
    CDisplayPrinter printer;
    m_pFrame->GetTreeCtrl()->SetFocus();
    EXPECT_EQ(1, QueryCommand(m_pFrame, ID_FILE_PRINT_PREVIEW).nEnabled);
    EXPECT_EQ(1, QueryCommand(m_pFrame, ID_FILE_PRINT).nEnabled);

    m_pMainFrame->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    PumpMessages();
    EXPECT_TRUE(TakeMessages().empty());
    CPrintPreviewWnd* pPreview = FindPrintPreview();
    ASSERT_NE(nullptr, pPreview);
    EXPECT_EQ(1u, pPreview->GetCurrentPage());
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(pPreview->GetToolBar(), AFX_ID_PREVIEW_NEXT)));
    int nBitmaps = 0;
    ::EnumEnhMetaFile(nullptr, pPreview->GetPageMetafile(1), CountBitmapRecords, &nBitmaps, nullptr);
    EXPECT_GE(nBitmaps, 1);

    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_CLOSE);
    EXPECT_EQ(nullptr, FindPrintPreview());
    EXPECT_EQ(pView, m_pFrame->GetScrollView());
    EXPECT_FALSE(m_pDoc->IsModified());
}
