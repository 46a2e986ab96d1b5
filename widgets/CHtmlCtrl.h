// The browser view as a plain child control of any window: it belongs to
// its owner (not deleted with its window), joins no document and leaves the
// frame's active view alone. Links whose address starts with "app:" are
// not followed: the rest of the address goes to HandleAppLink.
#pragma once

#include "framework/docview/CHtmlView.h"

class CHtmlCtrl : public CHtmlView
{
    DECLARE_DYNAMIC(CHtmlCtrl)
public:
    CHtmlCtrl() {}

    void OnBeforeNavigate2(LPCSTR lpszURL, DWORD nFlags, LPCSTR lpszTargetFrameName, LPCSTR lpszHeaders,
                           BOOL* pbCancel) override;
    // A command link of the page ("app:" taken off). Such links do nothing
    // here.
    virtual void HandleAppLink(LPCSTR lpszCommand);

    void PostNcDestroy() override;
    void OnDestroy();
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);

protected:
    DECLARE_MESSAGE_MAP()
};
