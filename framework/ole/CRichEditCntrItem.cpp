#include "framework/ole/CRichEditCntrItem.h"

#include "framework/ole/CRichEditDoc.h"

IMPLEMENT_DYNAMIC(CRichEditCntrItem, COleClientItem)

CRichEditCntrItem::CRichEditCntrItem(REOBJECT* preo, CRichEditDoc* pContainer) : COleClientItem(pContainer)
{
    if (preo != nullptr)
        SyncFromReObject(*preo);
}

CRichEditDoc* CRichEditCntrItem::GetDocument() const
{
    COleDocument* pDoc = COleClientItem::GetDocument();
    return pDoc ? DYNAMIC_DOWNCAST(CRichEditDoc, pDoc) : nullptr;
}

void CRichEditCntrItem::SyncFromReObject(const REOBJECT& reo)
{
    Attach(reo.poleobj, reo.pstg);
    m_nDrawAspect = reo.dvaspect;
}
