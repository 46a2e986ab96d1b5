// An OLE document that could serve its contents to other programs. The
// program serves nothing, so this level adds nothing either; it keeps the
// document chain of the rich-edit document.
#pragma once

#include "framework/ole/COleLinkingDoc.h"

class COleServerDoc : public COleLinkingDoc
{
    DECLARE_DYNAMIC(COleServerDoc)
public:
    COleServerDoc() {}
};
