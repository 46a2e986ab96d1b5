#include "framework/ole/COleDropTarget.h"

#include "framework/ui/CWnd.h"

IMPLEMENT_DYNAMIC(COleDropTarget, CCmdTarget)

COleDropTarget::COleDropTarget() : m_xDropTarget(this), m_nRefs(0), m_hWnd(nullptr) {}

COleDropTarget::~COleDropTarget()
{
    Revoke();
}

BOOL COleDropTarget::Register(CWnd* pWnd)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr || m_hWnd != nullptr)
        return FALSE;
    if (FAILED(::RegisterDragDrop(pWnd->m_hWnd, &m_xDropTarget)))
        return FALSE;
    m_hWnd = pWnd->m_hWnd;
    return TRUE;
}

void COleDropTarget::Revoke()
{
    m_dataObject.Release();
    if (m_hWnd == nullptr)
        return;
    ::RevokeDragDrop(m_hWnd);
    m_hWnd = nullptr;
}

CWnd* COleDropTarget::GetTargetWnd() const
{
    return m_hWnd != nullptr ? CWnd::FromHandle(m_hWnd) : nullptr;
}

CPoint COleDropTarget::ToClient(POINTL pt) const
{
    POINT point = { pt.x, pt.y };
    if (m_hWnd != nullptr)
        ::ScreenToClient(m_hWnd, &point);
    return CPoint(point.x, point.y);
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

void COleDropTarget::OnDragLeave(CWnd*) {}

BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint)
{
    return FALSE;
}

// ---------------------------------------------------------------------------
// The interface. The system calls in here: nothing may unwind into it.

STDMETHODIMP COleDropTarget::XDropTarget::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget))
    {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleDropTarget::XDropTarget::AddRef()
{
    return (ULONG)::InterlockedIncrement(&m_pOwner->m_nRefs);
}

STDMETHODIMP_(ULONG) COleDropTarget::XDropTarget::Release()
{
    return (ULONG)::InterlockedDecrement(&m_pOwner->m_nRefs);
}

// The effect answered must be one the source allows.
static DWORD AllowedEffect(DROPEFFECT effect, const DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return DROPEFFECT_NONE;
    effect &= *pdwEffect;
    return effect;
}

STDMETHODIMP COleDropTarget::XDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                                    DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    try
    {
        m_pOwner->m_dataObject.Attach(pDataObj);
        const DROPEFFECT effect =
            m_pOwner->OnDragEnter(m_pOwner->GetTargetWnd(), &m_pOwner->m_dataObject, grfKeyState, m_pOwner->ToClient(pt));
        *pdwEffect = AllowedEffect(effect, pdwEffect);
        return S_OK;
    }
    catch (...)
    {
        *pdwEffect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
}

STDMETHODIMP COleDropTarget::XDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    try
    {
        const DROPEFFECT effect =
            m_pOwner->OnDragOver(m_pOwner->GetTargetWnd(), &m_pOwner->m_dataObject, grfKeyState, m_pOwner->ToClient(pt));
        *pdwEffect = AllowedEffect(effect, pdwEffect);
        return S_OK;
    }
    catch (...)
    {
        *pdwEffect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
}

STDMETHODIMP COleDropTarget::XDropTarget::DragLeave()
{
    try
    {
        m_pOwner->OnDragLeave(m_pOwner->GetTargetWnd());
        m_pOwner->m_dataObject.Release();
        return S_OK;
    }
    catch (...)
    {
        m_pOwner->m_dataObject.Release();
        return E_UNEXPECTED;
    }
}

STDMETHODIMP COleDropTarget::XDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    try
    {
        // The drop hands the object again; the one of the enter goes.
        m_pOwner->m_dataObject.Attach(pDataObj);
        CWnd* pWnd = m_pOwner->GetTargetWnd();
        const CPoint point = m_pOwner->ToClient(pt);
        const DROPEFFECT effect = AllowedEffect(
            m_pOwner->OnDragOver(pWnd, &m_pOwner->m_dataObject, grfKeyState, point), pdwEffect);
        BOOL bTaken = FALSE;
        if (effect != DROPEFFECT_NONE)
            bTaken = m_pOwner->OnDrop(pWnd, &m_pOwner->m_dataObject, effect, point);
        if (!bTaken)
            m_pOwner->OnDragLeave(pWnd);
        m_pOwner->m_dataObject.Release();
        *pdwEffect = bTaken ? effect : DROPEFFECT_NONE;
        return S_OK;
    }
    catch (...)
    {
        m_pOwner->m_dataObject.Release();
        *pdwEffect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
}
