// The Find in Nodes window's progress bar in its status pane: a bar placed
// after the pane's message text, with the calls of the widget kit's status
// progress bar. Until that bar is in the kit this small one stands in;
// once it is, this header becomes the one line
//     typedef CProgressBar CFindProgressBar;
#pragma once

#include "framework/ui/CProgressCtrl.h"

class CStatusBar;

class CFindProgressBar : public CProgressCtrl
{
public:
    // A bar of nSize percent of the room the message leaves in the pane,
    // range 0..nMaxValue.
    CFindProgressBar(LPCSTR lpszMessage, int nSize, int nMaxValue, BOOL bSmooth, int nPane, CStatusBar* pBar);
    ~CFindProgressBar() override;

    BOOL SetRange(int nLower, int nUpper, int nStep = 1);
    int SetPos(int nPos);
    int GetPos() const;
    void SetText(LPCSTR lpszMessage);
    const CString& GetText() const { return m_strMessage; }
    // Hides the bar and gives the pane its earlier text back.
    void Clear();
    // Places the bar after the message in its pane.
    void Resize();

protected:
    int m_nSize;
    int m_nPane;
    CString m_strMessage;
    CString m_strPrevText;
    CStatusBar* m_pStatusBar;
};
