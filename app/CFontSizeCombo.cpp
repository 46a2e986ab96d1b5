#include "app/CFontSizeCombo.h"

#include "app/CFormatBar.h"

#include <cctype>

IMPLEMENT_DYNAMIC(CFontSizeCombo, CComboBoxEx)

BEGIN_MESSAGE_MAP(CFontSizeCombo, CComboBoxEx)
    ON_WM_CREATE()
    ON_CONTROL_REFLECT(CBN_SELCHANGE, OnSelChange)
    ON_MESSAGE(WM_FOCUS_NOTE, OnFocusNote)
END_MESSAGE_MAP()

namespace {

const int s_sizes[] = { 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72 };

} // namespace

CFontSizeCombo::CFontSizeCombo() : m_nTwipsLast(0)
{
}

int CFontSizeCombo::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CComboBoxEx::OnCreate(lpcs) == -1)
        return -1;
    for (int nSize : s_sizes)
    {
        char sz[8];
        wsprintfA(sz, "%d", nSize);
        InsertItem(-1, sz, I_IMAGENONE, I_IMAGENONE);
    }
    return 0;
}

int CFontSizeCombo::ParseTwips(LPCSTR lpszText)
{
    // A size the text control cannot take (or none at all) would make the
    // text vanish: only whole points from 1 to kMaxPoints are sizes.
    if (lpszText == nullptr)
        return 0;
    const char* p = lpszText;
    while (*p == ' ' || *p == '\t')
        p++;
    long lPoints = 0;
    int nDigits = 0;
    while (std::isdigit((unsigned char)*p))
    {
        lPoints = lPoints * 10 + (*p - '0');
        if (lPoints > kMaxPoints)
            return 0;
        p++;
        nDigits++;
    }
    while (*p == ' ' || *p == '\t')
        p++;
    if (nDigits == 0 || *p != 0 || lPoints < 1)
        return 0;
    return (int)lPoints * 20;
}

int CFontSizeCombo::GetTwipsToApply(BOOL bTyped) const
{
    // A pick in the list is the item picked; Enter is what the field shows,
    // which may have been typed over an earlier pick.
    const int nSel = GetCurSel();
    if (nSel >= 0 && !bTyped)
        return ParseTwips(GetItemText(nSel));
    char szText[32] = "";
    HWND hEdit = GetEditCtrl();
    if (hEdit != nullptr)
        ::GetWindowTextA(hEdit, szText, sizeof(szText));
    else if (nSel >= 0)
        lstrcpynA(szText, GetItemText(nSel), sizeof(szText));
    return ParseTwips(szText);
}

BOOL CFontSizeCombo::ApplySize(BOOL bTyped)
{
    const int nTwips = GetTwipsToApply(bTyped);
    if (nTwips == 0)
        return FALSE;
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_SIZE;
    cf.yHeight = nTwips;
    return CFormatBar::ApplyToNote(cf);
}

LRESULT CFontSizeCombo::OnFocusNote(WPARAM, LPARAM)
{
    if (CWnd* pView = (CWnd*)CFormatBar::GetOpenNoteView())
        pView->SetFocus();
    return 0;
}

void CFontSizeCombo::OnSelChange()
{
    ApplySize(FALSE);
}

BOOL CFontSizeCombo::PreTranslateMessage(MSG* pMsg)
{
    // Enter applies the size typed; the key then goes on as usual, and the
    // note gets the keyboard back once the field has had the key (the field
    // takes the focus again on Enter).
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
    {
        if (ApplySize(TRUE))
            PostMessage(WM_FOCUS_NOTE);
        return FALSE;
    }
    return CComboBoxEx::PreTranslateMessage(pMsg);
}

void CFontSizeCombo::ShowTwipHeight(int nTwips)
{
    if (nTwips == m_nTwipsLast)
        return;
    m_nTwipsLast = nTwips;
    char sz[16] = "";
    if (nTwips != 0)
        wsprintfA(sz, "%d", nTwips / 20);
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = -1;
    item.pszText = sz;
    SetItem(&item);
}
