#include "widgets/CHtmlCtrl.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CHtmlCtrl, CHtmlView)

BEGIN_MESSAGE_MAP(CHtmlCtrl, CHtmlView)
    ON_WM_DESTROY()
    ON_WM_MOUSEACTIVATE()
END_MESSAGE_MAP()

void CHtmlCtrl::OnBeforeNavigate2(LPCSTR lpszURL, DWORD /*nFlags*/, LPCSTR /*lpszTargetFrameName*/,
                                  LPCSTR /*lpszHeaders*/, BOOL* pbCancel)
{
    static const char s_szPrefix[] = "app:";
    const size_t cchPrefix = sizeof(s_szPrefix) - 1;
    if (lpszURL != nullptr && std::strlen(lpszURL) >= cchPrefix && _strnicmp(lpszURL, s_szPrefix, cchPrefix) == 0)
    {
        if (pbCancel != nullptr)
            *pbCancel = TRUE;
        HandleAppLink(lpszURL + cchPrefix);
    }
}

void CHtmlCtrl::HandleAppLink(LPCSTR /*lpszCommand*/)
{
}

void CHtmlCtrl::PostNcDestroy()
{
    // The owner keeps the object.
}

void CHtmlCtrl::OnDestroy()
{
    ReleaseBrowser();
    // A plain window's end: no frame to tell about an active view.
    CWnd::OnDestroy();
}

int CHtmlCtrl::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    return CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
}
