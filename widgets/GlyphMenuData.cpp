#include "widgets/GlyphMenuData.h"

#include "framework/gdi/CImageList.h"

#include <cwchar>

GlyphMenuData::GlyphMenuData()
    : text(nullptr), imageOffset(-1), globalImageIndex(-1), imageId(-1), flags(0), commandId(0), synced(FALSE),
      ownImages(nullptr)
{
}

GlyphMenuData::~GlyphMenuData()
{
    delete ownImages;
    delete[] text;
}

void GlyphMenuData::SetWideText(LPCWSTR lpszText)
{
    delete[] text;
    text = nullptr;
    if (lpszText == nullptr)
        return;
    const size_t n = wcslen(lpszText);
    text = new wchar_t[n + 1];
    wmemcpy(text, lpszText, n + 1);
}

void GlyphMenuData::SetAnsiText(LPCSTR lpszText)
{
    delete[] text;
    text = nullptr;
    if (lpszText == nullptr)
        return;
    const int n = ::MultiByteToWideChar(CP_ACP, 0, lpszText, -1, nullptr, 0);
    if (n <= 0)
        return;
    text = new wchar_t[n];
    ::MultiByteToWideChar(CP_ACP, 0, lpszText, -1, text, n);
}

CString GlyphMenuData::GetAnsiText() const
{
    CString str;
    if (text == nullptr)
        return str;
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return str;
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, str.GetBuffer(n), n, nullptr, nullptr);
    str.ReleaseBuffer();
    return str;
}
