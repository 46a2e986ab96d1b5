// An item that belongs to an OLE document's item list (embedded objects).
// It leaves the list when it is deleted.
#pragma once

#include "framework/base/CCmdTarget.h"

class COleDocument;

class CDocItem : public CCmdTarget
{
    DECLARE_DYNAMIC(CDocItem)
public:
    ~CDocItem() override;

    COleDocument* GetDocument() const { return m_pDocument; }

protected:
    CDocItem() : m_pDocument(nullptr) {}

    COleDocument* m_pDocument;
    friend class COleDocument;
};
