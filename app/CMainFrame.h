// The program's main window: an MDI frame with the status bar, the Standard,
// Formatting and Image toolbars, the tray icon, always-on-top, the web
// commands and the "Options Changed" broadcast. It stores its placement and bar layout when
// it is destroyed, but only when start-up placed and showed it.
#pragma once

#include "app/CFormatBar.h"

#include "core/CQlcStatus.h"

#include "widgets/CQlcToolBar.h"

#include "framework/ui/CMDIFrameWnd.h"
#include "framework/ui/CStatusBar.h"
#include "framework/ui/CToolBar.h"

#include "widgets/CSizingControlBarCF.h"
#include "widgets/CQlcHelpCtrl.h"
#include "widgets/GlyphMenu.h"

#include <atomic>
#include <map>
#include <memory>
#include <shellapi.h>

class CDockState;
class CProgressBar;
class CFindNodesDlg;

class CMainFrame : public CMDIFrameWnd, public IQlcStatusHost
{
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    // --- Start-up -------------------------------------------------------------
    void SetAppTitle();
    // Menu 129 for the document windows and menu 128 for the frame, owner-
    // drawn with the toolbar pictures, handed over as handles (the caller
    // owns them from then on; the popups' objects stay with the frame).
    HMENU LoadDocumentMenu();
    HMENU LoadDefaultMenu();
    // Makes hMenu the frame's own menu and shows it (the old one is destroyed).
    void SetDefaultMenu(HMENU hMenu);
    // Start-up placed and showed the frame: from now on its placement and
    // bar layout are worth keeping.
    // The window has its place: notebook windows shown before it take theirs.
    void SetPlaced();
    BOOL IsPlaced() const { return m_bPlaced; }

    // --- Status token (IQlcStatusHost) -----------------------------------------
    CStatusBar* GetStatusBarIfVisible() override;
    void SetStatusToken(DWORD dwToken) override;
    DWORD GetStatusToken() const override { return m_dwStatusToken.load(); }
    BOOL ShowStatusProgress(const CQlcStatus* pOwner, int nMaximum) override;
    void StepStatusProgress(const CQlcStatus* pOwner, int nStep) override;
    void EndStatusProgress(const CQlcStatus* pOwner) override;

    // --- Bars -------------------------------------------------------------------
    void LoadToolbarState(LPCSTR lpszSection);
    // Applies a stored layout; floating bars stored on no monitor come to (0,0).
    void SetDockStateSafe(CDockState& state);
    // Shows the frames of the floating bars that are on above this window
    // while it is on the screen, else hides them.
    void ShowFloatingBars(BOOL bShow);
    // Moves floating positions that lie on no monitor to (0,0).
    static void FixFloatingPositions(CDockState& state);
    int GetToolbarHeight() const { return m_nToolbarHeight; }
    CToolBar& GetStandardBar() { return m_wndToolBar; }
    CToolBar& GetImageBar() { return m_wndImageBar; }
    CFormatBar& GetFormatBar() { return m_wndFormatBar; }
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    CSizingControlBarCF& GetHelpBar() { return m_wndHelpBar; }

    // --- Help Bar ------------------------------------------------------------------
    // The captioned pane on the left; FALSE when its window cannot be made.
    BOOL CreateHelpBar();
    // The browser inside it, showing the program's help page. FALSE leaves
    // the bar empty (the browser is not there or cannot show pages): the
    // frame goes on without it.
    BOOL CreateHelpBrowser();
    // The page the Help Bar shows: the program folder's "\Help\hb_frameset.html".
    static CString GetHelpBarPage();
    void OnHelpBar();
    void OnUpdateHelpBar(CCmdUI* pCmdUI);

    // --- Tray --------------------------------------------------------------------
    void SendToTray();
    void RestoreFromTray();
    BOOL IsInTray() const { return m_bInTray; }
    // The tray tip: the window text cut to 63 characters.
    static CString MakeTrayTip(LPCSTR lpszTitle);
    // The shell call that adds and removes the icon (tests replace it).
    static BOOL (WINAPI* s_pfnShellNotifyIcon)(DWORD dwMessage, PNOTIFYICONDATAA lpData);

    // --- Always on top, web, options -------------------------------------------------
    void ApplyAlwaysOnTop();
    // Sends "Options Changed" to every window under the MDI client.
    void BroadcastOptionsChanged();
    // Opens a web page as a link does (the shell, else the ".htm" browser).
    static BOOL OpenURLInBrowser(LPCSTR lpszURL, int nShowCmd);
    // The address a web command opens.
    static CString GetWebURL(UINT nCommand);
    // The shell's open of a file or URL, shared with the links (tests
    // replace it).
    static HINSTANCE (WINAPI*& s_pfnShellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

    // A document window closes (the Find in Nodes window is told).
    void OnChildFrameClosing(CWnd* pChildFrame);
    // The Find in Nodes window's object once it was opened (its window may
    // be closed), else null.
    CFindNodesDlg* GetFindNodesDlg() const { return m_pFindNodesDlg; }

    BOOL DestroyWindow() override;

    // --- Handlers ------------------------------------------------------------------------
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    void OnSendToTray() { SendToTray(); }
    void OnTrayRestore() { RestoreFromTray(); }
    void OnTrayExit();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    // The visible windows this one owns that stand behind it, in front of
    // it again.
    void RaiseOwnedWindows();
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    // Tools > Options; OK tells every view the options changed.
    void OnToolsOptions();
    void OnAlwaysOnTop();
    void OnUpdateAlwaysOnTop(CCmdUI* pCmdUI);
    void OnWebCommand(UINT nID);
    void OnFindInNodes();
    void OnFontColour();
    void OnHighlight();
    void OnFormatBarDropDown(NMHDR* pNMHDR, LRESULT* pResult);

    enum { WM_TRAYNOTIFY = WM_USER + 100 };

protected:
    BOOL AddTrayIcon();
    void RemoveTrayIcon();

    GlyphMenu m_menuDocument;    // resource 129
    GlyphMenu m_menuDefault;     // resource 128
    CStatusBar m_wndStatusBar;
    CQlcToolBar m_wndToolBar;
    CFormatBar m_wndFormatBar;
    CQlcToolBar m_wndImageBar;
    CSizingControlBarCF m_wndHelpBar;
    CQlcHelpCtrl m_wndHelpCtrl;
    CFindNodesDlg* m_pFindNodesDlg; // the Find in Nodes window once opened
    std::atomic<DWORD> m_dwStatusToken; // set by workers' status texts too
    // The status objects' progress bars (interface thread only).
    std::map<const CQlcStatus*, std::unique_ptr<CProgressBar>> m_statusProgress;
    int m_nToolbarHeight;
    BOOL m_bPlaced;
    BOOL m_bInTray;
    BOOL m_bIconLeaving;         // restored; the icon goes when the click is over
    HWND m_hWndFocusBeforeTray;  // where the keyboard was when it went to the tray

    enum { kTrayIconTimer = 21300 };

    DECLARE_MESSAGE_MAP()
};
