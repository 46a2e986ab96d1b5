#include "framework/docview/CRichEditView.h"

#include "framework/base/AfxPrompt.h"
#include "framework/ui/CFindReplaceDialog.h"
#include "framework/ui/CFontDialog.h"
#include "framework/ole/COleInsertDialog.h"
#include "framework/ole/CRichEditCntrItem.h"
#include "framework/ole/CRichEditDoc.h"
#include "framework/ui/CWaitCursor.h"
#include "framework/gdi/CClientDC.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CRichEditView, CCtrlView)

namespace {

// Registered at start-up, before any message map is searched for it.
UINT s_nFindReplaceMsg = AfxGetFindReplaceMessage();

} // namespace

BEGIN_MESSAGE_MAP(CRichEditView, CCtrlView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(EN_SELCHANGE, OnSelChange)
    ON_REGISTERED_MESSAGE(s_nFindReplaceMsg, OnFindReplaceCmd)
    ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrintDirect)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateNeedSel)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateNeedSel)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
    ON_COMMAND(ID_EDIT_CLEAR, OnEditClear)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, OnUpdateNeedSel)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditSelectAll)
    ON_COMMAND(ID_EDIT_FIND, OnEditFind)
    ON_COMMAND(ID_EDIT_REPLACE, OnEditReplace)
    ON_COMMAND(ID_EDIT_REPEAT, OnEditRepeat)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REPEAT, OnUpdateNeedFind)
    ON_COMMAND(ID_FORMAT_FONT, OnFormatFont)
    ON_COMMAND(ID_OLE_INSERT_NEW, OnInsertObject)
    ON_COMMAND(ID_CHAR_BOLD, OnCharBold)
    ON_UPDATE_COMMAND_UI(ID_CHAR_BOLD, OnUpdateCharBold)
    ON_COMMAND(ID_CHAR_ITALIC, OnCharItalic)
    ON_UPDATE_COMMAND_UI(ID_CHAR_ITALIC, OnUpdateCharItalic)
    ON_COMMAND(ID_CHAR_UNDERLINE, OnCharUnderline)
    ON_UPDATE_COMMAND_UI(ID_CHAR_UNDERLINE, OnUpdateCharUnderline)
    ON_COMMAND(ID_PARA_LEFT, OnParaLeft)
    ON_UPDATE_COMMAND_UI(ID_PARA_LEFT, OnUpdateParaLeft)
    ON_COMMAND(ID_PARA_CENTER, OnParaCenter)
    ON_UPDATE_COMMAND_UI(ID_PARA_CENTER, OnUpdateParaCenter)
    ON_COMMAND(ID_PARA_RIGHT, OnParaRight)
    ON_UPDATE_COMMAND_UI(ID_PARA_RIGHT, OnUpdateParaRight)
END_MESSAGE_MAP()

AFX_RICHEDIT_STATE* AFXAPI AfxGetRichEditState()
{
    static AFX_RICHEDIT_STATE s_state;
    return &s_state;
}

CRichEditView::CRichEditView()
    : CCtrlView(RICHEDIT_CLASSA, WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
                                     ES_MULTILINE | ES_NOHIDESEL | ES_SAVESEL | ES_SELECTIONBAR),
      m_nWordWrap(WrapToWindow), m_bSyncCharFormat(TRUE), m_bSyncParaFormat(TRUE), m_rectMargin(1800, 1440, 1800, 1440),
      m_lInitialSearchPos(0), m_bFirstSearch(TRUE), m_xRichEditOleCallback(this), m_lpRichEditOle(nullptr),
      m_charformat(), m_paraformat(), m_bLastPageKnown(FALSE)
{
    m_charformat.cbSize = sizeof(m_charformat);
    m_paraformat.cbSize = sizeof(m_paraformat);
}

CRichEditView::~CRichEditView()
{
    // The stand-in control never owned the window.
    m_ctrl.m_hWnd = nullptr;
    if (m_lpRichEditOle != nullptr)
    {
        m_lpRichEditOle->Release();
        m_lpRichEditOle = nullptr;
    }
}

CRichEditCtrl& CRichEditView::GetRichEditCtrl() const
{
    m_ctrl.m_hWnd = m_hWnd;
    return m_ctrl;
}

CRichEditDoc* CRichEditView::GetDocument() const
{
    CDocument* pDoc = CView::GetDocument();
    return pDoc ? DYNAMIC_DOWNCAST(CRichEditDoc, pDoc) : nullptr;
}

BOOL CRichEditView::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!AfxInitRichEdit2())
        return FALSE;
    return CCtrlView::PreCreateWindow(cs);
}

// ---------------------------------------------------------------------------
// Creation and destruction

int CRichEditView::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CCtrlView::OnCreate(lpcs) == -1)
        return -1;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    // The control's first default format comes from the system font, which
    // may be bold: text that asks for no effects shows none.
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    cf.dwEffects = 0;
    ctrl.SetDefaultCharFormat(cf);
    ctrl.SetEventMask(ctrl.GetEventMask() | ENM_SELCHANGE | ENM_CHANGE);
    ctrl.SetOLECallback(&m_xRichEditOleCallback);
    m_lpRichEditOle = ctrl.GetIRichEditOle();
    return 0;
}

void CRichEditView::OnDestroy()
{
    // The objects of this text go with it; none is left open.
    if (CRichEditDoc* pDoc = GetDocument())
        pDoc->DeleteItems();
    if (m_lpRichEditOle != nullptr)
    {
        m_lpRichEditOle->Release();
        m_lpRichEditOle = nullptr;
    }
    GetRichEditCtrl().SetOLECallback(nullptr);
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    if (pState->pFindReplaceDlg != nullptr && pState->pFindReplaceDlg->m_fr.hwndOwner == m_hWnd)
    {
        // The dialog must not report to a window that is gone.
        CFindReplaceDialog* pDlg = pState->pFindReplaceDlg;
        pState->pFindReplaceDlg = nullptr;
        pDlg->DestroyWindow();
    }
    CCtrlView::OnDestroy();
}

void CRichEditView::OnInitialUpdate()
{
    CCtrlView::OnInitialUpdate();
    m_bSyncCharFormat = m_bSyncParaFormat = TRUE;
    WrapChanged();
}

void CRichEditView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView)
{
    // An open Find dialog reports to the view that is active.
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    if (bActivate && pState->pFindReplaceDlg != nullptr && pState->pFindReplaceDlg->m_hWnd != nullptr)
    {
        pState->pFindReplaceDlg->m_fr.hwndOwner = m_hWnd;
        ::SetWindowLongPtrA(pState->pFindReplaceDlg->m_hWnd, GWLP_HWNDPARENT, (LONG_PTR)m_hWnd);
    }
    CCtrlView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

void CRichEditView::WrapChanged()
{
    // Line width 0 wraps at the window; 1 never wraps.
    GetRichEditCtrl().SetTargetDevice(nullptr, m_nWordWrap == WrapNone ? 1 : 0);
}

void CRichEditView::OnSelChange(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    m_bSyncCharFormat = m_bSyncParaFormat = TRUE;
    *pResult = 0;
}

// ---------------------------------------------------------------------------
// Formats

CHARFORMAT2A& CRichEditView::GetCharFormatSelection()
{
    if (m_bSyncCharFormat)
    {
        memset(&m_charformat, 0, sizeof(m_charformat));
        GetRichEditCtrl().GetSelectionCharFormat(m_charformat);
        m_bSyncCharFormat = FALSE;
    }
    return m_charformat;
}

PARAFORMAT2& CRichEditView::GetParaFormatSelection()
{
    if (m_bSyncParaFormat)
    {
        memset(&m_paraformat, 0, sizeof(m_paraformat));
        GetRichEditCtrl().GetParaFormat(m_paraformat);
        m_bSyncParaFormat = FALSE;
    }
    return m_paraformat;
}

void CRichEditView::SetCharFormat(CHARFORMAT2A cf)
{
    CWaitCursor wait;
    GetRichEditCtrl().SetSelectionCharFormat(cf);
    // A format change is a change of the text (not every control says so).
    GetRichEditCtrl().SetModify(TRUE);
    m_bSyncCharFormat = TRUE;
}

void CRichEditView::SetParaFormat(PARAFORMAT2& pf)
{
    CWaitCursor wait;
    GetRichEditCtrl().SetParaFormat(pf);
    GetRichEditCtrl().SetModify(TRUE);
    m_bSyncParaFormat = TRUE;
}

void CRichEditView::OnCharEffect(DWORD dwMask, DWORD dwEffect)
{
    CHARFORMAT2A cf = GetCharFormatSelection();
    const BOOL bAllOn = (cf.dwMask & dwMask) && (cf.dwEffects & dwEffect);
    if (bAllOn)
        cf.dwEffects &= ~dwEffect;
    else
        cf.dwEffects |= dwEffect;
    cf.dwMask = dwMask;
    SetCharFormat(cf);
}

void CRichEditView::OnUpdateCharEffect(CCmdUI* pCmdUI, DWORD dwMask, DWORD dwEffect)
{
    // Always there to apply (a bar may have greyed the button meanwhile).
    pCmdUI->Enable(TRUE);
    const CHARFORMAT2A& cf = GetCharFormatSelection();
    pCmdUI->SetCheck((cf.dwMask & dwMask) ? ((cf.dwEffects & dwEffect) ? 1 : 0) : 2);
}

void CRichEditView::OnParaAlign(WORD wAlign)
{
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = wAlign;
    SetParaFormat(pf);
}

void CRichEditView::OnUpdateParaAlign(CCmdUI* pCmdUI, WORD wAlign)
{
    pCmdUI->Enable(TRUE);
    const PARAFORMAT2& pf = GetParaFormatSelection();
    pCmdUI->SetCheck((pf.dwMask & PFM_ALIGNMENT) ? (pf.wAlignment == wAlign ? 1 : 0) : 2);
}

// ---------------------------------------------------------------------------
// Edit commands

void CRichEditView::OnEditCut()
{
    GetRichEditCtrl().Cut();
}

void CRichEditView::OnEditCopy()
{
    GetRichEditCtrl().Copy();
}

void CRichEditView::OnEditPaste()
{
    GetRichEditCtrl().Paste();
    m_bSyncCharFormat = m_bSyncParaFormat = TRUE;
}

void CRichEditView::OnEditClear()
{
    GetRichEditCtrl().Clear();
}

void CRichEditView::OnEditUndo()
{
    GetRichEditCtrl().Undo();
    m_bSyncCharFormat = m_bSyncParaFormat = TRUE;
}

void CRichEditView::OnEditSelectAll()
{
    GetRichEditCtrl().SetSel(0, -1);
}

void CRichEditView::OnUpdateNeedSel(CCmdUI* pCmdUI)
{
    CHARRANGE cr = { 0, 0 };
    GetRichEditCtrl().GetSel(cr);
    pCmdUI->Enable(cr.cpMin != cr.cpMax);
}

void CRichEditView::OnUpdateEditPaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetRichEditCtrl().CanPaste());
}

void CRichEditView::OnUpdateEditUndo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetRichEditCtrl().CanUndo());
}

void CRichEditView::OnUpdateEditSelectAll(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetRichEditCtrl().GetTextLength() > 0);
}

void CRichEditView::OnUpdateNeedFind(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!AfxGetRichEditState()->strFind.IsEmpty());
}

void CRichEditView::OnFormatFont()
{
    CFontDialog dlg(GetCharFormatSelection(), CF_SCREENFONTS | CF_EFFECTS | CF_NOOEMFONTS, nullptr, this);
    dlg.m_rcKeepClear = GetSelectionScreenRect();
    if (dlg.DoModal() != IDOK)
        return;
    // What the user left alone stays as it is in every part of the selection.
    CHARFORMAT2A cf;
    dlg.GetChangedCharFormat(cf);
    if (cf.dwMask != 0)
        SetCharFormat(cf);
}

// ---------------------------------------------------------------------------
// Find and replace

void CRichEditView::OnEditFind()
{
    OnEditFindReplace(TRUE);
}

void CRichEditView::OnEditReplace()
{
    OnEditFindReplace(FALSE);
}

void CRichEditView::OnEditRepeat()
{
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    if (pState->strFind.IsEmpty())
        return;
    OnFindNext(pState->strFind, pState->bNext, pState->bCase, pState->bWord);
}

void CRichEditView::OnEditFindReplace(BOOL bFindOnly)
{
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    if (pState->pFindReplaceDlg != nullptr)
    {
        if (pState->bFindOnly == bFindOnly)
        {
            pState->pFindReplaceDlg->SetActiveWindow();
            pState->pFindReplaceDlg->ShowWindow(SW_SHOW);
            return;
        }
        CFindReplaceDialog* pOld = pState->pFindReplaceDlg;
        pState->pFindReplaceDlg = nullptr;
        pOld->DestroyWindow();
    }

    // A one-line selection is what the user wants to find.
    CString strFind = GetRichEditCtrl().GetSelText();
    if (strFind.IsEmpty() || strFind.FindOneOf("\r\n") >= 0)
        strFind = pState->strFind;

    DWORD dwFlags = FR_DOWN;
    if (pState->bCase)
        dwFlags |= FR_MATCHCASE;
    if (pState->bWord)
        dwFlags |= FR_WHOLEWORD;

    CFindReplaceDialog* pDlg = new CFindReplaceDialog;
    pState->pFindReplaceDlg = pDlg;
    pState->bFindOnly = bFindOnly;
    m_bFirstSearch = TRUE;
    if (!pDlg->Create(bFindOnly, strFind, pState->strReplace, dwFlags, this))
    {
        pState->pFindReplaceDlg = nullptr;
        if (pDlg->m_hWnd == nullptr)
            delete pDlg;
        return;
    }
    // It opens clear of the text it is about to search from.
    AdjustDialogPosition(pDlg);
    pDlg->SetActiveWindow();
    pDlg->ShowWindow(SW_SHOW);
}

LRESULT CRichEditView::OnFindReplaceCmd(WPARAM /*wParam*/, LPARAM lParam)
{
    CFindReplaceDialog* pDlg = CFindReplaceDialog::GetNotifier(lParam);
    if (pDlg == nullptr)
        return 0;
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    if (pDlg->IsTerminating())
    {
        if (pState->pFindReplaceDlg == pDlg)
            pState->pFindReplaceDlg = nullptr;
        return 0;
    }
    pState->pFindReplaceDlg = pDlg;
    pState->strFind = pDlg->GetFindString();
    pState->strReplace = pDlg->GetReplaceString();
    pState->bCase = pDlg->MatchCase();
    pState->bWord = pDlg->MatchWholeWord();
    pState->bNext = pDlg->SearchDown();
    if (pDlg->FindNext())
        OnFindNext(pState->strFind, pState->bNext, pState->bCase, pState->bWord);
    else if (pDlg->ReplaceCurrent())
        OnReplaceSel(pState->strFind, pState->bNext, pState->bCase, pState->bWord, pState->strReplace);
    else if (pDlg->ReplaceAll())
        OnReplaceAll(pState->strFind, pState->strReplace, pState->bCase, pState->bWord);
    return 0;
}

long CRichEditView::FindAndSelect(DWORD dwFlags, FINDTEXTEXA& ft)
{
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    const long lFound = ctrl.FindText(dwFlags, &ft);
    if (lFound != -1)
        ctrl.SetSel(ft.chrgText);
    return lFound;
}

BOOL CRichEditView::FindText(LPCSTR lpszFind, BOOL bCase, BOOL bWord, BOOL /*bNext*/)
{
    if (lpszFind == nullptr || *lpszFind == '\0')
        return FALSE;
    CWaitCursor wait;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    FINDTEXTEXA ft = {};
    ctrl.GetSel(ft.chrg);
    if (m_bFirstSearch)
    {
        m_lInitialSearchPos = ft.chrg.cpMin;
        m_bFirstSearch = FALSE;
    }
    ft.lpstrText = lpszFind;
    // Past the selection's first character, so a hit is never found twice.
    // RichEdit 2.0 counts characters, a double-byte one included.
    if (ft.chrg.cpMin != ft.chrg.cpMax)
        ft.chrg.cpMin++;
    const long lLength = ctrl.GetTextLengthEx();
    ft.chrg.cpMax = lLength;

    // RichEdit 2.0 searches backwards without FR_DOWN: always forwards.
    DWORD dwFlags = FR_DOWN;
    if (bCase)
        dwFlags |= FR_MATCHCASE;
    if (bWord)
        dwFlags |= FR_WHOLEWORD;

    long lFound = FindAndSelect(dwFlags, ft);
    if (lFound == -1 && m_lInitialSearchPos > 0)
    {
        // Once more from the top to where the series began; later searches
        // of the series run to the end only.
        ft.chrg.cpMin = 0;
        ft.chrg.cpMax = m_lInitialSearchPos;
        m_lInitialSearchPos = std::max(0L, m_lInitialSearchPos - lLength);
        lFound = FindAndSelect(dwFlags, ft);
    }
    return lFound != -1;
}

BOOL CRichEditView::SameAsSelected(LPCSTR lpszCompare, BOOL bCase, BOOL /*bWord*/)
{
    const CString strSelected = GetRichEditCtrl().GetSelText();
    if (lpszCompare == nullptr || strSelected.GetLength() != lstrlenA(lpszCompare))
        return FALSE;
    return bCase ? strSelected.Compare(lpszCompare) == 0 : strSelected.CompareNoCase(lpszCompare) == 0;
}

void CRichEditView::OnFindNext(LPCSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord)
{
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    pState->strFind = lpszFind;
    pState->bCase = bCase;
    pState->bWord = bWord;
    pState->bNext = bNext;
    if (FindText(lpszFind, bCase, bWord, bNext))
        AdjustDialogPosition(pState->pFindReplaceDlg);
    else
        OnTextNotFound(lpszFind);
}

void CRichEditView::OnReplaceSel(LPCSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord, LPCSTR lpszReplace)
{
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    pState->strFind = lpszFind;
    pState->strReplace = lpszReplace;
    pState->bCase = bCase;
    pState->bWord = bWord;
    pState->bNext = bNext;
    if (SameAsSelected(lpszFind, bCase, bWord))
        GetRichEditCtrl().ReplaceSel(lpszReplace, TRUE);
    if (FindText(lpszFind, bCase, bWord, bNext))
        AdjustDialogPosition(pState->pFindReplaceDlg);
    else
        OnTextNotFound(lpszFind);
}

void CRichEditView::OnReplaceAll(LPCSTR lpszFind, LPCSTR lpszReplace, BOOL bCase, BOOL bWord)
{
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    pState->strFind = lpszFind;
    pState->strReplace = lpszReplace;
    pState->bCase = bCase;
    pState->bWord = bWord;
    pState->bNext = TRUE;

    CWaitCursor wait;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    if (!SameAsSelected(lpszFind, bCase, bWord) && !FindText(lpszFind, bCase, bWord, TRUE))
    {
        OnTextNotFound(lpszFind);
        return;
    }
    ctrl.HideSelection(TRUE, FALSE);
    do
    {
        ctrl.ReplaceSel(lpszReplace, TRUE);
    } while (FindText(lpszFind, bCase, bWord, TRUE));
    OnTextNotFound(lpszFind);
    ctrl.HideSelection(FALSE, FALSE);
}

void CRichEditView::OnTextNotFound(LPCSTR /*lpszFind*/)
{
    m_bFirstSearch = TRUE;
    ::MessageBeep(MB_ICONHAND);
}

CRect CRichEditView::GetSelectionScreenRect() const
{
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    long nStart = 0, nEnd = 0;
    ctrl.GetSel(nStart, nEnd);
    const CPoint ptStart = ctrl.PosFromChar((UINT)nStart);
    const CPoint ptEnd = ctrl.PosFromChar((UINT)nEnd);
    // The line's height from the selection's character size.
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    ctrl.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    CClientDC dc(const_cast<CRichEditView*>(this));
    const int cyLine = (cf.dwMask & CFM_SIZE) && cf.yHeight > 0
                           ? MulDiv((int)cf.yHeight, dc.GetDeviceCaps(LOGPIXELSY), 1440) * 4 / 3 + 2
                           : 20;
    CRect rc;
    if (ptStart.y == ptEnd.y)
        rc.SetRect(std::min(ptStart.x, ptEnd.x), ptStart.y, std::max(ptStart.x, ptEnd.x) + 2, ptEnd.y + cyLine);
    else
    {
        // Over several lines it takes the view's whole width.
        CRect rcClient;
        GetClientRect(rcClient);
        rc.SetRect(rcClient.left, ptStart.y, rcClient.right, ptEnd.y + cyLine);
    }
    ClientToScreen(rc);
    return rc;
}

void CRichEditView::AdjustDialogPosition(CWnd* pDlg)
{
    if (pDlg != nullptr && pDlg->m_hWnd != nullptr)
        pDlg->MoveClearOf(GetSelectionScreenRect());
}

// ---------------------------------------------------------------------------
// Embedded objects

IOleClientSite* CRichEditView::GetClientSite() const
{
    IOleClientSite* pSite = nullptr;
    if (m_lpRichEditOle == nullptr || FAILED(m_lpRichEditOle->GetClientSite(&pSite)))
        return nullptr;
    return pSite;
}

CRichEditCntrItem* CRichEditView::GetSelectedItem() const
{
    CRichEditDoc* pDoc = GetDocument();
    if (m_lpRichEditOle == nullptr || pDoc == nullptr)
        return nullptr;
    CHARRANGE cr = { 0, 0 };
    GetRichEditCtrl().GetSel(cr);
    if (cr.cpMax - cr.cpMin != 1)
        return nullptr;
    // The object at the selection's one character, if there is one.
    const LONG nCount = m_lpRichEditOle->GetObjectCount();
    for (LONG i = 0; i < nCount; i++)
    {
        REOBJECT reo = {};
        reo.cbStruct = sizeof(reo);
        if (FAILED(m_lpRichEditOle->GetObject(i, &reo, REO_GETOBJ_POLEOBJ | REO_GETOBJ_PSTG)))
            continue;
        CRichEditCntrItem* pItem = nullptr;
        if (reo.cp == cr.cpMin && reo.poleobj != nullptr)
        {
            pItem = pDoc->LookupItem(reo.poleobj);
            if (pItem == nullptr)
                pItem = pDoc->CreateClientItem(&reo);
        }
        if (reo.poleobj != nullptr)
            reo.poleobj->Release();
        if (reo.pstg != nullptr)
            reo.pstg->Release();
        if (pItem != nullptr)
            return pItem;
    }
    return nullptr;
}

HRESULT CRichEditView::InsertItem(CRichEditCntrItem* pItem)
{
    if (pItem == nullptr || pItem->m_lpObject == nullptr || m_lpRichEditOle == nullptr)
        return E_INVALIDARG;
    REOBJECT reo = {};
    reo.cbStruct = sizeof(reo);
    reo.cp = REO_CP_SELECTION;
    reo.clsid = pItem->GetClassID();
    reo.poleobj = pItem->m_lpObject;
    reo.pstg = pItem->m_lpStorage;
    reo.polesite = GetClientSite();
    reo.dvaspect = pItem->m_nDrawAspect;
    reo.dwFlags = REO_RESIZABLE;
    const HRESULT hr = m_lpRichEditOle->InsertObject(&reo);
    if (reo.polesite != nullptr)
        reo.polesite->Release();
    // The text has changed (not every control says so itself).
    if (SUCCEEDED(hr))
        GetRichEditCtrl().SetModify(TRUE);
    return hr;
}

void CRichEditView::OnInsertObject()
{
    CRichEditDoc* pDoc = GetDocument();
    if (pDoc == nullptr)
        return;
    COleInsertDialog dlg(IOF_SELECTCREATENEW, this);
    const INT_PTR nResult = dlg.DoModal();
    if (nResult == IDCANCEL)
        return;
    if (nResult != IDOK)
    {
        AfxMessageBox(AFX_IDP_FAILED_TO_CREATE, MB_ICONEXCLAMATION);
        return;
    }

    CWaitCursor wait;
    CRichEditCntrItem* pItem = pDoc->CreateClientItem(nullptr);
    IOleClientSite* pSite = GetClientSite();
    BOOL bDone = pItem != nullptr && dlg.CreateItem(pItem, pSite) && SUCCEEDED(InsertItem(pItem));
    if (pSite != nullptr)
        pSite->Release();
    if (!bDone)
    {
        if (pItem != nullptr)
            pItem->Delete();
        AfxMessageBox(AFX_IDP_FAILED_TO_CREATE, MB_ICONEXCLAMATION);
        return;
    }
    // A new object is opened for editing; a file's contents are shown as they are.
    if (dlg.GetSelectionType() == COleInsertDialog::createNewItem)
        pItem->DoVerb(OLEIVERB_SHOW, this);
}

// --- The control's OLE callback ---------------------------------------------------

STDMETHODIMP CRichEditView::XRichEditOleCallback::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IRichEditOleCallback))
    {
        *ppv = static_cast<IRichEditOleCallback*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::GetNewStorage(LPSTORAGE* lplpstg)
{
    try
    {
        if (lplpstg == nullptr)
            return E_INVALIDARG;
        return COleClientItem::CreateMemoryStorage(lplpstg) ? S_OK : E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                                                   LPOLEINPLACEFRAMEINFO)
{
    // No in-place activation: objects open in their own window.
    return E_NOTIMPL;
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::ShowContainerUI(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG)
{
    return S_OK;
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::DeleteObject(LPOLEOBJECT lpoleobj)
{
    try
    {
        // The control lets the object go: so does its item.
        CRichEditDoc* pDoc = m_pView->GetDocument();
        CRichEditCntrItem* pItem = pDoc ? pDoc->LookupItem(lpoleobj) : nullptr;
        if (pItem != nullptr)
            pItem->Delete();
        return S_OK;
    }
    catch (...)
    {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, BOOL, HGLOBAL)
{
    return S_OK;
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::ContextSensitiveHelp(BOOL)
{
    return S_OK;
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* lplpdataobj)
{
    if (lplpdataobj != nullptr)
        *lplpdataobj = nullptr;
    return E_NOTIMPL; // the control's own clipboard data
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::GetDragDropEffect(BOOL, DWORD, LPDWORD)
{
    return E_NOTIMPL; // the control's own drag effects
}

STDMETHODIMP CRichEditView::XRichEditOleCallback::GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU* lphmenu)
{
    if (lphmenu != nullptr)
        *lphmenu = nullptr;
    return E_NOTIMPL; // the view shows its own menu
}
