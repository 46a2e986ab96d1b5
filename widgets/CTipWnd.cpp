#include "widgets/CTipWnd.h"

#include "framework/gdi/CClientDC.h"
#include "framework/gdi/CPaintDC.h"
#include "framework/gdi/CScopedSelect.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CTipWnd, CWnd)

BEGIN_MESSAGE_MAP(CTipWnd, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CTipWnd::CTipWnd()
{
}

BOOL CTipWnd::Create(CWnd* pOwner)
{
    m_strText.Empty();
    LPCSTR lpszClass = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
    // Above everything, as the dropped list it stands beside.
    return CreateEx(WS_EX_TOPMOST, lpszClass, "", WS_POPUP | WS_BORDER, 0, 0, 0, 0, AfxGetSafeHwnd(pOwner), nullptr);
}

void CTipWnd::ShowFontName(int x, int y, LPCSTR lpszName)
{
    if (m_hWnd == nullptr || lpszName == nullptr || std::strcmp(lpszName, m_strText) == 0)
        return;
    m_strText = lpszName;

    LOGFONTA lf = {};
    lf.lfHeight = -18;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, lpszName, LF_FACESIZE);
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&lf);

    CSize size(0, 0);
    {
        CClientDC dc(this);
        CScopedSelect selectFont(dc.GetSafeHdc(), m_font.m_hObject);
        size = dc.GetTextExtent(m_strText);
    }
    SetWindowPos(nullptr, x, y, size.cx + 8, size.cy + 8, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CTipWnd::OnEraseBkgnd(CDC* pDC)
{
    CRect rect;
    pDC->GetClipBox(rect);
    HBRUSH hBrush = ::GetSysColorBrush(COLOR_INFOBK);
    CScopedSelect selectBrush(pDC->GetSafeHdc(), hBrush);
    pDC->PatBlt(rect.left, rect.top, rect.Width(), rect.Height(), PATCOPY);
    return TRUE;
}

void CTipWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect rect;
    GetClientRect(rect);
    CScopedSelect selectFont(dc.GetSafeHdc(), m_font.m_hObject);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_INFOTEXT));
    dc.DrawText(m_strText, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
