#include "framework/ui/CWnd.h"

#include "framework/base/AfxPrompt.h"
#include "framework/ui/AfxState.h"
#include "framework/gdi/CClientDC.h"
#include "framework/gdi/CDC.h"
#include "framework/ui/CDataExchange.h"
#include "framework/base/CException.h"
#include "framework/gdi/CFont.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CMenu.h"
#include "framework/docview/CWinApp.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

// ---------------------------------------------------------------------------
// Message-map helpers

CWnd* AFXAPI AfxWndFromHandle(HWND hWnd)
{
    return CWnd::FromHandle(hWnd);
}

CDC* AFXAPI AfxDCFromHandle(HDC hDC)
{
    return CDC::FromHandle(hDC);
}

CMenu* AFXAPI AfxMenuFromHandle(HMENU hMenu)
{
    return CMenu::FromHandle(hMenu);
}

// The base map holds the messages whose default handling is the framework's
// (reflection to controls, owner-drawn menus, the end of the window's life).
BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_NCDESTROY()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
    ON_WM_CTLCOLOR()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

// ---------------------------------------------------------------------------
// Window classes

namespace {

HINSTANCE ClassInstance()
{
    return ::GetModuleHandleA(nullptr);
}

BOOL RegisterIfNeeded(WNDCLASSA& wc)
{
    WNDCLASSA existing;
    if (::GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing))
        return TRUE;
    return ::RegisterClassA(&wc) != 0;
}

} // namespace

BOOL AFXAPI AfxEndDeferRegisterClass()
{
    static bool s_bDone = false;
    if (s_bDone)
        return TRUE;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ClassInstance();
    wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);

    BOOL b = TRUE;
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = AFX_WND_CLASS;
    b &= RegisterIfNeeded(wc);

    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = AFX_WNDFRAMEORVIEW;
    b &= RegisterIfNeeded(wc);

    wc.style = CS_DBLCLKS;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = AFX_WNDMDIFRAME;
    b &= RegisterIfNeeded(wc);

    wc.style = CS_DBLCLKS;
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = AFX_WNDCONTROLBAR;
    b &= RegisterIfNeeded(wc);

    s_bDone = b != FALSE;
    return b;
}

LPCSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    // The name encodes the traits, so equal requests share one class. The
    // returned text stays valid for the run.
    static std::vector<CString>* s_pNames = new std::vector<CString>;
    char sz[96];
    snprintf(sz, sizeof(sz), "Afx:%p:%x:%p:%p:%p", (void*)ClassInstance(), nClassStyle, (void*)hCursor,
             (void*)hbrBackground, (void*)hIcon);
    for (const CString& s : *s_pNames)
    {
        if (s == sz)
            return s;
    }
    WNDCLASSA wc = {};
    wc.style = nClassStyle;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ClassInstance();
    wc.hIcon = hIcon;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.lpszClassName = sz;
    if (!RegisterIfNeeded(wc))
        throw CUserException();
    s_pNames->push_back(CString(sz));
    return s_pNames->back();
}

// ---------------------------------------------------------------------------
// Creation hook and the window procedure

namespace {

// Reports an exception caught at the window procedure and gives the result
// the message needs so that Windows carries on sensibly.
LRESULT ProcessWndProcException(HWND hWnd, UINT nMsg, const char* pszKind, CException* pException)
{
    try
    {
        TRACE("Exception (%s) in the window procedure, message 0x%04X.\n", pszKind, nMsg);
        if (nMsg == WM_PAINT)
            ::ValidateRect(hWnd, nullptr);
        if (pException != nullptr)
            pException->ReportError(MB_ICONSTOP, AFX_IDP_INTERNAL_FAILURE);
        else if (strcmp(pszKind, "memory") == 0)
            AfxMessageBox(AFX_IDP_FAILED_MEMORY_ALLOC, MB_ICONSTOP);
        else
            AfxMessageBox(AFX_IDP_INTERNAL_FAILURE, MB_ICONSTOP);
    }
    catch (...)
    {
    }
    return nMsg == WM_CREATE ? -1 : 0;
}

// Detaches a window object after its last message, when a handler of a
// derived class did not pass WM_NCDESTROY on to CWnd's.
void FinishNcDestroy(CWnd* pWnd, HWND hWnd)
{
    if (CWnd::FromHandlePermanent(hWnd) != pWnd)
        return; // already done by CWnd::OnNcDestroy
    pWnd->NcDestroyCleanup();
}

} // namespace

LRESULT AFXAPI AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    AFX_THREAD_STATE* pState = AfxGetThreadState();
    const MSG oldMsg = pState->m_lastSentMsg;
    pState->m_lastSentMsg.hwnd = hWnd;
    pState->m_lastSentMsg.message = nMsg;
    pState->m_lastSentMsg.wParam = wParam;
    pState->m_lastSentMsg.lParam = lParam;
    AfxLockTempMaps();

    LRESULT lResult = 0;
    try
    {
        lResult = pWnd->WindowProc(nMsg, wParam, lParam);
        if (nMsg == WM_NCDESTROY)
            FinishNcDestroy(pWnd, hWnd);
    }
    catch (CException& e)
    {
        lResult = ProcessWndProcException(hWnd, nMsg, "framework", &e);
    }
    catch (std::bad_alloc&)
    {
        lResult = ProcessWndProcException(hWnd, nMsg, "memory", nullptr);
    }
    catch (...)
    {
        lResult = ProcessWndProcException(hWnd, nMsg, "unknown", nullptr);
    }

    AfxUnlockTempMaps();
    pState->m_lastSentMsg = oldMsg;
    return lResult;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    try
    {
        if (nMsg == WM_QUERYAFXWNDPROC)
            return 1;
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd == nullptr)
            return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
        return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
    }
    catch (...)
    {
        return 0;
    }
}

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    AFX_THREAD_STATE* pState = AfxGetThreadState();
    try
    {
        if (code == HCBT_CREATEWND && pState->m_pWndInit != nullptr)
        {
            HWND hWnd = (HWND)wParam;
            // Input-method windows made on the side are not ours.
            char szClass[16] = "";
            ::GetClassNameA(hWnd, szClass, sizeof(szClass));
            if (lstrcmpiA(szClass, "IME") != 0)
            {
                CWnd* pWndInit = pState->m_pWndInit;
                pState->m_pWndInit = nullptr;
                pWndInit->Attach(hWnd);
                pWndInit->PreSubclassWindow();
                WNDPROC pfnOld = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
                if (pfnOld != &AfxWndProc)
                    *pWndInit->GetSuperWndProcAddr() = pfnOld;
            }
        }
    }
    catch (...)
    {
    }
    return ::CallNextHookEx(pState->m_hHookOldCbtFilter, code, wParam, lParam);
}

void AFXAPI AfxHookWindowCreate(CWnd* pWnd)
{
    AFX_THREAD_STATE* pState = AfxGetThreadState();
    if (pState->m_hHookOldCbtFilter == nullptr)
    {
        pState->m_hHookOldCbtFilter = ::SetWindowsHookExA(WH_CBT, &AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
        if (pState->m_hHookOldCbtFilter == nullptr)
            throw std::bad_alloc();
    }
    pState->m_pWndInit = pWnd;
}

BOOL AFXAPI AfxUnhookWindowCreate()
{
    AFX_THREAD_STATE* pState = AfxGetThreadState();
    if (pState->m_pWndInit != nullptr)
    {
        pState->m_pWndInit = nullptr;
        return FALSE; // nothing was created
    }
    return TRUE;
}

// ---------------------------------------------------------------------------
// Objects and handles

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_hWndOwner(nullptr), m_nModalResult(-1), m_bContinueModal(FALSE)
{
}

CWnd::~CWnd()
{
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this)
    {
        // The object goes before its window: let the window go the
        // system's way, without this (half-destroyed) object.
        HWND hWnd = m_hWnd;
        UnsubclassWindow();
        ::DestroyWindow(hWnd);
    }
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd)
{
    return static_cast<CWnd*>(afxMapHWND()->FromHandle(hWnd));
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    return static_cast<CWnd*>(afxMapHWND()->LookupPermanent(hWnd));
}

void PASCAL CWnd::DeleteTempMap()
{
    afxMapHWND()->DeleteTemp();
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (hWndNew == nullptr)
        return FALSE;
    m_hWnd = hWndNew;
    afxMapHWND()->SetPermanent(hWndNew, this);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h != nullptr)
        afxMapHWND()->RemoveHandle(h);
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC pfnOld = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
    if (pfnOld != &AfxWndProc)
        *GetSuperWndProcAddr() = pfnOld;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND hWndControl = ::GetDlgItem(pParent->m_hWnd, (int)nID);
    if (hWndControl == nullptr)
        return FALSE;
    return SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow()
{
    WNDPROC* lplpfn = GetSuperWndProcAddr();
    if (*lplpfn != nullptr && (WNDPROC)::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC) == &AfxWndProc)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)*lplpfn);
    *lplpfn = nullptr;
    return Detach();
}

// ---------------------------------------------------------------------------
// Creation and destruction

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.lpszClass == nullptr)
    {
        AfxEndDeferRegisterClass();
        cs.lpszClass = AFX_WND_CLASS;
    }
    return TRUE;
}

void CWnd::PreSubclassWindow()
{
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, AfxGetSafeHwnd(pParentWnd),
                    (HMENU)(UINT_PTR)nID, (LPVOID)pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, AfxGetSafeHwnd(pParentWnd),
                    (HMENU)(UINT_PTR)nID, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    AfxEndDeferRegisterClass();
    CREATESTRUCTA cs;
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = (LONG)dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = ::GetModuleHandleA(nullptr);
    cs.lpCreateParams = lpParam;

    if (!PreCreateWindow(cs))
    {
        PostNcDestroy();
        return FALSE;
    }

    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, (DWORD)cs.style, cs.x, cs.y, cs.cx,
                                  cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    if (!AfxUnhookWindowCreate())
    {
        // Nothing was created, so nothing called PostNcDestroy.
        PostNcDestroy();
        return FALSE;
    }
    // A window whose creation failed after it was attached has already been
    // through WM_NCDESTROY (and may have deleted this object).
    return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

void CWnd::PostNcDestroy()
{
}

void CWnd::OnNcDestroy()
{
    const LRESULT lIgnored = Default();
    (void)lIgnored;
    NcDestroyCleanup();
}

void CWnd::NcDestroyCleanup()
{
    // The main window of a thread is gone: the thread (the program for the
    // application's thread) ends.
    CWinThread* pThread = AfxGetThread();
    if (pThread != nullptr && pThread->m_pMainWnd == this)
    {
        pThread->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp != pThread && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;

    UnsubclassWindow();
    PostNcDestroy();
}

// ---------------------------------------------------------------------------
// Dispatch

const MSG* CWnd::GetCurrentMessage()
{
    return &AfxGetThreadState()->m_lastSentMsg;
}

LRESULT CWnd::Default()
{
    const MSG& msg = AfxGetThreadState()->m_lastSentMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT lResult = 0;
    if (message == WM_COMMAND)
    {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY)
    {
        NMHDR* pNMHDR = (NMHDR*)lParam;
        if (pNMHDR == nullptr || pNMHDR->hwndFrom == nullptr || !OnNotify(wParam, lParam, &lResult))
            return FALSE;
        *pResult = lResult;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, 0, 0);
    if (pEntry == nullptr)
        return FALSE;
    AFX_MSGARGS args = { message, wParam, lParam, 0, 0, 0, nullptr };
    pEntry->pfn(this, args);
    *pResult = args.lResult;
    return TRUE;
}

namespace {

// Records whether a command is enabled, for the check before a menu or
// accelerator command runs.
class CTestCmdUI : public CCmdUI
{
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL bOn) override { m_bEnabled = bOn; m_bEnableChanged = TRUE; }
    void SetCheck(int) override {}
    void SetRadio(BOOL) override {}
    void SetText(LPCSTR) override {}
};

} // namespace

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    HWND hWndCtrl = (HWND)lParam;
    const int nCode = HIWORD(wParam);

    if (hWndCtrl == nullptr)
    {
        // Menu or accelerator: a command that became disabled does nothing.
        if (nID == 0)
            return FALSE;
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled)
            return TRUE;
        return OnCmdMsg(nID, (int)CN_COMMAND, nullptr, nullptr);
    }

    if (ReflectLastMsg(hWndCtrl))
        return TRUE; // the control handled its own notification
    if (nID == 0)
        return FALSE;
    if (nCode == 0)
        return OnCmdMsg(nID, (int)CN_COMMAND, nullptr, nullptr);
    return OnCmdMsg(nID, (int)MAKELONG(nCode, WM_COMMAND), nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM /*wParam*/, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pNMHDR = (NMHDR*)lParam;
    HWND hWndCtrl = pNMHDR->hwndFrom;
    const UINT nID = (UINT)pNMHDR->idFrom;
    const int nCode = (int)pNMHDR->code;

    if (ReflectLastMsg(hWndCtrl, pResult))
        return TRUE;
    AFX_NOTIFY notify = { pResult, pNMHDR };
    return OnCmdMsg(nID, (int)MAKELONG(nCode, WM_NOTIFY), &notify, nullptr);
}

BOOL PASCAL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    CWnd* pWnd = FromHandlePermanent(hWndChild);
    if (pWnd == nullptr)
        return FALSE;
    const MSG msg = AfxGetThreadState()->m_lastSentMsg;
    return pWnd->OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message)
    {
    case WM_COMMAND:
    {
        const UINT nCode = HIWORD(wParam);
        const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(WM_REFLECT_BASE + WM_COMMAND, nCode, 0);
        if (pEntry == nullptr)
            return FALSE;
        AFX_MSGARGS args = { WM_REFLECT_BASE + WM_COMMAND, wParam, lParam, 0, 0, (int)nCode, nullptr };
        const BOOL b = pEntry->pfn(this, args);
        if (b && pResult != nullptr)
            *pResult = 0;
        return b;
    }
    case WM_NOTIFY:
    {
        NMHDR* pNMHDR = (NMHDR*)lParam;
        const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(WM_REFLECT_BASE + WM_NOTIFY, (UINT)pNMHDR->code, 0);
        if (pEntry == nullptr)
            return FALSE;
        LRESULT lResult = 0;
        AFX_NOTIFY notify = { &lResult, pNMHDR };
        AFX_MSGARGS args = { WM_REFLECT_BASE + WM_NOTIFY, wParam, lParam, 0, 0, (int)pNMHDR->code, &notify };
        const BOOL b = pEntry->pfn(this, args);
        if (b && pResult != nullptr)
            *pResult = lResult;
        return b;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    {
        const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(WM_REFLECT_BASE + message, 0, 0);
        if (pEntry == nullptr)
            return FALSE;
        AFX_MSGARGS args = { WM_REFLECT_BASE + message, wParam, lParam, 0, 0, 0, nullptr };
        pEntry->pfn(this, args);
        const bool bCtlColor = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
        if (bCtlColor && args.lResult == 0)
            return FALSE; // no brush: the parent decides
        if (pResult != nullptr)
            *pResult = args.lResult;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL CWnd::PreTranslateMessage(MSG* /*pMsg*/)
{
    return FALSE;
}

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd))
    {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm)
{
    SendMessageToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

void PASCAL CWnd::SendMessageToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                           BOOL bOnlyPerm)
{
    for (HWND hWndChild = ::GetTopWindow(hWnd); hWndChild != nullptr;
         hWndChild = ::GetNextWindow(hWndChild, GW_HWNDNEXT))
    {
        if (bOnlyPerm)
        {
            CWnd* pWnd = FromHandlePermanent(hWndChild);
            if (pWnd != nullptr)
                AfxCallWndProc(pWnd, hWndChild, message, wParam, lParam);
        }
        else
        {
            ::SendMessageA(hWndChild, message, wParam, lParam);
        }
        if (bDeep && ::GetTopWindow(hWndChild) != nullptr)
            SendMessageToDescendants(hWndChild, message, wParam, lParam, bDeep, bOnlyPerm);
    }
}

// ---------------------------------------------------------------------------
// Modal loop

int CWnd::RunModalLoop(DWORD dwFlags)
{
    // A window that was never made (a popup whose creation failed) has no
    // loop to run.
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd))
    {
        m_bContinueModal = FALSE;
        return m_nModalResult;
    }
    m_bContinueModal = TRUE;
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    BOOL bShowIdle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    HWND hWndParent = ::GetParent(m_hWnd);
    MSG msg;
    for (;;)
    {
        while (bIdle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (bShowIdle)
            {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                bShowIdle = FALSE;
            }
            if (!(dwFlags & MLF_NOIDLEMSG) && hWndParent != nullptr && lIdleCount == 0)
                ::SendMessageA(hWndParent, WM_ENTERIDLE, MSGF_DIALOGBOX, (LPARAM)m_hWnd);
            if ((dwFlags & MLF_NOKICKIDLE) || !SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, lIdleCount++))
                bIdle = FALSE;
        }
        do
        {
            if (!ContinueModal())
                return m_nModalResult;
            if (!::IsWindow(m_hWnd))
            {
                // Destroyed without EndModalLoop: nothing is left to wait for.
                m_bContinueModal = FALSE;
                return m_nModalResult;
            }
            if (!::GetMessageA(&msg, nullptr, 0, 0))
            {
                // The program is ending: leave the quit for the outer loop.
                ::PostQuitMessage((int)msg.wParam);
                return -1;
            }
            CWinThread* pThread = AfxGetThread();
            const BOOL bTaken = pThread ? pThread->PreTranslateMessage(&msg)
                                        : CWnd::WalkPreTranslateTree(nullptr, &msg);
            if (!bTaken)
            {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            if (bShowIdle && (msg.message == 0x118 || msg.message == WM_SYSKEYDOWN))
            {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                bShowIdle = FALSE;
            }
            if (!ContinueModal())
                return m_nModalResult;
            if (msg.message != WM_PAINT && msg.message != 0x118 && msg.message != WM_TIMER)
            {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void CWnd::EndModalLoop(int nResult)
{
    m_nModalResult = nResult;
    if (m_bContinueModal)
    {
        m_bContinueModal = FALSE;
        PostMessage(WM_NULL);
    }
}

BOOL CWnd::ContinueModal()
{
    return m_bContinueModal;
}

// ---------------------------------------------------------------------------
// Family and geometry

CWnd* CWnd::GetOwner() const
{
    return m_hWndOwner != nullptr ? FromHandle(m_hWndOwner) : GetParent();
}

CFrameWnd* CWnd::GetParentFrame() const
{
    if (m_hWnd == nullptr)
        return nullptr;
    for (HWND hWnd = ::GetParent(m_hWnd); hWnd != nullptr; hWnd = ::GetParent(hWnd))
    {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            return static_cast<CFrameWnd*>(pWnd);
    }
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    CFrameWnd* pFrame = nullptr;
    if (CWnd* pSelf = FromHandlePermanent(m_hWnd))
    {
        if (pSelf->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            pFrame = static_cast<CFrameWnd*>(pSelf);
    }
    if (pFrame == nullptr)
        pFrame = GetParentFrame();
    while (pFrame != nullptr)
    {
        CFrameWnd* pNext = pFrame->GetParentFrame();
        if (pNext == nullptr)
            break;
        pFrame = pNext;
    }
    return pFrame;
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND hWnd = m_hWnd;
    while (hWnd != nullptr && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    return FromHandle(hWnd);
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const
{
    for (HWND hWndChild = ::GetTopWindow(m_hWnd); hWndChild != nullptr;
         hWndChild = ::GetNextWindow(hWndChild, GW_HWNDNEXT))
    {
        if (::GetDlgCtrlID(hWndChild) == nID)
        {
            CWnd* pWnd = bOnlyPerm ? FromHandlePermanent(hWndChild) : FromHandle(hWndChild);
            if (pWnd != nullptr)
                return pWnd;
        }
        CWnd* pChild = FromHandle(hWndChild);
        if (::GetTopWindow(hWndChild) != nullptr)
        {
            if (CWnd* pWnd = pChild->GetDescendantWindow(nID, bOnlyPerm))
                return pWnd;
        }
    }
    return nullptr;
}

BOOL PASCAL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD dwStyle = (DWORD)::GetWindowLongA(hWnd, GWL_STYLE);
    const DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongA(hWnd, GWL_STYLE, (LONG)dwNewStyle);
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL PASCAL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD dwStyle = (DWORD)::GetWindowLongA(hWnd, GWL_EXSTYLE);
    const DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongA(hWnd, GWL_EXSTYLE, (LONG)dwNewStyle);
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyStyleEx(m_hWnd, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    // The special positions (HWND_TOP, HWND_TOPMOST...) come as fake pointers.
    HWND hAfter = reinterpret_cast<HWND>(const_cast<CWnd*>(pWndInsertAfter));
    if (pWndInsertAfter != nullptr && (UINT_PTR)pWndInsertAfter > 0xFFFF &&
        (INT_PTR)pWndInsertAfter != (INT_PTR)HWND_TOPMOST && (INT_PTR)pWndInsertAfter != (INT_PTR)HWND_NOTOPMOST &&
        (INT_PTR)pWndInsertAfter != (INT_PTR)HWND_BOTTOM)
        hAfter = pWndInsertAfter->m_hWnd;
    return ::SetWindowPos(m_hWnd, hAfter, x, y, cx, cy, nFlags);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::ClientToScreen(m_hWnd, (LPPOINT)lpRect);
    ::ClientToScreen(m_hWnd, ((LPPOINT)lpRect) + 1);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, (LPPOINT)lpRect);
    ::ScreenToClient(m_hWnd, ((LPPOINT)lpRect) + 1);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const
{
    lpwndpl->length = sizeof(WINDOWPLACEMENT);
    return ::GetWindowPlacement(m_hWnd, lpwndpl);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    CRect rcDlg;
    GetWindowRect(rcDlg);
    CRect rcArea;
    HWND hCenter = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (GetStyle() & WS_CHILD)
        hCenter = ::GetParent(m_hWnd);
    if (hCenter != nullptr && !(GetStyle() & WS_CHILD) && (!::IsWindowVisible(hCenter) || ::IsIconic(hCenter)))
        hCenter = nullptr;

    if (hCenter == nullptr)
    {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    }
    else if (GetStyle() & WS_CHILD)
    {
        ::GetClientRect(hCenter, &rcArea);
    }
    else
    {
        ::GetWindowRect(hCenter, &rcArea);
    }
    int x = (rcArea.left + rcArea.right) / 2 - rcDlg.Width() / 2;
    int y = (rcArea.top + rcArea.bottom) / 2 - rcDlg.Height() / 2;
    if (!(GetStyle() & WS_CHILD))
    {
        CRect rcWork;
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
        x = std::max<int>(rcWork.left, std::min<int>(x, rcWork.right - rcDlg.Width()));
        y = std::max<int>(rcWork.top, std::min<int>(y, rcWork.bottom - rcDlg.Height()));
    }
    SetWindowPos(nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::MoveClearOf(const RECT& rcClear)
{
    CRect rcWnd;
    GetWindowRect(rcWnd);
    CRect rcCommon;
    if (!rcCommon.IntersectRect(rcWnd, &rcClear))
        return;
    // Above the rectangle when there is room on its monitor, else below it.
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    HMONITOR hMonitor = ::MonitorFromRect(&rcClear, MONITOR_DEFAULTTONEAREST);
    CRect rcWork(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    if (hMonitor != nullptr && ::GetMonitorInfoA(hMonitor, &mi))
        rcWork = mi.rcWork;
    const int nGap = 8;
    if (rcClear.top - nGap - rcWnd.Height() >= rcWork.top)
        rcWnd.OffsetRect(0, rcClear.top - nGap - rcWnd.bottom);
    else if (rcClear.bottom + nGap + rcWnd.Height() <= rcWork.bottom)
        rcWnd.OffsetRect(0, rcClear.bottom + nGap - rcWnd.top);
    else
        return; // no room either way: it stays where it is
    SetWindowPos(nullptr, rcWnd.left, rcWnd.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------
// Text, fonts, menus, DCs

void CWnd::GetWindowText(CString& rString) const
{
    const int n = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, rString.GetBuffer(n), n + 1);
    rString.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    HWND hWnd = ::GetDlgItem(m_hWnd, nID);
    if (hWnd == nullptr)
        return 0;
    const int n = ::GetWindowTextLengthA(hWnd);
    ::GetWindowTextA(hWnd, rString.GetBuffer(n), n + 1);
    rString.ReleaseBuffer();
    return rString.GetLength();
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, (WPARAM)(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const
{
    HFONT h = (HFONT)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0);
    return h ? CFont::FromHandle(h) : nullptr;
}

CMenu* CWnd::GetMenu() const
{
    HMENU h = ::GetMenu(m_hWnd);
    return h ? CMenu::FromHandle(h) : nullptr;
}

BOOL CWnd::SetMenu(CMenu* pMenu)
{
    return ::SetMenu(m_hWnd, pMenu ? pMenu->m_hMenu : nullptr);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const
{
    HMENU h = ::GetSystemMenu(m_hWnd, bRevert);
    return h ? CMenu::FromHandle(h) : nullptr;
}

CDC* CWnd::GetDC()
{
    return CDC::FromHandle(::GetDC(m_hWnd));
}

CDC* CWnd::GetWindowDC()
{
    return CDC::FromHandle(::GetWindowDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* pDC)
{
    return ::ReleaseDC(m_hWnd, pDC->m_hDC);
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    if (lpszCaption == nullptr)
        lpszCaption = AfxGetAppName();
    return AfxShowMessageBox(m_hWnd, lpszText, lpszCaption, nType);
}

// ---------------------------------------------------------------------------
// Layout

void AFXAPI AfxInitCommonControls(DWORD dwClasses)
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), dwClasses };
    ::InitCommonControlsEx(&icc);
}

int AFXAPI AfxGetListItemText(HWND hWnd, UINT nLengthMsg, UINT nTextMsg, int nIndex, CString& rString)
{
    const int nLen = (int)::SendMessageA(hWnd, nLengthMsg, (WPARAM)nIndex, 0);
    if (nLen < 0) // LB_ERR and CB_ERR
    {
        rString.Empty();
        return nLen;
    }
    const int n = (int)::SendMessageA(hWnd, nTextMsg, (WPARAM)nIndex, (LPARAM)rString.GetBuffer(nLen + 1));
    rString.ReleaseBuffer(n < 0 ? 0 : n);
    return n;
}

void AFXAPI AfxRepositionWindow(AFX_SIZEPARENTPARAMS* lpLayout, HWND hWnd, LPCRECT lpRect)
{
    HWND hWndParent = ::GetParent(hWnd);
    CRect rectOld;
    ::GetWindowRect(hWnd, rectOld);
    ::ScreenToClient(hWndParent, &rectOld.TopLeft());
    ::ScreenToClient(hWndParent, &rectOld.BottomRight());
    if (::EqualRect(rectOld, lpRect))
        return;
    if (lpLayout->hDWP != nullptr)
    {
        lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, hWnd, nullptr, lpRect->left, lpRect->top,
                                          lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
                                          SWP_NOACTIVATE | SWP_NOZORDER);
    }
    else
    {
        ::SetWindowPos(hWnd, nullptr, lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                       lpRect->bottom - lpRect->top, SWP_NOACTIVATE | SWP_NOZORDER);
    }
}

namespace {

// Bars take their pieces in this order: the status bar spans the whole
// bottom, then the top and bottom dock rows, then the sides.
int LayoutRank(UINT nID)
{
    switch (nID)
    {
    case AFX_IDW_STATUS_BAR: return 0;
    case AFX_IDW_DOCKBAR_TOP: return 1;
    case AFX_IDW_DOCKBAR_BOTTOM: return 2;
    case AFX_IDW_DOCKBAR_LEFT: return 3;
    case AFX_IDW_DOCKBAR_RIGHT: return 4;
    default: return 5;
    }
}

} // namespace

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag, LPRECT lpRectParam,
                          LPCRECT lpRectClient, BOOL bStretch)
{
    AFX_SIZEPARENTPARAMS layout = {};
    layout.bStretch = bStretch;
    if (lpRectClient != nullptr)
        layout.rect = *lpRectClient;
    else
        ::GetClientRect(m_hWnd, &layout.rect);
    layout.hDWP = (nFlag != reposQuery) ? ::BeginDeferWindowPos(8) : nullptr;

    HWND hWndLeftOver = nullptr;
    std::vector<std::pair<int, HWND>> bars;
    for (HWND hWndChild = ::GetTopWindow(m_hWnd); hWndChild != nullptr;
         hWndChild = ::GetNextWindow(hWndChild, GW_HWNDNEXT))
    {
        const UINT nIDC = (UINT)::GetDlgCtrlID(hWndChild);
        if (nIDC == nIDLeftOver)
            hWndLeftOver = hWndChild;
        else if (nIDC >= nIDFirst && nIDC <= nIDLast && FromHandlePermanent(hWndChild) != nullptr)
            bars.push_back({ LayoutRank(nIDC), hWndChild });
    }
    std::stable_sort(bars.begin(), bars.end(),
                     [](const std::pair<int, HWND>& a, const std::pair<int, HWND>& b) { return a.first < b.first; });
    for (auto& bar : bars)
        ::SendMessageA(bar.second, WM_SIZEPARENT, 0, (LPARAM)&layout);

    if (nFlag == reposQuery)
    {
        if (bStretch)
            ::CopyRect(lpRectParam, &layout.rect);
        else
        {
            lpRectParam->left = lpRectParam->top = 0;
            lpRectParam->right = layout.sizeTotal.cx;
            lpRectParam->bottom = layout.sizeTotal.cy;
        }
        return;
    }

    if (nFlag == reposExtra && lpRectParam != nullptr)
    {
        layout.rect.left += lpRectParam->left;
        layout.rect.top += lpRectParam->top;
        layout.rect.right -= lpRectParam->right;
        layout.rect.bottom -= lpRectParam->bottom;
    }
    if (hWndLeftOver != nullptr)
        AfxRepositionWindow(&layout, hWndLeftOver, &layout.rect);
    if (layout.hDWP != nullptr)
        ::EndDeferWindowPos(layout.hDWP);
}

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    CCmdUI state;
    for (HWND hWndChild = ::GetTopWindow(m_hWnd); hWndChild != nullptr;
         hWndChild = ::GetNextWindow(hWndChild, GW_HWNDNEXT))
    {
        state.m_hWndOther = hWndChild;
        state.m_nID = (UINT)::GetDlgCtrlID(hWndChild);
        // Only push buttons are commands; other controls are left enabled.
        const DWORD dwStyle = (DWORD)::GetWindowLongA(hWndChild, GWL_STYLE);
        const DWORD dwType = dwStyle & BS_TYPEMASK;
        const BOOL bIsButton = (::SendMessageA(hWndChild, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0;
        const BOOL bPush = bIsButton && (dwType == BS_PUSHBUTTON || dwType == BS_DEFPUSHBUTTON);
        state.DoUpdate(pTarget, bDisableIfNoHndler && bPush);
    }
}

void CWnd::CalcWindowRect(LPRECT lpClientRect, UINT /*nAdjustType*/)
{
    ::AdjustWindowRectEx(lpClientRect, GetStyle(), FALSE, GetExStyle());
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    // Without controls there is nothing to exchange: the members stay (a
    // property page that was never shown keeps its values).
    if (m_hWnd == nullptr)
        return TRUE;
    CDataExchange dx(this, bSaveAndValidate);
    try
    {
        DoDataExchange(&dx);
    }
    catch (CUserException&)
    {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange* /*pDX*/)
{
}

// ---------------------------------------------------------------------------
// Default handlers

int CWnd::OnCreate(LPCREATESTRUCTA) { return (int)Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnActivateApp(BOOL, DWORD) { Default(); }
BOOL CWnd::OnNcActivate(BOOL) { return (BOOL)Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return (int)Default(); }
void CWnd::OnInitMenu(CMenu*) { Default(); }
void CWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL)
{
    if (pPopupMenu != nullptr)
        AfxGetThreadState()->m_hTrackingMenu = pPopupMenu->m_hMenu;
    Default();
}
void CWnd::OnMenuSelect(UINT, UINT, HMENU) { Default(); }
LRESULT CWnd::OnMenuChar(UINT, UINT, CMenu*) { return Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) { Default(); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnNcPaint() { Default(); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnNcMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
void CWnd::OnDropFiles(HDROP) { Default(); }
BOOL CWnd::OnQueryEndSession() { return (BOOL)Default(); }
void CWnd::OnEndSession(BOOL) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnSettingChange(UINT, LPCSTR) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
BOOL CWnd::OnQueryNewPalette() { return (BOOL)Default(); }
void CWnd::OnPaletteChanged(CWnd*) { Default(); }
UINT CWnd::OnGetDlgCode() { return (UINT)Default(); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnEnterIdle(UINT, CWnd*) { Default(); }
BOOL CWnd::OnHelpInfo(HELPINFO*) { return (BOOL)Default(); }
void CWnd::OnParentNotify(UINT, LPARAM) { Default(); }
BOOL CWnd::OnCopyData(CWnd*, COPYDATASTRUCT*) { return (BOOL)Default(); }

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct->CtlType == ODT_MENU)
    {
        // The popup being tracked, else this window's menu bar.
        CMenu* pMenu = nullptr;
        HMENU hTracking = AfxGetThreadState()->m_hTrackingMenu;
        if (hTracking != nullptr && ::IsMenu(hTracking))
        {
            pMenu = CMenu::FromHandlePermanent(hTracking);
            if (pMenu == nullptr || ::GetMenuState(hTracking, lpMeasureItemStruct->itemID, MF_BYCOMMAND) == (UINT)-1)
                pMenu = CMenu::FindPopupMenuFromID(hTracking, lpMeasureItemStruct->itemID);
        }
        if (pMenu == nullptr)
            pMenu = CMenu::FindPopupMenuFromID(::GetMenu(m_hWnd), lpMeasureItemStruct->itemID);
        if (pMenu != nullptr)
        {
            pMenu->MeasureItem(lpMeasureItemStruct);
            return;
        }
    }
    else
    {
        HWND hWndChild = ::GetDlgItem(m_hWnd, nIDCtl);
        if (hWndChild != nullptr && ReflectLastMsg(hWndChild))
            return;
    }
    Default();
}

void CWnd::OnDrawItem(int /*nIDCtl*/, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType == ODT_MENU)
    {
        CMenu* pMenu = CMenu::FromHandlePermanent((HMENU)lpDrawItemStruct->hwndItem);
        if (pMenu != nullptr)
        {
            pMenu->DrawItem(lpDrawItemStruct);
            return;
        }
    }
    else if (ReflectLastMsg(lpDrawItemStruct->hwndItem))
    {
        return;
    }
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC* /*pDC*/, CWnd* pWnd, UINT /*nCtlColor*/)
{
    LRESULT lResult = 0;
    if (pWnd != nullptr && pWnd->m_hWnd != m_hWnd && ReflectLastMsg(pWnd->m_hWnd, &lResult))
        return (HBRUSH)lResult;
    return (HBRUSH)Default();
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (pScrollBar != nullptr && ReflectLastMsg(reinterpret_cast<CWnd*>(pScrollBar)->m_hWnd))
        return;
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (pScrollBar != nullptr && ReflectLastMsg(reinterpret_cast<CWnd*>(pScrollBar)->m_hWnd))
        return;
    Default();
}
