#include "app/CQlcRichEditViewEx.h"

#include "app/CFormatBar.h"
#include "app/CLexomoLib.h"
#include "app/COptionsSheet.h"
#include "app/CMainFrame.h"
#include "app/CParagraphDlg.h"
#include "app/CQlcApp.h"
#include "app/res/Resource.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQlcStatus.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/CFileException.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CWaitCursor.h"

#include <algorithm>
#include <new>

IMPLEMENT_DYNCREATE(CQlcRichEditViewEx, CRichEditView)

namespace {

// Registered by name at start-up, the same message the main frame sends.
UINT s_nOptionsChangedMsg = ::RegisterWindowMessageA("Options Changed");

// Notes are not limited in length: the control's default limit would cut
// a long note off when it is streamed in.
const long kNoteTextLimit = 0x7FFFFFFE;

} // namespace

BEGIN_MESSAGE_MAP(CQlcRichEditViewEx, CRichEditView)
    ON_WM_CREATE()
    ON_WM_SETFOCUS()
    ON_WM_DESTROY()
    ON_WM_RBUTTONUP()
    ON_WM_CONTEXTMENU()
    ON_WM_MEASUREITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_WM_SETCURSOR()
    ON_NOTIFY_REFLECT(EN_SELCHANGE, OnSelChangeEx)
    ON_NOTIFY_REFLECT(EN_LINK, OnLink)
    ON_REGISTERED_MESSAGE(s_nOptionsChangedMsg, OnOptionsChanged)
    ON_COMMAND(ID_PARA_JUSTIFY, OnParaJustify)
    ON_UPDATE_COMMAND_UI(ID_PARA_JUSTIFY, OnUpdateParaJustify)
    ON_COMMAND(ID_CHAR_STRIKEOUT, OnCharStrikeout)
    ON_UPDATE_COMMAND_UI(ID_CHAR_STRIKEOUT, OnUpdateCharStrikeout)
    ON_COMMAND(ID_PARA_BULLETS, OnBullets)
    ON_UPDATE_COMMAND_UI(ID_PARA_BULLETS, OnUpdateBullets)
    ON_COMMAND(ID_PARA_INDENTLESS, OnIndentLess)
    ON_UPDATE_COMMAND_UI(ID_PARA_INDENTLESS, OnUpdateAlwaysEnabled)
    ON_COMMAND(ID_PARA_INDENTMORE, OnIndentMore)
    ON_UPDATE_COMMAND_UI(ID_PARA_INDENTMORE, OnUpdateAlwaysEnabled)
    ON_COMMAND(ID_CHAR_UNDERLINE_SINGLE, OnSingleUnderline)
    ON_COMMAND(ID_CHAR_UNDERLINE_DOUBLE, OnDoubleUnderline)
    ON_COMMAND(ID_CHAR_UNDERLINE_DOTTED, OnDottedUnderline)
    ON_COMMAND(ID_FORMAT_PARAGRAPH, OnFormatParagraph)
    ON_UPDATE_COMMAND_UI(ID_FORMAT_PARAGRAPH, OnUpdateAlwaysEnabled)
    ON_COMMAND(ID_EDIT_REDO, OnEditRedo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, OnUpdateEditRedo)
    ON_COMMAND(ID_OLE_INSERT_NEW, OnInsertObject)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
    ON_COMMAND(ID_TOOLS_CHECKSPELLING, OnToolsCheckSpelling)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_CHECKSPELLING, OnUpdateAlwaysEnabled)
END_MESSAGE_MAP()

CQlcRichEditViewEx::CQlcRichEditViewEx()
    : m_bContextMenuUp(FALSE), m_hArrowCursor(nullptr), m_pContextMenu(nullptr)
{
}

BOOL CQlcRichEditViewEx::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                                CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    // RichEdit 2.0, which the application loaded at start-up.
    m_strClass = RICHEDIT_CLASSA;
    return CRichEditView::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

int CQlcRichEditViewEx::OnCreate(LPCREATESTRUCTA lpcs)
{
    ModifyStyle(0, WS_TABSTOP);
    if (CRichEditView::OnCreate(lpcs) == -1)
        return -1;
    SendMessage(EM_SETTYPOGRAPHYOPTIONS, TO_ADVANCEDTYPOGRAPHY, TO_ADVANCEDTYPOGRAPHY);
    return 0;
}

void CQlcRichEditViewEx::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    ModifyStyleEx(0, WS_EX_TRANSPARENT);
    CRichEditView::OnBeginPrinting(pDC, pInfo);
}

void CQlcRichEditViewEx::OnEndPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    ModifyStyleEx(WS_EX_TRANSPARENT, 0);
    CRichEditView::OnEndPrinting(pDC, pInfo);
}

void CQlcRichEditViewEx::OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo)
{
    ModifyStyleEx(WS_EX_TRANSPARENT, 0);
    CRichEditView::OnEndPrintPreview(pDC, pInfo);
}

void CQlcRichEditViewEx::OnInitialUpdate()
{
    CRichEditView::OnInitialUpdate();
    m_rectMargin = CRect(720, 720, 720, 720);
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    ctrl.SendMessage(EM_AUTOURLDETECT, TRUE, 0);
    ctrl.SetEventMask(ctrl.GetEventMask() | ENM_LINK);
    ApplySettings();
}

void CQlcRichEditViewEx::OnSetFocus(CWnd* pOldWnd)
{
    CRichEditView::OnSetFocus(pOldWnd);
    if (CFormatBar* pBar = CFormatBar::GetMainFormatBar())
        pBar->EnableFormatting(TRUE);
}

void CQlcRichEditViewEx::OnDestroy()
{
    CRichEditView::OnDestroy();
    if (CFormatBar* pBar = CFormatBar::GetMainFormatBar())
        pBar->EnableFormatting(FALSE);
}

void CQlcRichEditViewEx::ShowSelectionFormat()
{
    CFormatBar* pBar = CFormatBar::GetMainFormatBar();
    if (pBar == nullptr || m_hWnd == nullptr)
        return;
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_SIZE;
    GetRichEditCtrl().SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    pBar->ShowCharFormat(cf);
}

void CQlcRichEditViewEx::ApplySettings()
{
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr)
        return;
    m_nWordWrap = pApp->m_settings.m_nWordWrap != 0 ? WrapToWindow : WrapNone;
    WrapChanged();
    SetAutoWordSelection(pApp->m_settings.m_nAutoWordSelection != 0);
}

void CQlcRichEditViewEx::SetAutoWordSelection(BOOL bOn)
{
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    const BOOL bIsOn = (ctrl.GetOptions() & ECO_AUTOWORDSELECTION) != 0;
    if (bIsOn != (bOn != FALSE))
        ctrl.SetOptions(ECOOP_XOR, ECO_AUTOWORDSELECTION);
}

LRESULT CQlcRichEditViewEx::OnOptionsChanged(WPARAM, LPARAM)
{
    ApplySettings();
    return 0;
}

// ---------------------------------------------------------------------------
// Spelling

void CQlcRichEditViewEx::OnToolsCheckSpelling()
{
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr || m_hWnd == nullptr)
        return;
    const CString strFolder = CLexomoLib::GetDictionaryFolder();
    const CString strCaption = AfxLoadText(IDS_SPELL_CAPTION);

    if (pApp->m_settings.m_strSpellLang.IsEmpty())
    {
        if (AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_SPELL_CHOOSE_LANGUAGE), strCaption,
                              MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return;
        COptionsSheet sheet(IDS_OPTIONS_CAPTION, this);
        sheet.m_bOpenOnSpelling = TRUE;
        if (sheet.DoModal() != IDOK)
            return;
        // Whatever else was changed on the sheet applies at once, as after
        // Tools > Options.
        if (CMainFrame* pMainFrame = DYNAMIC_DOWNCAST(CMainFrame, AfxGetMainWnd()))
            pMainFrame->BroadcastOptionsChanged();
    }

    // The broker is bound only now, after the question, and freed when
    // the command ends.
    CLexomoLib lib;
    lib.RegisterDictionaries(strFolder);
    if (!lib.SelectDictionary(pApp->m_settings.m_strSpellLang))
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_SPELL_NO_DICTIONARY), strCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (lib.CheckSpelling(GetRichEditCtrl()))
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_SPELL_COMPLETE), strCaption, MB_OK | MB_ICONINFORMATION);
    else
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_SPELL_CANCELLED), strCaption, MB_OK | MB_ICONEXCLAMATION);
}

// ---------------------------------------------------------------------------
// Loading and saving

BOOL CQlcRichEditViewEx::LoadNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, BOOL /*bPasswordKnown*/,
                                  LPCSTR /*lpszPassword*/)
{
    CQlcStatus status;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    CQlcNode node(pDoc, dwNodeId);
    if (!node.IsValid())
        return FALSE;

    BOOL bLoaded = TRUE;
    if (node.HasData())
    {
        status.SetText(AfxLoadText(IDS_STATUS_DECOMPRESSING));
        try
        {
            // The node's remembered password (set when it was entered) opens
            // an encrypted payload.
            CQlcNodeData* pData = node.GetDataForRead();
            if (pData == nullptr || pData->IsDamaged())
            {
                bLoaded = FALSE;
            }
            else
            {
                // Each piece the payload hands out moves the bar on.
                status.ShowProgress(node.GetPlainSize());
                pData->SetStatus(&status);
                ctrl.LimitText(kNoteTextLimit);
                EDITSTREAM es = { (DWORD_PTR)pData, 0, &NodeDataStreamInCallback };
                ctrl.StreamIn(SF_RTF, es);
                pData->SetStatus(nullptr);
                // Half a note must never be taken for the note.
                if (es.dwError != 0 || pData->IsDamaged())
                    bLoaded = FALSE;
            }
        }
        catch (CFileException&)
        {
            bLoaded = FALSE;
        }
        catch (std::bad_alloc&)
        {
            bLoaded = FALSE;
        }
        if (!bLoaded)
            g_log.WriteLine("WARNING: A note could not be read whole from its node.");
    }
    else
    {
        // A new note starts in the default font.
        CQlcApp* pApp = QlcGetApp();
        CHARFORMAT2A cf = {};
        cf.cbSize = sizeof(cf);
        cf.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD;
        cf.dwEffects = 0;
        cf.yHeight = (pApp ? pApp->m_settings.m_nDefaultFontSize : 10) * 20;
        lstrcpynA(cf.szFaceName, pApp ? (LPCSTR)pApp->m_settings.m_strDefaultFontName : "Arial", LF_FACESIZE);
        ctrl.LimitText(kNoteTextLimit);
        ctrl.SetDefaultCharFormat(cf);
        ctrl.SetSel(0, -1);
        ctrl.SetSelectionCharFormat(cf);
        ctrl.SetSel(0, 0);
    }
    m_bSyncCharFormat = m_bSyncParaFormat = TRUE;
    ShowSelectionFormat();
    ctrl.SetModify(FALSE);
    ctrl.EmptyUndoBuffer();
    return bLoaded;
}

BOOL CQlcRichEditViewEx::SaveNode(CQuillcrestDoc* pDoc, DWORD dwNodeId)
{
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    if (!ctrl.GetModify())
        return TRUE;

    CQlcStatus status;
    status.SetText(AfxLoadText(IDS_STATUS_SAVING_NOTE));
    CQlcNode node(pDoc, dwNodeId);
    if (!node.IsValid())
        return FALSE;

    // The bar runs over the size the note had when it was last stored (the
    // text's, for a new note): what is written now is about as long.
    GETTEXTLENGTHEX gtl = { GTL_NUMBYTES, CP_ACP };
    const LONG lTextBytes = (LONG)ctrl.SendMessage(EM_GETTEXTLENGTHEX, (WPARAM)&gtl, 0);
    const DWORD dwExpected = std::max<DWORD>(node.GetPlainSize(), lTextBytes > 0 ? (DWORD)lTextBytes : 0);

    BOOL bSaved = FALSE;
    CQlcNodeData* pData = nullptr;
    try
    {
        pData = node.GetDataForWrite(TRUE);
        if (pData != nullptr)
        {
            status.ShowProgress(dwExpected);
            pData->SetStatus(&status);
            EDITSTREAM es = { (DWORD_PTR)pData, 0, &NodeDataStreamOutCallback };
            ctrl.StreamOut(SF_RTF, es);
            pData->SetStatus(nullptr);
            // A stream that broke off must not replace the stored note.
            if (es.dwError == 0)
                bSaved = pData->Flush();
        }
    }
    catch (CFileException&)
    {
        bSaved = FALSE;
    }
    catch (std::bad_alloc&)
    {
        bSaved = FALSE;
    }
    if (!bSaved)
    {
        // The unfinished payload is dropped; the node keeps what it had.
        if (pData != nullptr)
            pData->Close();
        g_log.WriteLine("WARNING: A note could not be stored in its node.");
        return FALSE;
    }
    ctrl.SetModify(FALSE);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Paragraph and character commands

LONG CQlcRichEditViewEx::NextIndentMore(LONG lIndent)
{
    const LONG lNext = lIndent + ((lIndent == 0 || lIndent == 360) ? 360 : 720);
    return lNext < 0 ? 0 : lNext;
}

LONG CQlcRichEditViewEx::NextIndentLess(LONG lIndent)
{
    const LONG lNext = lIndent == 720 ? 360 : lIndent - 720;
    return lNext < 0 ? 0 : lNext;
}

void CQlcRichEditViewEx::OnIndentMore()
{
    PARAFORMAT2 pf = {};
    GetRichEditCtrl().GetParaFormat(pf);
    pf.dwMask = PFM_STARTINDENT;
    pf.dxStartIndent = NextIndentMore(pf.dxStartIndent);
    SetParaFormat(pf);
}

void CQlcRichEditViewEx::OnIndentLess()
{
    PARAFORMAT2 pf = {};
    GetRichEditCtrl().GetParaFormat(pf);
    const BOOL bBulleted = (pf.dwMask & PFM_NUMBERING) && pf.wNumbering == PFN_BULLET;
    pf.dwMask = PFM_STARTINDENT;
    if (!bBulleted)
    {
        pf.dwMask |= PFM_OFFSET;
        pf.dxOffset = NextIndentLess(pf.dxOffset);
    }
    pf.dxStartIndent = NextIndentLess(pf.dxStartIndent);
    SetParaFormat(pf);
}

void CQlcRichEditViewEx::OnBullets()
{
    PARAFORMAT2 pf = {};
    GetRichEditCtrl().GetParaFormat(pf);
    if ((pf.dwMask & PFM_NUMBERING) && pf.wNumbering == PFN_BULLET)
    {
        pf.wNumbering = 0;
        pf.dxOffset = pf.dxOffset > 720 ? pf.dxOffset - 720 : 0;
    }
    else
    {
        pf.wNumbering = PFN_BULLET;
        pf.dxOffset = 720;
    }
    pf.dwMask = PFM_NUMBERING | PFM_OFFSET;
    SetParaFormat(pf);
}

void CQlcRichEditViewEx::OnUpdateBullets(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
    const PARAFORMAT2& pf = GetParaFormatSelection();
    if (!(pf.dwMask & PFM_NUMBERING))
        pCmdUI->SetCheck(2);
    else
        pCmdUI->SetCheck(pf.wNumbering == PFN_BULLET ? 1 : 0);
}

void CQlcRichEditViewEx::SetUnderlineType(BYTE bType)
{
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_UNDERLINE | CFM_UNDERLINETYPE;
    cf.dwEffects = CFE_UNDERLINE;
    cf.bUnderlineType = bType;
    SetCharFormat(cf);
}

void CQlcRichEditViewEx::OnFormatParagraph()
{
    CParagraphDlg dlg(this);
    GetRichEditCtrl().GetParaFormat(dlg.m_pf);
    dlg.m_rcKeepClear = GetSelectionScreenRect();
    if (dlg.DoModal() != IDOK)
        return;
    SetParaFormat(dlg.m_pf);
}

void CQlcRichEditViewEx::OnEditRedo()
{
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    if (!ctrl.CanRedo())
        return;
    ctrl.Redo();
    m_bSyncCharFormat = m_bSyncParaFormat = TRUE;
}

void CQlcRichEditViewEx::OnUpdateEditRedo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetRichEditCtrl().CanRedo());
}

void CQlcRichEditViewEx::OnInsertObject()
{
    CWaitCursor wait;
    CRichEditView::OnInsertObject();
}

void CQlcRichEditViewEx::OnUpdateEditCopy(CCmdUI* pCmdUI)
{
    CHARRANGE cr = { 0, 0 };
    GetRichEditCtrl().GetSel(cr);
    pCmdUI->Enable(cr.cpMin != cr.cpMax);
}

// ---------------------------------------------------------------------------
// Selection, links, context menu

void CQlcRichEditViewEx::OnSelChangeEx(NMHDR* pNMHDR, LRESULT* pResult)
{
    ShowSelectionFormat();
    CRichEditView::OnSelChange(pNMHDR, pResult);
}

void CQlcRichEditViewEx::OnLink(NMHDR* pNMHDR, LRESULT* pResult)
{
    ENLINK* pLink = (ENLINK*)pNMHDR;
    *pResult = 0;
    if (pLink->msg != WM_LBUTTONDOWN)
        return;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    CHARRANGE crOld = { 0, 0 };
    ctrl.GetSel(crOld);
    CHARRANGE crLink = pLink->chrg;
    ctrl.SetSel(crLink);
    const CString strURL = ctrl.GetSelText();
    ctrl.SetSel(crOld);
    {
        CWaitCursor wait;
        CMainFrame::s_pfnShellExecute(m_hWnd, "open", strURL, nullptr, nullptr, SW_SHOWNORMAL);
    }
    *pResult = 1;
}

void CQlcRichEditViewEx::OnRButtonUp(UINT /*nFlags*/, CPoint point)
{
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    CHARRANGE cr = { 0, 0 };
    ctrl.GetSel(cr);
    if (cr.cpMin == cr.cpMax)
    {
        const int nChar = ctrl.CharFromPos(point);
        ctrl.SetSel(nChar, nChar);
    }
    CPoint ptScreen = point;
    ClientToScreen(&ptScreen);
    ShowContextMenu(ptScreen);
}

void CQlcRichEditViewEx::OnContextMenu(CWnd* /*pWnd*/, CPoint point)
{
    if (point.x == -1 && point.y == -1)
    {
        // From the keyboard: at the end of the selection.
        CRichEditCtrl& ctrl = GetRichEditCtrl();
        CHARRANGE cr = { 0, 0 };
        ctrl.GetSel(cr);
        point = ctrl.PosFromChar((UINT)cr.cpMax);
        ClientToScreen(&point);
    }
    ShowContextMenu(point);
}

GlyphMenu* CQlcRichEditViewEx::LoadContextMenu(GlyphMenu& menu)
{
    if (!menu.LoadMenu(IDR_RICHEDIT_POPUP))
        return nullptr;
    GlyphMenu* pPopup = DYNAMIC_DOWNCAST(GlyphMenu, menu.GetSubMenu(0));
    if (pPopup == nullptr)
        return nullptr;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    CHARRANGE cr = { 0, 0 };
    ctrl.GetSel(cr);
    if (cr.cpMin == cr.cpMax)
    {
        pPopup->EnableMenuItem(ID_EDIT_CUT, MF_BYCOMMAND | MF_GRAYED);
        pPopup->EnableMenuItem(ID_EDIT_COPY, MF_BYCOMMAND | MF_GRAYED);
    }
    if (!ctrl.CanPaste())
        pPopup->EnableMenuItem(ID_EDIT_PASTE, MF_BYCOMMAND | MF_GRAYED);
    return pPopup;
}

void CQlcRichEditViewEx::ShowContextMenu(CPoint ptScreen)
{
    GlyphMenu menu;
    GlyphMenu* pPopup = LoadContextMenu(menu);
    if (pPopup == nullptr)
        return;
    if (m_hArrowCursor == nullptr)
        m_hArrowCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    ::SetCursor(m_hArrowCursor);
    m_bContextMenuUp = TRUE;
    m_pContextMenu = pPopup;
    pPopup->TrackPopupMenu(TPM_LEFTALIGN, ptScreen.x, ptScreen.y, this);
    m_pContextMenu = nullptr;
    m_bContextMenuUp = FALSE;
}

void CQlcRichEditViewEx::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (!GlyphMenu::MeasurePopupItem(lpMeasureItemStruct, m_pContextMenu))
        CRichEditView::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CQlcRichEditViewEx::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    LRESULT lResult = 0;
    if (GlyphMenu::AnswerMenuChar(nChar, nFlags, pMenu, lResult))
        return lResult;
    return CRichEditView::OnMenuChar(nChar, nFlags, pMenu);
}

void CQlcRichEditViewEx::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CRichEditView::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    GlyphMenu::AfterInitMenuPopup(pPopupMenu, bSysMenu);
}

BOOL CQlcRichEditViewEx::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_bContextMenuUp && m_hArrowCursor != nullptr)
    {
        ::SetCursor(m_hArrowCursor);
        return TRUE;
    }
    return CRichEditView::OnSetCursor(pWnd, nHitTest, message);
}
