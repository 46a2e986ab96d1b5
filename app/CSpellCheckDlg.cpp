#include "app/CSpellCheckDlg.h"

#include "app/res/Resource.h"
#include "app/res/SpellCheckDlgRes.h"

#include "framework/ui/CDataExchange.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSpellCheckDlg, CDialog)

namespace {

// Space between the word and the dialog, in pixels.
const int kGap = 4;

} // namespace

BEGIN_MESSAGE_MAP(CSpellCheckDlg, CDialog)
    ON_BN_CLICKED(IDC_SPELL_IGNORE, OnIgnore)
    ON_BN_CLICKED(IDC_SPELL_IGNOREALL, OnIgnoreAll)
    ON_BN_CLICKED(IDC_SPELL_ADD, OnAdd)
    ON_BN_CLICKED(IDC_SPELL_CHANGE, OnChange)
    ON_BN_CLICKED(IDC_SPELL_CANCEL, OnCancelButton)
    ON_LBN_SELCHANGE(IDC_SPELL_SUGGESTIONS, OnSuggestionSelChange)
    ON_LBN_DBLCLK(IDC_SPELL_SUGGESTIONS, OnSuggestionDblClk)
    ON_WM_KEYDOWN()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSpellCheckDlg::CSpellCheckDlg(CWnd* pParent)
    : CDialog(IDD_SPELLCHECK, pParent), m_rcWord(), m_ptRemembered{ -1, -1 }, m_nResult(resCancel)
{
}

void CSpellCheckDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SPELL_SUGGESTIONS, m_wndSuggestions);
    DDX_Text(pDX, IDC_SPELL_WORD, m_strWord);
    DDX_Text(pDX, IDC_SPELL_REPLACEMENT, m_strReplacement);
}

POINT CSpellCheckDlg::PlaceBesideWord(const RECT& rcWord, SIZE sizeDialog, const RECT& rcScreen, POINT ptRemembered)
{
    const bool bRemembered = !(ptRemembered.x == -1 && ptRemembered.y == -1);
    POINT pt = ptRemembered;

    // Below the word, or above it when there is no room below; a dialog
    // left where it would cover the word moves too.
    const bool bCovers = ptRemembered.y < rcWord.bottom && ptRemembered.y + sizeDialog.cy > rcWord.top;
    if (!bRemembered || bCovers)
    {
        pt.y = rcWord.bottom + kGap;
        if (pt.y + sizeDialog.cy > rcScreen.bottom)
            pt.y = rcWord.top - sizeDialog.cy - kGap;
    }
    // Right of the word, or left of it; later words keep the user's x.
    if (!bRemembered)
    {
        pt.x = rcWord.right + kGap;
        if (pt.x + sizeDialog.cx > rcScreen.right)
            pt.x = rcWord.left - sizeDialog.cx - kGap;
    }
    // Never off the top or left of the screen, where it could not be moved back.
    pt.x = std::max(pt.x, rcScreen.left);
    pt.y = std::max(pt.y, rcScreen.top);
    return pt;
}

BOOL CSpellCheckDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    m_wndSuggestions.ResetContent();
    if (m_suggestions.GetSize() > 0)
    {
        for (INT_PTR i = 0; i < m_suggestions.GetSize(); i++)
            m_wndSuggestions.AddString(m_suggestions[i]);
        m_wndSuggestions.EnableWindow(TRUE);
    }
    else
    {
        m_wndSuggestions.AddString(AfxLoadText(IDS_SPELL_NO_SUGGESTIONS));
        m_wndSuggestions.EnableWindow(FALSE);
    }

    RECT rcDialog = {};
    GetWindowRect(&rcDialog);
    RECT rcScreen = {};
    ::GetClientRect(::GetDesktopWindow(), &rcScreen);
    const SIZE size = { rcDialog.right - rcDialog.left, rcDialog.bottom - rcDialog.top };
    const POINT pt = PlaceBesideWord(m_rcWord, size, rcScreen, m_ptRemembered);
    SetWindowPos(nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void CSpellCheckDlg::EndWith(int nResult)
{
    m_nResult = nResult;
    CDialog::OnOK();
}

void CSpellCheckDlg::OnCancel()
{
    m_nResult = resCancel;
    CDialog::OnCancel();
}

void CSpellCheckDlg::OnCancelButton()
{
    OnCancel();
}

BOOL CSpellCheckDlg::CopySuggestion()
{
    const int nIndex = m_wndSuggestions.GetCurSel();
    if (nIndex < 0 || m_suggestions.GetSize() == 0)
        return FALSE;
    CString strSuggestion;
    m_wndSuggestions.GetText(nIndex, strSuggestion);
    SetDlgItemText(IDC_SPELL_REPLACEMENT, strSuggestion);
    return TRUE;
}

void CSpellCheckDlg::OnSuggestionSelChange()
{
    // The suggestion chosen is what Change writes.
    CopySuggestion();
}

void CSpellCheckDlg::OnSuggestionDblClk()
{
    if (CopySuggestion())
        OnChange();
}

void CSpellCheckDlg::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_ESCAPE)
    {
        OnIgnore();
        return;
    }
    CDialog::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CSpellCheckDlg::OnDestroy()
{
    RECT rc = {};
    GetWindowRect(&rc);
    m_ptRemembered.x = rc.left;
    m_ptRemembered.y = rc.top;
    CDialog::OnDestroy();
}
