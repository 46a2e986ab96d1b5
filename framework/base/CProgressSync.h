// What a worker tells the window that shows its progress, and the window's
// cancel request back: position, total, status and item texts under one
// lock, the cancel request and the finished flag as flags of their own, so
// that a worker may look at them as often as it likes. The worker writes as
// it goes; the window reads a snapshot on its timer and redraws only when
// the change count moved. Neither side waits for the other.
#pragma once

#include "framework/base/CString.h"

#include <atomic>

class CProgressSync
{
public:
    struct CState
    {
        ULONGLONG ullCurrent = 0;
        ULONGLONG ullTotal = 0;
        CString strStatus;
        CString strItem;               // what is being worked on
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
    void SetItem(LPCSTR lpszItem);
    // Position and text in one step: a reader never sees one without the other.
    void Update(ULONGLONG ullCurrent, LPCSTR lpszStatus);
    // The worker is done (also after a cancel): the reader may close.
    void SetFinished();

    // --- The window ----------------------------------------------------------------
    // FALSE takes the request back (a job started afresh).
    void RequestCancel(BOOL bCancel = TRUE);
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
    CState m_state;                     // the flags below are not kept here
    std::atomic<BOOL> m_bCancelRequested;
    std::atomic<BOOL> m_bFinished;
};
