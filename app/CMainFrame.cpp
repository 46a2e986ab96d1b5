#include "app/CMainFrame.h"

#include "app/CChildFrame.h"
#include "app/CFindNodesDlg.h"
#include "app/COptionsSheet.h"
#include "app/CQlcApp.h"
#include "app/res/Resource.h"

#include "core/CLog.h"
#include "core/QlcVersion.h"

#include "framework/ui/CDockBar.h"
#include "framework/ui/CDockState.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CMiniDockFrameWnd.h"
#include "framework/ui/CWaitCursor.h"

#include "widgets/CHyperLink.h"
#include "widgets/CProgressBar.h"
#include "widgets/CSCBMiniDockFrameWnd.h"

IMPLEMENT_DYNCREATE(CMainFrame, CMDIFrameWnd)

namespace {

// The shell announces a restarted taskbar with this message.
UINT g_uTaskbarCreatedMsg = ::RegisterWindowMessageA("TaskbarCreated");

const UINT s_indicators[] = { ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL };

} // namespace

BOOL(WINAPI* CMainFrame::s_pfnShellNotifyIcon)(DWORD, PNOTIFYICONDATAA) = &::Shell_NotifyIconA;
HINSTANCE(WINAPI*& CMainFrame::s_pfnShellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) =
    CHyperLink::s_pfnShellExecute;

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_WM_INITMENUPOPUP()
    ON_WM_MEASUREITEM()
    ON_WM_MENUCHAR()
    ON_COMMAND_EX(ID_VIEW_TOOLBAR_STANDARD, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR_STANDARD, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR_FORMATTING, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR_FORMATTING, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR_IMAGE, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR_IMAGE, OnUpdateControlBarMenu)
    ON_COMMAND(ID_HELP_HELPBAR, OnHelpBar)
    ON_UPDATE_COMMAND_UI(ID_HELP_HELPBAR, OnUpdateHelpBar)
    ON_COMMAND(ID_FILE_SENDTOTRAY, OnSendToTray)
    ON_COMMAND(ID_TRAY_RESTORE, OnTrayRestore)
    ON_COMMAND(ID_TRAY_EXIT, OnTrayExit)
    ON_COMMAND(ID_TOOLS_OPTIONS, OnToolsOptions)
    ON_COMMAND(ID_VIEW_ALWAYSONTOP, OnAlwaysOnTop)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ALWAYSONTOP, OnUpdateAlwaysOnTop)
    ON_COMMAND_RANGE(ID_HELP_WEB_HOME, ID_HELP_WEB_BUGREPORT, OnWebCommand)
    ON_COMMAND(ID_EDIT_FINDINNODES, OnFindInNodes)
    ON_COMMAND(ID_FORMAT_FONTCOLOUR, OnFontColour)
    ON_COMMAND(ID_FORMAT_HIGHLIGHT, OnHighlight)
    ON_NOTIFY(TBN_DROPDOWN, ID_VIEW_TOOLBAR_FORMATTING, OnFormatBarDropDown)
    ON_MESSAGE(WM_TRAYNOTIFY, OnTrayNotify)
    ON_WM_TIMER()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_REGISTERED_MESSAGE(g_uTaskbarCreatedMsg, OnTaskbarCreated)
END_MESSAGE_MAP()

CMainFrame::CMainFrame()
    : m_pFindNodesDlg(nullptr), m_dwStatusToken(0), m_nToolbarHeight(0), m_bPlaced(FALSE), m_bInTray(FALSE),
      m_bIconLeaving(FALSE), m_hWndFocusBeforeTray(nullptr)
{
}

CMainFrame::~CMainFrame()
{
    delete m_pFindNodesDlg;
}

// ---------------------------------------------------------------------------
// Creation

int CMainFrame::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CMDIFrameWnd::OnCreate(lpcs) == -1)
        return -1;

    EnableDocking(CBRS_ALIGN_ANY);
    m_pFloatingFrameClass = RUNTIME_CLASS(CSCBMiniDockFrameWnd);

    if (!m_wndStatusBar.Create(this) ||
        !m_wndStatusBar.SetIndicators(s_indicators, (int)(sizeof(s_indicators) / sizeof(s_indicators[0]))))
    {
        TRACE("Failed to create the status bar.\n");
        return -1;
    }

    const DWORD dwBarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                             CBRS_SIZE_DYNAMIC;
    CString strTitle;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, dwBarStyle, CRect(0, 0, 0, 0), ID_VIEW_TOOLBAR_STANDARD) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
    {
        TRACE("Failed to create the Standard toolbar.\n");
        return -1;
    }
    strTitle.LoadString(IDS_TOOLBAR_STANDARD);
    m_wndToolBar.SetWindowText(strTitle);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar, AFX_IDW_DOCKBAR_TOP);

    if (!m_wndFormatBar.CreateEx(this, TBSTYLE_FLAT, dwBarStyle, CRect(0, 0, 0, 0), ID_VIEW_TOOLBAR_FORMATTING))
    {
        TRACE("Failed to create the Formatting toolbar.\n");
        return -1;
    }
    DockControlBar(&m_wndFormatBar, AFX_IDW_DOCKBAR_TOP);

    if (!m_wndImageBar.CreateEx(this, TBSTYLE_FLAT, dwBarStyle, CRect(0, 0, 0, 0), ID_VIEW_TOOLBAR_IMAGE) ||
        !m_wndImageBar.LoadToolBar(IDR_TOOLBAR_IMAGE))
    {
        TRACE("Failed to create the Image toolbar.\n");
        return -1;
    }
    strTitle.LoadString(IDS_TOOLBAR_IMAGE);
    m_wndImageBar.SetWindowText(strTitle);
    m_wndImageBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndImageBar, AFX_IDW_DOCKBAR_TOP);

    if (!CreateHelpBar())
    {
        TRACE("Failed to create the Help Bar.\n");
        return -1;
    }

    // Every bar as high as the font list's field with room around it.
    int nFieldHeight = m_wndFormatBar.GetFontNameCombo().GetItemHeight(-1);
    if (nFieldHeight <= 0 || nFieldHeight == CB_ERR)
        nFieldHeight = 14;
    m_nToolbarHeight = nFieldHeight + 15;
    m_wndFormatBar.SetHeight(m_nToolbarHeight);
    m_wndToolBar.SetHeight(m_nToolbarHeight);
    m_wndImageBar.SetHeight(m_nToolbarHeight);

    m_wndStatusBar.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RecalcLayout();

    CSizingControlBar::RestoreAllBarStates(this, "Toolbars");
    LoadToolbarState("Toolbars");
    ApplyAlwaysOnTop();
    return 0;
}

BOOL CMainFrame::CreateHelpBar()
{
    if (!m_wndHelpBar.Create(AfxLoadText(IDS_HELP_BAR_TITLE), this, IDW_HELP_BAR, WS_CHILD | WS_VISIBLE | CBRS_TOP))
        return FALSE;
    m_wndHelpBar.SetSCBStyle(SCBS_SIZECHILD);
    // A browser that cannot be made (or cannot show pages) leaves the pane
    // empty; the program goes on without it.
    if (!CreateHelpBrowser())
        TRACE("The Help Bar has no browser: it stays empty.\n");
    m_wndHelpBar.SetBarStyle(m_wndHelpBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    m_wndHelpBar.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    DockControlBar(&m_wndHelpBar, AFX_IDW_DOCKBAR_LEFT);
    return TRUE;
}

CString CMainFrame::GetHelpBarPage()
{
    return CQlcApp::GetProgramFolder() + "\\Help\\hb_frameset.html";
}

BOOL CMainFrame::CreateHelpBrowser()
{
    if (!m_wndHelpCtrl.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &m_wndHelpBar,
                              AFX_IDW_PANE_FIRST))
        return FALSE;
    m_wndHelpCtrl.ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
    // Files dropped on the pane are not pages to show.
    if (IWebBrowser2* pBrowser = m_wndHelpCtrl.GetBrowser())
        pBrowser->put_RegisterAsDropTarget(VARIANT_FALSE);
    // Without a browser engine the pane stays empty; that is not an error.
    m_wndHelpCtrl.Navigate2(GetHelpBarPage());
    return TRUE;
}

void CMainFrame::OnHelpBar()
{
    if (m_wndHelpBar.m_hWnd != nullptr)
        ShowControlBar(&m_wndHelpBar, !m_wndHelpBar.IsVisible(), FALSE);
}

void CMainFrame::OnUpdateHelpBar(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_wndHelpBar.m_hWnd != nullptr && m_wndHelpBar.IsVisible());
}

void CMainFrame::SetAppTitle()
{
    CString strTitle;
    strTitle.LoadString(AFX_IDS_APP_TITLE);
    SetTitle(strTitle);
    SetWindowText(strTitle);
}

HMENU CMainFrame::LoadDocumentMenu()
{
    if (!m_menuDocument.LoadMenu(IDR_QLCTYPE))
        return nullptr;
    // A toolbar that does not load leaves its commands without pictures.
    static const UINT s_toolbars[] = { IDR_MAINFRAME, IDR_FORMATBAR };
    m_menuDocument.TakeToolbarImageSets(s_toolbars, (int)(sizeof(s_toolbars) / sizeof(s_toolbars[0])));
    return m_menuDocument.Detach();
}

HMENU CMainFrame::LoadDefaultMenu()
{
    if (!m_menuDefault.LoadMenu(IDR_MAINFRAME))
        return nullptr;
    m_menuDefault.TakeToolbarImages(IDR_MAINFRAME);
    return m_menuDefault.Detach();
}

void CMainFrame::SetDefaultMenu(HMENU hMenu)
{
    if (hMenu == nullptr)
        return;
    HMENU hOld = m_hMenuDefault;
    m_hMenuDefault = hMenu;
    OnUpdateFrameMenu(nullptr);
    if (hOld != nullptr && hOld != hMenu && ::IsMenu(hOld) && ::GetMenu(m_hWnd) != hOld)
        ::DestroyMenu(hOld);
}

// ---------------------------------------------------------------------------
// Destruction

BOOL CMainFrame::DestroyWindow()
{
    // Only a frame that start-up placed and showed has a layout worth
    // keeping: one that failed before would overwrite the user's.
    if (m_bPlaced && m_hWnd != nullptr)
    {
        CQlcApp* pApp = QlcGetApp();
        if (pApp != nullptr)
        {
            WINDOWPLACEMENT wp = {};
            wp.length = sizeof(wp);
            if (GetWindowPlacement(&wp))
                pApp->m_settings.m_wpLastPlacement = wp;
            pApp->m_settings.m_nShowHelpBar = m_wndHelpBar.m_hWnd != nullptr && m_wndHelpBar.IsVisible() ? 1 : 0;
        }
        CSizingControlBar::StoreAllBarStates(this, "Toolbars");
        SaveBarState("Toolbars");
    }
    if (m_bInTray || m_bIconLeaving)
        RemoveTrayIcon();
    // The Find in Nodes window keeps its place and choices as it closes.
    if (m_pFindNodesDlg != nullptr && m_pFindNodesDlg->m_hWnd != nullptr)
        m_pFindNodesDlg->DestroyWindow();
    return CMDIFrameWnd::DestroyWindow();
}

void CMainFrame::SetPlaced()
{
    m_bPlaced = TRUE;
    // The bars' delayed layout first, so the windows fit the client as it
    // will stay.
    RecalcLayout();
    ShowFloatingBars(TRUE);
    for (HWND hChild = ::GetWindow(m_hWndMDIClient, GW_CHILD); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if (CChildFrame* pChild = DYNAMIC_DOWNCAST(CChildFrame, CWnd::FromHandlePermanent(hChild)))
            pChild->ApplyPendingPlacement();
    }
}

// ---------------------------------------------------------------------------
// Status token

CStatusBar* CMainFrame::GetStatusBarIfVisible()
{
    if (m_wndStatusBar.m_hWnd != nullptr && m_wndStatusBar.IsWindowVisible())
        return &m_wndStatusBar;
    return nullptr;
}

void CMainFrame::SetStatusToken(DWORD dwToken)
{
    m_dwStatusToken = dwToken;
    if (dwToken == 0)
        SetMessageText(AFX_IDS_IDLEMESSAGE);
}

BOOL CMainFrame::ShowStatusProgress(const CQlcStatus* pOwner, int nMaximum)
{
    // The old bar gives its pane its text back before a new one saves it.
    m_statusProgress.erase(pOwner);
    CStatusBar* pBar = GetStatusBarIfVisible();
    if (pBar == nullptr)
        return FALSE;
    m_statusProgress[pOwner].reset(new CProgressBar(pBar->GetPaneText(0), 98, nMaximum, TRUE, 0, pBar));
    return TRUE;
}

void CMainFrame::StepStatusProgress(const CQlcStatus* pOwner, int nStep)
{
    auto it = m_statusProgress.find(pOwner);
    if (it != m_statusProgress.end())
        it->second->SetPos(it->second->GetPos() + nStep);
}

void CMainFrame::EndStatusProgress(const CQlcStatus* pOwner)
{
    m_statusProgress.erase(pOwner);
}

// ---------------------------------------------------------------------------
// Bars

void CMainFrame::FixFloatingPositions(CDockState& state)
{
    for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); i++)
    {
        CControlBarInfo* pInfo = (CControlBarInfo*)state.m_arrBarInfo[i];
        if (!pInfo->m_bFloating)
            continue;
        RECT rc = { pInfo->m_pointPos.x, pInfo->m_pointPos.y, pInfo->m_pointPos.x + 10, pInfo->m_pointPos.y + 10 };
        if (::MonitorFromRect(&rc, MONITOR_DEFAULTTONULL) == nullptr)
            pInfo->m_pointPos = CPoint(0, 0);
    }
}

void CMainFrame::SetDockStateSafe(CDockState& state)
{
    FixFloatingPositions(state);
    SetDockState(state);
    // Floating bars with buttons showing get their frames laid out and shown.
    ShowFloatingBars(TRUE);
}

void CMainFrame::ShowFloatingBars(BOOL bShow)
{
    // Their frames show with this window: one shown while it is still
    // hidden stands alone on the screen, and ends up beneath it once it
    // shows.
    const BOOL bOnScreen = bShow && IsWindowVisible() && !IsIconic();
    POSITION pos = m_listControlBars.GetHeadPosition();
    while (pos != nullptr)
    {
        CControlBar* pBar = (CControlBar*)m_listControlBars.GetNext(pos);
        if (pBar->m_hWnd == nullptr || !pBar->IsFloating() || !pBar->IsVisible())
            continue;
        CFrameWnd* pMiniFrame = DYNAMIC_DOWNCAST(CFrameWnd, pBar->m_pDockBar->GetParent());
        if (pMiniFrame == nullptr)
            continue;
        if (!bOnScreen)
        {
            pMiniFrame->ShowWindow(SW_HIDE);
            continue;
        }
        pMiniFrame->RecalcLayout();
        // Above this window, which owns it.
        ::SetWindowPos(pMiniFrame->m_hWnd, HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

LRESULT CMainFrame::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam)
{
    const LRESULT lResult = CMDIFrameWnd::OnIdleUpdateCmdUI(wParam, lParam);
    // Wine stacks this window above the windows it owns (floating bars,
    // Find in Nodes) once the system has given it the keyboard, which may
    // come after its activation: they come back to the front when idle.
    if (m_bPlaced)
        RaiseOwnedWindows();
    return lResult;
}

namespace {

// Whether hOwner stands above hWnd in the order of the windows.
BOOL IsBelow(HWND hWnd, HWND hOwner)
{
    for (HWND h = ::GetWindow(hWnd, GW_HWNDPREV); h != nullptr; h = ::GetWindow(h, GW_HWNDPREV))
    {
        if (h == hOwner)
            return TRUE;
    }
    return FALSE;
}

BOOL CALLBACK RaiseOwnedWindow(HWND hWnd, LPARAM lParam)
{
    const HWND hOwner = (HWND)lParam;
    if (::GetWindow(hWnd, GW_OWNER) == hOwner && ::IsWindowVisible(hWnd) &&
        !(::GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) && IsBelow(hWnd, hOwner))
        ::SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

} // namespace

void CMainFrame::RaiseOwnedWindows()
{
    if (IsWindowVisible() && !IsIconic())
        ::EnumThreadWindows(::GetCurrentThreadId(), &RaiseOwnedWindow, (LPARAM)m_hWnd);
}

void CMainFrame::LoadToolbarState(LPCSTR lpszSection)
{
    CDockState state;
    state.LoadState(lpszSection);
    if (state.m_arrBarInfo.GetSize() == 0)
        return;
    SetDockStateSafe(state);
}

// ---------------------------------------------------------------------------
// Menus

void CMainFrame::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CMDIFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    // The Divide By Zero item never shows.
    if (!bSysMenu && pPopupMenu != nullptr)
        pPopupMenu->RemoveMenu(ID_TOOLS_DIVIDEBYZERO, MF_BYCOMMAND);
    // Items the updates added or retitled become owner-drawn again.
    GlyphMenu::AfterInitMenuPopup(pPopupMenu, bSysMenu);
}

void CMainFrame::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (!GlyphMenu::MeasurePopupItem(lpMeasureItemStruct, &m_menuDocument))
        CMDIFrameWnd::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CMainFrame::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    LRESULT lResult = 0;
    if (GlyphMenu::AnswerMenuChar(nChar, nFlags, pMenu, lResult))
        return lResult;
    return CMDIFrameWnd::OnMenuChar(nChar, nFlags, pMenu);
}

// ---------------------------------------------------------------------------
// Tray

CString CMainFrame::MakeTrayTip(LPCSTR lpszTitle)
{
    CString s = lpszTitle ? lpszTitle : "";
    if (s.GetLength() > 63)
        s = s.Left(63);
    return s;
}

BOOL CMainFrame::AddTrayIcon()
{
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = m_hWnd;
    nid.uID = 0;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_TRAYNOTIFY;
    nid.hIcon = (HICON)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0);
    CString strTitle;
    GetWindowText(strTitle);
    lstrcpynA(nid.szTip, MakeTrayTip(strTitle), 64);
    const BOOL bAdded = s_pfnShellNotifyIcon(NIM_ADD, &nid);
    if (nid.hIcon != nullptr)
        ::DestroyIcon(nid.hIcon);
    return bAdded;
}

void CMainFrame::RemoveTrayIcon()
{
    if (m_bIconLeaving)
        KillTimer(kTrayIconTimer);
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = m_hWnd;
    nid.uID = 0;
    s_pfnShellNotifyIcon(NIM_DELETE, &nid);
    m_bInTray = FALSE;
    m_bIconLeaving = FALSE;
    m_hWndFocusBeforeTray = nullptr;
}

void CMainFrame::SendToTray()
{
    if (m_bInTray)
        return;
    if (m_bIconLeaving)
    {
        // Back before its icon went: the icon stays.
        KillTimer(kTrayIconTimer);
        m_bIconLeaving = FALSE;
    }
    // Without an icon the window would be lost: it stays visible then.
    else if (!AddTrayIcon())
    {
        g_log.WriteLine("WARNING: The tray icon could not be added.");
        return;
    }
    m_bInTray = TRUE;
    // Where the keyboard was, for when the window comes back.
    HWND hFocus = ::GetFocus();
    m_hWndFocusBeforeTray = (hFocus != nullptr && ::IsChild(m_hWnd, hFocus)) ? hFocus : nullptr;
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
    ShowFloatingBars(FALSE);
}

void CMainFrame::RestoreFromTray()
{
    ShowWindow(SW_SHOW);
    ShowWindow(SW_RESTORE);
    ShowFloatingBars(TRUE);
    SetForegroundWindow();
    SetActiveWindow();
    // Activated while still minimised, the window took no focus: the keys
    // go back where they went before it left.
    HWND hFocus = m_hWndFocusBeforeTray;
    if (hFocus != nullptr && ::IsChild(m_hWnd, hFocus) && ::IsWindowVisible(hFocus))
        ::SetFocus(hFocus);
    else if (!::IsChild(m_hWnd, ::GetFocus()))
        SetFocus();
    if (!m_bInTray)
        return;
    // The icon goes once the click that restored the window is over: the
    // second click of a double click lands on the icon, not on the bare
    // taskbar, which would take the activation away again.
    m_bInTray = FALSE;
    if (SetTimer(kTrayIconTimer, ::GetDoubleClickTime() + 100, nullptr) != 0)
        m_bIconLeaving = TRUE;
    else
        RemoveTrayIcon();
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTrayIconTimer)
    {
        CMDIFrameWnd::OnTimer(nIDEvent);
        return;
    }
    KillTimer(kTrayIconTimer);
    if (m_bIconLeaving)
        RemoveTrayIcon();
}

void CMainFrame::OnTrayExit()
{
    if (m_bInTray || m_bIconLeaving)
        RemoveTrayIcon();
    HWND hWnd = m_hWnd;
    SendMessage(WM_CLOSE);
    // The close was cancelled (a save prompt answered Cancel): the window
    // must not stay hidden without an icon.
    if (::IsWindow(hWnd) && FromHandlePermanent(hWnd) == this)
    {
        ShowWindow(SW_SHOW);
        ShowWindow(SW_RESTORE);
    }
}

LRESULT CMainFrame::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != 0)
        return 1;
    switch ((UINT)lParam)
    {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        RestoreFromTray();
        break;
    case WM_RBUTTONUP:
    {
        CMenu menu;
        if (!menu.LoadMenu(IDR_TRAY_MENU))
            break;
        CMenu* pPopup = menu.GetSubMenu(0);
        if (pPopup == nullptr)
            break;
        pPopup->SetDefaultItem(0, TRUE);
        POINT pt;
        ::GetCursorPos(&pt);
        SetForegroundWindow();
        pPopup->TrackPopupMenu(TPM_RIGHTBUTTON, pt.x, pt.y, this);
        PostMessage(WM_NULL);
        break;
    }
    default:
        break;
    }
    return 1;
}

LRESULT CMainFrame::OnTaskbarCreated(WPARAM, LPARAM)
{
    // A restarted shell has forgotten the icon.
    if (m_bInTray && !AddTrayIcon())
    {
        m_bInTray = FALSE;
        ShowWindow(SW_SHOW);
        ShowWindow(SW_RESTORE);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Always on top, web, options

void CMainFrame::ApplyAlwaysOnTop()
{
    CQlcApp* pApp = QlcGetApp();
    const BOOL bTop = pApp != nullptr && pApp->m_settings.m_nAlwaysOnTop == 1;
    ::SetWindowPos(m_hWnd, bTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMainFrame::OnAlwaysOnTop()
{
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr)
        return;
    pApp->m_settings.m_nAlwaysOnTop = pApp->m_settings.m_nAlwaysOnTop == 1 ? 0 : 1;
    ApplyAlwaysOnTop();
}

void CMainFrame::OnUpdateAlwaysOnTop(CCmdUI* pCmdUI)
{
    CQlcApp* pApp = QlcGetApp();
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(pApp != nullptr && pApp->m_settings.m_nAlwaysOnTop == 1);
}

namespace {

BOOL CALLBACK SendOptionsChanged(HWND hWnd, LPARAM lParam)
{
    ::SendMessageA(hWnd, (UINT)lParam, 0, 0);
    return TRUE;
}

} // namespace

void CMainFrame::OnToolsOptions()
{
    COptionsSheet sheet(IDS_OPTIONS_CAPTION, this);
    if (sheet.DoModal() == IDOK)
        BroadcastOptionsChanged();
}

void CMainFrame::BroadcastOptionsChanged()
{
    CWaitCursor wait;
    if (m_hWndMDIClient != nullptr)
        ::EnumChildWindows(m_hWndMDIClient, &SendOptionsChanged, (LPARAM)g_uOptionsChangedMsg);
}

CString CMainFrame::GetWebURL(UINT nCommand)
{
    CString strURL;
    switch (nCommand)
    {
    case ID_HELP_WEB_HOME:
        strURL.LoadString(IDS_WEB_HOME);
        break;
    case ID_HELP_WEB_UPGRADE:
        strURL.LoadString(IDS_WEB_UPGRADE);
        strURL += QLC_BUILD_STRING;
        break;
    case ID_HELP_WEB_BUGREPORT:
        strURL.LoadString(IDS_WEB_BUGREPORT);
        strURL += QLC_BUILD_STRING;
        break;
    default:
        break;
    }
    return strURL;
}

void CMainFrame::OnWebCommand(UINT nID)
{
    const CString strURL = GetWebURL(nID);
    if (!strURL.IsEmpty())
        OpenURLInBrowser(strURL, SW_SHOWNORMAL);
}

BOOL CMainFrame::OpenURLInBrowser(LPCSTR lpszURL, int nShowCmd)
{
    return CHyperLink::OpenLinkTarget(lpszURL, nShowCmd) > 32;
}

// ---------------------------------------------------------------------------
// Formatting bar

void CMainFrame::OnFontColour()
{
    m_wndFormatBar.ApplyFontColour();
}

void CMainFrame::OnHighlight()
{
    m_wndFormatBar.ApplyHighlightColour();
}

void CMainFrame::OnFormatBarDropDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTOOLBARA* pToolBar = (NMTOOLBARA*)pNMHDR;
    *pResult = TBDDRET_DEFAULT;
    switch (pToolBar->iItem)
    {
    case ID_CHAR_UNDERLINE:
        *pResult = m_wndFormatBar.OnUnderlineDropDown();
        break;
    case ID_FORMAT_FONTCOLOUR:
        *pResult = m_wndFormatBar.OnFontColourDropDown();
        break;
    case ID_FORMAT_HIGHLIGHT:
        *pResult = m_wndFormatBar.OnHighlightDropDown();
        break;
    default:
        break;
    }
}

void CMainFrame::OnChildFrameClosing(CWnd* pChildFrame)
{
    // The Find in Nodes window forgets a search of the closing notebook.
    CChildFrame* pFrame = pChildFrame ? DYNAMIC_DOWNCAST(CChildFrame, pChildFrame) : nullptr;
    if (m_pFindNodesDlg != nullptr && pFrame != nullptr)
        m_pFindNodesDlg->OnDocumentClosing(pFrame);
}

void CMainFrame::OnFindInNodes()
{
    if (m_pFindNodesDlg != nullptr && m_pFindNodesDlg->m_hWnd != nullptr && ::IsWindow(m_pFindNodesDlg->m_hWnd))
    {
        m_pFindNodesDlg->SetFocus();
        return;
    }
    delete m_pFindNodesDlg;
    m_pFindNodesDlg = new CFindNodesDlg;
    if (!m_pFindNodesDlg->Create(this))
    {
        delete m_pFindNodesDlg;
        m_pFindNodesDlg = nullptr;
        return;
    }
    m_pFindNodesDlg->ShowWindow(SW_SHOW);
}
