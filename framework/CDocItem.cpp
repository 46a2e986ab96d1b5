#include "framework/CDocItem.h"

#include "framework/COleDocument.h"

IMPLEMENT_DYNAMIC(CDocItem, CCmdTarget)

CDocItem::~CDocItem()
{
    if (m_pDocument != nullptr)
        m_pDocument->RemoveItem(this);
}
