#include "app/CBlankAreaView.h"

#include "app/CChildFrame.h"

#include "core/CQuillcrestDoc.h"

#include "framework/gdi/CBitmap.h"
#include "framework/gdi/CDC.h"
#include "framework/gdi/CScopedSelect.h"

#include "imaging/PLWinBmp.h"

IMPLEMENT_DYNCREATE(CBlankAreaView, CView)

BEGIN_MESSAGE_MAP(CBlankAreaView, CView)
    ON_WM_ERASEBKGND()
    ON_WM_KEYDOWN()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

CBlankAreaView::CBlankAreaView() : m_pLogo(nullptr)
{
}

CQuillcrestDoc* CBlankAreaView::GetDocument() const
{
    CDocument* pDoc = CView::GetDocument();
    return pDoc ? DYNAMIC_DOWNCAST(CQuillcrestDoc, pDoc) : nullptr;
}

void CBlankAreaView::OnInitialUpdate()
{
    RefreshLogo();
}

void CBlankAreaView::RefreshLogo()
{
    CQuillcrestDoc* pDoc = GetDocument();
    m_pLogo = pDoc ? pDoc->GetLogo() : nullptr;
    if (m_pLogo != nullptr && (m_pLogo->GetWidth() <= 0 || m_pLogo->GetHeight() <= 0))
        m_pLogo = nullptr;
    if (m_hWnd != nullptr)
        Invalidate(TRUE);
}

CRect CBlankAreaView::GetLogoRect(const CRect& rcClient, const PLWinBmp* pLogo)
{
    if (pLogo == nullptr || rcClient.Width() <= 0 || rcClient.Height() <= 0)
        return CRect();
    const int cx = pLogo->GetWidth() + 4;
    const int cy = pLogo->GetHeight() + 4;
    const int x = rcClient.left + (rcClient.Width() - cx) / 2;
    const int y = rcClient.top + (rcClient.Height() - cy) / 2;
    return CRect(x, y, x + cx, y + cy);
}

BOOL CBlankAreaView::OnEraseBkgnd(CDC* pDC)
{
    CRect rcClient;
    GetClientRect(rcClient);
    const CRect rcLogo = GetLogoRect(rcClient, m_pLogo);
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    if (rcLogo.IsRectEmpty())
    {
        pDC->FillSolidRect(rcClient, crFace);
        return TRUE;
    }
    // Only around the logo, so the logo itself never flickers.
    pDC->FillSolidRect(CRect(rcClient.left, rcClient.top, rcClient.right, rcLogo.top), crFace);
    pDC->FillSolidRect(CRect(rcClient.left, rcLogo.bottom, rcClient.right, rcClient.bottom), crFace);
    pDC->FillSolidRect(CRect(rcClient.left, rcLogo.top, rcLogo.left, rcLogo.bottom), crFace);
    pDC->FillSolidRect(CRect(rcLogo.right, rcLogo.top, rcClient.right, rcLogo.bottom), crFace);
    return TRUE;
}

void CBlankAreaView::OnDraw(CDC* pDC)
{
    CRect rcClient;
    GetClientRect(rcClient);
    const CRect rcLogo = GetLogoRect(rcClient, m_pLogo);
    if (rcLogo.IsRectEmpty())
        return;
    // Drawn off screen, then copied in one go.
    CDC dcMem;
    if (!dcMem.CreateCompatibleDC(pDC))
        return;
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(pDC->m_hDC, rcLogo.Width(), rcLogo.Height()))
        return;
    CScopedSelect select(dcMem.m_hDC, bitmap.m_hObject);
    CRect rcFrame(0, 0, rcLogo.Width(), rcLogo.Height());
    dcMem.FillSolidRect(rcFrame, ::GetSysColor(COLOR_BTNFACE));
    m_pLogo->Draw(dcMem.m_hDC, 2, 2);
    dcMem.DrawEdge(rcFrame, EDGE_SUNKEN, BF_RECT);
    pDC->BitBlt(rcLogo.left, rcLogo.top, rcLogo.Width(), rcLogo.Height(), &dcMem, 0, 0, SRCCOPY);
}

UINT CBlankAreaView::OnGetDlgCode()
{
    return DLGC_WANTTAB;
}

void CBlankAreaView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_TAB)
    {
        if (CChildFrame* pFrame = DYNAMIC_DOWNCAST(CChildFrame, GetParentFrame()))
        {
            pFrame->FocusNextPane();
            return;
        }
    }
    CView::OnKeyDown(nChar, nRepCnt, nFlags);
}
