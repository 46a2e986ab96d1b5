#include "framework/docview/CPrintPreviewWnd.h"

#include "framework/base/CString.h"
#include "framework/docview/CPrintInfo.h"
#include "framework/docview/CView.h"
#include "framework/docview/CWinApp.h"
#include "framework/gdi/CDC.h"
#include "framework/gdi/CPaintDC.h"
#include "framework/res/AfxRes.h"
#include "framework/ui/AfxWinMsgMap.h"
#include "framework/ui/CPrintDialog.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CPrintPreviewWnd, CWnd)

BEGIN_MESSAGE_MAP(CPrintPreviewWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_KEYDOWN()
    ON_COMMAND(AFX_ID_PREVIEW_PRINT, OnPreviewPrint)
    ON_COMMAND(AFX_ID_PREVIEW_NEXT, OnPreviewNext)
    ON_COMMAND(AFX_ID_PREVIEW_PREV, OnPreviewPrev)
    ON_COMMAND(AFX_ID_PREVIEW_CLOSE, OnPreviewClose)
    ON_COMMAND(AFX_ID_PREVIEW_NUMPAGE, OnPreviewNumPage)
END_MESSAGE_MAP()

namespace
{
// The printer's device context, with the output going elsewhere when given.
class CPrinterDC : public CDC
{
public:
    CPrinterDC(HDC hdcPrinter, HDC hdcOutput)
    {
        Attach(hdcOutput != nullptr ? hdcOutput : hdcPrinter);
        m_hAttribDC = hdcPrinter;
    }
    ~CPrinterDC() override { Detach(); }
};
} // namespace

CPrintPreviewWnd::CPrintPreviewWnd(CView* pView, CPrintInfo* pInfo)
    : m_pView(pView), m_hWndView(pView->m_hWnd), m_pInfo(pInfo), m_nLastPage(0), m_nPage(0),
      m_nPagesShown(AfxGetApp() != nullptr && AfxGetApp()->m_nNumPreviewPages == 2 ? 2 : 1),
      m_hWndToolBar(nullptr), m_hWndOwner(nullptr), m_bBegun(FALSE), m_bEnded(FALSE), m_bPrintAfter(FALSE)
{
}

CPrintPreviewWnd::~CPrintPreviewWnd()
{
    for (HENHMETAFILE hPage : m_pages)
        ::DeleteEnhMetaFile(hPage);
    delete m_pInfo;
}

void CPrintPreviewWnd::PostNcDestroy()
{
    delete this;
}

CPrintPreviewWnd* CPrintPreviewWnd::Start(CView* pView, CPrintInfo* pInfo)
{
    CPrintPreviewWnd* pWnd = new CPrintPreviewWnd(pView, pInfo);
    const HDC hdcPrinter = pInfo->m_pPD->m_pd.hDC;
    CWnd* pTop = pView->GetTopLevelParent();
    pWnd->m_hWndOwner = pTop != nullptr ? pTop->m_hWnd : nullptr;
    CRect rect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);
    if (pWnd->m_hWndOwner != nullptr)
        ::GetWindowRect(pWnd->m_hWndOwner, &rect);
    if (hdcPrinter == nullptr ||
        !pWnd->CreateEx(0, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW)),
                        AfxLoadText(AFX_IDS_PREVIEW_TITLE), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect.left,
                        rect.top, rect.Width(), rect.Height(), pWnd->m_hWndOwner, nullptr))
    {
        delete pWnd;
        return nullptr;
    }
    // From here the window deletes itself when it goes.
    pWnd->m_hWndToolBar = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(AFX_IDD_PREVIEW_TOOLBAR),
                                               pWnd->m_hWnd, ToolBarProc, 0);
    CPrinterDC dc(hdcPrinter, nullptr);
    pView->OnBeginPrinting(&dc, pInfo);
    pWnd->m_bBegun = TRUE;
    if (pWnd->m_hWndToolBar == nullptr || !pWnd->ShowPage(1))
    {
        pWnd->EndPreview();
        return nullptr;
    }
    CRect rcClient;
    pWnd->GetClientRect(&rcClient);
    pWnd->OnSize(SIZE_RESTORED, rcClient.Width(), rcClient.Height());
    if (pWnd->m_hWndOwner != nullptr)
        ::EnableWindow(pWnd->m_hWndOwner, FALSE);
    pWnd->ShowWindow(SW_SHOW);
    pWnd->SetFocus();
    return pWnd;
}

HENHMETAFILE CPrintPreviewWnd::GetPageMetafile(UINT nPage) const
{
    return nPage >= 1 && nPage <= m_pages.size() ? m_pages[nPage - 1] : nullptr;
}

BOOL CPrintPreviewWnd::DrawPagesThrough(UINT nPage)
{
    if (m_nLastPage != 0 && nPage > m_nLastPage)
        return FALSE;
    if (!::IsWindow(m_hWndView))
        return nPage <= m_pages.size();
    const HDC hdcPrinter = m_pInfo->m_pPD->m_pd.hDC;
    const int cx = ::GetDeviceCaps(hdcPrinter, HORZRES);
    const int cy = ::GetDeviceCaps(hdcPrinter, VERTRES);
    const int nLogX = std::max(1, ::GetDeviceCaps(hdcPrinter, LOGPIXELSX));
    const int nLogY = std::max(1, ::GetDeviceCaps(hdcPrinter, LOGPIXELSY));
    // The metafile's frame in hundredths of a millimetre.
    const RECT rcFrame = { 0, 0, ::MulDiv(cx, 2540, nLogX), ::MulDiv(cy, 2540, nLogY) };
    while (m_pages.size() < nPage)
    {
        const UINT nDraw = (UINT)m_pages.size() + 1;
        m_pInfo->m_nCurPage = nDraw;
        m_pInfo->m_bContinuePrinting = TRUE;
        const HDC hdcMeta = ::CreateEnhMetaFileA(hdcPrinter, nullptr, &rcFrame, nullptr);
        if (hdcMeta == nullptr)
            return FALSE;
        HENHMETAFILE hPage = nullptr;
        {
            CPrinterDC dc(hdcPrinter, hdcMeta);
            if (nDraw > m_pInfo->GetToPage())
                m_pInfo->m_bContinuePrinting = FALSE;
            else
                m_pView->OnPreparePrintDC(&dc, m_pInfo);
            if (m_pInfo->m_bContinuePrinting)
            {
                m_pInfo->m_rectDraw.SetRect(0, 0, cx, cy);
                m_pView->OnPrint(&dc, m_pInfo);
            }
        }
        hPage = ::CloseEnhMetaFile(hdcMeta);
        if (!m_pInfo->m_bContinuePrinting || m_pInfo->m_bError || hPage == nullptr)
        {
            if (hPage != nullptr)
                ::DeleteEnhMetaFile(hPage);
            // A page that could not be drawn ends the preview's pages there.
            m_nLastPage = nDraw - 1;
            return FALSE;
        }
        m_pages.push_back(hPage);
    }
    return TRUE;
}

BOOL CPrintPreviewWnd::ShowPage(UINT nPage)
{
    if (nPage < 1 || !DrawPagesThrough(nPage))
        return FALSE;
    m_nPage = nPage;
    // Drawing the next page now tells whether there is one.
    DrawPagesThrough(nPage + 1);
    UpdateToolBar();
    Invalidate(TRUE);
    return TRUE;
}

void CPrintPreviewWnd::SetPagesShown(UINT nPages)
{
    m_nPagesShown = nPages == 2 ? 2 : 1;
    if (CWinApp* pApp = AfxGetApp())
        pApp->m_nNumPreviewPages = m_nPagesShown;
    UpdateToolBar();
    Invalidate(TRUE);
}

void CPrintPreviewWnd::OnPreviewNumPage()
{
    SetPagesShown(m_nPagesShown == 2 ? 1 : 2);
}

void CPrintPreviewWnd::UpdateToolBar()
{
    if (m_hWndToolBar == nullptr)
        return;
    ::EnableWindow(::GetDlgItem(m_hWndToolBar, AFX_ID_PREVIEW_NEXT), m_nPage < m_pages.size());
    ::EnableWindow(::GetDlgItem(m_hWndToolBar, AFX_ID_PREVIEW_PREV), m_nPage > 1);
    const BOOL bTwo = m_nPagesShown == 2 && GetPageMetafile(m_nPage + 1) != nullptr;
    CString strPage;
    if (bTwo)
        strPage.Format(AfxLoadText(AFX_IDS_PREVIEW_PAGES), m_nPage, m_nPage + 1);
    else
        strPage.Format(AfxLoadText(AFX_IDS_PREVIEW_PAGE), m_nPage);
    ::SetDlgItemTextA(m_hWndToolBar, AFX_IDC_PREVIEW_PAGE, strPage);
    // The button offers the other choice.
    ::SetDlgItemTextA(m_hWndToolBar, AFX_ID_PREVIEW_NUMPAGE,
                      AfxLoadText(m_nPagesShown == 2 ? AFX_IDS_PREVIEW_ONEPAGE : AFX_IDS_PREVIEW_TWOPAGE));
}

int CPrintPreviewWnd::GetToolBarHeight() const
{
    RECT rc = {};
    if (m_hWndToolBar != nullptr)
        ::GetWindowRect(m_hWndToolBar, &rc);
    return rc.bottom - rc.top;
}

void CPrintPreviewWnd::EndPreview()
{
    if (m_bEnded)
        return;
    m_bEnded = TRUE;
    if (m_bBegun && ::IsWindow(m_hWndView))
    {
        CPrinterDC dc(m_pInfo->m_pPD->m_pd.hDC, nullptr);
        m_pView->OnEndPrintPreview(&dc, m_pInfo);
    }
    // The owner is enabled before this window goes, so it gets the activation.
    if (m_hWndOwner != nullptr)
    {
        ::EnableWindow(m_hWndOwner, TRUE);
        if (::IsWindowVisible(m_hWnd))
            ::SetActiveWindow(m_hWndOwner);
    }
    if (m_bPrintAfter && ::IsWindow(m_hWndView))
        ::PostMessageA(m_hWndView, WM_COMMAND, ID_FILE_PRINT, 0);
    DestroyWindow();
}

void CPrintPreviewWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    rc.top += GetToolBarHeight();
    ::FillRect(dc.m_hDC, &rc, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    const HENHMETAFILE hPage = GetPageMetafile(m_nPage);
    if (hPage == nullptr)
        return;
    const HENHMETAFILE hNext = m_nPagesShown == 2 ? GetPageMetafile(m_nPage + 1) : nullptr;
    if (m_nPagesShown == 2)
    {
        // Two slots side by side; the second stays empty after the last page.
        CRect rcLeft = rc, rcRight = rc;
        rcLeft.right = rc.left + rc.Width() / 2;
        rcRight.left = rcLeft.right;
        DrawPage(&dc, hPage, rcLeft);
        if (hNext != nullptr)
            DrawPage(&dc, hNext, rcRight);
    }
    else
        DrawPage(&dc, hPage, rc);
}

void CPrintPreviewWnd::DrawPage(CDC* pDC, HENHMETAFILE hPage, const CRect& rcSlot)
{
    // The page fitted into the slot with a margin, in its own proportions.
    const HDC hdcPrinter = m_pInfo->m_pPD->m_pd.hDC;
    const double fWidth =
        (double)::GetDeviceCaps(hdcPrinter, HORZRES) / std::max(1, ::GetDeviceCaps(hdcPrinter, LOGPIXELSX));
    const double fHeight =
        (double)::GetDeviceCaps(hdcPrinter, VERTRES) / std::max(1, ::GetDeviceCaps(hdcPrinter, LOGPIXELSY));
    CRect rcArea = rcSlot;
    rcArea.DeflateRect(16, 16);
    if (rcArea.Width() <= 0 || rcArea.Height() <= 0 || fWidth <= 0 || fHeight <= 0)
        return;
    const double fScale = std::min(rcArea.Width() / fWidth, rcArea.Height() / fHeight);
    const int cxPage = std::max(1, (int)(fWidth * fScale));
    const int cyPage = std::max(1, (int)(fHeight * fScale));
    CRect rcPage(0, 0, cxPage, cyPage);
    rcPage.OffsetRect(rcArea.left + (rcArea.Width() - cxPage) / 2, rcArea.top + (rcArea.Height() - cyPage) / 2);
    CRect rcShadow = rcPage;
    rcShadow.OffsetRect(4, 4);
    ::FillRect(pDC->m_hDC, &rcShadow, ::GetSysColorBrush(COLOR_3DDKSHADOW));
    ::FillRect(pDC->m_hDC, &rcPage, (HBRUSH)::GetStockObject(WHITE_BRUSH));
    ::FrameRect(pDC->m_hDC, &rcPage, (HBRUSH)::GetStockObject(BLACK_BRUSH));
    ::PlayEnhMetaFile(pDC->m_hDC, hPage, &rcPage);
}

BOOL CPrintPreviewWnd::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE;   // the whole window is painted in OnPaint
}

void CPrintPreviewWnd::OnSize(UINT /*nType*/, int cx, int /*cy*/)
{
    if (m_hWndToolBar != nullptr)
        ::SetWindowPos(m_hWndToolBar, nullptr, 0, 0, cx, GetToolBarHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate(TRUE);
}

void CPrintPreviewWnd::OnClose()
{
    EndPreview();
}

void CPrintPreviewWnd::OnKeyDown(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/)
{
    if (nChar == VK_ESCAPE)
        EndPreview();
    else if (nChar == VK_NEXT)
        ShowPage(m_nPage + 1);
    else if (nChar == VK_PRIOR)
        ShowPage(m_nPage - 1);
}

void CPrintPreviewWnd::OnPreviewPrint()
{
    m_bPrintAfter = TRUE;
    EndPreview();
}

void CPrintPreviewWnd::OnPreviewNext()
{
    ShowPage(m_nPage + 1);
}

void CPrintPreviewWnd::OnPreviewPrev()
{
    ShowPage(m_nPage - 1);
}

void CPrintPreviewWnd::OnPreviewClose()
{
    EndPreview();
}

INT_PTR CALLBACK CPrintPreviewWnd::ToolBarProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    try
    {
        if (nMsg == WM_INITDIALOG)
            return FALSE;
        // The buttons' clicks are the preview window's commands; the keys
        // (Escape, Page Up and Down) go back to the preview after a click.
        if (nMsg == WM_COMMAND)
        {
            const HWND hPreview = ::GetParent(hDlg);
            ::SendMessageA(hPreview, WM_COMMAND, wParam, lParam);
            if (::IsWindow(hPreview) && ::IsWindowVisible(hPreview))
                ::SetFocus(hPreview);
            return TRUE;
        }
    }
    catch (...)
    {
    }
    return FALSE;
}
