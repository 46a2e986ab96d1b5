#include "CFormatRangeStandIn.h"

#include <string>

namespace {
const char kProp[] = "QlcFormatRangeStandIn";
}

CFormatRangeStandIn::CFormatRangeStandIn(HWND hWndRichEdit) : m_hWnd(hWndRichEdit)
{
    ::SetPropA(m_hWnd, kProp, this);
    m_pfnOld = (WNDPROC)::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)WndProc);
}

CFormatRangeStandIn::~CFormatRangeStandIn()
{
    if (::IsWindow(m_hWnd))
    {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnOld);
        ::RemovePropA(m_hWnd, kProp);
    }
}

LRESULT CALLBACK CFormatRangeStandIn::WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CFormatRangeStandIn* pThis = (CFormatRangeStandIn*)::GetPropA(hWnd, kProp);
    if (pThis == nullptr)
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    if (nMsg == EM_FORMATRANGE)
    {
        if (lParam == 0)
        {
            pThis->nClears++;
            return 0;
        }
        return pThis->FormatRange((BOOL)wParam, (const FORMATRANGE*)lParam);
    }
    const WNDPROC pfnOld = pThis->m_pfnOld;
    if (nMsg == WM_NCDESTROY)
    {
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)pfnOld);
        ::RemovePropA(hWnd, kProp);
    }
    return ::CallWindowProcA(pfnOld, hWnd, nMsg, wParam, lParam);
}

LRESULT CFormatRangeStandIn::FormatRange(BOOL bRender, const FORMATRANGE* pfr)
{
    nCalls++;
    rcLast = pfr->rc;
    rcPageLast = pfr->rcPage;
    hdcTargetLast = pfr->hdcTarget;
    // The text as positions count it: one '\r' between paragraphs.
    GETTEXTLENGTHEX gtl = { GTL_PRECISE | GTL_NUMCHARS, CP_ACP };
    const long nLength = (long)::CallWindowProcA(m_pfnOld, m_hWnd, EM_GETTEXTLENGTHEX, (WPARAM)&gtl, 0);
    std::string strText(nLength + 1, '\0');
    GETTEXTEX gt = { (DWORD)strText.size(), GT_DEFAULT, CP_ACP, nullptr, nullptr };
    ::CallWindowProcA(m_pfnOld, m_hWnd, EM_GETTEXTEX, (WPARAM)&gt, (LPARAM)&strText[0]);
    strText.resize(nLength);
    long nPos = pfr->chrg.cpMin;
    if (bStuck || nPos >= nLength)
        return nPos;
    const int nLines = (pfr->rc.bottom - pfr->rc.top) / kLineTwips;
    const int nLogX = ::GetDeviceCaps(pfr->hdc, LOGPIXELSX);
    const int nLogY = ::GetDeviceCaps(pfr->hdc, LOGPIXELSY);
    for (int nLine = 0; nLine < nLines && nPos < nLength; nLine++)
    {
        size_t nEnd = strText.find('\r', nPos);
        if (nEnd == std::string::npos)
            nEnd = nLength;
        if (bRender)
            ::TextOutA(pfr->hdc, ::MulDiv(pfr->rc.left, nLogX, 1440),
                       ::MulDiv(pfr->rc.top + nLine * kLineTwips, nLogY, 1440), strText.c_str() + nPos,
                       (int)(nEnd - nPos));
        nPos = (long)nEnd + 1;
    }
    return nPos < nLength ? nPos : nLength;
}
