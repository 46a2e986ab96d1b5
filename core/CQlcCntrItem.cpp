#include "core/CQlcCntrItem.h"

#include "core/CQuillcrestDoc.h"

IMPLEMENT_DYNCREATE(CQlcCntrItem, CRichEditCntrItem)

CQlcCntrItem::CQlcCntrItem(REOBJECT* preo, CQuillcrestDoc* pContainer) : CRichEditCntrItem(preo, pContainer)
{
}
