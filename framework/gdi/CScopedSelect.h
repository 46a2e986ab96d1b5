// Selects a GDI object into a device context for a scope: the object that
// was selected before is put back when the scope ends, however it ends.
#pragma once

#include "framework/base/AfxDefs.h"

class CScopedSelect
{
public:
    // A null object selects nothing (and restores nothing).
    CScopedSelect(HDC hDC, HGDIOBJ hObject)
        : m_hDC(hDC), m_hOld(hDC != nullptr && hObject != nullptr ? ::SelectObject(hDC, hObject) : nullptr)
    {
    }
    ~CScopedSelect()
    {
        if (m_hOld != nullptr && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }
    // FALSE when nothing was selected.
    BOOL IsSelected() const { return m_hOld != nullptr && m_hOld != HGDI_ERROR; }

private:
    CScopedSelect(const CScopedSelect&) = delete;
    CScopedSelect& operator=(const CScopedSelect&) = delete;

    HDC m_hDC;
    HGDIOBJ m_hOld;
};
