// The main frame: placement at start, the tray, bar toggles, always on top,
// the options broadcast, the menus, the stored bar layout, the web commands
// and the status token.
#include "AppTestSupport.h"
#include "CUserInput.h"

#include "app/CAboutDlg.h"
#include "app/res/AboutDlgRes.h"
#include "app/res/Resource.h"

#include "core/CQlcStatus.h"

#include "widgets/CHyperLink.h"

#include "framework/ui/CDockState.h"
#include "framework/docview/CDocManager.h"
#include "framework/ui/CMDIChildWnd.h"
#include "framework/ui/CMenu.h"

#include "widgets/CSCBMiniDockFrameWnd.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class MainFrameTest : public ::testing::Test
{
protected:
    CQlcApp& app = TestApp();
    CMainFrame* pFrame = nullptr;

    void SetUp() override
    {
        DeleteProgramKey();
        app.m_settings = CQlcSettings();
        app.m_nCmdShow = SW_SHOWNORMAL;
        pFrame = MakeMainFrame();
        ASSERT_NE(nullptr, pFrame);
    }
    void TearDown() override
    {
        DestroyMainFrame();
        DeleteProgramKey();
    }
    // A command chosen from the menu: the frame gets it once the menu closes.
    void ChooseCommand(UINT nID)
    {
        pFrame->PostMessage(WM_COMMAND, nID);
        CUserInput::Pump();
    }
};

// Runs the loop for a while, as the program does between clicks.
void RunLoopFor(DWORD dwMilliseconds)
{
    const DWORD dwEnd = ::GetTickCount() + dwMilliseconds;
    while ((LONG)(::GetTickCount() - dwEnd) < 0)
    {
        CUserInput::Pump();
        ::Sleep(20);
    }
}

// A window that counts "Options Changed".
class CCountingWnd : public CWnd
{
public:
    int nOptionsChanged = 0;
    LRESULT OnOptionsChanged(WPARAM, LPARAM)
    {
        nOptionsChanged++;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingWnd, CWnd)
    ON_REGISTERED_MESSAGE(g_uOptionsChangedMsg, OnOptionsChanged)
END_MESSAGE_MAP()

// Update state of one command as a menu item would show it.
class CStateCmdUI : public CCmdUI
{
public:
    int nChecked = -1;
    int nEnabled = -1;
    void Enable(BOOL bOn) override { nEnabled = bOn; m_bEnableChanged = TRUE; }
    void SetCheck(int nCheck) override { nChecked = nCheck; }
};

CStateCmdUI QueryState(CFrameWnd* pFrame, UINT nID)
{
    CStateCmdUI state;
    state.m_nID = nID;
    state.DoUpdate(pFrame, TRUE);
    return state;
}

} // namespace

TEST_F(MainFrameTest, AStoredMinimisedOrHiddenPlacementRestoresAsNormal)
{
    for (UINT showCmd : { (UINT)SW_SHOWMINIMIZED, (UINT)SW_MINIMIZE, (UINT)SW_HIDE })
    {
        app.m_settings.m_wpLastPlacement = {};
        app.m_settings.m_wpLastPlacement.length = sizeof(WINDOWPLACEMENT);
        app.m_settings.m_wpLastPlacement.showCmd = showCmd;
        app.m_settings.m_wpLastPlacement.rcNormalPosition = { 40, 30, 640, 480 };
        app.PlaceMainWindow(pFrame);
        EXPECT_TRUE(pFrame->IsWindowVisible()) << showCmd;
        EXPECT_FALSE(pFrame->IsIconic()) << showCmd;
        WINDOWPLACEMENT wp;
        pFrame->GetWindowPlacement(&wp);
        EXPECT_EQ(600, wp.rcNormalPosition.right - wp.rcNormalPosition.left);
        pFrame->ShowWindow(SW_HIDE);
    }
}

TEST_F(MainFrameTest, StartInTrayEndsHiddenWithTheTrayIcon)
{
    TrayRecorder tray;
    app.m_settings.m_nStartInTray = 1;
    app.m_settings.m_wpLastPlacement.length = sizeof(WINDOWPLACEMENT);
    app.m_settings.m_wpLastPlacement.showCmd = SW_SHOWMAXIMIZED;
    app.m_settings.m_wpLastPlacement.rcNormalPosition = { 0, 0, 500, 400 };
    app.PlaceMainWindow(pFrame);
    EXPECT_FALSE(pFrame->IsWindowVisible());
    EXPECT_TRUE(pFrame->IsIconic());
    EXPECT_TRUE(pFrame->IsInTray());
    EXPECT_EQ(1, TrayRecorder::s_nAdds);
    EXPECT_EQ("Varlo Quillcrest", TrayRecorder::s_strTip);

    // A left click brings it back; the icon goes once the click is over.
    pFrame->SendMessage(CMainFrame::WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
    EXPECT_TRUE(pFrame->IsWindowVisible());
    EXPECT_FALSE(pFrame->IsInTray());
    RunLoopFor(::GetDoubleClickTime() + 300);
    EXPECT_EQ(1, TrayRecorder::s_nDeletes);
}

namespace {

// The taskbar of the tray: a window of its own, which a click activates.
class CTaskbar : public CWnd
{
public:
    CTaskbar() { CreateEx(0, AfxRegisterWndClass(0), "Taskbar", WS_POPUP | WS_VISIBLE, 0, 740, 1000, 28, nullptr, nullptr); }
    ~CTaskbar() override { DestroyWindow(); }
    // One click on the icon: the taskbar takes the activation on the press,
    // and the icon's owner hears of the press and the release only while
    // the icon is there.
    void ClickIcon(CWnd* pOwner, UINT nPress)
    {
        ::SetActiveWindow(m_hWnd);
        for (UINT nMessage : { nPress, (UINT)WM_LBUTTONUP })
        {
            if (TrayRecorder::s_bIconShown)
                pOwner->PostMessage(CMainFrame::WM_TRAYNOTIFY, 0, nMessage);
            CUserInput::Pump();
        }
    }
};

} // namespace

TEST_F(MainFrameTest, ADoubleClickOnTheTrayIconBringsTheWindowBackActive)
{
    TrayRecorder tray;
    pFrame->MoveWindow(0, 0, 800, 600);
    pFrame->ShowWindow(SW_SHOW);
    CTaskbar taskbar;
    // A text box inside the window has the keyboard.
    HWND hBox = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24,
                                  pFrame->m_hWndMDIClient, nullptr, nullptr, nullptr);
    ::SetFocus(hBox);
    ASSERT_EQ(hBox, ::GetFocus());
    ChooseCommand(ID_FILE_SENDTOTRAY);
    ASSERT_FALSE(pFrame->IsWindowVisible());
    ASSERT_TRUE(TrayRecorder::s_bIconShown);

    taskbar.ClickIcon(pFrame, WM_LBUTTONDOWN);
    RunLoopFor(::GetDoubleClickTime() / 4);
    taskbar.ClickIcon(pFrame, WM_LBUTTONDBLCLK);
    RunLoopFor(::GetDoubleClickTime() + 300);

    EXPECT_TRUE(pFrame->IsWindowVisible());
    EXPECT_FALSE(pFrame->IsIconic());
    EXPECT_EQ(pFrame->m_hWnd, ::GetActiveWindow());
    // The keys go where they went before, without a click.
    EXPECT_EQ(hBox, ::GetFocus());
    CUserInput::Type("back");
    char szText[16] = "";
    ::GetWindowTextA(hBox, szText, sizeof(szText));
    EXPECT_STREQ("back", szText);
    // The icon has gone once the clicks are over.
    EXPECT_FALSE(TrayRecorder::s_bIconShown);
    EXPECT_FALSE(pFrame->IsInTray());

    // Sent there again and brought back with one click.
    ChooseCommand(ID_FILE_SENDTOTRAY);
    ASSERT_FALSE(pFrame->IsWindowVisible());
    taskbar.ClickIcon(pFrame, WM_LBUTTONDOWN);
    RunLoopFor(::GetDoubleClickTime() + 300);
    EXPECT_TRUE(pFrame->IsWindowVisible());
    EXPECT_EQ(pFrame->m_hWnd, ::GetActiveWindow());
    EXPECT_EQ(hBox, ::GetFocus());
    EXPECT_FALSE(TrayRecorder::s_bIconShown);
}

TEST_F(MainFrameTest, WithoutATrayIconTheWindowStaysVisible)
{
    TrayRecorder tray;
    TrayRecorder::s_bAddResult = FALSE;
    pFrame->ShowWindow(SW_SHOW);
    pFrame->SendMessage(WM_COMMAND, ID_FILE_SENDTOTRAY);
    EXPECT_TRUE(pFrame->IsWindowVisible());
    EXPECT_FALSE(pFrame->IsInTray());

    // A restarted shell gets the icon again; when that fails the window comes back.
    TrayRecorder::s_bAddResult = TRUE;
    pFrame->SendMessage(WM_COMMAND, ID_FILE_SENDTOTRAY);
    EXPECT_FALSE(pFrame->IsWindowVisible());
    TrayRecorder::s_bAddResult = FALSE;
    pFrame->SendMessage(::RegisterWindowMessageA("TaskbarCreated"));
    EXPECT_TRUE(pFrame->IsWindowVisible());
    EXPECT_FALSE(pFrame->IsInTray());
}

TEST_F(MainFrameTest, TheTrayTipIsTheTitleCutTo63Characters)
{
    const CString strTitle(std::string(70, 'x').c_str());
    EXPECT_EQ(63, CMainFrame::MakeTrayTip(strTitle).GetLength());
    EXPECT_EQ("short", CMainFrame::MakeTrayTip("short"));
    TrayRecorder tray;
    pFrame->SetWindowText(strTitle);
    pFrame->SendToTray();
    EXPECT_EQ(63, TrayRecorder::s_strTip.GetLength());
}

TEST_F(MainFrameTest, TrayMessagesOfAnotherIconAreIgnored)
{
    TrayRecorder tray;
    pFrame->SendToTray();
    EXPECT_EQ(1, pFrame->SendMessage(CMainFrame::WM_TRAYNOTIFY, 1, WM_RBUTTONUP));
    EXPECT_EQ(1, pFrame->SendMessage(CMainFrame::WM_TRAYNOTIFY, 1, WM_LBUTTONUP));
    EXPECT_FALSE(pFrame->IsWindowVisible()); // still in the tray
    EXPECT_EQ(1, pFrame->SendMessage(CMainFrame::WM_TRAYNOTIFY, 0, WM_MOUSEMOVE));
    EXPECT_TRUE(pFrame->IsInTray());
}

TEST_F(MainFrameTest, ExitFromTheTrayThatIsCancelledShowsTheWindowAgain)
{
    TrayRecorder tray;
    // An open notebook whose save prompt is answered with Cancel.
    app.m_pDocManager = new CDocManager;
    app.m_pDocumentClass = RUNTIME_CLASS(CScriptedDoc);
    app.CreateDocTemplate();
    ASSERT_NE(nullptr, app.OpenDocumentFile("C:\\good.qlc"));
    CScriptedDoc::s_bAllowClose = FALSE;
    pFrame->ShowWindow(SW_SHOW);
    pFrame->SendToTray();
    ASSERT_FALSE(pFrame->IsWindowVisible());
    pFrame->SendMessage(WM_COMMAND, ID_TRAY_EXIT);
    ASSERT_TRUE(::IsWindow(pFrame->m_hWnd));
    EXPECT_TRUE(pFrame->IsWindowVisible());
    EXPECT_FALSE(pFrame->IsIconic());
    EXPECT_EQ(1, TrayRecorder::s_nDeletes);

    CScriptedDoc::s_bAllowClose = TRUE;
    app.CloseAllDocuments(TRUE);
    delete app.m_pDocManager;
    app.m_pDocManager = nullptr;
}

TEST_F(MainFrameTest, BarTogglesHideAndShowWithTheirCheckMarks)
{
    pFrame->ShowWindow(SW_SHOW);
    EXPECT_EQ(1, QueryState(pFrame, ID_VIEW_TOOLBAR_STANDARD).nChecked);
    EXPECT_EQ(1, QueryState(pFrame, ID_VIEW_TOOLBAR_IMAGE).nChecked);
    pFrame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR_STANDARD);
    EXPECT_FALSE(pFrame->GetStandardBar().IsWindowVisible());
    EXPECT_EQ(0, QueryState(pFrame, ID_VIEW_TOOLBAR_STANDARD).nChecked);
    EXPECT_EQ(1, QueryState(pFrame, ID_VIEW_TOOLBAR_IMAGE).nChecked);
    pFrame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR_IMAGE);
    EXPECT_EQ(0, QueryState(pFrame, ID_VIEW_TOOLBAR_IMAGE).nChecked);
    pFrame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR_STANDARD);
    EXPECT_TRUE(pFrame->GetStandardBar().IsWindowVisible());
    EXPECT_EQ(1, QueryState(pFrame, ID_VIEW_TOOLBAR_STANDARD).nChecked);
    EXPECT_EQ(1, QueryState(pFrame, ID_VIEW_TOOLBAR_FORMATTING).nChecked);
    pFrame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR_FORMATTING);
    EXPECT_FALSE(pFrame->GetFormatBar().IsWindowVisible());
    EXPECT_EQ(0, QueryState(pFrame, ID_VIEW_TOOLBAR_FORMATTING).nChecked);
    pFrame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR_FORMATTING);
    EXPECT_TRUE(pFrame->GetFormatBar().IsWindowVisible());
}

namespace {

// A screen rectangle's pixels, row by row.
std::vector<DWORD> ScreenPixels(const CRect& rect)
{
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = rect.Width();
    bmi.bmiHeader.biHeight = -rect.Height();
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HBITMAP hbm = ::CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = ::SelectObject(hMem, hbm);
    ::BitBlt(hMem, 0, 0, rect.Width(), rect.Height(), hScreen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(pBits);
    std::vector<DWORD> pixels(p, p + (size_t)rect.Width() * (size_t)rect.Height());
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hbm);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
    return pixels;
}

} // namespace

TEST_F(MainFrameTest, TheStandardBarOffAndOnLeavesTheFormattingBarAsItWas)
{
    pFrame->MoveWindow(0, 0, 900, 600);
    app.PlaceMainWindow(pFrame);
    RunLoopFor(300);
    CFormatBar& format = pFrame->GetFormatBar();
    CRect rcBar;
    format.GetWindowRect(rcBar);
    CRect rcName, rcSize;
    format.GetFontNameCombo().GetWindowRect(rcName);
    format.GetFontSizeCombo().GetWindowRect(rcSize);
    const std::vector<DWORD> before = ScreenPixels(rcBar);

    // View > Toolbars > Standard, twice, as the menu sends it.
    ChooseCommand(ID_VIEW_TOOLBAR_STANDARD);
    RunLoopFor(200);
    ASSERT_FALSE(pFrame->GetStandardBar().IsWindowVisible());
    ChooseCommand(ID_VIEW_TOOLBAR_STANDARD);
    RunLoopFor(300);
    ASSERT_TRUE(pFrame->GetStandardBar().IsWindowVisible());

    // The bar, its lists and what the user sees of them are back as they were.
    CRect rcBarAfter, rcNameAfter, rcSizeAfter;
    format.GetWindowRect(rcBarAfter);
    format.GetFontNameCombo().GetWindowRect(rcNameAfter);
    format.GetFontSizeCombo().GetWindowRect(rcSizeAfter);
    EXPECT_EQ(rcBar, rcBarAfter);
    EXPECT_EQ(rcName, rcNameAfter);
    EXPECT_EQ(rcSize, rcSizeAfter);
    EXPECT_TRUE(format.GetFontSizeCombo().IsWindowVisible());
    const std::vector<DWORD> after = ScreenPixels(rcBarAfter);
    ASSERT_EQ(before.size(), after.size());
    size_t nDiffer = 0;
    for (size_t i = 0; i < before.size(); i++)
        if ((before[i] & 0xFFFFFF) != (after[i] & 0xFFFFFF))
            nDiffer++;
    EXPECT_EQ(0u, nDiffer) << "the Formatting bar is drawn differently";
}

TEST_F(MainFrameTest, AlwaysOnTopTwiceReturnsToNormal)
{
    pFrame->ShowWindow(SW_SHOW);
    EXPECT_EQ(0, QueryState(pFrame, ID_VIEW_ALWAYSONTOP).nChecked);
    pFrame->SendMessage(WM_COMMAND, ID_VIEW_ALWAYSONTOP);
    EXPECT_EQ(1, app.m_settings.m_nAlwaysOnTop);
    EXPECT_NE(0u, pFrame->GetExStyle() & WS_EX_TOPMOST);
    EXPECT_EQ(1, QueryState(pFrame, ID_VIEW_ALWAYSONTOP).nChecked);
    pFrame->SendMessage(WM_COMMAND, ID_VIEW_ALWAYSONTOP);
    EXPECT_EQ(0, app.m_settings.m_nAlwaysOnTop);
    EXPECT_EQ(0u, pFrame->GetExStyle() & WS_EX_TOPMOST);
}

TEST_F(MainFrameTest, OptionsChangedReachesEveryWindowUnderTheClientOnce)
{
    if (g_uOptionsChangedMsg == 0)
        g_uOptionsChangedMsg = ::RegisterWindowMessageA("Options Changed");
    CCountingWnd children[2];
    CCountingWnd grandchildren[2];
    for (int i = 0; i < 2; i++)
    {
        CMDIChildWnd* pChild = new CMDIChildWnd;
        ASSERT_TRUE(pChild->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                   CFrameWnd::rectDefault, pFrame));
        ASSERT_TRUE(children[i].CreateEx(0, nullptr, "c", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, pChild->m_hWnd,
                                         (HMENU)(UINT_PTR)(100 + i)));
        ASSERT_TRUE(grandchildren[i].CreateEx(0, nullptr, "g", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5,
                                              children[i].m_hWnd, (HMENU)1));
    }
    CCountingWnd outside; // a child of the frame, not under the client
    ASSERT_TRUE(outside.CreateEx(0, nullptr, "o", WS_CHILD, 0, 0, 5, 5, pFrame->m_hWnd, (HMENU)77));
    pFrame->BroadcastOptionsChanged();
    for (int i = 0; i < 2; i++)
    {
        EXPECT_EQ(1, children[i].nOptionsChanged);
        EXPECT_EQ(1, grandchildren[i].nOptionsChanged);
    }
    EXPECT_EQ(0, outside.nOptionsChanged);
}

TEST_F(MainFrameTest, DivideByZeroNeverShowsInAMenu)
{
    CMenu* pMenu = pFrame->GetMenu();
    ASSERT_NE(nullptr, pMenu);
    CMenu* pTools = pMenu->GetSubMenu(2);
    ASSERT_NE((UINT)-1, pTools->GetMenuState(ID_TOOLS_DIVIDEBYZERO, MF_BYCOMMAND));
    pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)pTools->m_hMenu, MAKELPARAM(2, FALSE));
    EXPECT_EQ((UINT)-1, pTools->GetMenuState(ID_TOOLS_DIVIDEBYZERO, MF_BYCOMMAND));
}

TEST_F(MainFrameTest, AFloatingBarStoredOffEveryMonitorComesBackAtTheOrigin)
{
    CDockState state;
    CControlBarInfo* pGone = new CControlBarInfo;
    pGone->m_nBarID = ID_VIEW_TOOLBAR_IMAGE;
    pGone->m_bFloating = TRUE;
    pGone->m_pointPos = CPoint(-30000, -30000);
    state.m_arrBarInfo.Add(pGone);
    CControlBarInfo* pHere = new CControlBarInfo;
    pHere->m_nBarID = ID_VIEW_TOOLBAR_STANDARD;
    pHere->m_bFloating = TRUE;
    pHere->m_pointPos = CPoint(100, 120);
    state.m_arrBarInfo.Add(pHere);
    CMainFrame::FixFloatingPositions(state);
    EXPECT_EQ(CPoint(0, 0), pGone->m_pointPos);
    EXPECT_EQ(CPoint(100, 120), pHere->m_pointPos);

    // Applied to the frame, the bars float there.
    pFrame->SetDockStateSafe(state);
    EXPECT_TRUE(pFrame->GetImageBar().IsFloating());
    CRect rect;
    pFrame->GetImageBar().GetParentFrame()->GetWindowRect(rect);
    EXPECT_EQ(CPoint(0, 0), rect.TopLeft());
}

TEST_F(MainFrameTest, TheLayoutIsStoredOnlyByAFrameThatWasPlaced)
{
    pFrame->ShowControlBar(&pFrame->GetImageBar(), FALSE, FALSE);
    DestroyMainFrame(); // never placed: nothing stored
    EXPECT_EQ(0u, app.m_settings.m_wpLastPlacement.length);
    EXPECT_EQ(0u, app.GetProfileInt("Toolbars-Summary", "Bars", 0));

    pFrame = MakeMainFrame();
    ASSERT_NE(nullptr, pFrame);
    app.PlaceMainWindow(pFrame);
    pFrame->ShowControlBar(&pFrame->GetImageBar(), FALSE, FALSE);
    DestroyMainFrame();
    EXPECT_EQ(sizeof(WINDOWPLACEMENT), app.m_settings.m_wpLastPlacement.length);
    EXPECT_EQ(5u, app.GetProfileInt("Toolbars-Summary", "Bars", 0)); // status bar, three toolbars, Help Bar

    // The next frame comes up with the Image bar hidden.
    pFrame = MakeMainFrame();
    ASSERT_NE(nullptr, pFrame);
    EXPECT_FALSE(pFrame->GetImageBar().GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(pFrame->GetStandardBar().GetStyle() & WS_VISIBLE);
}

namespace {

std::string s_strWebOpened;

HINSTANCE WINAPI RecordWebOpen(HWND, LPCSTR, LPCSTR lpszFile, LPCSTR, LPCSTR, INT)
{
    s_strWebOpened = lpszFile;
    return (HINSTANCE)42;
}

} // namespace
TEST_F(MainFrameTest, TheHelpBarIsACaptionedPaneOnTheLeftHoldingTheHelpBrowser)
{
    CSizingControlBarCF& bar = pFrame->GetHelpBar();
    ASSERT_NE(nullptr, bar.m_hWnd);
    EXPECT_EQ(IDW_HELP_BAR, bar.GetDlgCtrlID());
    EXPECT_EQ((UINT)AFX_IDW_DOCKBAR_LEFT, bar.GetDockBarID());
    CString strTitle;
    bar.GetWindowText(strTitle);
    EXPECT_EQ("Help Bar", std::string((LPCSTR)strTitle));
    EXPECT_EQ((DWORD)(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT), bar.m_dwDockStyle);
    EXPECT_NE(0u, bar.GetBarStyle() & CBRS_SIZE_DYNAMIC);
    EXPECT_NE(0u, bar.GetSCBStyle() & SCBS_SIZECHILD);
    EXPECT_TRUE(pFrame->m_pFloatingFrameClass->IsDerivedFrom(RUNTIME_CLASS(CSCBMiniDockFrameWnd)));
    // The browser control fills the bar, with a client edge; where no
    // browser engine shows the page it stays an empty window and the frame
    // goes on.
    const HWND hBrowser = ::GetWindow(bar.m_hWnd, GW_CHILD);
    ASSERT_NE(nullptr, hBrowser);
    EXPECT_EQ((UINT)AFX_IDW_PANE_FIRST, (UINT)::GetDlgCtrlID(hBrowser));
    EXPECT_NE(0, ::GetWindowLongA(hBrowser, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_NE(0, ::GetWindowLongA(hBrowser, GWL_STYLE) & WS_VISIBLE); // shown with the bar
    EXPECT_TRUE(::IsWindow(pFrame->m_hWnd));
    EXPECT_EQ(CQlcApp::GetProgramFolder() + "\\Help\\hb_frameset.html", CMainFrame::GetHelpBarPage());
}

TEST_F(MainFrameTest, TheHelpBarTogglesFromItsMenuCommandAndF1)
{
    pFrame->ShowWindow(SW_SHOW);
    CSizingControlBarCF& bar = pFrame->GetHelpBar();
    ASSERT_TRUE(bar.IsWindowVisible());
    EXPECT_EQ(1, QueryState(pFrame, ID_HELP_HELPBAR).nChecked);
    pFrame->SendMessage(WM_COMMAND, ID_HELP_HELPBAR);
    EXPECT_FALSE(bar.IsWindowVisible());
    EXPECT_EQ(0, QueryState(pFrame, ID_HELP_HELPBAR).nChecked);
    EXPECT_TRUE(::IsWindow(bar.m_hWnd));

    // F1 through the frame's accelerators.
    MSG msg = {};
    msg.hwnd = pFrame->m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_F1;
    msg.lParam = 1 | (::MapVirtualKeyA(VK_F1, 0) << 16);
    EXPECT_TRUE(pFrame->PreTranslateMessage(&msg));
    EXPECT_TRUE(bar.IsWindowVisible());
    EXPECT_EQ(1, QueryState(pFrame, ID_HELP_HELPBAR).nChecked);
}

TEST_F(MainFrameTest, TheHelpBarsVisibilityAndSizesAreStoredAtExit)
{
    app.PlaceMainWindow(pFrame);
    CSizingControlBarCF* pBar = &pFrame->GetHelpBar();
    pBar->m_szVert.cx = 260;
    pBar->m_szFloat = CSize(300, 350);
    pFrame->SendMessage(WM_COMMAND, ID_HELP_HELPBAR);
    ASSERT_FALSE(pBar->IsWindowVisible());
    DestroyMainFrame();
    EXPECT_EQ(0, app.m_settings.m_nShowHelpBar);
    EXPECT_EQ(260u, app.GetProfileInt("Toolbars-SCBar-127", "sizeVertCX", 0));

    // The next frame comes up with the bar hidden and its sizes.
    pFrame = MakeMainFrame();
    ASSERT_NE(nullptr, pFrame);
    pBar = &pFrame->GetHelpBar();
    EXPECT_FALSE(pBar->GetStyle() & WS_VISIBLE);
    EXPECT_EQ(260, pBar->m_szVert.cx);
    EXPECT_EQ(CSize(300, 350), pBar->m_szFloat);

    // Shown at exit: recorded as shown.
    app.PlaceMainWindow(pFrame);
    pFrame->SendMessage(WM_COMMAND, ID_HELP_HELPBAR);
    DestroyMainFrame();
    EXPECT_EQ(1, app.m_settings.m_nShowHelpBar);
    pFrame = MakeMainFrame();
    ASSERT_NE(nullptr, pFrame);
    EXPECT_TRUE(pFrame->GetHelpBar().GetStyle() & WS_VISIBLE);
    pFrame->RecalcLayout();
    CRect rcBar;
    pFrame->GetHelpBar().GetWindowRect(rcBar);
    EXPECT_EQ(260, rcBar.Width());
}

namespace {

// Whether what the user sees at the point belongs to the window.
BOOL ShowsAt(HWND hWnd, POINT pt)
{
    HWND hSeen = ::WindowFromPoint(pt);
    return hSeen == hWnd || ::IsChild(hWnd, hSeen);
}

// Runs the loop until the window shows at the point, at most dwLimit ms.
BOOL WaitUntilShownAt(HWND hWnd, POINT pt, DWORD dwLimit)
{
    const DWORD dwStart = ::GetTickCount();
    while (!ShowsAt(hWnd, pt))
    {
        if (::GetTickCount() - dwStart > dwLimit)
            return FALSE;
        RunLoopFor(20);
    }
    return TRUE;
}

} // namespace

TEST_F(MainFrameTest, AFloatingHelpBarComesBackAfterARestartInFrontOfTheMainWindow)
{
    // The user floats the Help Bar over the middle of the window and ends.
    pFrame->MoveWindow(0, 0, 800, 600);
    app.PlaceMainWindow(pFrame);
    pFrame->FloatControlBar(&pFrame->GetHelpBar(), CPoint(300, 250), CBRS_ALIGN_LEFT);
    ASSERT_TRUE(pFrame->GetHelpBar().IsFloating());
    DestroyMainFrame();

    // The next start: the frame is made (still hidden), then placed.
    pFrame = MakeMainFrame();
    ASSERT_NE(nullptr, pFrame);
    CSizingControlBarCF& bar = pFrame->GetHelpBar();
    ASSERT_TRUE(bar.IsFloating());
    CWnd* pMiniFrame = bar.GetParentFrame();
    ASSERT_NE(nullptr, pMiniFrame);
    ASSERT_NE(pFrame, pMiniFrame);
    // Nothing of the program is on the screen before its window is.
    EXPECT_FALSE(pMiniFrame->IsWindowVisible());
    app.PlaceMainWindow(pFrame);
    ASSERT_TRUE(pFrame->IsWindowVisible());
    EXPECT_TRUE(pMiniFrame->IsWindowVisible());
    EXPECT_EQ(1, QueryState(pFrame, ID_HELP_HELPBAR).nChecked);
    CRect rcMini;
    pMiniFrame->GetWindowRect(rcMini);
    EXPECT_EQ(CPoint(300, 250), rcMini.TopLeft());
    // What the user sees at the bar's place is the bar, not the main window
    // behind it, and it stays so.
    EXPECT_TRUE(WaitUntilShownAt(pMiniFrame->m_hWnd, rcMini.CenterPoint(), 2000))
        << "the floating Help Bar stayed behind the main window";
    RunLoopFor(300);
    EXPECT_TRUE(ShowsAt(pMiniFrame->m_hWnd, rcMini.CenterPoint())) << "the main window came back over the Help Bar";

    // Sent to the tray, the window takes its floating bar along; back, the
    // bar is in front again.
    TrayRecorder tray;
    pFrame->SendToTray();
    EXPECT_FALSE(pMiniFrame->IsWindowVisible());
    pFrame->RestoreFromTray();
    EXPECT_TRUE(pMiniFrame->IsWindowVisible());
    EXPECT_TRUE(WaitUntilShownAt(pMiniFrame->m_hWnd, rcMini.CenterPoint(), 2000))
        << "the floating Help Bar stayed behind the main window after the tray";
}

TEST(WebTest, TheWebCommandsOpenTheirAddresses)
{
    TestApp();
    EXPECT_EQ("http://www.varlosoft.com/", CMainFrame::GetWebURL(ID_HELP_WEB_HOME));
    EXPECT_EQ("http://www.varlosoft.com/upgrade.asp?id=quillcrest&version=20090817",
              CMainFrame::GetWebURL(ID_HELP_WEB_UPGRADE));
    EXPECT_EQ("http://www.varlosoft.com/bugreport.asp?id=quillcrest&version=20090817",
              CMainFrame::GetWebURL(ID_HELP_WEB_BUGREPORT));
    // They open as links do: one opener, one place to replace it.
    auto* pfnOld = CMainFrame::s_pfnShellExecute;
    EXPECT_EQ(pfnOld, CHyperLink::s_pfnShellExecute);
    CMainFrame::s_pfnShellExecute = &RecordWebOpen;
    EXPECT_EQ(&RecordWebOpen, CHyperLink::s_pfnShellExecute);
    s_strWebOpened.clear();
    EXPECT_TRUE(CMainFrame::OpenURLInBrowser(CMainFrame::GetWebURL(ID_HELP_WEB_HOME), SW_SHOWNORMAL));
    CMainFrame::s_pfnShellExecute = pfnOld;
    EXPECT_EQ("http://www.varlosoft.com/", s_strWebOpened);
}

TEST(AboutDlgTest, TheSupportAddressIsALinkThatWritesAMail)
{
    TestApp();
    auto* pfnOld = CMainFrame::s_pfnShellExecute;
    CMainFrame::s_pfnShellExecute = &RecordWebOpen;
    s_strWebOpened.clear();
    std::string strText, strTarget;
    BOOL bVisited = FALSE;
    CScriptedDialogs script([&](CWnd* pDialog) {
        CHyperLink* pLink = dynamic_cast<CHyperLink*>(CWnd::FromHandlePermanent(::GetDlgItem(pDialog->m_hWnd, IDC_ABOUT_LINK)));
        if (pLink != nullptr)
        {
            CString str;
            pLink->GetWindowText(str);
            strText = str;
            strTarget = pLink->GetLinkTarget();
            pDialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LINK, STN_CLICKED), (LPARAM)pLink->m_hWnd);
            bVisited = pLink->GetVisited();
        }
        ClickButton(pDialog, IDOK);
    });
    CAboutDlg dlg;
    EXPECT_EQ(IDOK, dlg.DoModal());
    CMainFrame::s_pfnShellExecute = pfnOld;
    EXPECT_EQ("support@varlosoft.com", strText);
    EXPECT_EQ("mailto:support@varlosoft.com", strTarget);
    EXPECT_EQ("mailto:support@varlosoft.com", s_strWebOpened);
    EXPECT_TRUE(bVisited);
}

TEST_F(MainFrameTest, ANewerStatusTextWinsOverAnOlderOne)
{
    CFakeClock clock; // every token in the same tick: they must still differ
    pFrame->ShowWindow(SW_SHOW);
    CStatusBar& bar = pFrame->GetStatusBar();
    {
        CQlcStatus untouched;
    }
    EXPECT_EQ(0u, pFrame->GetStatusToken());
    CQlcStatus* pA = new CQlcStatus;
    pA->SetText("first");
    EXPECT_EQ("first", bar.GetPaneText(0));
    CQlcStatus* pB = new CQlcStatus;
    pB->SetText("second");
    delete pA; // the older one leaves the newer text
    EXPECT_EQ("second", bar.GetPaneText(0));
    EXPECT_NE(0u, pFrame->GetStatusToken());
    delete pB; // the last one brings the idle text back
    EXPECT_EQ("For Help, press F1", bar.GetPaneText(0));
    EXPECT_EQ(0u, pFrame->GetStatusToken());
}

TEST_F(MainFrameTest, BothMenusAreOwnerDrawnWithTheToolbarPicturesAndTheFrameRoutesThem)
{
    pFrame->SetDefaultMenu(pFrame->LoadDefaultMenu());
    CMenu* pMenu = pFrame->GetMenu();
    ASSERT_NE(nullptr, pMenu);
    GlyphMenu* pFile = DYNAMIC_DOWNCAST(GlyphMenu, pMenu->GetSubMenu(0));
    ASSERT_NE(nullptr, pFile);
    EXPECT_EQ(ID_FILE_NEW, pFile->m_itemData[0]->commandId);
    EXPECT_GE(pFile->m_itemData[0]->globalImageIndex, 0);

    // The update removes Divide By Zero and keeps the records in step.
    GlyphMenu* pTools = DYNAMIC_DOWNCAST(GlyphMenu, pMenu->GetSubMenu(2));
    ASSERT_NE(nullptr, pTools);
    pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)pTools->m_hMenu, MAKELPARAM(2, FALSE));
    EXPECT_EQ((UINT)-1, pTools->GetMenuState(ID_TOOLS_DIVIDEBYZERO, MF_BYCOMMAND));
    EXPECT_EQ((INT_PTR)pTools->GetMenuItemCount(), pTools->m_itemData.GetSize());
    // Mnemonics through the frame: E&xit in File.
    pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)pFile->m_hMenu, MAKELPARAM(0, FALSE));
    const LRESULT lExit = pFrame->SendMessage(WM_MENUCHAR, MAKEWPARAM('x', MF_POPUP), (LPARAM)pFile->m_hMenu);
    ASSERT_EQ(MNC_EXECUTE, HIWORD(lExit));
    EXPECT_EQ(ID_APP_EXIT, pFile->GetMenuItemID(LOWORD(lExit)));
    // A popup item is measured by its handle.
    GlyphMenu* pView = DYNAMIC_DOWNCAST(GlyphMenu, pMenu->GetSubMenu(1));
    ASSERT_NE(nullptr, pView);
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemID = (UINT)pView->m_itemData[0]->commandId; // Toolbars
    mis.itemData = (ULONG_PTR)pView->m_itemData[0];
    pFrame->SendMessage(WM_MEASUREITEM, 0, (LPARAM)&mis);
    EXPECT_GE(mis.itemHeight, 19u);

    // The document menu: Format's Bold takes the Formatting bar's picture.
    HMENU hDocument = pFrame->LoadDocumentMenu();
    ASSERT_NE(nullptr, hDocument);
    GlyphMenu* pFormat = DYNAMIC_DOWNCAST(GlyphMenu, CMenu::FromHandlePermanent(::GetSubMenu(hDocument, 3)));
    ASSERT_NE(nullptr, pFormat);
    for (INT_PTR i = 0; i < pFormat->m_itemData.GetSize(); i++)
    {
        const UINT_PTR nID = pFormat->m_itemData[i]->commandId;
        if (nID == ID_CHAR_BOLD || nID == ID_PARA_BULLETS)
        {
            EXPECT_GE(pFormat->m_itemData[i]->globalImageIndex, 0) << nID;
        }
        if (nID == ID_FORMAT_PARAGRAPH)
        {
            EXPECT_EQ(-1, pFormat->m_itemData[i]->globalImageIndex);
        }
    }
    ::DestroyMenu(hDocument);
}

namespace {

std::string s_shellFile;
INT_PTR s_nShellResult = 42;
HINSTANCE WINAPI RecordShellOpen(HWND, LPCSTR lpszVerb, LPCSTR lpszFile, LPCSTR, LPCSTR, INT)
{
    s_shellFile = std::string(lpszVerb) + " " + lpszFile;
    return (HINSTANCE)s_nShellResult;
}

} // namespace

TEST_F(MainFrameTest, TheAboutBoxOpensTheLicenceBesideTheProgramOrSaysWhereToFindIt)
{
    CRecordingPrompts prompts;
    pFrame->MoveWindow(0, 0, 800, 600);
    pFrame->ShowWindow(SW_SHOW);
    auto pfnOld = CMainFrame::s_pfnShellExecute;
    CMainFrame::s_pfnShellExecute = &RecordShellOpen;
    // Help > About, a click on License, then OK.
    CScriptedDialogs about([](CWnd* pDlg) {
        HWND hLicense = ::GetDlgItem(pDlg->m_hWnd, IDC_ABOUT_LICENSE);
        RECT rc;
        ::GetClientRect(hLicense, &rc);
        const LPARAM lPoint = MAKELPARAM(rc.right / 2, rc.bottom / 2);
        ::PostMessageA(hLicense, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
        ::PostMessageA(hLicense, WM_LBUTTONUP, 0, lPoint);
        ::PostMessageA(pDlg->m_hWnd, WM_COMMAND, IDOK, 0);
    });

    char szModule[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    std::string folder = szModule;
    folder = folder.substr(0, folder.rfind('\\'));
    s_nShellResult = 42;
    ChooseCommand(ID_APP_ABOUT);
    EXPECT_EQ(1, about.nDialogs);
    EXPECT_EQ("open " + folder + "\\LICENSE.txt", s_shellFile);
    EXPECT_TRUE(prompts.boxes.empty());

    // Without the file: where to find it, spelled right, each line short
    // enough to be shown whole.
    s_nShellResult = SE_ERR_FNF;
    ChooseCommand(ID_APP_ABOUT);
    CMainFrame::s_pfnShellExecute = pfnOld;
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Could not display license agreement!\n\nPlease visit http://www.varlosoft.com/\nfor a copy of the "
              "license agreement.",
              prompts.boxes[0].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), prompts.boxes[0].type);
}
