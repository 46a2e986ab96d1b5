#include "framework/ole/CRichEditDoc.h"

#include "framework/ole/CRichEditCntrItem.h"
#include "framework/docview/CRichEditView.h"

IMPLEMENT_DYNAMIC(CRichEditDoc, COleServerDoc)

CRichEditDoc::CRichEditDoc() : m_bRTF(TRUE)
{
}

CRichEditView* CRichEditDoc::GetView() const
{
    POSITION pos = GetFirstViewPosition();
    while (pos != nullptr)
    {
        CView* pView = GetNextView(pos);
        if (pView->IsKindOf(RUNTIME_CLASS(CRichEditView)))
            return static_cast<CRichEditView*>(pView);
    }
    return nullptr;
}

CRichEditCntrItem* CRichEditDoc::LookupItem(IOleObject* pObject) const
{
    if (pObject == nullptr)
        return nullptr;
    POSITION pos = GetStartPosition();
    while (pos != nullptr)
    {
        COleClientItem* pItem = GetNextClientItem(pos);
        if (pItem != nullptr && pItem->m_lpObject == pObject && pItem->IsKindOf(RUNTIME_CLASS(CRichEditCntrItem)))
            return static_cast<CRichEditCntrItem*>(pItem);
    }
    return nullptr;
}

COleClientItem* CRichEditDoc::GetPrimarySelectedItem(CView* pView)
{
    if (pView == nullptr || !pView->IsKindOf(RUNTIME_CLASS(CRichEditView)))
        return nullptr;
    return static_cast<CRichEditView*>(pView)->GetSelectedItem();
}
