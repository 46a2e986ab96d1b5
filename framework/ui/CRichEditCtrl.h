// The RichEdit 2.0 control ("RichEdit20A"): text, selection, character and
// paragraph formats, streaming, undo and redo, find, and its OLE interface.
// The object may also stand for a control that another object owns (the
// rich-text view hands one out over its own window).
#pragma once

#include "framework/ui/CWnd.h"

#include <richedit.h>
#include <richole.h>

// Loads riched20.dll once for the run; FALSE when it is missing.
BOOL AFXAPI AfxInitRichEdit2();

class CRichEditCtrl : public CWnd
{
    DECLARE_DYNAMIC(CRichEditCtrl)
public:
    CRichEditCtrl() {}

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // --- Text and selection ------------------------------------------------------
    long GetTextLength() const { return (long)::GetWindowTextLengthA(m_hWnd); }
    // The exact length in characters (EM_GETTEXTLENGTHEX, GTL_PRECISE).
    long GetTextLengthEx(DWORD dwFlags = GTL_PRECISE | GTL_NUMCHARS) const;
    void GetSel(CHARRANGE& cr) const { SendMessage(EM_EXGETSEL, 0, (LPARAM)&cr); }
    void GetSel(long& nStartChar, long& nEndChar) const;
    void SetSel(CHARRANGE& cr) { SendMessage(EM_EXSETSEL, 0, (LPARAM)&cr); }
    void SetSel(long nStartChar, long nEndChar);
    CString GetSelText() const;
    long GetTextRange(long nFirst, long nLast, CString& refString) const;
    WORD GetSelectionType() const { return (WORD)SendMessage(EM_SELECTIONTYPE); }
    void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText);
    }
    void HideSelection(BOOL bHide, BOOL bPerm) { SendMessage(EM_HIDESELECTION, bHide, bPerm); }
    long FindText(DWORD dwFlags, FINDTEXTEXA* pFindText) const
    {
        return (long)SendMessage(EM_FINDTEXTEX, dwFlags, (LPARAM)pFindText);
    }
    int CharFromPos(CPoint pt) const;
    CPoint PosFromChar(UINT nChar) const;
    long LineFromChar(long nIndex) const { return (long)SendMessage(EM_EXLINEFROMCHAR, 0, nIndex); }

    // --- Formats -----------------------------------------------------------------------
    DWORD GetSelectionCharFormat(CHARFORMAT2A& cf) const;
    BOOL SetSelectionCharFormat(CHARFORMAT2A& cf);
    DWORD GetDefaultCharFormat(CHARFORMAT2A& cf) const;
    BOOL SetDefaultCharFormat(CHARFORMAT2A& cf);
    BOOL SetWordCharFormat(CHARFORMAT2A& cf);
    DWORD GetParaFormat(PARAFORMAT2& pf) const;
    BOOL SetParaFormat(PARAFORMAT2& pf);

    // --- Streaming -----------------------------------------------------------------------
    long StreamIn(int nFormat, EDITSTREAM& es) { return (long)SendMessage(EM_STREAMIN, (WPARAM)nFormat, (LPARAM)&es); }
    long StreamOut(int nFormat, EDITSTREAM& es) { return (long)SendMessage(EM_STREAMOUT, (WPARAM)nFormat, (LPARAM)&es); }

    // --- State ------------------------------------------------------------------------------
    void LimitText(long nChars = 0) { SendMessage(EM_EXLIMITTEXT, 0, nChars); }
    long GetLimitText() const { return (long)SendMessage(EM_GETLIMITTEXT); }
    BOOL GetModify() const { return (BOOL)SendMessage(EM_GETMODIFY); }
    void SetModify(BOOL bModified = TRUE) { SendMessage(EM_SETMODIFY, bModified); }
    DWORD GetEventMask() const { return (DWORD)SendMessage(EM_GETEVENTMASK); }
    DWORD SetEventMask(DWORD dwEventMask) { return (DWORD)SendMessage(EM_SETEVENTMASK, 0, dwEventMask); }
    UINT GetOptions() const { return (UINT)SendMessage(EM_GETOPTIONS); }
    void SetOptions(WORD wOp, DWORD dwFlags) { SendMessage(EM_SETOPTIONS, wOp, dwFlags); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, bReadOnly); }
    BOOL SetTargetDevice(HDC hDC, long lLineWidth) { return (BOOL)SendMessage(EM_SETTARGETDEVICE, (WPARAM)hDC, lLineWidth); }
    COLORREF SetBackgroundColor(BOOL bSysColor, COLORREF cr)
    {
        return (COLORREF)SendMessage(EM_SETBKGNDCOLOR, bSysColor, cr);
    }

    // --- Editing -----------------------------------------------------------------------------
    BOOL CanUndo() const { return (BOOL)SendMessage(EM_CANUNDO); }
    BOOL Undo() { return (BOOL)SendMessage(EM_UNDO); }
    BOOL CanRedo() const { return (BOOL)SendMessage(EM_CANREDO); }
    BOOL Redo() { return (BOOL)SendMessage(EM_REDO); }
    void EmptyUndoBuffer() { SendMessage(EM_EMPTYUNDOBUFFER); }
    BOOL CanPaste(UINT nFormat = 0) const { return (BOOL)SendMessage(EM_CANPASTE, nFormat); }
    void Cut() { SendMessage(WM_CUT); }
    void Copy() const { SendMessage(WM_COPY); }
    void Paste() { SendMessage(WM_PASTE); }
    void Clear() { SendMessage(WM_CLEAR); }

    // --- OLE ---------------------------------------------------------------------------------
    // The control's OLE interface, AddRef'd (the caller releases it), or null.
    IRichEditOle* GetIRichEditOle() const;
    BOOL SetOLECallback(IRichEditOleCallback* pCallback)
    {
        return (BOOL)SendMessage(EM_SETOLECALLBACK, 0, (LPARAM)pCallback);
    }

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
};
