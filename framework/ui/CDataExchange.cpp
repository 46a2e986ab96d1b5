#include "framework/ui/CDataExchange.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/CException.h"
#include "framework/ui/CWnd.h"

#include <cerrno>
#include <cstdlib>

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_hWndLastControl(nullptr),
      m_bEditLastControl(FALSE)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWnd = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    m_hWndLastControl = hWnd;
    m_bEditLastControl = FALSE;
    return hWnd;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWnd = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWnd;
}

void CDataExchange::Fail()
{
    if (!m_bSaveAndValidate)
        throw CUserException(); // loading cannot fail in a way the user can mend
    if (m_hWndLastControl != nullptr)
    {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw CUserException();
}

namespace {

CString WindowText(HWND hWnd)
{
    CString s;
    if (hWnd == nullptr)
        return s;
    const int n = ::GetWindowTextLengthA(hWnd);
    ::GetWindowTextA(hWnd, s.GetBuffer(n), n + 1);
    s.ReleaseBuffer();
    return s;
}

[[noreturn]] void FailWith(CDataExchange* pDX, UINT nIDPrompt)
{
    AfxMessageBox(nIDPrompt, MB_ICONEXCLAMATION);
    pDX->Fail();
}

// Whole text must be a number (blanks around it allowed).
BOOL ParseLong(const CString& text, long& value, bool bUnsigned)
{
    CString s = text;
    s.Trim();
    if (s.IsEmpty())
        return FALSE;
    if (bUnsigned && s[0] == '-')
        return FALSE;
    errno = 0;
    char* pEnd = nullptr;
    if (bUnsigned)
    {
        const unsigned long u = strtoul(s, &pEnd, 10);
        if (errno != 0 || *pEnd != 0 || u > 0xFFFFFFFFul)
            return FALSE;
        value = (long)u;
    }
    else
    {
        const long l = strtol(s, &pEnd, 10);
        if (errno != 0 || *pEnd != 0)
            return FALSE;
        value = l;
    }
    return TRUE;
}

} // namespace

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = WindowText(hWnd);
    else
        ::SetWindowTextA(hWnd, value);
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        long l = 0;
        if (!ParseLong(WindowText(hWnd), l, false) || l < INT_MIN || l > INT_MAX)
            FailWith(pDX, AFX_IDP_PARSE_INT);
        value = (int)l;
    }
    else
    {
        CString s;
        s.Format("%d", value);
        ::SetWindowTextA(hWnd, s);
    }
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, long& value)
{
    int n = (int)value;
    DDX_Text(pDX, nIDC, n);
    value = n;
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        long l = 0;
        if (!ParseLong(WindowText(hWnd), l, true))
            FailWith(pDX, AFX_IDP_PARSE_UINT);
        value = (UINT)(unsigned long)l;
    }
    else
    {
        CString s;
        s.Format("%u", value);
        ::SetWindowTextA(hWnd, s);
    }
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value)
{
    UINT u = (UINT)value;
    DDX_Text(pDX, nIDC, u);
    value = u;
}

void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = (int)::SendMessageA(hWnd, BM_GETCHECK, 0, 0);
    else
        ::SendMessageA(hWnd, BM_SETCHECK, (WPARAM)value, 0);
}

void AFXAPI DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    // The group starts at nIDC and runs until the next WS_GROUP control.
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int iButton = 0;
    do
    {
        if (::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
        {
            if (pDX->m_bSaveAndValidate)
            {
                if (::SendMessageA(hWnd, BM_GETCHECK, 0, 0) != 0)
                    value = iButton;
            }
            else
            {
                ::SendMessageA(hWnd, BM_SETCHECK, iButton == value, 0);
            }
            iButton++;
        }
        hWnd = ::GetWindow(hWnd, GW_HWNDNEXT);
    } while (hWnd != nullptr && !(::GetWindowLongA(hWnd, GWL_STYLE) & WS_GROUP));
}

void AFXAPI DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = (int)::SendMessageA(hWnd, CB_GETCURSEL, 0, 0);
    else
        ::SendMessageA(hWnd, CB_SETCURSEL, (WPARAM)index, 0);
}

void AFXAPI DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        value = WindowText(hWnd);
    }
    else
    {
        const LRESULT i = ::SendMessageA(hWnd, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCSTR)value);
        if (i == CB_ERR)
            ::SetWindowTextA(hWnd, value);
    }
}

void AFXAPI DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = (int)::SendMessageA(hWnd, LB_GETCURSEL, 0, 0);
    else
        ::SendMessageA(hWnd, LB_SETCURSEL, (WPARAM)index, 0);
}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd != nullptr)
        return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (hWnd == nullptr || !rControl.SubclassWindow(hWnd))
        throw CUserException();
}

void AFXAPI DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (pDX->m_bSaveAndValidate)
    {
        if (value.GetLength() > nChars)
        {
            CString strCount;
            strCount.Format("%d", nChars);
            CString strPrompt;
            AfxFormatString1(strPrompt, AFX_IDP_PARSE_STRING_SIZE, strCount);
            AfxMessageBox(strPrompt, MB_ICONEXCLAMATION, AFX_IDP_PARSE_STRING_SIZE);
            pDX->Fail();
        }
    }
    else if (pDX->m_hWndLastControl != nullptr && pDX->m_bEditLastControl)
    {
        ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, (WPARAM)nChars, 0);
    }
}

void AFXAPI DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString strMin, strMax, strPrompt;
    strMin.Format("%d", minVal);
    strMax.Format("%d", maxVal);
    AfxFormatString2(strPrompt, AFX_IDP_PARSE_INT_RANGE, strMin, strMax);
    AfxMessageBox(strPrompt, MB_ICONEXCLAMATION, AFX_IDP_PARSE_INT_RANGE);
    pDX->Fail();
}

void AFXAPI DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString strMin, strMax, strPrompt;
    strMin.Format("%u", minVal);
    strMax.Format("%u", maxVal);
    AfxFormatString2(strPrompt, AFX_IDP_PARSE_INT_RANGE, strMin, strMax);
    AfxMessageBox(strPrompt, MB_ICONEXCLAMATION, AFX_IDP_PARSE_INT_RANGE);
    pDX->Fail();
}
