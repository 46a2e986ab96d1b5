#include "GlyphMenuTestSupport.h"

#include "WindowTestSupport.h"

#include "framework/ui/AfxWinMsgMap.h"

CMenuTestApp& MenuTestApp()
{
    static CMenuTestApp* s_pApp = nullptr;
    if (s_pApp == nullptr)
    {
        s_pApp = new CMenuTestApp;
        s_pApp->SetAppName("Menu Test");
        s_pApp->SetRegistryKey("QuillcrestTests");
    }
    return *s_pApp;
}

BEGIN_MESSAGE_MAP(CMenuTestFrame, CFrameWnd)
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_WM_ENTERIDLE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CMenuTestFrame::CMenuTestFrame()
{
}

BOOL CMenuTestFrame::CreateWithMenu(UINT nMenuID)
{
    if (!m_menu.LoadMenu(nMenuID))
        return FALSE;
    if (!Create(nullptr, "Menus", WS_OVERLAPPEDWINDOW, CRect(40, 40, 440, 340)))
        return FALSE;
    ::SetMenu(m_hWnd, m_menu.m_hMenu);
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return TRUE;
}

void CMenuTestFrame::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS)
{
    if (!GlyphMenu::MeasurePopupItem(lpMIS, &m_menu))
        CFrameWnd::OnMeasureItem(nIDCtl, lpMIS);
    measured[(const void*)lpMIS->itemData]++;
    measuredHeights[(const void*)lpMIS->itemData] = lpMIS->itemHeight;
}

void CMenuTestFrame::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS)
{
    drawn[(const void*)lpDIS->itemData]++;
    CFrameWnd::OnDrawItem(nIDCtl, lpDIS);
}

LRESULT CMenuTestFrame::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    LRESULT lResult = 0;
    if (GlyphMenu::AnswerMenuChar(nChar, nFlags, pMenu, lResult))
        return lResult;
    return CFrameWnd::OnMenuChar(nChar, nFlags, pMenu);
}

void CMenuTestFrame::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    GlyphMenu::AfterInitMenuPopup(pPopupMenu, bSysMenu);
}

void CMenuTestFrame::OnEnterIdle(UINT nWhy, CWnd* /*pWho*/)
{
    // A menu being tracked has been measured and drawn: close it.
    if (nWhy == MSGF_MENU)
    {
        nIdle++;
        ::EndMenu();
    }
}

void CMenuTestFrame::OnDestroy()
{
    // The menu object owns the menu; the window must not destroy it.
    ::SetMenu(m_hWnd, nullptr);
    CFrameWnd::OnDestroy();
}

CMemoryCanvas::CMemoryCanvas(int cx, int cy, COLORREF crFill)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    m_hdc = ::CreateCompatibleDC(nullptr);
    m_hbm = ::CreateDIBSection(m_hdc, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_hOld = ::SelectObject(m_hdc, m_hbm);
    HBRUSH hBrush = ::CreateSolidBrush(crFill);
    RECT rc = { 0, 0, cx, cy };
    ::FillRect(m_hdc, &rc, hBrush);
    ::DeleteObject(hBrush);
}

CMemoryCanvas::~CMemoryCanvas()
{
    ::SelectObject(m_hdc, m_hOld);
    ::DeleteObject(m_hbm);
    ::DeleteDC(m_hdc);
}

GlyphMenu* PopupAt(CMenu& menu, int nPos)
{
    HMENU hSub = ::GetSubMenu(menu.m_hMenu, nPos);
    return hSub ? DYNAMIC_DOWNCAST(GlyphMenu, CMenu::FromHandlePermanent(hSub)) : nullptr;
}

ULONG_PTR ItemDataAt(HMENU hMenu, int nPos)
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_DATA;
    ::GetMenuItemInfoA(hMenu, (UINT)nPos, TRUE, &mii);
    return mii.dwItemData;
}

UINT ItemTypeAt(HMENU hMenu, int nPos)
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoA(hMenu, (UINT)nPos, TRUE, &mii);
    return mii.fType;
}
