// A GDI logical palette.
#pragma once

#include "framework/gdi/CGdiObject.h"

class CPalette : public CGdiObject
{
public:
    BOOL CreatePalette(const LOGPALETTE* lpLogPalette) { return Attach(::CreatePalette(lpLogPalette)); }
    BOOL CreateHalftonePalette(HDC hDC) { return Attach(::CreateHalftonePalette(hDC)); }
    int GetEntryCount() const { WORD n = 0; ::GetObjectA(m_hObject, sizeof(WORD), &n); return n; }
    static CPalette* PASCAL FromHandle(HPALETTE h) { return static_cast<CPalette*>(CGdiObject::FromHandle(h)); }
    operator HPALETTE() const { return (HPALETTE)m_hObject; }
};
