// The content view of a rich-text note: the framework's rich-edit view
// streaming the note's RTF in from and out to the node's payload, with the
// default font for new notes, clickable links, extra paragraph and character
// commands, the paragraph dialog, a context menu, Redo, and the "Options
// Changed" settings (word wrap, automatic word selection).
#pragma once

#include "framework/docview/CRichEditView.h"

#include "widgets/GlyphMenu.h"

class CQuillcrestDoc;

class CQlcRichEditViewEx : public CRichEditView
{
    DECLARE_DYNCREATE(CQlcRichEditViewEx)
public:
    CQlcRichEditViewEx();

    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, CCreateContext* pContext) override;
    void OnInitialUpdate() override;

    // While printing the control is transparent, so laying pages out for the
    // printer never paints over the window.
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo) override;

    // Fills the control from the node. FALSE when the note could not be read
    // whole (the control then must not be saved back over the node).
    BOOL LoadNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, BOOL bPasswordKnown, LPCSTR lpszPassword);
    // Writes the control back into the node when it was changed. FALSE, and
    // the control still modified, when the note could not be stored.
    BOOL SaveNode(CQuillcrestDoc* pDoc, DWORD dwNodeId);

    // The settings of the application applied again (word wrap, word selection).
    void ApplySettings();
    void SetAutoWordSelection(BOOL bOn);

    // --- Commands ---------------------------------------------------------------------
    void OnParaJustify() { OnParaAlign(PFA_JUSTIFY); }
    void OnUpdateParaJustify(CCmdUI* pCmdUI) { OnUpdateParaAlign(pCmdUI, PFA_JUSTIFY); }
    void OnCharStrikeout() { OnCharEffect(CFM_STRIKEOUT, CFE_STRIKEOUT); }
    void OnUpdateCharStrikeout(CCmdUI* pCmdUI) { OnUpdateCharEffect(pCmdUI, CFM_STRIKEOUT, CFE_STRIKEOUT); }
    void OnBullets();
    void OnUpdateBullets(CCmdUI* pCmdUI);
    void OnIndentLess();
    void OnIndentMore();
    void OnUpdateAlwaysEnabled(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
    void OnSingleUnderline() { SetUnderlineType(CFU_UNDERLINE); }
    void OnDoubleUnderline() { SetUnderlineType(CFU_UNDERLINEDOUBLE); }
    void OnDottedUnderline() { SetUnderlineType(CFU_UNDERLINEDOTTED); }
    void SetUnderlineType(BYTE bType);
    void OnFormatParagraph();
    void OnEditRedo();
    void OnUpdateEditRedo(CCmdUI* pCmdUI);
    void OnInsertObject();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    // Tools > Check Spelling over the note (the frame's command too, when
    // another pane has the focus).
    void OnToolsCheckSpelling();

    // Indent steps in twips (start indent, offset).
    static LONG NextIndentMore(LONG lIndent);
    static LONG NextIndentLess(LONG lIndent);

    // --- Handlers -------------------------------------------------------------------------
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSetFocus(CWnd* pOldWnd);
    void OnDestroy();
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnSelChangeEx(NMHDR* pNMHDR, LRESULT* pResult);
    void OnLink(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnOptionsChanged(WPARAM wParam, LPARAM lParam);

    BOOL IsContextMenuUp() const { return m_bContextMenuUp; }
    // Builds the context menu into menu, enabled for the selection and the
    // clipboard; the popup to track, or null.
    GlyphMenu* LoadContextMenu(GlyphMenu& menu);

    // The Formatting bar shows the selection's face and size.
    void ShowSelectionFormat();

protected:
    // The context menu at a screen point.
    void ShowContextMenu(CPoint ptScreen);

    BOOL m_bContextMenuUp;
    HCURSOR m_hArrowCursor;
    GlyphMenu* m_pContextMenu;   // the popup being tracked

    DECLARE_MESSAGE_MAP()
};
