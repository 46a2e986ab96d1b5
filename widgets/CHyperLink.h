// An underlined link label on a dialog static: it shows its URL as a
// tooltip, changes colour while the pointer is over it and once visited, and
// opens its URL with the shell when clicked (falling back on the browser
// registered for ".htm"). OpenLinkTarget is also the program's one way of
// opening a web address.
#pragma once

#include "framework/gdi/CFont.h"
#include "framework/ui/CStatic.h"
#include "framework/ui/CToolTipCtrl.h"

class CHyperLink : public CStatic
{
    DECLARE_DYNAMIC(CHyperLink)
public:
    CHyperLink();
    ~CHyperLink() override;

    void SetLinkTarget(LPCSTR lpszURL);
    const CString& GetLinkTarget() const { return m_strURL; }
    // A hover colour of -1 is the system highlight colour.
    void SetLinkColours(COLORREF clrLink, COLORREF clrVisited, COLORREF clrHover = (COLORREF)-1);
    COLORREF GetLinkColour() const { return m_clrLink; }
    COLORREF GetVisitedColour() const { return m_clrVisited; }
    COLORREF GetHoverColour() const { return m_clrHover; }
    void SetVisited(BOOL bVisited = TRUE);
    BOOL GetVisited() const { return m_bVisited; }
    BOOL IsHovering() const { return m_bHover; }
    // Null loads the default hand cursor.
    void SetLinkCursor(HCURSOR hCursor);
    HCURSOR GetLinkCursor() const { return m_hLinkCursor; }
    void SetUnderlined(BOOL bUnderline = TRUE);
    BOOL GetUnderlined() const { return m_bUnderline; }
    void SetAutoSize(BOOL bAutoSize = TRUE);
    BOOL GetAutoSize() const { return m_bAdjustToFit; }
    // The colour the text is drawn in now.
    COLORREF GetCurrentColour() const;

    // Opens a URL: the shell's "open", else the ".htm" class's open command
    // with the URL. Returns the shell's or the command's result (above 32
    // is success).
    static INT_PTR OpenLinkTarget(LPCSTR lpszURL, int nShowCmd);
    // The ".htm" open command with the URL in place of its "%1", as it would
    // be run. FALSE when the command line would not fit its 520 characters.
    static BOOL MakeOpenCommand(LPCSTR lpszCommandTemplate, LPCSTR lpszURL, CString& strCommand);
    // The message box of a failed open (result of OpenLinkTarget).
    static void ShowOpenError(INT_PTR nError);
    // The text of that box.
    static CString GetOpenErrorText(INT_PTR nError);

    // The calls that open (tests replace them).
    static HINSTANCE(WINAPI* s_pfnShellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static UINT(WINAPI* s_pfnWinExec)(LPCSTR, UINT);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void PreSubclassWindow() override;

    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnClicked();

    enum { kCommandLineSize = 520 };

protected:
    void FitWindowToText();
    void LoadHandCursor();
    void MakeLinkFont();

    COLORREF m_clrLink;
    COLORREF m_clrVisited;
    COLORREF m_clrHover;
    BOOL m_bHover;
    BOOL m_bVisited;
    BOOL m_bUnderline;
    BOOL m_bAdjustToFit;
    CString m_strURL;
    CFont m_font;
    HCURSOR m_hLinkCursor;
    CToolTipCtrl m_tooltip;

    DECLARE_MESSAGE_MAP()
};
