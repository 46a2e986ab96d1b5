// The document of a rich-edit view: an OLE container whose items are the
// objects embedded in the view's text. Derived documents make the items
// (CreateClientItem); the selected one is the object selected in the view.
#pragma once

#include "framework/ole/COleServerDoc.h"

#include <richole.h>

class CRichEditCntrItem;
class CRichEditView;

class CRichEditDoc : public COleServerDoc
{
    DECLARE_DYNAMIC(CRichEditDoc)
public:
    CRichEditDoc();

    // A new item for an object of the control (or an empty one for null),
    // owned by this document.
    virtual CRichEditCntrItem* CreateClientItem(REOBJECT* preo = nullptr) const = 0;

    // The first rich-edit view of the document, or null.
    CRichEditView* GetView() const;
    // The item that holds this object, or null.
    CRichEditCntrItem* LookupItem(IOleObject* pObject) const;
    COleClientItem* GetPrimarySelectedItem(CView* pView) override;

    BOOL m_bRTF;   // the view streams rich text (not plain text)
};
