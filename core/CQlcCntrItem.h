// An embedded object in a note: the framework's rich-edit item, owned by the
// notebook document that made it for the rich-text view.
#pragma once

#include "framework/ole/CRichEditCntrItem.h"

class CQuillcrestDoc;

class CQlcCntrItem : public CRichEditCntrItem
{
    DECLARE_DYNCREATE(CQlcCntrItem)
public:
    explicit CQlcCntrItem(REOBJECT* preo = nullptr, CQuillcrestDoc* pContainer = nullptr);
};
