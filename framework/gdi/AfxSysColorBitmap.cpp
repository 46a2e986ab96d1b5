#include "framework/gdi/AfxSysColorBitmap.h"

#include <cstring>
#include <vector>

namespace {

struct ColourMap
{
    BYTE r, g, b;
    int nSysColor;
};

const ColourMap s_map[] = {
    { 0x00, 0x00, 0x00, COLOR_BTNTEXT },
    { 0x80, 0x80, 0x80, COLOR_BTNSHADOW },
    { 0xC0, 0xC0, 0xC0, COLOR_BTNFACE },
    { 0xFF, 0xFF, 0xFF, COLOR_BTNHIGHLIGHT },
};

} // namespace

HBITMAP AFXAPI AfxLoadSysColorBitmap(HINSTANCE hInst, HRSRC hRsrc, BOOL bMono)
{
    if (hRsrc == nullptr)
        return nullptr;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const BYTE* pData = hGlobal ? (const BYTE*)::LockResource(hGlobal) : nullptr;
    const DWORD dwSize = ::SizeofResource(hInst, hRsrc);
    if (pData == nullptr || dwSize < sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPINFOHEADER bih;
    std::memcpy(&bih, pData, sizeof(bih));
    if (bih.biSize < sizeof(BITMAPINFOHEADER) || bih.biBitCount > 8 || bih.biCompression != BI_RGB ||
        bih.biWidth <= 0 || bih.biHeight == 0)
        return nullptr;
    const DWORD nColours = bih.biClrUsed ? bih.biClrUsed : (1u << bih.biBitCount);
    if (nColours > 256u)
        return nullptr;
    const DWORD cbHeader = bih.biSize + nColours * sizeof(RGBQUAD);
    const DWORD nHeight = (DWORD)(bih.biHeight < 0 ? -bih.biHeight : bih.biHeight);
    const DWORD cbRow = (((DWORD)bih.biWidth * bih.biBitCount + 31) / 32) * 4;
    if (cbHeader > dwSize || (dwSize - cbHeader) / cbRow < nHeight)
        return nullptr; // damaged: fewer rows than the header says

    // A writable copy of the header with the colour table remapped.
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + nColours * sizeof(RGBQUAD));
    std::memcpy(info.data(), &bih, sizeof(bih));
    ((BITMAPINFOHEADER*)info.data())->biSize = sizeof(BITMAPINFOHEADER);
    RGBQUAD* pColours = (RGBQUAD*)(info.data() + sizeof(BITMAPINFOHEADER));
    std::memcpy(pColours, pData + bih.biSize, nColours * sizeof(RGBQUAD));
    for (DWORD i = 0; i < nColours; i++)
    {
        for (const ColourMap& m : s_map)
        {
            if (pColours[i].rgbRed == m.r && pColours[i].rgbGreen == m.g && pColours[i].rgbBlue == m.b)
            {
                const COLORREF cr = ::GetSysColor(m.nSysColor);
                pColours[i].rgbRed = GetRValue(cr);
                pColours[i].rgbGreen = GetGValue(cr);
                pColours[i].rgbBlue = GetBValue(cr);
                break;
            }
        }
    }

    HDC hdcScreen = ::GetDC(nullptr);
    HBITMAP hbm = nullptr;
    if (bMono)
        hbm = ::CreateBitmap(bih.biWidth, (int)nHeight, 1, 1, nullptr);
    else
        hbm = ::CreateCompatibleBitmap(hdcScreen, bih.biWidth, (int)nHeight);
    if (hbm != nullptr &&
        ::SetDIBits(hdcScreen, hbm, 0, nHeight, pData + cbHeader, (const BITMAPINFO*)info.data(), DIB_RGB_COLORS) == 0)
    {
        ::DeleteObject(hbm);
        hbm = nullptr;
    }
    ::ReleaseDC(nullptr, hdcScreen);
    return hbm;
}
