// A tooltip control: tools (a window's rectangle with an id) whose text is
// fixed or asked for (TTN_NEEDTEXT), shown from the mouse messages the owner
// relays to it (RelayEvent, from its PreTranslateMessage).
#pragma once

#include "framework/ui/CWnd.h"

#include <commctrl.h>

class CToolTipCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    CToolTipCtrl() {}

    // A topmost popup owned by pParentWnd.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);

    // A tool over lpRectTool of pWnd (null: the whole window). A null text
    // is LPSTR_TEXTCALLBACK: the owner answers TTN_NEEDTEXT.
    BOOL AddTool(CWnd* pWnd, LPCSTR lpszText = LPSTR_TEXTCALLBACKA, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    int GetToolCount() const { return (int)SendMessage(TTM_GETTOOLCOUNT); }
    void RelayEvent(LPMSG lpMsg) { SendMessage(TTM_RELAYEVENT, 0, (LPARAM)lpMsg); }
    void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, (WPARAM)bActivate); }
    int SetMaxTipWidth(int nWidth) { return (int)SendMessage(TTM_SETMAXTIPWIDTH, 0, (LPARAM)nWidth); }
    void SetDelayTime(DWORD dwDuration, int nTime) { SendMessage(TTM_SETDELAYTIME, dwDuration, MAKELPARAM(nTime, 0)); }
    void Pop() { SendMessage(TTM_POP); }

private:
    static void FillInToolInfo(TTTOOLINFOA& ti, CWnd* pWnd, UINT_PTR nIDTool);
};
