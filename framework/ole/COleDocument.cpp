#include "framework/ole/COleDocument.h"

#include "framework/ole/COleClientItem.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/docview/CView.h"
#include "framework/ui/CWaitCursor.h"
#include "framework/docview/CWinApp.h"

IMPLEMENT_DYNAMIC(COleDocument, CDocument)

BEGIN_MESSAGE_MAP(COleDocument, CDocument)
    ON_COMMAND_EX_RANGE(ID_OLE_VERB_FIRST, ID_OLE_VERB_LAST, OnObjectVerb)
    ON_UPDATE_COMMAND_UI_RANGE(ID_OLE_VERB_FIRST, ID_OLE_VERB_LAST, OnUpdateObjectVerb)
END_MESSAGE_MAP()

COleDocument::COleDocument()
{
}

COleDocument::~COleDocument()
{
    DeleteItems();
}

void COleDocument::AddItem(CDocItem* pItem)
{
    if (pItem == nullptr || m_docItemList.Find(pItem) != nullptr)
        return;
    if (pItem->m_pDocument != nullptr && pItem->m_pDocument != this)
        pItem->m_pDocument->RemoveItem(pItem);
    m_docItemList.AddTail(pItem);
    pItem->m_pDocument = this;
}

void COleDocument::RemoveItem(CDocItem* pItem)
{
    POSITION pos = m_docItemList.Find(pItem);
    if (pos == nullptr)
        return;
    m_docItemList.RemoveAt(pos);
    pItem->m_pDocument = nullptr;
}

COleClientItem* COleDocument::GetNextClientItem(POSITION& pos) const
{
    while (pos != nullptr)
    {
        CDocItem* pItem = GetNextItem(pos);
        if (pItem->IsKindOf(RUNTIME_CLASS(COleClientItem)))
            return static_cast<COleClientItem*>(pItem);
    }
    return nullptr;
}

COleClientItem* COleDocument::GetPrimarySelectedItem(CView* /*pView*/)
{
    return nullptr;
}

void COleDocument::DeleteItems()
{
    while (!m_docItemList.IsEmpty())
    {
        CDocItem* pItem = (CDocItem*)m_docItemList.GetHead();
        if (pItem->IsKindOf(RUNTIME_CLASS(COleClientItem)))
            static_cast<COleClientItem*>(pItem)->Release();
        delete pItem; // leaves the list
    }
}

void COleDocument::DeleteContents()
{
    CDocument::DeleteContents();
    DeleteItems();
}

CView* COleDocument::GetRoutingView() const
{
    CWnd* pMain = AfxGetMainWnd();
    CFrameWnd* pFrame = pMain ? DYNAMIC_DOWNCAST(CFrameWnd, pMain) : nullptr;
    if (pFrame == nullptr)
        return nullptr;
    pFrame = pFrame->GetActiveFrame();
    return pFrame ? pFrame->GetActiveView() : nullptr;
}

BOOL COleDocument::OnObjectVerb(UINT nID)
{
    CView* pView = GetRoutingView();
    COleClientItem* pItem = pView ? GetPrimarySelectedItem(pView) : nullptr;
    if (pItem == nullptr)
        return FALSE;
    CWaitCursor wait;
    pItem->DoVerb((LONG)(nID - ID_OLE_VERB_FIRST), pView);
    return TRUE;
}

void COleDocument::OnUpdateObjectVerb(CCmdUI* pCmdUI)
{
    CView* pView = GetRoutingView();
    pCmdUI->Enable(pView != nullptr && GetPrimarySelectedItem(pView) != nullptr);
}
