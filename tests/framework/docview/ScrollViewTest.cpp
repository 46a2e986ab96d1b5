// The scroll view: bars shown only while the window is smaller than the
// total size, positions clamped to the range, and the drawing surface
// shifted by the position.
#include "WindowTestSupport.h"

#include "framework/docview/CScrollView.h"
#include "framework/gdi/CClientDC.h"

#include <gtest/gtest.h>

namespace {

class CTestScrollView : public CScrollView
{
public:
    int nDraws = 0;
    CPoint ptOriginSeen;
    void OnDraw(CDC* pDC) override
    {
        nDraws++;
        POINT pt;
        ::GetViewportOrgEx(pDC->m_hDC, &pt);
        ptOriginSeen = pt;
    }
};

struct ScrollFixture
{
    CWnd host;
    CTestScrollView* pView = new CTestScrollView; // deletes itself with its window
    ScrollFixture()
    {
        EXPECT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
        EXPECT_TRUE(pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 150), &host, 21230));
    }
    ~ScrollFixture() { host.DestroyWindow(); }
    BOOL HasBar(DWORD dwStyle) const { return (pView->GetStyle() & dwStyle) != 0; }
};

} // namespace

TEST(ScrollViewTest, BarsFollowTheWindowSizeAndPositionsStayInRange)
{
    ScrollFixture f;
    CTestScrollView& view = *f.pView;
    view.SetScrollSizes(MM_TEXT, CSize(1000, 800));
    EXPECT_TRUE(f.HasBar(WS_HSCROLL));
    EXPECT_TRUE(f.HasBar(WS_VSCROLL));
    EXPECT_EQ(CSize(1000, 800), view.GetTotalSize());

    view.ScrollToPosition(CPoint(300, 200));
    EXPECT_EQ(CPoint(300, 200), view.GetScrollPosition());
    // Beyond the end: the last position where the window is still full.
    view.ScrollToPosition(CPoint(5000, 5000));
    CRect rcClient;
    view.GetClientRect(&rcClient);
    EXPECT_EQ(CPoint(1000 - rcClient.Width(), 800 - rcClient.Height()), view.GetScrollPosition());

    // The drawing surface follows the position.
    view.ScrollToPosition(CPoint(120, 40));
    {
        CClientDC dc(&view);
        view.OnPrepareDC(&dc);
        POINT pt;
        ::GetViewportOrgEx(dc.m_hDC, &pt);
        EXPECT_EQ(-120, pt.x);
        EXPECT_EQ(-40, pt.y);
    }
    view.Invalidate();
    view.UpdateWindow();
    EXPECT_GT(view.nDraws, 0);
    EXPECT_EQ(CPoint(-120, -40), view.ptOriginSeen);

    // A window larger than the total: no bars, back to the start.
    view.MoveWindow(0, 0, 1200, 1000);
    EXPECT_FALSE(f.HasBar(WS_HSCROLL));
    EXPECT_FALSE(f.HasBar(WS_VSCROLL));
    EXPECT_EQ(CPoint(0, 0), view.GetScrollPosition());

    // Only one direction too large: only that bar.
    view.MoveWindow(0, 0, 300, 900);
    EXPECT_TRUE(f.HasBar(WS_HSCROLL));
    EXPECT_FALSE(f.HasBar(WS_VSCROLL));

    // 0 x 0: no bars whatever the size.
    view.MoveWindow(0, 0, 100, 100);
    view.SetScrollSizes(MM_TEXT, CSize(0, 0));
    EXPECT_FALSE(f.HasBar(WS_HSCROLL));
    EXPECT_FALSE(f.HasBar(WS_VSCROLL));
}

TEST(ScrollViewTest, ScrollMessagesMoveByLinePageAndThumb)
{
    ScrollFixture f;
    CTestScrollView& view = *f.pView;
    // Pages of 100, lines of 10 (a tenth of the page by default).
    view.SetScrollSizes(MM_TEXT, CSize(150, 100000), CSize(100, 100));
    view.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(10, view.GetScrollPosition().y);
    view.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    CRect rcClient;
    view.GetClientRect(&rcClient);
    EXPECT_EQ(10 + rcClient.Height(), view.GetScrollPosition().y); // a page is the window's height
    view.SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(100000 - rcClient.Height(), view.GetScrollPosition().y); // beyond 16 bits
    view.SendMessage(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(0, view.GetScrollPosition().y);
    view.SendMessage(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(0, view.GetScrollPosition().y);
}
