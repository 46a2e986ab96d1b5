#include "framework/ui/AfxState.h"

#include "framework/gdi/CDC.h"
#include "framework/gdi/CGdiObject.h"
#include "framework/gdi/CImageList.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CWnd.h"

namespace {

// A POD pointer: thread_local objects with destructors are unreliable with
// the mingw run-time, so the state is freed by hand at thread end.
thread_local AFX_THREAD_STATE* t_pState = nullptr;

CObject* NewWnd(HANDLE h) { CWnd* p = new CWnd; p->m_hWnd = (HWND)h; return p; }
void DeleteTempWnd(CObject* p) { static_cast<CWnd*>(p)->m_hWnd = nullptr; delete p; }
CObject* NewMenu(HANDLE h) { CMenu* p = new CMenu; p->m_hMenu = (HMENU)h; return p; }
void DeleteTempMenu(CObject* p) { static_cast<CMenu*>(p)->m_hMenu = nullptr; delete p; }
CObject* NewDC(HANDLE h) { CDC* p = new CDC; p->m_hDC = p->m_hAttribDC = (HDC)h; return p; }
void DeleteTempDC(CObject* p) { CDC* pDC = static_cast<CDC*>(p); pDC->m_hDC = pDC->m_hAttribDC = nullptr; delete p; }
CObject* NewGdi(HANDLE h) { CGdiObject* p = new CGdiObject; p->m_hObject = (HGDIOBJ)h; return p; }
void DeleteTempGdi(CObject* p) { static_cast<CGdiObject*>(p)->m_hObject = nullptr; delete p; }
CObject* NewImageList(HANDLE h) { CImageList* p = new CImageList; p->m_hImageList = (HIMAGELIST)h; return p; }
void DeleteTempImageList(CObject* p) { static_cast<CImageList*>(p)->m_hImageList = nullptr; delete p; }

} // namespace

AFX_THREAD_STATE* AFXAPI AfxGetThreadState()
{
    if (t_pState == nullptr)
        t_pState = new AFX_THREAD_STATE;
    return t_pState;
}

void AFXAPI AfxTermThreadState()
{
    AFX_THREAD_STATE* p = t_pState;
    if (p == nullptr)
        return;
    t_pState = nullptr;
    if (p->m_hHookOldCbtFilter != nullptr)
        UnhookWindowsHookEx(p->m_hHookOldCbtFilter);
    delete p->m_pmapHWND;
    delete p->m_pmapHMENU;
    delete p->m_pmapHDC;
    delete p->m_pmapHGDIOBJ;
    delete p->m_pmapHIMAGELIST;
    delete p;
}

void AFXAPI AfxLockTempMaps()
{
    ++AfxGetThreadState()->m_nTempMapLock;
}

BOOL AFXAPI AfxUnlockTempMaps()
{
    AFX_THREAD_STATE* p = AfxGetThreadState();
    if (p->m_nTempMapLock > 0)
        --p->m_nTempMapLock;
    return p->m_nTempMapLock == 0;
}

void AFXAPI AfxDeleteTempMaps()
{
    AFX_THREAD_STATE* p = AfxGetThreadState();
    if (p->m_nTempMapLock != 0)
        return;
    // Device contexts first: they may have temporary GDI objects selected.
    if (p->m_pmapHDC) p->m_pmapHDC->DeleteTemp();
    if (p->m_pmapHGDIOBJ) p->m_pmapHGDIOBJ->DeleteTemp();
    if (p->m_pmapHMENU) p->m_pmapHMENU->DeleteTemp();
    if (p->m_pmapHWND) p->m_pmapHWND->DeleteTemp();
    if (p->m_pmapHIMAGELIST) p->m_pmapHIMAGELIST->DeleteTemp();
}

CHandleMap* AFXAPI afxMapHWND()
{
    AFX_THREAD_STATE* p = AfxGetThreadState();
    if (p->m_pmapHWND == nullptr)
        p->m_pmapHWND = new CHandleMap(&NewWnd, &DeleteTempWnd);
    return p->m_pmapHWND;
}

CHandleMap* AFXAPI afxMapHMENU()
{
    AFX_THREAD_STATE* p = AfxGetThreadState();
    if (p->m_pmapHMENU == nullptr)
        p->m_pmapHMENU = new CHandleMap(&NewMenu, &DeleteTempMenu);
    return p->m_pmapHMENU;
}

CHandleMap* AFXAPI afxMapHDC()
{
    AFX_THREAD_STATE* p = AfxGetThreadState();
    if (p->m_pmapHDC == nullptr)
        p->m_pmapHDC = new CHandleMap(&NewDC, &DeleteTempDC);
    return p->m_pmapHDC;
}

CHandleMap* AFXAPI afxMapHGDIOBJ()
{
    AFX_THREAD_STATE* p = AfxGetThreadState();
    if (p->m_pmapHGDIOBJ == nullptr)
        p->m_pmapHGDIOBJ = new CHandleMap(&NewGdi, &DeleteTempGdi);
    return p->m_pmapHGDIOBJ;
}

CHandleMap* AFXAPI afxMapHIMAGELIST()
{
    AFX_THREAD_STATE* p = AfxGetThreadState();
    if (p->m_pmapHIMAGELIST == nullptr)
        p->m_pmapHIMAGELIST = new CHandleMap(&NewImageList, &DeleteTempImageList);
    return p->m_pmapHIMAGELIST;
}
