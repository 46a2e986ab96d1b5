// A GDI region.
#pragma once

#include "framework/gdi/CGdiObject.h"

class CRgn : public CGdiObject
{
public:
    BOOL CreateRectRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }
    BOOL CreateRectRgnIndirect(LPCRECT lpRect) { return Attach(::CreateRectRgnIndirect(lpRect)); }
    int CombineRgn(HRGN a, HRGN b, int nMode) { return ::CombineRgn((HRGN)m_hObject, a, b, nMode); }
    static CRgn* PASCAL FromHandle(HRGN h) { return static_cast<CRgn*>(CGdiObject::FromHandle(h)); }
    operator HRGN() const { return (HRGN)m_hObject; }
};
