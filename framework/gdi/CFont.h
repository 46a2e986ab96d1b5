// A GDI font.
#pragma once

#include "framework/gdi/CGdiObject.h"

class CFont : public CGdiObject
{
public:
    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont) { return Attach(::CreateFontIndirectA(lpLogFont)); }
    BOOL CreatePointFont(int nPointSize, LPCSTR lpszFaceName, HDC hDC = nullptr);
    BOOL GetLogFont(LOGFONTA* pLogFont) const { return ::GetObjectA(m_hObject, sizeof(LOGFONTA), pLogFont) != 0; }
    static CFont* PASCAL FromHandle(HFONT h) { return static_cast<CFont*>(CGdiObject::FromHandle(h)); }
    operator HFONT() const { return (HFONT)m_hObject; }
};

inline BOOL CFont::CreatePointFont(int nPointSize, LPCSTR lpszFaceName, HDC hDC)
{
    // nPointSize is in tenths of a point.
    HDC hScreen = hDC ? hDC : ::GetDC(nullptr);
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -MulDiv(nPointSize, ::GetDeviceCaps(hScreen, LOGPIXELSY), 720);
    lstrcpynA(lf.lfFaceName, lpszFaceName, LF_FACESIZE);
    if (hDC == nullptr)
        ::ReleaseDC(nullptr, hScreen);
    return CreateFontIndirect(&lf);
}
