#include "framework/ole/CDocItem.h"

#include "framework/ole/COleDocument.h"

IMPLEMENT_DYNAMIC(CDocItem, CCmdTarget)

CDocItem::~CDocItem()
{
    if (m_pDocument != nullptr)
        m_pDocument->RemoveItem(this);
}
