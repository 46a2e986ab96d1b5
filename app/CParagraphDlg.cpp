#include "app/CParagraphDlg.h"

#include "app/res/ParagraphDlgRes.h"
#include "app/res/Resource.h"

#include "framework/ui/CDataExchange.h"

IMPLEMENT_DYNAMIC(CParagraphDlg, CDialog)

namespace {

const int kMaxIndentPoints = 432;
// In the order of the alignment list's indexes.
const UINT kAlignments[] = { IDS_ALIGN_LEFT, IDS_ALIGN_CENTER, IDS_ALIGN_RIGHT, IDS_ALIGN_JUSTIFY };

} // namespace

CParagraphDlg::CParagraphDlg(CWnd* pParent)
    : CDialog(IDD_PARAGRAPH, pParent), m_pf(), m_nLeft(0), m_nRight(0), m_nAlignment(-1), m_rcKeepClear(),
      m_bLeftKnown(FALSE),
      m_bRightKnown(FALSE)
{
    m_pf.cbSize = sizeof(m_pf);
}

int CParagraphDlg::AlignmentToIndex(WORD wAlignment)
{
    switch (wAlignment)
    {
    case PFA_LEFT: return 0;
    case PFA_CENTER: return 1;
    case PFA_RIGHT: return 2;
    case PFA_JUSTIFY: return 3;
    default: return -1;
    }
}

WORD CParagraphDlg::IndexToAlignment(int nIndex)
{
    switch (nIndex)
    {
    case 1: return PFA_CENTER;
    case 2: return PFA_RIGHT;
    case 3: return PFA_JUSTIFY;
    default: return PFA_LEFT;
    }
}

BOOL CParagraphDlg::OnInitDialog()
{
    // Only what all selected paragraphs share is shown.
    m_nAlignment = (m_pf.dwMask & PFM_ALIGNMENT) ? AlignmentToIndex(m_pf.wAlignment) : -1;
    m_bLeftKnown = (m_pf.dwMask & PFM_STARTINDENT) != 0;
    m_bRightKnown = (m_pf.dwMask & PFM_RIGHTINDENT) != 0;
    m_nLeft = m_bLeftKnown ? TwipsToPoints(m_pf.dxStartIndent) : 0;
    m_nRight = m_bRightKnown ? TwipsToPoints(m_pf.dxRightIndent) : 0;

    for (UINT nID : kAlignments)
    {
        CString strAlignment;
        strAlignment.LoadString(nID);
        SendDlgItemMessage(IDC_PARA_ALIGNMENT, CB_ADDSTRING, 0, (LPARAM)(LPCSTR)strAlignment);
    }
    const BOOL bResult = CDialog::OnInitDialog();
    if (!::IsRectEmpty(&m_rcKeepClear))
        MoveClearOf(m_rcKeepClear);
    return bResult;
}

void CParagraphDlg::ExchangeIndent(CDataExchange* pDX, int nIDC, int& nValue, BOOL& bKnown)
{
    if (!pDX->m_bSaveAndValidate)
    {
        if (bKnown)
            DDX_Text(pDX, nIDC, nValue);
        else
            SetDlgItemText(nIDC, "");
        return;
    }
    CString strText;
    GetDlgItemText(nIDC, strText);
    strText.Trim();
    if (strText.IsEmpty() && !bKnown)
        return; // still mixed: left as it is
    DDX_Text(pDX, nIDC, nValue);
    DDV_MinMaxInt(pDX, nValue, 0, kMaxIndentPoints);
    bKnown = TRUE;
}

void CParagraphDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    ExchangeIndent(pDX, IDC_PARA_LEFT, m_nLeft, m_bLeftKnown);
    ExchangeIndent(pDX, IDC_PARA_RIGHT, m_nRight, m_bRightKnown);
    DDX_CBIndex(pDX, IDC_PARA_ALIGNMENT, m_nAlignment);
}

void CParagraphDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    // Only values the user could see or change are written back.
    m_pf.dwMask = 0;
    if (m_nAlignment >= 0)
    {
        m_pf.dwMask |= PFM_ALIGNMENT;
        m_pf.wAlignment = IndexToAlignment(m_nAlignment);
    }
    if (m_bLeftKnown)
    {
        m_pf.dwMask |= PFM_STARTINDENT;
        m_pf.dxStartIndent = PointsToTwips(m_nLeft);
    }
    if (m_bRightKnown)
    {
        m_pf.dwMask |= PFM_RIGHTINDENT;
        m_pf.dxRightIndent = PointsToTwips(m_nRight);
    }
    EndDialog(IDOK);
}
