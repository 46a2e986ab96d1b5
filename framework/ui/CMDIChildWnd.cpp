#include "framework/ui/CMDIChildWnd.h"

#include "framework/docview/CCreateContext.h"
#include "framework/docview/CDocument.h"
#include "framework/ui/CMDIFrameWnd.h"
#include "framework/docview/CMultiDocTemplate.h"
#include "framework/docview/CView.h"
#include "framework/docview/CWinApp.h"

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivateMsg)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

CMDIChildWnd::CMDIChildWnd() : m_hMenuShared(nullptr), m_hAccelShared(nullptr)
{
}

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.lpszClass == nullptr)
    {
        AfxEndDeferRegisterClass();
        cs.lpszClass = AFX_WNDFRAMEORVIEW;
    }
    return TRUE;
}

BOOL CMDIChildWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          CMDIFrameWnd* pParentWnd, CCreateContext* pContext)
{
    if (pParentWnd == nullptr)
    {
        CWnd* pMain = AfxGetMainWnd();
        pParentWnd = pMain ? DYNAMIC_DOWNCAST(CMDIFrameWnd, pMain) : nullptr;
    }
    if (pParentWnd == nullptr || pParentWnd->m_hWndMDIClient == nullptr)
    {
        PostNcDestroy();
        return FALSE;
    }
    pParentWnd->RecalcLayout();

    CREATESTRUCTA cs = {};
    cs.style = (LONG)(dwStyle | WS_CHILD);
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = pParentWnd->m_hWnd;
    if (!PreCreateWindow(cs))
    {
        PostNcDestroy();
        return FALSE;
    }
    m_strTitle = lpszWindowName;

    if (pContext != nullptr && pContext->m_pNewDocTemplate != nullptr)
    {
        if (CMultiDocTemplate* pTemplate = DYNAMIC_DOWNCAST(CMultiDocTemplate, pContext->m_pNewDocTemplate))
        {
            m_hMenuShared = pTemplate->m_hMenuShared;
            m_hAccelShared = pTemplate->m_hAccelTable;
        }
    }

    MDICREATESTRUCTA mcs;
    mcs.szClass = cs.lpszClass;
    mcs.szTitle = cs.lpszName ? cs.lpszName : "";
    mcs.hOwner = ::GetModuleHandleA(nullptr);
    mcs.x = cs.x;
    mcs.y = cs.y;
    mcs.cx = cs.cx;
    mcs.cy = cs.cy;
    mcs.style = (DWORD)cs.style & ~(WS_MAXIMIZE | WS_VISIBLE);
    mcs.lParam = (LPARAM)pContext;

    AfxHookWindowCreate(this);
    HWND hWnd = (HWND)::SendMessageA(pParentWnd->m_hWndMDIClient, WM_MDICREATE, 0, (LPARAM)&mcs);
    if (!AfxUnhookWindowCreate())
    {
        PostNcDestroy();
        return FALSE;
    }
    if (hWnd == nullptr)
        return FALSE; // went through WM_NCDESTROY already

    if (dwStyle & WS_VISIBLE)
    {
        ::BringWindowToTop(hWnd);
        if (dwStyle & WS_MINIMIZE)
            ShowWindow(SW_SHOWMINIMIZED);
        else if (dwStyle & WS_MAXIMIZE)
            ShowWindow(SW_SHOWMAXIMIZED);
        else
            ShowWindow(SW_SHOWNORMAL);
        pParentWnd->MDIActivate(this);
        ::SendMessageA(pParentWnd->m_hWndMDIClient, WM_MDIREFRESHMENU, 0, 0);
    }
    return TRUE;
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    LPCSTR lpszClass = nullptr;
    if (HICON hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)))
    {
        AfxEndDeferRegisterClass();
        WNDCLASSA wc = {};
        if (::GetClassInfoA(::GetModuleHandleA(nullptr), AFX_WNDFRAMEORVIEW, &wc))
            lpszClass = AfxRegisterWndClass(wc.style, wc.hCursor, wc.hbrBackground, hIcon);
    }
    CMDIFrameWnd* pParent = pParentWnd ? DYNAMIC_DOWNCAST(CMDIFrameWnd, pParentWnd) : nullptr;
    return Create(lpszClass, "", dwDefaultStyle, rectDefault, pParent, pContext);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    HWND hWndClient = ::GetParent(m_hWnd);
    CWnd* pFrame = hWndClient ? FromHandlePermanent(::GetParent(hWndClient)) : nullptr;
    return pFrame ? DYNAMIC_DOWNCAST(CMDIFrameWnd, pFrame) : nullptr;
}

BOOL CMDIChildWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    // Keep the frame's title still while the child goes.
    CMDIFrameWnd* pFrame = GetMDIFrame();
    HWND hWndFrame = pFrame ? pFrame->m_hWnd : nullptr;
    LONG lStyle = 0;
    if (hWndFrame != nullptr)
    {
        lStyle = ::GetWindowLongA(hWndFrame, GWL_STYLE);
        ::SetWindowLongA(hWndFrame, GWL_STYLE, lStyle & ~FWS_ADDTOTITLE);
    }
    MDIDestroy();
    if (hWndFrame != nullptr && ::IsWindow(hWndFrame))
    {
        ::SetWindowLongA(hWndFrame, GWL_STYLE, lStyle);
        pFrame->OnUpdateFrameTitle(TRUE);
    }
    return TRUE;
}

void CMDIChildWnd::MDIDestroy()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_MDIDESTROY, (WPARAM)m_hWnd, 0);
}

void CMDIChildWnd::MDIActivate()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_MDIACTIVATE, (WPARAM)m_hWnd, 0);
}

void CMDIChildWnd::MDIMaximize()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_MDIMAXIMIZE, (WPARAM)m_hWnd, 0);
}

void CMDIChildWnd::MDIRestore()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_MDIRESTORE, (WPARAM)m_hWnd, 0);
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefMDIChildProcA(m_hWnd, message, wParam, lParam);
}

BOOL CMDIChildWnd::PreTranslateMessage(MSG* pMsg)
{
    // The child's accelerators act in the MDI frame's name.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
    {
        CMDIFrameWnd* pFrame = GetMDIFrame();
        HACCEL hAccel = m_hAccelShared;
        return pFrame != nullptr && hAccel != nullptr && ::TranslateAcceleratorA(pFrame->m_hWnd, hAccel, pMsg);
    }
    return CWnd::PreTranslateMessage(pMsg);
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if (nCmdShow == -1 && pFrame != nullptr)
    {
        BOOL bMaximized = FALSE;
        pFrame->MDIGetActive(&bMaximized);
        const DWORD dwStyle = GetStyle();
        if (bMaximized || (dwStyle & WS_MAXIMIZE))
            nCmdShow = SW_SHOWMAXIMIZED;
        else if (dwStyle & WS_MINIMIZE)
            nCmdShow = SW_SHOWMINIMIZED;
    }
    CFrameWnd::ActivateFrame(nCmdShow);
    if (pFrame != nullptr && IsWindowVisible())
    {
        pFrame->MDIActivate(this);
        ::SendMessageA(pFrame->m_hWndMDIClient, WM_MDIREFRESHMENU, 0, 0);
        ::DrawMenuBar(pFrame->m_hWnd);
    }
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->OnUpdateFrameTitle(bAddToTitle);
    if ((GetStyle() & FWS_ADDTOTITLE) == 0)
        return;
    CDocument* pDocument = GetActiveDocument();
    if (bAddToTitle && pDocument != nullptr)
    {
        CString strTitle = pDocument->GetTitle();
        if (m_nWindow > 0)
            strTitle.AppendFormat(":%d", m_nWindow);
        CString strOld;
        GetWindowText(strOld);
        if (strOld != strTitle)
            SetWindowText(strTitle);
    }
}

void CMDIChildWnd::OnUpdateFrameMenu(BOOL bActivate, CWnd* pActivateWnd, HMENU hMenuAlt)
{
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if (pFrame == nullptr)
        return;
    if (hMenuAlt == nullptr)
        hMenuAlt = m_hMenuShared;
    if (hMenuAlt != nullptr && bActivate)
    {
        pFrame->MDISetMenu(hMenuAlt, pFrame->GetWindowMenuPopup(hMenuAlt));
    }
    else if (!bActivate && pActivateWnd == nullptr)
    {
        // The last child goes: the frame's own menu comes back.
        pFrame->MDISetMenu(pFrame->m_hMenuDefault, pFrame->GetWindowMenuPopup(pFrame->m_hMenuDefault));
    }
}

LRESULT CMDIChildWnd::OnSetText(WPARAM, LPARAM)
{
    const LRESULT lResult = Default();
    // The Window menu names the window by its title: the client lists its
    // windows anew (wine's client does not on a new title by itself).
    HWND hClient = ::GetParent(m_hWnd);
    if (hClient != nullptr)
    {
        ::SendMessageA(hClient, WM_MDIREFRESHMENU, 0, 0);
        if (HWND hFrame = ::GetParent(hClient))
            ::DrawMenuBar(hFrame);
    }
    return lResult;
}

LRESULT CMDIChildWnd::OnMDIActivateMsg(WPARAM wParam, LPARAM lParam)
{
    const BOOL bActivate = (HWND)lParam == m_hWnd;
    OnMDIActivate(bActivate, FromHandle((HWND)lParam), FromHandle((HWND)wParam));
    return Default();
}

void CMDIChildWnd::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* /*pDeactivateWnd*/)
{
    OnUpdateFrameMenu(bActivate, (pActivateWnd && pActivateWnd->m_hWnd) ? pActivateWnd : nullptr, nullptr);
    CView* pView = GetActiveView();
    if (pView != nullptr)
        pView->OnActivateView(bActivate, pView, pView);
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->DelayUpdateFrameTitle();
}

int CMDIChildWnd::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    return CFrameWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
}

void CMDIChildWnd::OnSize(UINT nType, int cx, int cy)
{
    CFrameWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MAXIMIZED && nType != SIZE_RESTORED)
        return;
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->DelayUpdateFrameTitle();
}

void CMDIChildWnd::OnWindowPosChanging(WINDOWPOS* lpWndPos)
{
    CFrameWnd::OnWindowPosChanging(lpWndPos);
}

BOOL CMDIChildWnd::OnNcActivate(BOOL bActive)
{
    return CFrameWnd::OnNcActivate(bActive);
}

void CMDIChildWnd::OnDestroy()
{
    CFrameWnd::OnDestroy();
}
