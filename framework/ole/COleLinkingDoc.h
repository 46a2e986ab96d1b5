// An OLE document that could offer links to its contents. The program offers
// none, so this level adds nothing to the container document.
#pragma once

#include "framework/ole/COleDocument.h"

class COleLinkingDoc : public COleDocument
{
    DECLARE_DYNAMIC(COleLinkingDoc)
public:
    COleLinkingDoc() {}
};
