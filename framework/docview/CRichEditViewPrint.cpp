// Printing a rich-text view: the text laid out page by page with
// EM_FORMATRANGE on the printer (or onto a preview page made for it).
#include "framework/docview/CRichEditView.h"

#include "framework/docview/CPrintInfo.h"
#include "framework/gdi/CDC.h"

#include <algorithm>

namespace
{
int ToTwips(int nPixels, int nPixelsPerInch)
{
    return ::MulDiv(nPixels, 1440, std::max(1, nPixelsPerInch));
}
} // namespace

long CRichEditView::FormatPage(CDC* pDC, long nIndexStart, long nIndexStop, BOOL bRender)
{
    const HDC hdcTarget = pDC->m_hAttribDC != nullptr ? pDC->m_hAttribDC : pDC->m_hDC;
    const int nLogX = ::GetDeviceCaps(hdcTarget, LOGPIXELSX);
    const int nLogY = ::GetDeviceCaps(hdcTarget, LOGPIXELSY);
    // The printable area, and the paper around it (a plain device has none).
    const int cxPrint = ToTwips(::GetDeviceCaps(hdcTarget, HORZRES), nLogX);
    const int cyPrint = ToTwips(::GetDeviceCaps(hdcTarget, VERTRES), nLogY);
    int cxPaper = ToTwips(::GetDeviceCaps(hdcTarget, PHYSICALWIDTH), nLogX);
    int cyPaper = ToTwips(::GetDeviceCaps(hdcTarget, PHYSICALHEIGHT), nLogY);
    const int xOffset = ToTwips(::GetDeviceCaps(hdcTarget, PHYSICALOFFSETX), nLogX);
    const int yOffset = ToTwips(::GetDeviceCaps(hdcTarget, PHYSICALOFFSETY), nLogY);
    if (cxPaper <= 0 || cyPaper <= 0)
    {
        cxPaper = cxPrint;
        cyPaper = cyPrint;
    }
    // The margins count from the paper's edges; the device's origin is the
    // printable area's corner.
    FORMATRANGE fr = {};
    fr.hdc = pDC->m_hDC;
    fr.hdcTarget = hdcTarget;
    fr.rcPage = { 0, 0, cxPrint, cyPrint };
    fr.rc.left = std::max(0, (int)m_rectMargin.left - xOffset);
    fr.rc.top = std::max(0, (int)m_rectMargin.top - yOffset);
    fr.rc.right = std::min(cxPrint, cxPaper - (int)m_rectMargin.right - xOffset);
    fr.rc.bottom = std::min(cyPrint, cyPaper - (int)m_rectMargin.bottom - yOffset);
    // Margins wider than the paper leave at least an inch to print on.
    if (fr.rc.right - fr.rc.left < 1440)
        fr.rc.right = std::min(cxPrint, (int)fr.rc.left + 1440);
    if (fr.rc.bottom - fr.rc.top < 1440)
        fr.rc.bottom = std::min(cyPrint, (int)fr.rc.top + 1440);
    fr.chrg.cpMin = nIndexStart;
    fr.chrg.cpMax = nIndexStop;
    return (long)::SendMessageA(m_hWnd, EM_FORMATRANGE, bRender, (LPARAM)&fr);
}

long CRichEditView::PrintPage(CDC* pDC, long nIndexStart, long nIndexStop)
{
    return FormatPage(pDC, nIndexStart, nIndexStop, TRUE);
}

long CRichEditView::MeasurePage(CDC* pDC, long nIndexStart, long nIndexStop)
{
    return FormatPage(pDC, nIndexStart, nIndexStop, FALSE);
}

long CRichEditView::GetTextLengthPrecise() const
{
    GETTEXTLENGTHEX gtl = {};
    gtl.flags = GTL_PRECISE | GTL_NUMCHARS;
    gtl.codepage = 1200;   // characters, as positions count them
    return (long)::SendMessageA(m_hWnd, EM_GETTEXTLENGTHEX, (WPARAM)&gtl, 0);
}

void CRichEditView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    m_aPageStart.assign(1, 0);
    m_bLastPageKnown = FALSE;
    CCtrlView::OnBeginPrinting(pDC, pInfo);
}

void CRichEditView::OnPreparePrintDC(CDC* pDC, CPrintInfo* pInfo)
{
    const UINT nPage = pInfo->m_nCurPage;
    // A page asked for beyond those laid out: lay out (without drawing) the
    // ones before it.
    while (!m_bLastPageKnown && !pInfo->m_bError && m_aPageStart.size() < nPage)
    {
        const long nStart = m_aPageStart.back();
        NextPage(pInfo, (UINT)m_aPageStart.size(), nStart, MeasurePage(pDC, nStart, -1));
    }
    pInfo->m_bContinuePrinting = !pInfo->m_bError && nPage >= 1 && nPage <= m_aPageStart.size() &&
                                 nPage <= pInfo->GetMaxPage();
}

void CRichEditView::OnPrint(CDC* pDC, CPrintInfo* pInfo)
{
    const UINT nPage = pInfo->m_nCurPage;
    if (nPage < 1 || nPage > m_aPageStart.size())
        return;
    const long nStart = m_aPageStart[nPage - 1];
    NextPage(pInfo, nPage, nStart, PrintPage(pDC, nStart, -1));
}

void CRichEditView::NextPage(CPrintInfo* pInfo, UINT nPage, long nStart, long nNext)
{
    const long nLength = GetTextLengthPrecise();
    if (nNext >= nLength)
    {
        m_bLastPageKnown = TRUE;
        pInfo->SetMaxPage(nPage);
    }
    else if (nNext <= nStart)
    {
        // The control laid nothing out while text remains: printing on would
        // give blank pages, or lose the rest, and call it done.
        pInfo->m_bError = TRUE;
        pInfo->m_bContinuePrinting = FALSE;
    }
    else if (nPage == m_aPageStart.size())
        m_aPageStart.push_back(nNext);
}

void CRichEditView::OnEndPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    // The control keeps what it laid out for the device until told.
    ::SendMessageA(m_hWnd, EM_FORMATRANGE, FALSE, 0);
    m_aPageStart.clear();
    m_bLastPageKnown = FALSE;
    CCtrlView::OnEndPrinting(pDC, pInfo);
}
