// The notebook document as the container of the objects embedded in notes.
#include "core/CQuillcrestDoc.h"

#include "core/CQlcCntrItem.h"

#include "framework/docview/CRichEditView.h"

COleClientItem* CQuillcrestDoc::GetPrimarySelectedItem(CView* pView)
{
    // Only the rich-text view selects objects; the tree and the other
    // content views have none.
    if (pView == nullptr || !pView->IsKindOf(RUNTIME_CLASS(CRichEditView)))
        return nullptr;
    return CDocBase::GetPrimarySelectedItem(pView);
}

CRichEditCntrItem* CQuillcrestDoc::CreateClientItem(REOBJECT* preo) const
{
    // The item list is the document's own even for a const request.
    return new CQlcCntrItem(preo, const_cast<CQuillcrestDoc*>(this));
}
