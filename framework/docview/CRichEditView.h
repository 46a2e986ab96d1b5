// A view that is a RichEdit 2.0 control ("RichEdit20A"): character and
// paragraph formats with the command handlers the menus and bars use, word
// wrap, the edit commands, the Font dialog, find and replace through the
// common Find dialog, and an OLE container for embedded objects (storage in
// memory; objects open in their own window).
#pragma once

#include "framework/docview/CCtrlView.h"
#include "framework/ui/CRichEditCtrl.h"

#include <vector>

class CFindReplaceDialog;
class CRichEditCntrItem;
class CRichEditDoc;

// The find and replace state the rich-edit views share: the open Find or
// Replace dialog and the last search.
struct AFX_RICHEDIT_STATE
{
    CFindReplaceDialog* pFindReplaceDlg = nullptr;
    BOOL bFindOnly = TRUE;
    CString strFind;
    CString strReplace;
    BOOL bCase = FALSE;
    BOOL bWord = FALSE;
    BOOL bNext = TRUE;
};
AFX_RICHEDIT_STATE* AFXAPI AfxGetRichEditState();

class CRichEditView : public CCtrlView
{
    DECLARE_DYNCREATE(CRichEditView)
public:
    CRichEditView();
    ~CRichEditView() override;

    enum WordWrapType { WrapNone = 0, WrapToWindow = 1, WrapToTargetDevice = 2 };

    // The control of this view (the view's own window).
    CRichEditCtrl& GetRichEditCtrl() const;
    CRichEditDoc* GetDocument() const;

    // --- Formats ------------------------------------------------------------------
    // The selection's formats, read again when they may have changed.
    CHARFORMAT2A& GetCharFormatSelection();
    PARAFORMAT2& GetParaFormatSelection();
    void SetCharFormat(CHARFORMAT2A cf);
    void SetParaFormat(PARAFORMAT2& pf);
    // Turns an effect on for the selection, or off when all of it has it.
    void OnCharEffect(DWORD dwMask, DWORD dwEffect);
    void OnUpdateCharEffect(CCmdUI* pCmdUI, DWORD dwMask, DWORD dwEffect);
    void OnParaAlign(WORD wAlign);
    void OnUpdateParaAlign(CCmdUI* pCmdUI, WORD wAlign);
    // Applies m_nWordWrap to the control.
    virtual void WrapChanged();

    // --- Find and replace -------------------------------------------------------------
    // Searches forward from the selection (one character past its start when
    // something is selected) to the end, then once from the start of the text
    // to where the series began; selects a hit. TRUE when found.
    BOOL FindText(LPCSTR lpszFind, BOOL bCase = TRUE, BOOL bWord = TRUE, BOOL bNext = TRUE);
    long FindAndSelect(DWORD dwFlags, FINDTEXTEXA& ft);
    BOOL SameAsSelected(LPCSTR lpszCompare, BOOL bCase, BOOL bWord);
    virtual void OnFindNext(LPCSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord);
    virtual void OnReplaceSel(LPCSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord, LPCSTR lpszReplace);
    virtual void OnReplaceAll(LPCSTR lpszFind, LPCSTR lpszReplace, BOOL bCase, BOOL bWord);
    // Nothing (more) found: the next search starts a new series; a beep.
    virtual void OnTextNotFound(LPCSTR lpszFind);
    // Moves the find dialog off the selection (and the caret's line).
    void AdjustDialogPosition(CWnd* pDlg);
    // The selection's lines in screen coordinates.
    CRect GetSelectionScreenRect() const;

    // --- Embedded objects -----------------------------------------------------------
    // The item of the object that is the whole selection, or null; an object
    // the document has no item for yet gets one.
    CRichEditCntrItem* GetSelectedItem() const;
    // Puts the item's object into the text at the selection.
    HRESULT InsertItem(CRichEditCntrItem* pItem);
    // The control's client site for new objects (AddRef'd), or null.
    IOleClientSite* GetClientSite() const;
    IRichEditOle* GetRichEditOle() const { return m_lpRichEditOle; }

    // --- Printing ----------------------------------------------------------------------
    // Pages are laid out as they are printed: page n starts at the character
    // m_aPageStart[n - 1] records; pages before the first one asked for are
    // measured without drawing. Margins are m_rectMargin from the paper's edges.
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnPreparePrintDC(CDC* pDC, CPrintInfo* pInfo) override;
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    // Draws the text from nIndexStart (to nIndexStop, -1 for the end) that
    // fits on one page; returns the first character that did not fit.
    long PrintPage(CDC* pDC, long nIndexStart, long nIndexStop);
    // The same without drawing.
    long MeasurePage(CDC* pDC, long nIndexStart, long nIndexStop);
    // The text's length in characters, as the control counts positions.
    long GetTextLengthPrecise() const;
    const std::vector<long>& GetPageStarts() const { return m_aPageStart; }

    // --- Framework overrides and handlers ----------------------------------------------
    void OnInitialUpdate() override;
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnDestroy();
    void OnSelChange(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnFindReplaceCmd(WPARAM wParam, LPARAM lParam);

    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnEditUndo();
    void OnEditSelectAll();
    void OnEditFind();
    void OnEditReplace();
    void OnEditRepeat();
    void OnUpdateNeedSel(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    void OnUpdateEditUndo(CCmdUI* pCmdUI);
    void OnUpdateEditSelectAll(CCmdUI* pCmdUI);
    void OnUpdateNeedFind(CCmdUI* pCmdUI);
    void OnFormatFont();
    void OnInsertObject();
    void OnCharBold() { OnCharEffect(CFM_BOLD, CFE_BOLD); }
    void OnCharItalic() { OnCharEffect(CFM_ITALIC, CFE_ITALIC); }
    void OnCharUnderline() { OnCharEffect(CFM_UNDERLINE, CFE_UNDERLINE); }
    void OnUpdateCharBold(CCmdUI* pCmdUI) { OnUpdateCharEffect(pCmdUI, CFM_BOLD, CFE_BOLD); }
    void OnUpdateCharItalic(CCmdUI* pCmdUI) { OnUpdateCharEffect(pCmdUI, CFM_ITALIC, CFE_ITALIC); }
    void OnUpdateCharUnderline(CCmdUI* pCmdUI) { OnUpdateCharEffect(pCmdUI, CFM_UNDERLINE, CFE_UNDERLINE); }
    void OnParaLeft() { OnParaAlign(PFA_LEFT); }
    void OnParaCenter() { OnParaAlign(PFA_CENTER); }
    void OnParaRight() { OnParaAlign(PFA_RIGHT); }
    void OnUpdateParaLeft(CCmdUI* pCmdUI) { OnUpdateParaAlign(pCmdUI, PFA_LEFT); }
    void OnUpdateParaCenter(CCmdUI* pCmdUI) { OnUpdateParaAlign(pCmdUI, PFA_CENTER); }
    void OnUpdateParaRight(CCmdUI* pCmdUI) { OnUpdateParaAlign(pCmdUI, PFA_RIGHT); }

    int m_nWordWrap;
    BOOL m_bSyncCharFormat;
    BOOL m_bSyncParaFormat;
    CRect m_rectMargin;          // print margins, in twips
    long m_lInitialSearchPos;    // where the current search series began
    BOOL m_bFirstSearch;

protected:
    void OnEditFindReplace(BOOL bFindOnly);

    // The control's OLE callback: new objects get storage in memory, and an
    // object the control deletes loses its item.
    class XRichEditOleCallback : public IRichEditOleCallback
    {
    public:
        explicit XRichEditOleCallback(CRichEditView* pView) : m_pView(pView) {}
        STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
        STDMETHOD_(ULONG, AddRef)() override { return ++m_nRef; }
        STDMETHOD_(ULONG, Release)() override { return m_nRef > 0 ? --m_nRef : 0; }
        STDMETHOD(GetNewStorage)(LPSTORAGE* lplpstg) override;
        STDMETHOD(GetInPlaceContext)(LPOLEINPLACEFRAME* lplpFrame, LPOLEINPLACEUIWINDOW* lplpDoc,
                                     LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
        STDMETHOD(ShowContainerUI)(BOOL fShow) override;
        STDMETHOD(QueryInsertObject)(LPCLSID lpclsid, LPSTORAGE lpstg, LONG cp) override;
        STDMETHOD(DeleteObject)(LPOLEOBJECT lpoleobj) override;
        STDMETHOD(QueryAcceptData)(LPDATAOBJECT lpdataobj, CLIPFORMAT* lpcfFormat, DWORD reco, BOOL fReally,
                                   HGLOBAL hMetaPict) override;
        STDMETHOD(ContextSensitiveHelp)(BOOL fEnterMode) override;
        STDMETHOD(GetClipboardData)(CHARRANGE* lpchrg, DWORD reco, LPDATAOBJECT* lplpdataobj) override;
        STDMETHOD(GetDragDropEffect)(BOOL fDrag, DWORD grfKeyState, LPDWORD pdwEffect) override;
        STDMETHOD(GetContextMenu)(WORD seltype, LPOLEOBJECT lpoleobj, CHARRANGE* lpchrg,
                                  HMENU* lphmenu) override;

    private:
        CRichEditView* m_pView;
        ULONG m_nRef = 0;
    };
    friend class XRichEditOleCallback;

    XRichEditOleCallback m_xRichEditOleCallback;
    IRichEditOle* m_lpRichEditOle;
    mutable CRichEditCtrl m_ctrl;   // stands for this view's own window
    CHARFORMAT2A m_charformat;
    PARAFORMAT2 m_paraformat;
    std::vector<long> m_aPageStart;   // first character of each page laid out
    BOOL m_bLastPageKnown;

    long FormatPage(CDC* pDC, long nIndexStart, long nIndexStop, BOOL bRender);
    // Records where the page after nPage starts (nNext), or that nPage is the
    // last, or that the control could not lay the page out.
    void NextPage(CPrintInfo* pInfo, UINT nPage, long nStart, long nNext);

    DECLARE_MESSAGE_MAP()
};
