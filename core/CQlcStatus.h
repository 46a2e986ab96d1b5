// A scoped status-bar message: a local object puts a text (and, if asked, a
// progress bar) into the main frame's status bar and takes it away when it
// ends, unless a newer status object has replaced the text meanwhile. The
// main frame keeps the token of the text it shows and the status objects'
// progress bars (IQlcStatusHost).
#pragma once

#include "framework/base/AfxDefs.h"

class CQlcStatus;
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
    // A progress bar of one status object in the first pane after its text
    // (range 0..nMaximum), in place of any bar the object had. FALSE, and no
    // bar, while the status bar is hidden.
    virtual BOOL ShowStatusProgress(const CQlcStatus* pOwner, int nMaximum) = 0;
    // Moves the owner's bar on by nStep; nothing without one.
    virtual void StepStatusProgress(const CQlcStatus* pOwner, int nStep) = 0;
    // Takes the owner's bar away; the pane gets its text back.
    virtual void EndStatusProgress(const CQlcStatus* pOwner) = 0;
};

class CQlcStatus
{
public:
    CQlcStatus();
    virtual ~CQlcStatus();

    void SetText(LPCSTR lpszText);
    // A progress bar in the first pane after its text (range 0..dwMaximum);
    // none while the status bar is hidden.
    void ShowProgress(DWORD dwMaximum);
    // Moves the bar on by nStep.
    void StepProgress(int nStep);
    BOOL HasProgress() const { return m_bProgress; }

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
    BOOL m_bProgress;   // the host holds a bar of this object
};
