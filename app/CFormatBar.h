// The main frame's "Formatting" toolbar: font face and size lists, the
// character and paragraph buttons, and the font colour and highlight
// buttons whose pictures show the colour they apply, with the colour popup
// on their arrows. It works on the selection of the note open in the active
// notebook window and shows that selection's face and size.
#pragma once

#include "app/CFontNameCombo.h"
#include "app/CFontSizeCombo.h"

#include "widgets/CQlcToolBar.h"

#include "framework/gdi/CFont.h"

#include <richedit.h>

class CQlcRichEditViewEx;
class VarloColourPopup;

class CFormatBar : public CQlcToolBar
{
    DECLARE_DYNAMIC(CFormatBar)
public:
    // -1: the automatic colour.
    static constexpr COLORREF kAutoColour = (COLORREF)-1;

    CFormatBar();
    ~CFormatBar() override;

    // The bar of the program's main window, or null.
    static CFormatBar* GetMainFormatBar();
    // The rich-text view of the note in the active notebook window, or null.
    static CQlcRichEditViewEx* GetOpenNoteView();
    // Applies a character format to the open note's selection and gives the
    // note the focus. FALSE without an open note.
    static BOOL ApplyToNote(CHARFORMAT2A& cf);

    void EnableFormatting(BOOL bEnable);
    BOOL IsFormattingEnabled() const { return m_bFormattingEnabled; }
    // Shows the face and size of a selection (empty where the mask says
    // the selection has more than one).
    void ShowCharFormat(const CHARFORMATA& cf);

    // The arrows of the buttons (answers for TBN_DROPDOWN).
    LRESULT OnFontColourDropDown() { return OnColourDropDown(FALSE); }
    LRESULT OnHighlightDropDown() { return OnColourDropDown(TRUE); }
    LRESULT OnUnderlineDropDown();
    // The colours the buttons apply, applied to the open note.
    void ApplyFontColour();
    void ApplyHighlightColour();

    COLORREF GetFontColour() const { return m_clrFont; }
    COLORREF GetHighlightColour() const { return m_clrHighlight; }
    void SetFontColour(COLORREF clr) { m_clrFont = clr; }
    void SetHighlightColour(COLORREF clr) { m_clrHighlight = clr; }

    CFontNameCombo& GetFontNameCombo() { return m_wndFontName; }
    CFontSizeCombo& GetFontSizeCombo() { return m_wndFontSize; }
    // The picture of a colour button made again for the bar's colour (when
    // it changed since the last one); called while the bar paints.
    void UpdateColourImage(UINT nID, HDC hdcTarget);
    // The colour drawn into the bar of a colour button's picture.
    static COLORREF ButtonBarColour(COLORREF clr, BOOL bHighlight);

    // Runs the colour popup's modal loop (tests drive the popup from here).
    static int(*s_pfnRunColourPopup)(VarloColourPopup& popup);

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnUpdateFontColour(CCmdUI* pCmdUI);
    void OnUpdateHighlight(CCmdUI* pCmdUI);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSysColorChange();

protected:
    // Runs the popup below a button; TRUE with the colour chosen (-1 for
    // "Automatic"). The custom colours go back to the settings either way.
    BOOL PickColour(UINT nID, COLORREF clrInitial, COLORREF& clrChosen);
    LRESULT OnColourDropDown(BOOL bHighlight);
    void ApplyColour(BOOL bHighlight);
    int ImageIndexOf(UINT nID) const;

    CFontNameCombo m_wndFontName;
    CFontSizeCombo m_wndFontSize;
    CFont m_font;
    COLORREF m_clrFont;
    COLORREF m_clrHighlight;
    HBITMAP m_hbmColour[2];    // font colour, highlight
    COLORREF m_clrDrawn[2];
    BOOL m_bDrawn[2];
    BOOL m_bFormattingEnabled;

    DECLARE_MESSAGE_MAP()
};
