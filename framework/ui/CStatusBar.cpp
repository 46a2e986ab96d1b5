#include "framework/ui/CStatusBar.h"

#include "framework/base/CUiChannel.h"
#include "framework/gdi/CClientDC.h"
#include "framework/gdi/CFont.h"
#include "framework/gdi/CScopedSelect.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
END_MESSAGE_MAP()

namespace {

// Update of one status-bar pane.
class CStatusCmdUI : public CCmdUI
{
public:
    CStatusBar* m_pBar = nullptr;
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        const UINT nOld = m_pBar->GetPaneStyle((int)m_nIndex);
        const UINT nNew = bOn ? (nOld & ~SBPS_DISABLED) : (nOld | SBPS_DISABLED);
        if (nNew != nOld)
            m_pBar->SetPaneStyle((int)m_nIndex, nNew);
    }
    void SetCheck(int nCheck) override
    {
        const UINT nOld = m_pBar->GetPaneStyle((int)m_nIndex);
        const UINT nNew = nCheck ? (nOld | SBPS_POPOUT) : (nOld & ~SBPS_POPOUT);
        if (nNew != nOld)
            m_pBar->SetPaneStyle((int)m_nIndex, nNew);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCSTR lpszText) override { m_pBar->SetPaneText((int)m_nIndex, lpszText); }
};

} // namespace

CStatusBar::CStatusBar()
{
    m_bForwardToOwner = FALSE;
}

CStatusBar::~CStatusBar()
{
}

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    m_pDockSite = pParentWnd ? DYNAMIC_DOWNCAST(CFrameWnd, pParentWnd) : nullptr;
    SetOwner(pParentWnd);
    DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | WS_CHILD | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    if (pParentWnd != nullptr && (pParentWnd->GetStyle() & WS_THICKFRAME))
        dwWndStyle |= SBARS_SIZEGRIP;
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, dwWndStyle, 0, 0, 0, 0, AfxGetSafeHwnd(pParentWnd),
                        (HMENU)(UINT_PTR)nID))
        return FALSE;
    SetFont(CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (m_pDockSite != nullptr)
        m_pDockSite->AddControlBar(this);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    m_panes.clear();
    CClientDC dc(this);
    CScopedSelect font(dc.m_hDC, (HFONT)SendMessage(WM_GETFONT));
    BOOL bResult = TRUE;
    for (int i = 0; i < nIDCount; i++)
    {
        PANE pane;
        pane.nID = lpIDArray[i];
        pane.nStyle = 0;
        pane.cxText = 0;
        if (pane.nID == ID_SEPARATOR)
        {
            pane.nStyle = (i == 0) ? (SBPS_STRETCH | SBPS_NOBORDERS) : 0;
        }
        else
        {
            CString strText;
            if (!strText.LoadString(pane.nID))
                bResult = FALSE;
            pane.cxText = dc.GetTextExtent(strText).cx;
            pane.strText = strText;
        }
        m_panes.push_back(pane);
    }
    UpdateAllPanes();
    return bResult;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (size_t i = 0; i < m_panes.size(); i++)
    {
        if (m_panes[i].nID == nIDFind)
            return (int)i;
    }
    return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return (nIndex >= 0 && nIndex < GetCount()) ? m_panes[(size_t)nIndex].nID : 0;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!::SendMessageA(m_hWnd, SB_GETRECT, (WPARAM)nIndex, (LPARAM)lpRect))
        ::SetRectEmpty(lpRect);
}

void CStatusBar::ShowPaneText(int nIndex)
{
    const PANE& pane = m_panes[(size_t)nIndex];
    UINT nType = 0;
    if (pane.nStyle & SBPS_NOBORDERS)
        nType |= SBT_NOBORDERS;
    if (pane.nStyle & SBPS_POPOUT)
        nType |= SBT_POPOUT;
    LPCSTR lpsz = (pane.nStyle & SBPS_DISABLED) ? "" : (LPCSTR)pane.strText;
    ::SendMessageA(m_hWnd, SB_SETTEXTA, (WPARAM)(nIndex | nType), (LPARAM)lpsz);
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCSTR lpszNewText, BOOL bUpdate)
{
    // Workers set status texts too; the panes belong to the interface
    // thread, which paints from them.
    if (!CUiChannel::IsUiThread())
        return CUiChannel::Call([&]() { return SetPaneText(nIndex, lpszNewText, bUpdate); });
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    m_panes[(size_t)nIndex].strText = lpszNewText ? lpszNewText : "";
    if (m_hWnd != nullptr)
    {
        ShowPaneText(nIndex);
        if (bUpdate)
            UpdateWindow();
    }
    return TRUE;
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return CString();
    return m_panes[(size_t)nIndex].strText;
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    if (nIndex < 0 || nIndex >= GetCount())
    {
        nID = 0;
        nStyle = 0;
        cxWidth = 0;
        return;
    }
    const PANE& pane = m_panes[(size_t)nIndex];
    nID = pane.nID;
    nStyle = pane.nStyle;
    cxWidth = pane.cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    PANE& pane = m_panes[(size_t)nIndex];
    pane.nID = nID;
    pane.nStyle = nStyle;
    pane.cxText = cxWidth;
    UpdateAllPanes();
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return (nIndex >= 0 && nIndex < GetCount()) ? m_panes[(size_t)nIndex].nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    m_panes[(size_t)nIndex].nStyle = nStyle;
    if (m_hWnd != nullptr)
        ShowPaneText(nIndex);
}

void CStatusBar::UpdateAllPanes()
{
    if (m_hWnd == nullptr || m_panes.empty())
        return;
    CRect rect;
    GetClientRect(rect);
    const int cxPad = 2 * ::GetSystemMetrics(SM_CXEDGE) + 6;
    const int cxGrip = (GetStyle() & SBARS_SIZEGRIP) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
    int cxFixed = 0;
    for (const PANE& pane : m_panes)
    {
        if (!(pane.nStyle & SBPS_STRETCH))
            cxFixed += pane.cxText + cxPad;
    }
    const int cxStretch = std::max(0, rect.Width() - cxFixed - cxGrip);
    std::vector<int> rights;
    int x = 0;
    for (const PANE& pane : m_panes)
    {
        x += (pane.nStyle & SBPS_STRETCH) ? cxStretch : pane.cxText + cxPad;
        rights.push_back(x);
    }
    rights.back() = -1; // the last pane runs to the edge
    SendMessage(SB_SETPARTS, (WPARAM)rights.size(), (LPARAM)rights.data());
    for (int i = 0; i < GetCount(); i++)
        ShowPaneText(i);
}

CSize CStatusBar::CalcFixedLayout(BOOL bStretch, BOOL /*bHorz*/)
{
    CClientDC dc(this);
    TEXTMETRICA tm = {};
    {
        CScopedSelect font(dc.m_hDC, (HFONT)SendMessage(WM_GETFONT));
        dc.GetTextMetrics(&tm);
    }
    const int cy = tm.tmHeight + 2 * ::GetSystemMetrics(SM_CYEDGE) + 6;
    return CSize(bStretch ? 32767 : 0, cy);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL /*bDisableIfNoHndler*/)
{
    CStatusCmdUI state;
    state.m_pBar = this;
    state.m_nIndexMax = (UINT)GetCount();
    for (int i = 0; i < GetCount(); i++)
    {
        state.m_nIndex = (UINT)i;
        state.m_nID = m_panes[(size_t)i].nID;
        if (state.m_nID == ID_SEPARATOR)
            continue;
        state.DoUpdate(pTarget, FALSE);
    }
}

void CStatusBar::OnSize(UINT nType, int cx, int cy)
{
    CControlBar::OnSize(nType, cx, cy);
    UpdateAllPanes();
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    // The window text is the first pane's.
    if (m_panes.empty())
        return Default();
    return SetPaneText(0, (LPCSTR)lParam);
}

LRESULT CStatusBar::OnGetText(WPARAM wParam, LPARAM lParam)
{
    if (m_panes.empty())
        return Default();
    const CString& s = m_panes[0].strText;
    if (wParam == 0 || lParam == 0)
        return 0;
    lstrcpynA((LPSTR)lParam, s, (int)wParam);
    return std::min<int>(s.GetLength(), (int)wParam - 1);
}

LRESULT CStatusBar::OnGetTextLength(WPARAM, LPARAM)
{
    if (m_panes.empty())
        return Default();
    return m_panes[0].strText.GetLength();
}
