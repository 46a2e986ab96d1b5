// A menu whose items are owner-drawn with the program's toolbar pictures
// beside their commands, in a classic or an XP look. Each item carries a
// GlyphMenuData record (its item data); popups built here are GlyphMenu
// objects owned by their parent menu.
//
// Windows that show these menus route three messages: WM_MEASUREITEM of a
// popup item (its id is a menu handle that OwnsMenuHandle accepts) to
// MeasureItem of any GlyphMenu, WM_INITMENUPOPUP (after the default
// handling) to RefreshDrawnMenu, and WM_MENUCHAR of an owned menu to
// FindMnemonicItem. WM_DRAWITEM needs nothing: the framework calls DrawItem
// of the popup's permanent object.
#pragma once

#include "widgets/GlyphMenuData.h"

#include "framework/base/CArray.h"
#include "framework/base/CTypedPtrArray.h"
#include "framework/gdi/CImageList.h"
#include "framework/ui/CMenu.h"

#include <vector>

class GlyphMenu : public CMenu
{
    DECLARE_DYNAMIC(GlyphMenu)
public:
    GlyphMenu();
    ~GlyphMenu() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;
    // Builds the menu from a menu resource (the menu's popups owner-drawn,
    // its top level left as plain strings). Nonzero on success.
    virtual BOOL LoadMenu(UINT nIDResource);
    virtual BOOL BuildFromTemplate(LPCWSTR lpszResourceName);
    BOOL BuildFromTemplate(LPCSTR lpszResourceName);
    // Deletes the popup objects and records, then the menu itself.
    BOOL DestroyMenu() override;

    // Pictures: every command of this menu that has a button on the toolbar
    // gets the button's picture. Nonzero when toolbar and bitmap loaded.
    BOOL TakeToolbarImages(UINT nToolbarID);
    // Nonzero only when every toolbar loaded; all are tried.
    BOOL TakeToolbarImageSets(const UINT* pToolbarIDs, int nCount);

    // nID is a command, a popup's handle (MF_POPUP), or 0 for a separator;
    // nToolbarID a toolbar to take the picture from, or -1.
    BOOL AppendDrawnItem(LPCWSTR lpszText, UINT nFlags, UINT_PTR nID, int nToolbarID = -1);
    BOOL AppendDrawnItem(LPCSTR lpszText, UINT nFlags, UINT_PTR nID, int nToolbarID = -1);
    // Gives every item with the command (here and in the popups) picture
    // nIndex of pList and, when lpszText is not null, that text.
    BOOL SetCommandImage(LPCWSTR lpszText, UINT nID, CImageList* pList, int nIndex);
    BOOL SetCommandImage(LPCSTR lpszText, UINT nID, CImageList* pList, int nIndex);
    // Brings the records in line with the live menu after others changed it.
    void SyncItemRecords();
    // By position or command (MF_BYPOSITION / MF_BYCOMMAND). Nonzero when found.
    BOOL GetItemText(UINT nItem, CString& rText, UINT nFlags);

    // --- Frame integration ---------------------------------------------------
    static BOOL OwnsMenuHandle(CMenu* pMenu);
    static BOOL OwnsMenuHandle(HMENU hMenu);
    // The same test for the 32-bit id that WM_MEASUREITEM carries for a popup item.
    static BOOL OwnsMenuItemID(UINT nItemID);
    static void RefreshDrawnMenu(CMenu* pMenu);
    // The WM_MENUCHAR answer: MNC_EXECUTE with the item's position, or 0.
    static LRESULT FindMnemonicItem(UINT nChar, UINT nFlags, CMenu* pMenu);
    // The routing of a window that shows these menus, each TRUE when it
    // handled the message: WM_MEASUREITEM of a popup item (measured by pAny,
    // the window's own menu object), WM_MENUCHAR of an owned popup, and what
    // follows the default WM_INITMENUPOPUP handling.
    static BOOL MeasurePopupItem(LPMEASUREITEMSTRUCT lpMIS, GlyphMenu* pAny);
    static BOOL AnswerMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu, LRESULT& lResult);
    static void AfterInitMenuPopup(CMenu* pPopupMenu, BOOL bSysMenu);
    static BOOL ClassicThemeActive();
    static int GetWindowsVersionCode();

    // --- Look ------------------------------------------------------------------
    // The system is Windows XP with a theme other than the classic one.
    static BOOL IsXPThemed();
    // The draw mode in force is the XP look.
    static BOOL XPLookActive();
    static COLORREF LightenShade(COLORREF cr, double dFactor);
    static COLORREF DarkenShade(COLORREF cr, double dFactor);
    // Test seam: answer as on a system of nVersionCode whose classic theme
    // is (or is not) active; ResetSystemLook measures the system again.
    static void ForceSystemLook(int nVersionCode, BOOL bClassicTheme);
    static void ResetSystemLook();

    // --- Picture filters (bitmaps of s_imageWidth x s_imageHeight) -------------
    static HBITMAP GetImageBitmap(HIMAGELIST hList, int nIndex, HDC hdcTarget);
    // The icon calls behind GetImageBitmap (tests count them).
    static HICON(WINAPI* s_pfnGetIcon)(HIMAGELIST hList, int nIndex, UINT nFlags);
    static BOOL(WINAPI* s_pfnDestroyIcon)(HICON hIcon);
    static void MakeFadedBitmap(HBITMAP hbm);
    static void MakeShadowBitmap(HBITMAP hbm);
    static void MakeDisabledBitmap(HBITMAP hbm, COLORREF crReplacement);
    static void ReplaceBackgroundColor(HBITMAP hbm);
    static void DrawEmbossed(HDC hdc, int x, int y, int cx, int cy, HBITMAP hbm, COLORREF crBackground);
    static void DrawEmbossedDib(HDC hdc, int x, int y, int cx, int cy, HBITMAP hbm, COLORREF crBackground);
    static void DrawGreyed(HDC hdc, int x, int y, int cx, int cy, HBITMAP hbm, COLORREF crBackground);
    // Whether the command at shared index i has its three derived pictures.
    static BOOL HasEffectImages(int i);

    // --- State ---------------------------------------------------------------------
    CTypedPtrArray<CPtrArray, GlyphMenuData*> m_itemData;
    CTypedPtrArray<CPtrArray, HMENU> m_popupHandles;
    COLORREF m_maskColour;
    BOOL m_useMaskColour;
    BOOL m_altDisabledDraw;
    CImageList* m_checkImages;
    BOOL m_sharedCheckImages;
    int m_checkedSelectedId;
    int m_checkedId;
    BOOL m_iconMode;
    BOOL m_isMenuBar;

    static CImageList s_sharedImages;
    static CArray<int, int> s_sharedImageIds;
    static CTypedPtrArray<CPtrArray, HMENU> s_allMenus;
    static int s_imageWidth;
    static int s_imageHeight;
    static int s_versionCode;
    static int s_drawModeXP;
    static int s_drawModeOther;
    static BOOL s_classicSelectDisabled;
    static BOOL s_xpSelectDisabled;
    static BOOL s_xpImageEffects;
    static BOOL s_xpAccelAlignA;
    static BOOL s_xpAccelAlignB;
    static BOOL s_colorMappedBitmaps;
    static BOOL s_classicThemeCache[2];   // answer, computed

protected:
    BOOL AppendPictureToList(CImageList* pList, UINT_PTR nResource);
    int AddToSharedImages(CImageList* pList, int nIndex, UINT nID);
    void PadShortcutColumn();
    void RestoreMenuBarItems();
    int GetMenuBarShift();
    struct CommandHit
    {
        GlyphMenu* pMenu;
        int nPos;
        GlyphMenuData* pData;
    };
    void CollectCommandItems(UINT nID, std::vector<CommandHit>& hits, std::vector<GlyphMenu*>& visited);
    GlyphMenuData* TakeUnsyncedRecord(UINT_PTR nCommand);

    void DrawItemClassic(LPDRAWITEMSTRUCT lpDIS);
    void DrawItemXP(LPDRAWITEMSTRUCT lpDIS);
    void DrawCheckBoxClassic(HDC hdc, const RECT& rc, BOOL bSelected, BOOL bRadio);
    void DrawCheckBoxXP(HDC hdc, const RECT& rc, BOOL bRadio, COLORREF crHighlight, BOOL bSelected);
    static void PaintRadioDot(HDC hdc, int x, int y, COLORREF cr);
    static void PaintCheckStrokes(HDC hdc, int x, int y, COLORREF cr);
    static void AppendDerivedPictures(CImageList* pList, int nIndex);
    // The window whose DC measures texts: the main window, else the desktop.
    static HWND GetMeasuringWindow();
};
