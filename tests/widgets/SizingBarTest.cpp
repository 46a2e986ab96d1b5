// Sizing bars in a real frame, driven by the messages the mouse would send:
// edges and hit tests, resizing by the outer and the inner edges, bars
// sharing a row, rows too short for their bars, the sizes in the profile,
// the close button, floating and docking again, and the mouse capture.
#include "widgets/CSCBMiniDockFrameWnd.h"
#include "widgets/CSizingControlBarCF.h"

#include "WindowTestSupport.h"

#include "framework/docview/CWinApp.h"
#include "framework/ui/CDockBar.h"
#include "framework/ui/CDockContext.h"
#include "framework/ui/CDockState.h"
#include "framework/ui/CToolBar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

// Readable values in failure messages.
void PrintTo(const CRect& r, std::ostream* os)
{
    *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
void PrintTo(const CSize& s, std::ostream* os)
{
    *os << s.cx << "x" << s.cy;
}
void PrintTo(const CPoint& p, std::ostream* os)
{
    *os << "(" << p.x << "," << p.y << ")";
}

namespace {

class CBarTestApp : public CWinApp
{
};

CBarTestApp& BarTestApp()
{
    static CBarTestApp* s_pApp = nullptr;
    if (s_pApp == nullptr)
    {
        s_pApp = new CBarTestApp;
        s_pApp->SetAppName("Sizing Bar Test");
        s_pApp->SetRegistryKey("QuillcrestTests");
    }
    return *s_pApp;
}

void DeleteTestProfile()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuillcrestTests\\Sizing Bar Test");
}

// Ends the process when the guarded code does not return in time: a layout
// that loops forever fails the test instead of hanging the run.
class CWatchdog
{
public:
    explicit CWatchdog(int nSeconds)
        : m_thread([this, nSeconds]() {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_cv.wait_for(lock, std::chrono::seconds(nSeconds), [this]() { return m_bDone; }))
              {
                  fprintf(stderr, "watchdog: the guarded layout did not end\n");
                  fflush(stderr);
                  ::TerminateProcess(::GetCurrentProcess(), 3);
              }
          })
    {
    }
    ~CWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bDone = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bDone = false;
    std::thread m_thread;
};

CRect WindowRectOf(CWnd& wnd)
{
    CRect rect;
    wnd.GetWindowRect(rect);
    return rect;
}

LPARAM ScreenLParam(CPoint pt)
{
    return MAKELPARAM((short)pt.x, (short)pt.y);
}

LPARAM ClientLParam(CWnd& wnd, CPoint ptScreen)
{
    wnd.ScreenToClient(&ptScreen);
    return MAKELPARAM((short)ptScreen.x, (short)ptScreen.y);
}

class SizingBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BarTestApp();
        DeleteTestProfile();
        pFrame = new CFrameWnd;
        ASSERT_TRUE(pFrame->Create(nullptr, "Bars", WS_OVERLAPPEDWINDOW, CRect(40, 40, 640, 520)));
        pFrame->EnableDocking(CBRS_ALIGN_ANY);
        pFrame->m_pFloatingFrameClass = RUNTIME_CLASS(CSCBMiniDockFrameWnd);
        pFrame->ShowWindow(SW_SHOW);
        pFrame->UpdateWindow();
    }
    void TearDown() override
    {
        if (::GetCapture() != nullptr)
            ::ReleaseCapture();
        if (pFrame != nullptr && ::IsWindow(pFrame->m_hWnd))
            pFrame->DestroyWindow();
        PumpMessages();
        DeleteTestProfile();
    }

    // A captioned bar with a child that fills it, docked on one side.
    void MakeBar(CSizingControlBarCF& bar, UINT nID, LPCSTR lpszTitle, DWORD dwDockStyle, UINT nDockBarID)
    {
        ASSERT_TRUE(bar.Create(lpszTitle, pFrame, nID, WS_CHILD | WS_VISIBLE | CBRS_TOP));
        bar.SetSCBStyle(SCBS_SIZECHILD);
        HWND hChild = ::CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0, 0, 10, 10,
                                        bar.m_hWnd, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, hChild);
        bar.SetBarStyle(bar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
        bar.EnableDocking(dwDockStyle);
        pFrame->DockControlBar(&bar, nDockBarID);
    }

    // What the program's message loop does when it is idle.
    void Idle()
    {
        pFrame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
        pFrame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }

    // The client size of the frame becomes cx x cy.
    void SetClientSize(int cx, int cy)
    {
        CRect rect(0, 0, cx, cy);
        ::AdjustWindowRectEx(rect, pFrame->GetStyle(), ::GetMenu(pFrame->m_hWnd) != nullptr, pFrame->GetExStyle());
        pFrame->SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER);
    }

    // Presses on an edge, moves by (dx, dy) and releases, as the mouse does.
    void DragEdge(CSizingControlBar& bar, UINT nHitTest, CPoint ptStart, int dx, int dy)
    {
        ASSERT_EQ((LRESULT)nHitTest, bar.SendMessage(WM_NCHITTEST, 0, ScreenLParam(ptStart)));
        bar.SendMessage(WM_NCLBUTTONDOWN, nHitTest, ScreenLParam(ptStart));
        ASSERT_TRUE(bar.IsTracking());
        EXPECT_EQ(bar.m_hWnd, ::GetCapture());
        const CPoint ptEnd(ptStart.x + dx, ptStart.y + dy);
        bar.SendMessage(WM_MOUSEMOVE, 0, ClientLParam(bar, ptEnd));
        bar.SendMessage(WM_LBUTTONUP, 0, ClientLParam(bar, ptEnd));
        EXPECT_FALSE(bar.IsTracking());
        Idle();
    }

    CFrameWnd* pFrame = nullptr;
};

} // namespace

TEST_F(SizingBarTest, ALoneBottomBarResizesByItsTopEdgeOnly)
{
    CSizingControlBarCF bar;
    MakeBar(bar, 0xE880, "Tasks", CBRS_ALIGN_BOTTOM, AFX_IDW_DOCKBAR_BOTTOM);
    pFrame->RecalcLayout();
    EXPECT_EQ((UINT)AFX_IDW_DOCKBAR_BOTTOM, bar.GetDockBarID());
    EXPECT_TRUE(bar.IsHorzDocked());
    EXPECT_EQ((DWORD)(SCBS_EDGETOP | SCBS_SIZECHILD), bar.GetSCBStyle());

    // It spans the frame (2 pixels hidden at either side), 200 high.
    CRect rcClient;
    pFrame->GetClientRect(rcClient);
    const CRect rcBar = WindowRectOf(bar);
    EXPECT_EQ(rcClient.Width() + 4, rcBar.Width());
    EXPECT_EQ(200, rcBar.Height());
    // The child fills the client area, below the edge, beside the caption.
    CRect rcChild, rcBarClient;
    ::GetWindowRect(::GetWindow(bar.m_hWnd, GW_CHILD), rcChild);
    EXPECT_EQ(bar.m_hWnd, ::GetParent(::GetWindow(bar.m_hWnd, GW_CHILD)));
    bar.GetClientRect(rcBarClient);
    bar.ClientToScreen(rcBarClient);
    EXPECT_EQ(rcBarClient, rcChild);
    EXPECT_EQ(rcBar.top + 5, rcBarClient.top);
    EXPECT_EQ(rcBar.left + 5 + CSizingControlBarG::kGripperDepth, rcBarClient.left);

    // Hit tests: the top strip is the edge, the rest is the bar's.
    const CPoint ptTop(rcBar.CenterPoint().x, rcBar.top + 2);
    EXPECT_EQ((LRESULT)HTTOP, bar.SendMessage(WM_NCHITTEST, 0, ScreenLParam(ptTop)));
    EXPECT_EQ((LRESULT)HTCLIENT, bar.SendMessage(WM_NCHITTEST, 0, ScreenLParam(CPoint(rcBar.left + 2, rcBar.CenterPoint().y))));
    EXPECT_EQ((LRESULT)HTCLIENT, bar.SendMessage(WM_NCHITTEST, 0, ScreenLParam(CPoint(rcBar.right - 2, rcBar.CenterPoint().y))));
    EXPECT_EQ((LRESULT)HTCLIENT, bar.SendMessage(WM_NCHITTEST, 0, ScreenLParam(CPoint(rcBar.CenterPoint().x, rcBar.bottom - 3))));
    // The close button answers as such.
    CRect rcClose = bar.GetCloseRect();
    rcClose.OffsetRect(rcBar.left, rcBar.top);
    EXPECT_EQ((LRESULT)HTCLOSE, bar.SendMessage(WM_NCHITTEST, 0, ScreenLParam(rcClose.CenterPoint())));

    // Up by 50: 50 higher.
    DragEdge(bar, HTTOP, ptTop, 0, -50);
    EXPECT_EQ(250, bar.m_szHorz.cy);
    EXPECT_EQ(250, WindowRectOf(bar).Height());

    // Far down: no lower than the minimum.
    const CPoint ptTop2(WindowRectOf(bar).CenterPoint().x, WindowRectOf(bar).top + 2);
    DragEdge(bar, HTTOP, ptTop2, 0, 1000);
    EXPECT_EQ(bar.m_szMinHorz.cy, bar.m_szHorz.cy);
    EXPECT_EQ(32, WindowRectOf(bar).Height());

    // Far up: no higher than the frame's client area leaves.
    const CPoint ptTop3(WindowRectOf(bar).CenterPoint().x, WindowRectOf(bar).top + 2);
    DragEdge(bar, HTTOP, ptTop3, 0, -5000);
    EXPECT_EQ(rcClient.Height() + 32 - 30 - 2, bar.m_szHorz.cy); // free height (less the bar's 30) less 2
}

TEST_F(SizingBarTest, TwoBarsShareALeftRowAndTheirBoundaryMovesOneAgainstTheOther)
{
    CSizingControlBarCF bar1, bar2;
    MakeBar(bar1, 0xE881, "One", CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_LEFT);
    MakeBar(bar2, 0xE882, "Two", CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_LEFT);
    CDockBar* pLeft = pFrame->GetDockBar(AFX_IDW_DOCKBAR_LEFT);
    ASSERT_NE(nullptr, pLeft);
    // One row: bar 2 joins bar 1's.
    pLeft->DockControlBarInRow(&bar2, 0);
    bar2.m_szVert.cx = 120; // the row takes its widest bar's width
    pFrame->RecalcLayout();
    pFrame->RecalcLayout();
    int nRow1, nIndex1, nRow2, nIndex2;
    pLeft->GetBarPosition(&bar1, nRow1, nIndex1);
    pLeft->GetBarPosition(&bar2, nRow2, nIndex2);
    EXPECT_EQ(nRow1, nRow2);
    EXPECT_EQ(0, nIndex1);
    EXPECT_EQ(1, nIndex2);
    EXPECT_EQ(bar1.m_szVert.cx, bar2.m_szVert.cx);

    // The row's length is dealt out: they follow one another (sharing 2
    // pixels) down the left side.
    CRect rcClient;
    pFrame->GetClientRect(rcClient);
    CRect rc1 = WindowRectOf(bar1), rc2 = WindowRectOf(bar2);
    EXPECT_EQ(rc1.bottom - 2, rc2.top);
    EXPECT_EQ(rcClient.Height(), rc1.Height() + rc2.Height() - 2);
    EXPECT_EQ(rc1.left, rc2.left);

    // Edges: the inner ones between them, the outer one on the right.
    EXPECT_EQ((DWORD)(SCBS_EDGEBOTTOM | SCBS_EDGERIGHT), bar1.GetSCBStyle() & SCBS_EDGEALL);
    EXPECT_EQ((DWORD)(SCBS_EDGETOP | SCBS_EDGERIGHT), bar2.GetSCBStyle() & SCBS_EDGEALL);
    const CPoint ptBoundary(rc1.CenterPoint().x, rc1.bottom - 2);
    EXPECT_EQ((LRESULT)HTBOTTOM, bar1.SendMessage(WM_NCHITTEST, 0, ScreenLParam(ptBoundary)));
    EXPECT_EQ((LRESULT)HTTOP, bar2.SendMessage(WM_NCHITTEST, 0, ScreenLParam(CPoint(rc2.CenterPoint().x, rc2.top + 2))));
    // The outer edge runs the whole length; the inner ones stop short of it.
    EXPECT_EQ((LRESULT)HTRIGHT, bar2.SendMessage(WM_NCHITTEST, 0, ScreenLParam(CPoint(rc2.right - 2, rc2.top + 2))));
    EXPECT_EQ((LRESULT)HTTOP, bar2.SendMessage(WM_NCHITTEST, 0, ScreenLParam(CPoint(rc2.right - 6, rc2.top + 2))));

    // Bar 1's bottom edge down by 30: bar 1 longer, bar 2 shorter by as much.
    const int nLength1 = bar1.m_szVert.cy, nLength2 = bar2.m_szVert.cy;
    DragEdge(bar1, HTBOTTOM, ptBoundary, 0, 30);
    EXPECT_EQ(nLength1 + 30, bar1.m_szVert.cy);
    EXPECT_EQ(nLength2 - 30, bar2.m_szVert.cy);
    rc1 = WindowRectOf(bar1);
    rc2 = WindowRectOf(bar2);
    EXPECT_EQ(rc1.bottom - 2, rc2.top);

    // Far down: bar 2 keeps its minimum length.
    DragEdge(bar1, HTBOTTOM, CPoint(rc1.CenterPoint().x, rc1.bottom - 2), 0, 2000);
    EXPECT_EQ(bar2.m_szMinVert.cy, bar2.m_szVert.cy);
    EXPECT_EQ(nLength1 + nLength2 - bar2.m_szMinVert.cy, bar1.m_szVert.cy);

    // The outer edge widens both.
    rc1 = WindowRectOf(bar1);
    DragEdge(bar1, HTRIGHT, CPoint(rc1.right - 2, rc1.CenterPoint().y), 40, 0);
    EXPECT_EQ(240, bar1.m_szVert.cx);
    EXPECT_EQ(240, bar2.m_szVert.cx);
    EXPECT_EQ(240, WindowRectOf(bar2).Width());
}

TEST_F(SizingBarTest, ARowTooShortForItsBarsEnds)
{
    // Two toolbars and two sizing bars in one top row, the frame just wide
    // enough for the sum of their least lengths: what is missing can be
    // dealt to no bar, and the layout must still end.
    CToolBar tb1, tb2;
    const UINT ids[] = { 0x9001, 0x9002, 0x9003 };
    ASSERT_TRUE(tb1.CreateEx(pFrame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_SIZE_DYNAMIC,
                             CRect(0, 0, 0, 0), 0xE890));
    ASSERT_TRUE(tb2.CreateEx(pFrame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_SIZE_DYNAMIC,
                             CRect(0, 0, 0, 0), 0xE891));
    tb1.SetButtons(ids, 3);
    tb2.SetButtons(ids, 2);
    tb1.EnableDocking(CBRS_ALIGN_ANY);
    tb2.EnableDocking(CBRS_ALIGN_ANY);
    pFrame->DockControlBar(&tb1, AFX_IDW_DOCKBAR_TOP);
    pFrame->DockControlBar(&tb2, AFX_IDW_DOCKBAR_TOP);
    CSizingControlBarCF bar1, bar2;
    MakeBar(bar1, 0xE883, "One", CBRS_ALIGN_ANY, AFX_IDW_DOCKBAR_TOP);
    MakeBar(bar2, 0xE884, "Two", CBRS_ALIGN_ANY, AFX_IDW_DOCKBAR_TOP);
    CDockBar* pTop = pFrame->GetDockBar(AFX_IDW_DOCKBAR_TOP);
    pTop->DockControlBarInRow(&tb1, 0);
    pTop->DockControlBarInRow(&tb2, 0);
    pTop->DockControlBarInRow(&bar1, 0);
    pTop->DockControlBarInRow(&bar2, 0);
    bar1.m_szHorz.cx = bar2.m_szHorz.cx = 100;
    SetClientSize(900, 400);
    pFrame->RecalcLayout();
    const int t1 = WindowRectOf(tb1).Width(), t2 = WindowRectOf(tb2).Width();
    ASSERT_GT(t1, 0);
    ASSERT_GT(t2, 0);
    // A layout that loops forever ends the test run (with a failure).
    auto LayOutAtWidth = [&](int cx) {
        CWatchdog watchdog(20);
        SetClientSize(cx, 400);
        pFrame->RecalcLayout();
        Idle();
    };

    LayOutAtWidth(t1 + t2 + 58);
    // Still one row, both sizing bars at their least length.
    int nRow1, nIndex1, nRow2, nIndex2;
    pTop->GetBarPosition(&tb1, nRow1, nIndex1);
    pTop->GetBarPosition(&bar2, nRow2, nIndex2);
    EXPECT_EQ(nRow1, nRow2);
    EXPECT_EQ(bar1.m_szMinHorz.cx, bar1.m_szHorz.cx);
    EXPECT_EQ(bar2.m_szMinHorz.cx, bar2.m_szHorz.cx);

    // Room for the first sizing bar's least length but not the second's:
    // the second goes to a row of its own.
    LayOutAtWidth(t1 + t2 + 40);
    int nRowTb, nRowBar1, nRowBar2, nIndex;
    pTop->GetBarPosition(&tb1, nRowTb, nIndex);
    pTop->GetBarPosition(&bar1, nRowBar1, nIndex);
    pTop->GetBarPosition(&bar2, nRowBar2, nIndex);
    EXPECT_EQ(nRowTb, nRowBar1);
    EXPECT_EQ(nRowBar1 + 1, nRowBar2);
    EXPECT_EQ(0, nIndex);
    EXPECT_EQ(WindowRectOf(bar1).bottom - 2, WindowRectOf(bar2).top);
    tb1.DestroyWindow();
    tb2.DestroyWindow();
}

TEST_F(SizingBarTest, SizesGoToTheProfileAndComeBackNoSmallerThanTheMinimum)
{
    // Not docked, so no layout changes what was read.
    CSizingControlBarCF bar, fresh;
    ASSERT_TRUE(bar.Create("Help", pFrame, 0xE885));
    ASSERT_TRUE(fresh.Create("Fresh", pFrame, 0xE886));
    bar.m_szHorz = CSize(310, 120);
    bar.m_szVert = CSize(150, 400);
    bar.m_szFloat = CSize(260, 330);
    bar.StoreBarState("BarTest");
    CWinApp& app = BarTestApp();
    EXPECT_EQ(150u, app.GetProfileInt("BarTest-SCBar-59525", "sizeVertCX", 0));
    EXPECT_EQ(330u, app.GetProfileInt("BarTest-SCBar-59525", "sizeFloatCY", 0));

    bar.m_szHorz = bar.m_szVert = bar.m_szFloat = CSize(1, 1);
    CSizingControlBar::RestoreAllBarStates(pFrame, "BarTest");
    EXPECT_EQ(CSize(310, 120), bar.m_szHorz);
    EXPECT_EQ(CSize(150, 400), bar.m_szVert);
    EXPECT_EQ(CSize(260, 330), bar.m_szFloat);

    // Stored too small: raised to the minimum; missing: kept (200 at first).
    app.WriteProfileInt("Small-SCBar-59525", "sizeHorzCX", 10);
    app.WriteProfileInt("Small-SCBar-59525", "sizeHorzCY", 10);
    app.WriteProfileInt("Small-SCBar-59525", "sizeFloatCX", -40);
    bar.RestoreBarState("Small");
    EXPECT_EQ(CSize(33, 32), bar.m_szHorz);
    EXPECT_EQ(CSize(150, 400), bar.m_szVert);
    EXPECT_EQ(37, bar.m_szFloat.cx);
    fresh.RestoreBarState("Small");
    EXPECT_EQ(CSize(200, 200), fresh.m_szVert);
    EXPECT_EQ(CSize(200, 200), fresh.m_szFloat);

    // A floating frame stored for the bar keeps its place: the frame keeps
    // it when it drops its caption, so nothing may creep at each start.
    CDockState state;
    CControlBarInfo* pInfo = new CControlBarInfo;
    pInfo->m_nBarID = 0xE885;
    pInfo->m_bFloating = TRUE;
    pInfo->m_pointPos = CPoint(100, 100);
    pInfo->m_arrBarID.Add((void*)(UINT_PTR)0xE885);
    state.m_arrBarInfo.Add(pInfo);
    state.SaveState("Moved");
    bar.RestoreBarState("Moved");
    CControlBarInfo reread;
    ASSERT_TRUE(reread.LoadState("Moved", 0));
    EXPECT_EQ(CPoint(100, 100), reread.m_pointPos);
}

TEST_F(SizingBarTest, TheCloseButtonHidesAndCloseDoesNothing)
{
    CSizingControlBarCF bar;
    MakeBar(bar, 0xE887, "Tasks", CBRS_ALIGN_BOTTOM, AFX_IDW_DOCKBAR_BOTTOM);
    pFrame->RecalcLayout();
    bar.SendMessage(WM_CLOSE);
    EXPECT_TRUE(::IsWindow(bar.m_hWnd));
    EXPECT_TRUE(bar.IsWindowVisible());

    CRect rcClose = bar.GetCloseRect();
    const CRect rcBar = WindowRectOf(bar);
    rcClose.OffsetRect(rcBar.left, rcBar.top);
    bar.SendMessage(WM_NCLBUTTONDOWN, HTCLOSE, ScreenLParam(rcClose.CenterPoint()));
    EXPECT_TRUE(bar.IsWindowVisible()); // pressing only shows it pushed
    bar.SendMessage(WM_NCLBUTTONUP, HTCLOSE, ScreenLParam(rcClose.CenterPoint()));
    EXPECT_TRUE(::IsWindow(bar.m_hWnd));
    EXPECT_FALSE(bar.IsWindowVisible());
    // The frame gave the room back.
    EXPECT_EQ(0, WindowRectOf(*pFrame->GetDockBar(AFX_IDW_DOCKBAR_BOTTOM)).Height());

    // Shown again through the frame, at its old size.
    pFrame->ShowControlBar(&bar, TRUE, TRUE);
    Idle();
    EXPECT_TRUE(bar.IsWindowVisible());
    EXPECT_EQ(200, WindowRectOf(bar).Height());
}

TEST_F(SizingBarTest, FloatingDropsTheFrameCaptionAndDockingComesBack)
{
    CSizingControlBarCF bar;
    MakeBar(bar, 0xE888, "Help", CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_LEFT);
    pFrame->RecalcLayout();
    bar.m_szFloat = CSize(240, 300);

    pFrame->FloatControlBar(&bar, CPoint(200, 150), CBRS_ALIGN_LEFT);
    EXPECT_TRUE(bar.IsFloating());
    EXPECT_EQ((UINT)AFX_IDW_DOCKBAR_FLOAT, bar.GetDockBarID());
    CSCBMiniDockFrameWnd* pMini = DYNAMIC_DOWNCAST(CSCBMiniDockFrameWnd, bar.GetParentFrame());
    ASSERT_NE(nullptr, pMini);
    EXPECT_EQ(&bar, pMini->GetSizingBar());
    // No caption or system menu of its own; a sizing border.
    EXPECT_EQ(0u, pMini->GetStyle() & (WS_CAPTION | WS_SYSMENU | MFS_4THICKFRAME));
    EXPECT_NE(0u, pMini->GetStyle() & WS_THICKFRAME);
    // Its system menu hides the bar rather than closing anything.
    char szClose[32] = "";
    ::GetMenuStringA(::GetSystemMenu(pMini->m_hWnd, FALSE), SC_CLOSE, szClose, sizeof(szClose), MF_BYCOMMAND);
    EXPECT_STREQ("&Hide", szClose);
    pMini->SendMessage(WM_CLOSE);
    EXPECT_FALSE(bar.IsWindowVisible());
    EXPECT_FALSE(pMini->IsWindowVisible());
    pFrame->ShowControlBar(&bar, TRUE, FALSE);
    EXPECT_TRUE(pMini->IsWindowVisible());
    // Laid out at idle time: the client area holds the bar less 2 pixels a side.
    Idle();
    CRect rcMiniClient;
    pMini->GetClientRect(rcMiniClient);
    EXPECT_EQ(CSize(236, 296), rcMiniClient.Size());
    EXPECT_EQ(CSize(240, 300), WindowRectOf(bar).Size());
    // No edges while floating.
    EXPECT_EQ((LRESULT)HTCLIENT, bar.SendMessage(WM_NCHITTEST, 0, ScreenLParam(WindowRectOf(bar).TopLeft() + CPoint(3, 3))));
    // Sized by its border: the floating size follows.
    pMini->SetWindowPos(nullptr, 0, 0, WindowRectOf(*pMini).Width() + 20, WindowRectOf(*pMini).Height() + 10,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(CSize(260, 310), bar.m_szFloat);

    // A double-click on its caption docks it where it was.
    const HWND hMini = pMini->m_hWnd;
    bar.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 4));
    EXPECT_FALSE(bar.IsFloating());
    EXPECT_EQ((UINT)AFX_IDW_DOCKBAR_LEFT, bar.GetDockBarID());
    EXPECT_FALSE(::IsWindow(hMini));
}

TEST_F(SizingBarTest, DraggingTheCaptionFloatsTheBarAndDropsItOnAnEdge)
{
    CSizingControlBarCF bar;
    MakeBar(bar, 0xE889, "Help", CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_LEFT);
    pFrame->RecalcLayout();
    bar.m_szFloat = CSize(180, 220);
    const CRect rcBar = WindowRectOf(bar);
    CRect rcFrame;
    pFrame->GetWindowRect(rcFrame);

    // Pressed on the caption and dragged into the middle of the frame.
    const CPoint ptStart(rcBar.left + 30, rcBar.top + 8);
    const CPoint ptMiddle = rcFrame.CenterPoint() + CPoint(40, 0);
    bar.PostMessage(WM_MOUSEMOVE, 0, ClientLParam(bar, ptMiddle));
    bar.PostMessage(WM_LBUTTONUP, 0, ClientLParam(bar, ptMiddle));
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, ClientLParam(bar, ptStart));
    EXPECT_TRUE(bar.IsFloating());
    EXPECT_EQ(nullptr, ::GetCapture());
    Idle();
    EXPECT_EQ(CSize(180, 220), WindowRectOf(bar).Size());
    // Its frame contains the point it was dropped at.
    EXPECT_TRUE(WindowRectOf(*bar.GetParentFrame()).PtInRect(ptMiddle));
    // The left edge keeps its place.
    CDockBar* pLeft = pFrame->GetDockBar(AFX_IDW_DOCKBAR_LEFT);
    EXPECT_GE(pLeft->FindPlaceHolder(0xE889), 1);

    // Escape cancels a drag.
    const CRect rcFloat = WindowRectOf(bar);
    bar.PostMessage(WM_MOUSEMOVE, 0, ClientLParam(bar, rcFloat.TopLeft() + CPoint(60, 60)));
    bar.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, ClientLParam(bar, rcFloat.TopLeft() + CPoint(20, 6)));
    EXPECT_TRUE(bar.IsFloating());
    EXPECT_EQ(rcFloat, WindowRectOf(bar));

    // Dropped on the right edge: docked there.
    const CRect rcRightDock = WindowRectOf(*pFrame->GetDockBar(AFX_IDW_DOCKBAR_RIGHT));
    const CPoint ptGrab = rcFloat.TopLeft() + CPoint(20, 6);
    const CPoint ptDrop(rcRightDock.left - 2, rcFrame.CenterPoint().y);
    bar.PostMessage(WM_MOUSEMOVE, 0, ClientLParam(bar, ptDrop));
    bar.PostMessage(WM_LBUTTONUP, 0, ClientLParam(bar, ptDrop));
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, ClientLParam(bar, ptGrab));
    EXPECT_FALSE(bar.IsFloating());
    EXPECT_EQ((UINT)AFX_IDW_DOCKBAR_RIGHT, bar.GetDockBarID());
    EXPECT_EQ(-1, pFrame->GetDockBar(AFX_IDW_DOCKBAR_RIGHT)->FindPlaceHolder(0xE889));
}

TEST_F(SizingBarTest, LosingTheCaptureEndsTheResizeAndLeavesTheOtherWindowItsCapture)
{
    CSizingControlBarCF bar;
    MakeBar(bar, 0xE88A, "Tasks", CBRS_ALIGN_BOTTOM, AFX_IDW_DOCKBAR_BOTTOM);
    pFrame->RecalcLayout();
    const CRect rcBar = WindowRectOf(bar);
    const CPoint ptTop(rcBar.CenterPoint().x, rcBar.top + 2);
    bar.SendMessage(WM_NCLBUTTONDOWN, HTTOP, ScreenLParam(ptTop));
    ASSERT_TRUE(bar.IsTracking());

    HWND hOther = ::GetWindow(bar.m_hWnd, GW_CHILD);
    ::SetCapture(hOther);
    EXPECT_FALSE(bar.IsTracking());
    EXPECT_EQ(hOther, ::GetCapture());
    ::ReleaseCapture();

    // A move after the end changes nothing.
    bar.SendMessage(WM_MOUSEMOVE, 0, ClientLParam(bar, ptTop + CPoint(0, -40)));
    Idle();
    EXPECT_EQ(200, bar.m_szHorz.cy);
}

TEST_F(SizingBarTest, TheCaptionIsActiveWhileTheFocusIsInsideAndTheButtonHotUnderTheCursor)
{
    CSizingControlBarCF bar;
    MakeBar(bar, 0xE88B, "Help", CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_LEFT);
    pFrame->RecalcLayout();
    pFrame->SetForegroundWindow();
    CRect rcClient;
    bar.GetClientRect(rcClient);
    bar.ClientToScreen(rcClient);
    const CRect rcBar = WindowRectOf(bar);
    rcClient.OffsetRect(-rcBar.left, -rcBar.top);
    // Docked at the left: the caption runs along the top, left of the button.
    const CRect rcCaption = bar.GetCaptionRect(rcClient);
    EXPECT_LT(rcCaption.bottom, rcClient.top);
    EXPECT_LT(rcCaption.right, bar.GetCloseRect().left);
    auto CaptionStart = [&]() {
        bar.SendMessage(WM_NCPAINT);
        HDC hdc = ::GetWindowDC(bar.m_hWnd);
        const COLORREF cr = ::GetPixel(hdc, rcCaption.left, rcCaption.CenterPoint().y);
        ::ReleaseDC(bar.m_hWnd, hdc);
        return cr;
    };

    ::SetFocus(pFrame->m_hWnd);
    Idle();
    EXPECT_FALSE(bar.IsActive());
    EXPECT_EQ(::GetSysColor(COLOR_INACTIVECAPTION), CaptionStart());
    ::SetFocus(::GetWindow(bar.m_hWnd, GW_CHILD));
    Idle();
    EXPECT_TRUE(bar.IsActive());
    EXPECT_EQ(::GetSysColor(COLOR_ACTIVECAPTION), CaptionStart());

    CRect rcClose = bar.GetCloseRect();
    rcClose.OffsetRect(rcBar.left, rcBar.top);
    ::SetCursorPos(rcClose.CenterPoint().x, rcClose.CenterPoint().y);
    Idle();
    EXPECT_TRUE(bar.IsCloseHot());
    EXPECT_FALSE(bar.IsClosePushed());
    ::SetCursorPos(rcBar.right + 200, rcBar.bottom + 200);
    Idle();
    EXPECT_FALSE(bar.IsCloseHot());
}
