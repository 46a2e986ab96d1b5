// A progress bar inside a pane of a status bar, placed after the pane's
// message text. It is made for one task and deleted by its user, which
// gives the pane its earlier text back. Without a status bar nothing is
// created and every operation does nothing.
#pragma once

#include "framework/ui/CProgressCtrl.h"

class CStatusBar;

class CProgressBar : public CProgressCtrl
{
    DECLARE_DYNAMIC(CProgressBar)
public:
    // Uncreated (dynamic creation).
    CProgressBar();
    // A bar of nSize percent of the room the message leaves in pane nPane,
    // range 0..nMaxValue. A null status bar means the main window's.
    CProgressBar(LPCSTR lpszMessage, int nSize = 100, int nMaxValue = 100, BOOL bSmooth = FALSE, int nPane = 0,
                 CStatusBar* pBar = nullptr);
    ~CProgressBar() override;

    BOOL Create(LPCSTR lpszMessage, int nSize = 100, int nMaxValue = 100, BOOL bSmooth = FALSE, int nPane = 0);

    BOOL SetRange(int nLower, int nUpper, int nStep = 1);
    int SetPos(int nPos);
    int OffsetPos(int nPos);
    int SetStep(int nStep);
    int StepIt();
    COLORREF SetBarColour(COLORREF clrBar);
    COLORREF SetBkColour(COLORREF clrBk);
    int GetPos() const;

    void SetText(LPCSTR lpszMessage);
    void SetSize(int nSize);
    const CString& GetText() const { return m_strMessage; }
    int GetSize() const { return m_nSize; }
    int GetPane() const { return m_nPane; }
    CStatusBar* GetStatusBar() const { return m_pStatusBar; }

    // Hides the bar and gives the pane its text back (the idle text for
    // pane 0).
    void Clear();
    // Places the bar after the message in its pane.
    void Resize();
    // Where the bar goes in a pane: after the message (its width plus four
    // blanks), nSize percent of what is left, a tenth of the height off the
    // top and bottom, one pixel off the right.
    static CRect CalcBarRect(const CRect& rectPane, int cxMessage, int cxBlank, int nSize);

    BOOL OnEraseBkgnd(CDC* pDC);

protected:
    // The status bar to use: the one given, else the main window's.
    CStatusBar* FindStatusBar(CStatusBar* pBar) const;

    int m_nSize;
    int m_nPane;
    CString m_strMessage;
    CString m_strPrevText;
    CRect m_rectLast;
    CStatusBar* m_pStatusBar;

    DECLARE_MESSAGE_MAP()
};
