// What a worker tells the window that shows its progress, and the window's
// cancel request back: position, total, status text, cancel request and
// finished flag under one lock. The worker writes as it goes; the window
// reads a snapshot on its timer and redraws only when the change count
// moved. Neither side waits for the other.
#pragma once

#include "framework/base/CString.h"

class CProgressSync
{
public:
    struct CState
    {
        ULONGLONG ullCurrent = 0;
        ULONGLONG ullTotal = 0;
        CString strStatus;
        BOOL bCancelRequested = FALSE;
        BOOL bFinished = FALSE;
        // Goes up with every change: a reader compares it with the last
        // one it showed.
        DWORD dwChanges = 0;

        // Position in per cent of the total (0 while the total is unknown).
        int GetPercent() const;
    };

    CProgressSync();
    ~CProgressSync();

    // --- The worker --------------------------------------------------------------
    void SetTotal(ULONGLONG ullTotal);
    void SetCurrent(ULONGLONG ullCurrent);
    void Step(ULONGLONG ullBy = 1);
    void SetStatus(LPCSTR lpszStatus);
    // Position and text in one step: a reader never sees one without the other.
    void Update(ULONGLONG ullCurrent, LPCSTR lpszStatus);
    // The worker is done (also after a cancel): the reader may close.
    void SetFinished();

    // --- The window ----------------------------------------------------------------
    void RequestCancel();
    CState GetState() const;

    // --- Either --------------------------------------------------------------------
    BOOL IsCancelRequested() const;
    BOOL IsFinished() const;
    // Everything back to the start, for the next run.
    void Reset();

private:
    CProgressSync(const CProgressSync&) = delete;
    CProgressSync& operator=(const CProgressSync&) = delete;

    mutable CRITICAL_SECTION m_cs;
    CState m_state;
};
