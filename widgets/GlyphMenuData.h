// The record behind one owner-drawn menu item: its text, what it runs and
// where its picture comes from. The menu item's data points at it.
#pragma once

#include "framework/base/CString.h"

class CImageList;

class GlyphMenuData
{
public:
    GlyphMenuData();
    ~GlyphMenuData();
    GlyphMenuData(const GlyphMenuData&) = delete;
    GlyphMenuData& operator=(const GlyphMenuData&) = delete;

    // A copy of the text is kept; a null text clears it.
    void SetWideText(LPCWSTR lpszText);
    void SetAnsiText(LPCSTR lpszText);
    LPCWSTR GetWideText() const { return text; }
    // Empty when the item has no text.
    CString GetAnsiText() const;

    wchar_t* text;           // accelerator part after a tab
    int imageOffset;         // picture in ownImages, or -1
    int globalImageIndex;    // picture in the shared list, or -1
    int imageId;             // resource of the own picture (0 = copied from a list), -1 = none
    UINT flags;              // MF_ flags given to the menu
    UINT_PTR commandId;      // command, the popup's handle for a popup, 0 for a separator
    BOOL synced;             // mark of the record resynchronisation
    CImageList* ownImages;   // owned
};
