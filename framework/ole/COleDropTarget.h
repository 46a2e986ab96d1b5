// A window's part in OLE drag and drop: registered for the window, it turns
// the system's IDropTarget calls into the virtual handlers below, with the
// cursor in the window's client coordinates and the dragged object wrapped
// as a COleDataObject for the length of the drag. The window must revoke it
// (Revoke) before it is destroyed.
#pragma once

#include "framework/base/CCmdTarget.h"
#include "framework/gdi/CPoint.h"
#include "framework/ole/COleDataObject.h"

#include <ole2.h>

class CWnd;

typedef DWORD DROPEFFECT;

class COleDropTarget : public CCmdTarget
{
    DECLARE_DYNAMIC(COleDropTarget)
public:
    COleDropTarget();
    ~COleDropTarget() override;
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // FALSE when the window is taken already or OLE is not initialised on
    // this thread.
    BOOL Register(CWnd* pWnd);
    void Revoke();
    HWND GetWindow() const { return m_hWnd; }
    // The interface the system calls (also for callers that stand in for it).
    IDropTarget* GetInterface() { return &m_xDropTarget; }

    // Handlers: the effect the drop would have (DROPEFFECT_NONE: refused).
    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual void OnDragLeave(CWnd* pWnd);
    // TRUE when the drop was taken.
    virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);

private:
    class XDropTarget : public IDropTarget
    {
    public:
        explicit XDropTarget(COleDropTarget* pOwner) : m_pOwner(pOwner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
        STDMETHODIMP DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
        STDMETHODIMP DragLeave() override;
        STDMETHODIMP Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

    private:
        COleDropTarget* m_pOwner;
    };
    friend class XDropTarget;

    CWnd* GetTargetWnd() const;
    CPoint ToClient(POINTL pt) const;

    XDropTarget m_xDropTarget;
    LONG m_nRefs;             // references the system holds; the owner deletes the object
    HWND m_hWnd;
    COleDataObject m_dataObject; // the object of the drag under way
};
