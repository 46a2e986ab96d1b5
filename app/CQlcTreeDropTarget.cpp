#include "app/CQlcTreeDropTarget.h"

#include "app/CQlcTreeCtrl.h"

#include "framework/base/CStringList.h"

#include <shellapi.h>

IMPLEMENT_DYNAMIC(CQlcTreeDropTarget, COleDropTarget)

CQlcTreeDropTarget::CQlcTreeDropTarget(CQlcTreeCtrl* pTree)
    : m_pTree(pTree), m_hCaretItem(nullptr), m_hDropHilightItem(nullptr)
{
}

DROPEFFECT CQlcTreeDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
    m_hCaretItem = m_pTree->GetSelectedItem();
    m_hDropHilightItem = m_pTree->GetDropHilightItem();
    return OnDragOver(pWnd, pDataObject, dwKeyState, point);
}

DROPEFFECT CQlcTreeDropTarget::OnDragOver(CWnd* /*pWnd*/, COleDataObject* pDataObject, DWORD /*dwKeyState*/,
                                          CPoint point)
{
    if (pDataObject == nullptr || !pDataObject->IsDataAvailable(CF_HDROP))
        return DROPEFFECT_NONE;
    UINT nFlags = 0;
    HTREEITEM hItem = m_pTree->HitTest(point, &nFlags);
    m_pTree->SelectDropTarget((nFlags & TVHT_ONITEM) ? hItem : nullptr);
    return DROPEFFECT_COPY;
}

void CQlcTreeDropTarget::OnDragLeave(CWnd* /*pWnd*/)
{
    if (m_hCaretItem != nullptr)
        m_pTree->SelectItem(m_hCaretItem);
    m_pTree->SelectDropTarget(m_hDropHilightItem);
    m_hCaretItem = m_hDropHilightItem = nullptr;
}

BOOL CQlcTreeDropTarget::OnDrop(CWnd* /*pWnd*/, COleDataObject* pDataObject, DROPEFFECT /*dropEffect*/, CPoint point)
{
    CStringList paths;
    if (!GetDroppedFiles(pDataObject, paths))
        return FALSE;
    m_hCaretItem = m_hDropHilightItem = nullptr;
    m_pTree->DropFiles(paths, point);
    return TRUE;
}

BOOL CQlcTreeDropTarget::GetDroppedFiles(COleDataObject* pDataObject, CStringList& paths)
{
    STGMEDIUM medium;
    if (pDataObject == nullptr || !pDataObject->GetData(CF_HDROP, &medium))
        return FALSE;
    BOOL bFound = FALSE;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr)
        bFound = CQlcTreeCtrl::GetDroppedFiles((HDROP)medium.hGlobal, paths) > 0;
    ::ReleaseStgMedium(&medium);
    return bFound;
}
