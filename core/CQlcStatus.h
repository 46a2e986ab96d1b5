// A scoped status-bar message: a local object puts a text (and, later, a
// progress bar) into the main frame's status bar and takes it away when it
// ends, unless a newer status object has replaced the text meanwhile. The
// main frame keeps the token of the text it shows (IQlcStatusHost).
#pragma once

#include "framework/base/AfxDefs.h"

class CStatusBar;

// What the main frame offers status objects.
class IQlcStatusHost
{
public:
    virtual ~IQlcStatusHost() {}
    // The status bar when its window exists and is visible, else null.
    virtual CStatusBar* GetStatusBarIfVisible() = 0;
    // Stores the owner token of the text shown; 0 puts the idle text back.
    virtual void SetStatusToken(DWORD dwToken) = 0;
    virtual DWORD GetStatusToken() const = 0;
};

class CQlcStatus
{
public:
    CQlcStatus();
    virtual ~CQlcStatus();

    void SetText(LPCSTR lpszText);
    // A progress bar over the first pane (range 0..dwMaximum). The status
    // bar's progress control is not part of the program yet, so this shows
    // nothing for now.
    void ShowProgress(DWORD dwMaximum);
    void StepProgress(int nStep);

    // The token a new text takes: the tick count, but always newer than the
    // last one handed out (two texts in one tick must not share a token) and
    // never 0 (the idle text's).
    static DWORD NextToken();

private:
    CQlcStatus(const CQlcStatus&) = delete;
    CQlcStatus& operator=(const CQlcStatus&) = delete;

    IQlcStatusHost* m_pHost;
    DWORD m_dwToken;
    BOOL m_bHasToken;
};
