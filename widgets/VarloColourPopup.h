// A popup that drops down below a toolbar button to pick a colour: an
// optional default button ("Automatic"), 40 named colours, an optional button
// that opens the system colour dialog and a row of 16 custom colours kept as
// a text string between runs. The caller runs the popup's modal loop (0: a
// colour was chosen, -1: cancelled) and reads the colour and the custom
// colours back before destroying it. While the pointer moves, the parent is
// told which colour is under it.
#pragma once

#include "framework/gdi/CFont.h"
#include "framework/gdi/CPalette.h"
#include "framework/ui/CToolTipCtrl.h"
#include "framework/ui/CWnd.h"

class VarloColourPopup : public CWnd
{
    DECLARE_DYNAMIC(VarloColourPopup)
public:
    // Notifications sent to the parent: the colour in WPARAM, 0 in LPARAM.
    enum
    {
        NM_COLOUR_SELCHANGE = 2025, // the colour under the pointer (or the initial one)
        NM_COLOUR_CHOSEN = 2028,
        NM_COLOUR_CANCELLED = 2029, // WPARAM: the initial colour
    };
    // Cell indexes: 0-39 palette, kCustomCell + 0-15 custom cells.
    enum
    {
        kNothing = -1,
        kCustomButton = -2,
        kDefaultButton = -3,
        kCustomCell = 0x800,
        kPaletteCount = 40,
        kCustomCount = 16,
        kColumns = 8,
        kCellSize = 18,
    };
    // The default button's colour (automatic).
    static constexpr COLORREF kAutomatic = 0xFF000000;
    // The custom-colour string: 16 items "#rrggbbxx;" style, 160 characters.
    enum { kCustomStringSize = 161 };

    // Creates the window at the screen point (kept on the monitor of that
    // point). Null texts leave their buttons out. Without a window (creation
    // failed) the modal loop ends at once.
    VarloColourPopup(int x, int y, COLORREF clrInitial, CWnd* pParent, LPCSTR lpszDefaultText,
                     LPCSTR lpszCustomText, LPCSTR lpszCustomColours);
    ~VarloColourPopup() override;

    // Reads the custom colours from their string; a malformed item ends the
    // reading (the colours after it stay white).
    void SetCustomColours(LPCSTR lpszColours);
    // With no buffer or one below 161 bytes: 161, nothing written. Otherwise
    // the string is written and 0 returned.
    int GetCustomColours(LPSTR lpszBuffer, int nSize) const;

    COLORREF GetColour() const { return m_clrCurrent; }
    COLORREF GetInitialColour() const { return m_clrInitial; }
    COLORREF GetCustomColour(int i) const { return m_clrCustom[i]; }
    int GetHotIndex() const { return m_nHot; }
    int GetSelectedIndex() const { return m_nSelected; }

    static COLORREF GetPaletteColour(int nIndex);
    static CString GetPaletteName(int nIndex);
    // The tooltip text of a custom colour: RGB in decimal, HTML in hex.
    static CString MakeCustomTip(COLORREF clr);

    // The cell or button under a client point (index codes above).
    int HitTest(CPoint point) const;
    // The client rectangle of a cell or button (empty when absent).
    CRect GetItemRect(int nIndex) const;
    // The colour an index stands for (the initial colour for none).
    COLORREF GetIndexColour(int nIndex) const;
    // Where a popup window goes on its monitor: moved in from the right and
    // left edges, and above the window it drops from (cyParent high) when it
    // would pass the bottom.
    static CRect PlaceOnMonitor(const CRect& rectWindow, const CRect& rectMonitor, int cyParent);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    void OnKillFocus(CWnd* pNewWnd);
    void OnPaint();
    BOOL OnQueryNewPalette();
    void OnPaletteChanged(CWnd* pFocusWnd);

protected:
    void ComputeLayout();
    void AddTooltips();
    void SelectInitialColour();
    void MoveHighlight(int nIndex);
    void FinishPick(int nMessage);
    void InvalidateItem(int nIndex);
    // Keeps a window rectangle on the monitor of its top-left point.
    void KeepOnMonitor(CRect& rectWindow) const;

    void DrawCell(CDC* pDC, int nIndex);
    void DrawTextButton(CDC* pDC, int nIndex);
    int GetCellState(int nIndex) const;

    CString m_strDefaultText;
    CString m_strCustomText;
    CFont m_font;
    CPalette m_palette;
    CToolTipCtrl m_tooltip;
    COLORREF m_clrInitial;
    COLORREF m_clrCurrent;
    CWnd* m_pParent;
    CRect m_rectDefault;
    CRect m_rectCustom;
    CRect m_rectPalette;
    CRect m_rectCustomGrid;
    CRect m_rectSeparator;
    int m_nHot;
    int m_nSelected;
    COLORREF m_clrCustom[kCustomCount];
    CString m_strTip;
    BOOL m_bPressed;

    DECLARE_MESSAGE_MAP()
};
