// A GDI bitmap.
#pragma once

#include "framework/gdi/CGdiObject.h"
#include "framework/base/CString.h"

class CBitmap : public CGdiObject
{
public:
    BOOL LoadBitmap(UINT nIDResource) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource))); }
    BOOL LoadBitmap(LPCSTR lpszResourceName) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), lpszResourceName)); }
    BOOL CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight) { return Attach(::CreateCompatibleBitmap(hDC, nWidth, nHeight)); }
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits)
    {
        return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
    }
    int GetBitmap(BITMAP* pBitMap) const { return ::GetObjectA(m_hObject, sizeof(BITMAP), pBitMap); }
    static CBitmap* PASCAL FromHandle(HBITMAP h) { return static_cast<CBitmap*>(CGdiObject::FromHandle(h)); }
    operator HBITMAP() const { return (HBITMAP)m_hObject; }
};
