// Per-thread state of the window half of the framework: handle maps, the
// message being handled, the window being created and the creation hook.
#pragma once

#include "framework/ui/CHandleMap.h"

class CWnd;
class CWinThread;

struct AFX_THREAD_STATE
{
    CHandleMap* m_pmapHWND = nullptr;
    CHandleMap* m_pmapHMENU = nullptr;
    CHandleMap* m_pmapHDC = nullptr;
    CHandleMap* m_pmapHGDIOBJ = nullptr;
    CHandleMap* m_pmapHIMAGELIST = nullptr;

    MSG m_lastSentMsg = {};         // the message the current handler answers (Default)
    CWnd* m_pWndInit = nullptr;     // window object waiting for its HWND
    HHOOK m_hHookOldCbtFilter = nullptr;
    int m_nTempMapLock = 0;         // temporary wrappers stay while > 0
    CWinThread* m_pCurrentWinThread = nullptr;
    HMENU m_hTrackingMenu = nullptr; // popup last opened, for owner-draw measuring
    int m_nMsgLast = 0;             // last message id seen by the idle check
    POINT m_ptCursorLast = {};
    HWND m_hWndLastFlyBy = nullptr;
};

AFX_THREAD_STATE* AFXAPI AfxGetThreadState();
// Frees the calling thread's state (thread end).
void AFXAPI AfxTermThreadState();
// Deletes every temporary wrapper of the calling thread unless locked.
void AFXAPI AfxDeleteTempMaps();
void AFXAPI AfxLockTempMaps();
BOOL AFXAPI AfxUnlockTempMaps();

// Handle maps of the calling thread, created on first use.
CHandleMap* AFXAPI afxMapHWND();
CHandleMap* AFXAPI afxMapHMENU();
CHandleMap* AFXAPI afxMapHDC();
CHandleMap* AFXAPI afxMapHGDIOBJ();
CHandleMap* AFXAPI afxMapHIMAGELIST();
