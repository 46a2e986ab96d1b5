// The node tree's OLE drop target: files dragged from the shell (a file
// list) are shown over the item they would land at and imported there when
// dropped; anything else is refused and changes nothing.
#pragma once

#include "framework/ole/COleDropTarget.h"

#include <commctrl.h>

class CQlcTreeCtrl;
class CStringList;

class CQlcTreeDropTarget : public COleDropTarget
{
    DECLARE_DYNAMIC(CQlcTreeDropTarget)
public:
    explicit CQlcTreeDropTarget(CQlcTreeCtrl* pTree);

    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    void OnDragLeave(CWnd* pWnd) override;
    BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;

    // The paths of a shell file list in its order; FALSE when the object
    // holds none.
    static BOOL GetDroppedFiles(COleDataObject* pDataObject, CStringList& paths);

private:
    CQlcTreeCtrl* m_pTree;
    HTREEITEM m_hCaretItem;     // as they were when the drag came in
    HTREEITEM m_hDropHilightItem;
};
