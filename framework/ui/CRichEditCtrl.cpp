#include "framework/ui/CRichEditCtrl.h"

#include "framework/base/AfxLibrary.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)

BOOL AFXAPI AfxInitRichEdit2()
{
    // Kept for the whole run: the window class must outlive every control.
    static HMODULE s_hRichEdit = AfxLoadSystemLibrary("RICHED20.DLL");
    return s_hRichEdit != nullptr;
}

BOOL CRichEditCtrl::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.lpszClass == nullptr)
        cs.lpszClass = RICHEDIT_CLASSA;
    return TRUE;
}

BOOL CRichEditCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!AfxInitRichEdit2())
        return FALSE;
    return CWnd::CreateEx(0, RICHEDIT_CLASSA, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

long CRichEditCtrl::GetTextLengthEx(DWORD dwFlags) const
{
    GETTEXTLENGTHEX gtl = {};
    gtl.flags = dwFlags;
    gtl.codepage = CP_ACP;
    return (long)SendMessage(EM_GETTEXTLENGTHEX, (WPARAM)&gtl, 0);
}

void CRichEditCtrl::GetSel(long& nStartChar, long& nEndChar) const
{
    CHARRANGE cr = { 0, 0 };
    GetSel(cr);
    nStartChar = cr.cpMin;
    nEndChar = cr.cpMax;
}

void CRichEditCtrl::SetSel(long nStartChar, long nEndChar)
{
    CHARRANGE cr = { nStartChar, nEndChar };
    SetSel(cr);
}

CString CRichEditCtrl::GetSelText() const
{
    CHARRANGE cr = { 0, 0 };
    GetSel(cr);
    const long nLen = cr.cpMax - cr.cpMin;
    if (nLen <= 0)
        return CString();
    // Two bytes a character covers double-byte code pages.
    std::string buf((size_t)nLen * 2 + 1, '\0');
    const long n = (long)SendMessage(EM_GETSELTEXT, 0, (LPARAM)&buf[0]);
    buf.resize((size_t)std::max(0L, n));
    return CString(buf);
}

long CRichEditCtrl::GetTextRange(long nFirst, long nLast, CString& refString) const
{
    refString.Empty();
    if (nLast < nFirst)
        return 0;
    std::string buf((size_t)(nLast - nFirst) * 2 + 1, '\0');
    TEXTRANGEA tr;
    tr.chrg.cpMin = nFirst;
    tr.chrg.cpMax = nLast;
    tr.lpstrText = &buf[0];
    const long n = (long)SendMessage(EM_GETTEXTRANGE, 0, (LPARAM)&tr);
    buf.resize((size_t)std::max(0L, n));
    refString = CString(buf);
    return n;
}

int CRichEditCtrl::CharFromPos(CPoint pt) const
{
    POINTL ptl = { pt.x, pt.y };
    return (int)SendMessage(EM_CHARFROMPOS, 0, (LPARAM)&ptl);
}

CPoint CRichEditCtrl::PosFromChar(UINT nChar) const
{
    POINTL ptl = { 0, 0 };
    SendMessage(EM_POSFROMCHAR, (WPARAM)&ptl, (LPARAM)nChar);
    return CPoint(ptl.x, ptl.y);
}

DWORD CRichEditCtrl::GetSelectionCharFormat(CHARFORMAT2A& cf) const
{
    cf.cbSize = sizeof(cf);
    return (DWORD)SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
}

BOOL CRichEditCtrl::SetSelectionCharFormat(CHARFORMAT2A& cf)
{
    cf.cbSize = sizeof(cf);
    return (BOOL)SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
}

DWORD CRichEditCtrl::GetDefaultCharFormat(CHARFORMAT2A& cf) const
{
    cf.cbSize = sizeof(cf);
    return (DWORD)SendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
}

BOOL CRichEditCtrl::SetDefaultCharFormat(CHARFORMAT2A& cf)
{
    cf.cbSize = sizeof(cf);
    return (BOOL)SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
}

BOOL CRichEditCtrl::SetWordCharFormat(CHARFORMAT2A& cf)
{
    cf.cbSize = sizeof(cf);
    return (BOOL)SendMessage(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, (LPARAM)&cf);
}

DWORD CRichEditCtrl::GetParaFormat(PARAFORMAT2& pf) const
{
    pf.cbSize = sizeof(pf);
    return (DWORD)SendMessage(EM_GETPARAFORMAT, 0, (LPARAM)&pf);
}

BOOL CRichEditCtrl::SetParaFormat(PARAFORMAT2& pf)
{
    pf.cbSize = sizeof(pf);
    return (BOOL)SendMessage(EM_SETPARAFORMAT, 0, (LPARAM)&pf);
}

IRichEditOle* CRichEditCtrl::GetIRichEditOle() const
{
    IRichEditOle* pOle = nullptr;
    if (!SendMessage(EM_GETOLEINTERFACE, 0, (LPARAM)&pOle))
        return nullptr;
    return pOle;
}
