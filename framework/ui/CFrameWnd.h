// A frame window: the main or a document window with a menu, accelerators,
// control bars around a client area, an active view, a title that follows
// its document, the status-bar message line and the command routing
// active view -> frame -> application.
#pragma once

#include "framework/base/CPtrList.h"
#include "framework/ui/CWnd.h"

class CView;
class CDocument;
class CControlBar;
class CDockBar;
class CDockState;
class CDocTemplate;

// Frame styles (low word of the window style).
#define FWS_ADDTOTITLE  0x00008000L   // title shows the active document
#define FWS_PREFIXTITLE 0x00004000L   // document name before the program name
#define FWS_SNAPTOBAR   0x00002000L   // floating frame sized to its bar

// Dock styles of frames and bars.
#define CBRS_ALIGN_LEFT     0x1000L
#define CBRS_ALIGN_TOP      0x2000L
#define CBRS_ALIGN_RIGHT    0x4000L
#define CBRS_ALIGN_BOTTOM   0x8000L
#define CBRS_ALIGN_ANY      0xF000L
#define CBRS_BORDER_LEFT    0x0100L
#define CBRS_BORDER_TOP     0x0200L
#define CBRS_BORDER_RIGHT   0x0400L
#define CBRS_BORDER_BOTTOM  0x0800L
#define CBRS_BORDER_ANY     0x0F00L
#define CBRS_TOOLTIPS       0x0010L
#define CBRS_FLYBY          0x0020L
#define CBRS_FLOAT_MULTI    0x0040L
#define CBRS_BORDER_3D      0x0080L
#define CBRS_HIDE_INPLACE   0x0008L
#define CBRS_SIZE_DYNAMIC   0x0004L
#define CBRS_SIZE_FIXED     0x0002L
#define CBRS_FLOATING       0x0001L
#define CBRS_GRIPPER        0x00400000L
#define CBRS_ORIENT_HORZ    (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT    (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ORIENT_ANY     (CBRS_ORIENT_HORZ | CBRS_ORIENT_VERT)
#define CBRS_ALL            0x0040FFFFL
#define CBRS_NOALIGN        0x00000000L
#define CBRS_LEFT           (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP            (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT          (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM         (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)

class CFrameWnd : public CWnd
{
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    static const CRect rectDefault;

    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCSTR lpszMenuName = nullptr,
                DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    // Menu, accelerators, icon and title string of resource nIDResource.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

    // --- Views and documents ----------------------------------------------
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }
    virtual BOOL OnCreateClient(LPCREATESTRUCTA lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    virtual void ActivateFrame(int nCmdShow = -1);
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);

    // --- Title and menu ----------------------------------------------------
    void SetTitle(LPCSTR lpszTitle) { m_strTitle = lpszTitle; }
    CString GetTitle() const { return m_strTitle; }
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void UpdateFrameTitleForDocument(LPCSTR lpszDocName);
    // "<title> - <document>" (or the other way round with FWS_PREFIXTITLE).
    CString MakeFrameTitle(LPCSTR lpszDocName) const;
    virtual void OnUpdateFrameMenu(HMENU hMenuAlt);
    void DelayUpdateFrameTitle() { m_nIdleFlags |= idleTitle; }
    void DelayUpdateFrameMenu(HMENU hMenuAlt) { m_hMenuAlt = hMenuAlt; m_nIdleFlags |= idleMenu; }
    virtual HACCEL GetDefaultAccelerator();

    // --- Layout and bars ---------------------------------------------------
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    void DelayRecalcLayout(BOOL bNotify = TRUE);
    void EnableDocking(DWORD dwDockStyle);
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
    void DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect = nullptr);
    // Puts the bar into a floating frame (of m_pFloatingFrameClass) at point
    // (screen); a docked bar leaves its placeholder in its row.
    void FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle = CBRS_ALIGN_TOP);
    CControlBar* GetControlBar(UINT nID);
    // Shows or hides the bar; bDelay leaves both to the next idle layout.
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    // The dock bar of an edge (AFX_IDW_DOCKBAR_xxx) or null.
    CDockBar* GetDockBar(UINT nDockBarID) const;
    // Which dock bar a style or a point (screen) asks for; 0 when none.
    UINT CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar = nullptr);
    void LoadBarState(LPCSTR lpszProfileName);
    void SaveBarState(LPCSTR lpszProfileName) const;
    void SetDockState(const CDockState& state);
    void GetDockState(CDockState& state) const;
    void AddControlBar(CControlBar* pBar) { m_listControlBars.AddTail(pBar); }
    void RemoveControlBar(CControlBar* pBar);

    // --- Message line --------------------------------------------------------
    void SetMessageText(LPCSTR lpszText);
    void SetMessageText(UINT nID);
    CWnd* GetMessageBar();
    virtual void GetMessageString(UINT nID, CString& rMessage) const;

    // --- Routing -------------------------------------------------------------
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void PostNcDestroy() override;
    virtual BOOL OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);

    // --- Handlers --------------------------------------------------------------
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnDestroy();
    void OnClose();
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSetFocus(CWnd* pOldWnd);
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    BOOL OnNcActivate(BOOL bActive);
    void OnInitMenu(CMenu* pMenu);
    void OnInitMenuPopup(CMenu* pMenu, UINT nIndex, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    void OnEnterIdle(UINT nWhy, CWnd* pWho);
    void OnDropFiles(HDROP hDropInfo);
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL bEnding);
    void OnSysCommand(UINT nID, LPARAM lParam);
    LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnRecalcParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnDDEInitiate(WPARAM wParam, LPARAM lParam);
    LRESULT OnDDEExecute(WPARAM wParam, LPARAM lParam);
    LRESULT OnDDETerminate(WPARAM wParam, LPARAM lParam);
    BOOL OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);
    void OnHelp();
    void OnHelpIndex();
    void OnHelpFinder();
    void OnContextHelp();

    enum IdleFlags { idleMenu = 1, idleTitle = 2, idleNotify = 4, idleLayout = 8 };

    BOOL m_bAutoMenuEnable;     // disables menu items without handlers
    HMENU m_hMenuDefault;       // menu shown without an active document
    HACCEL m_hAccelTable;
    CRect m_rectBorder;
    CPtrList m_listControlBars;
    int m_nWindow;              // window number in the title (0: none)
    UINT m_nIDHelp;
    UINT m_nIdleFlags;
    HMENU m_hMenuAlt;
    UINT m_nIDTracking;         // message shown in the status bar
    UINT m_nIDLastMessage;
    CView* m_pViewActive;
    BOOL m_bInRecalcLayout;
    // The class of the small frames floating bars live in (a CMiniDockFrameWnd).
    CRuntimeClass* m_pFloatingFrameClass;
    CString m_strTitle;

protected:
    DECLARE_MESSAGE_MAP()
};
