// What the owner-drawn menu tests share: an application object, a frame that
// routes the menu messages as the program's windows do, a forced look, and a
// memory bitmap to draw items into.
#pragma once

#include "widgets/GlyphMenu.h"

#include "framework/docview/CWinApp.h"
#include "framework/ui/CFrameWnd.h"

#include <map>

class CMenuTestApp : public CWinApp
{
};

// The process's application object (created on first use).
CMenuTestApp& MenuTestApp();

class CMenuTestFrame : public CFrameWnd
{
public:
    CMenuTestFrame();
    // Creates the window with m_menu (built from nMenuID) as its menu bar.
    BOOL CreateWithMenu(UINT nMenuID);

    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS);
    LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnEnterIdle(UINT nWhy, CWnd* pWho);
    void OnDestroy();

    GlyphMenu m_menu;
    // Calls per item record, as the system made them.
    std::map<const void*, int> measured;
    std::map<const void*, int> drawn;
    std::map<const void*, UINT> measuredHeights;
    int nIdle = 0;

    DECLARE_MESSAGE_MAP()
};

// Forces a Windows version and theme for its lifetime.
class CForcedLook
{
public:
    CForcedLook(int nVersionCode, BOOL bClassicTheme) { GlyphMenu::ForceSystemLook(nVersionCode, bClassicTheme); }
    ~CForcedLook() { GlyphMenu::ResetSystemLook(); }
};

// A 32-bit memory bitmap with a DC, first filled with crFill.
class CMemoryCanvas
{
public:
    CMemoryCanvas(int cx, int cy, COLORREF crFill);
    ~CMemoryCanvas();
    COLORREF Pixel(int x, int y) const { return ::GetPixel(m_hdc, x, y); }
    HDC m_hdc;

private:
    HBITMAP m_hbm;
    HGDIOBJ m_hOld;
};

// The popup at position nPos of a menu, as its GlyphMenu object.
GlyphMenu* PopupAt(CMenu& menu, int nPos);
// The item data Windows holds for the item at nPos.
ULONG_PTR ItemDataAt(HMENU hMenu, int nPos);
UINT ItemTypeAt(HMENU hMenu, int nPos);
