// An embedded object inside a rich-edit control, as an item of its
// rich-edit document: made from the control's REOBJECT (object, storage,
// aspect) or empty, to be filled when an object is inserted.
#pragma once

#include "framework/ole/COleClientItem.h"

#include <richole.h>

class CRichEditDoc;

class CRichEditCntrItem : public COleClientItem
{
    DECLARE_DYNAMIC(CRichEditCntrItem)
public:
    explicit CRichEditCntrItem(REOBJECT* preo = nullptr, CRichEditDoc* pContainer = nullptr);

    CRichEditDoc* GetDocument() const;
    // Takes object, storage and aspect from the control's description.
    void SyncFromReObject(const REOBJECT& reo);
};
