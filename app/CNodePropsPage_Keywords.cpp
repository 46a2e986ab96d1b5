#include "app/CNodePropsPage_Keywords.h"

#include "app/res/NodePropsKeywordsDlgRes.h"
#include "app/res/Resource.h"

#include "core/CQuillcrestDoc.h"

#include "framework/ui/CDataExchange.h"

IMPLEMENT_DYNAMIC(CNodePropsPage_Keywords, CPropertyPage)

BEGIN_MESSAGE_MAP(CNodePropsPage_Keywords, CPropertyPage)
    ON_BN_CLICKED(IDC_KEYWORD_ADD, OnAddKeyword)
    ON_BN_CLICKED(IDC_KEYWORD_REMOVE, OnRemoveKeyword)
END_MESSAGE_MAP()

CNodePropsPage_Keywords::CNodePropsPage_Keywords() : CPropertyPage(IDD_NODEPROPS_KEYWORDS), m_bChanged(FALSE)
{
}

void CNodePropsPage_Keywords::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_KEYWORD_EDIT, m_wndEdit);
    DDX_Control(pDX, IDC_KEYWORD_LIST, m_wndList);
}

void CNodePropsPage_Keywords::FillKeywordList(CQuillcrestDoc* pDoc, DWORD dwNodeId)
{
    m_keywords.RemoveAll();
    if (m_wndList.m_hWnd != nullptr)
        m_wndList.ResetContent();
    QLCNODE_KEYWORDS keywords;
    if (pDoc == nullptr || !pDoc->Data_GetNodeKeywords(dwNodeId, keywords))
        return;
    for (DWORD dwKeywordId : keywords.keywordIds)
    {
        CString strText;
        if (!pDoc->Data_GetKeywordText(dwKeywordId, strText))
            continue;
        m_keywords.AddTail(strText);
        if (m_wndList.m_hWnd != nullptr)
            m_wndList.AddString(strText);
    }
}

BOOL CNodePropsPage_Keywords::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_wndList.ResetContent();
    for (POSITION pos = m_keywords.GetHeadPosition(); pos != nullptr;)
        m_wndList.AddString(m_keywords.GetNext(pos));
    return TRUE;
}

void CNodePropsPage_Keywords::FocusEdit()
{
    m_wndEdit.SetFocus();
    m_wndEdit.SetSel(0, -1);
    m_wndEdit.SendMessage(EM_SCROLLCARET);
}

void CNodePropsPage_Keywords::OnAddKeyword()
{
    CString strKeyword;
    m_wndEdit.GetWindowText(strKeyword);
    strKeyword.MakeLower();
    UINT nIDPrompt = 0;
    if (strKeyword.IsEmpty())
        nIDPrompt = IDS_KEYWORD_EMPTY;
    else if (m_keywords.Find(strKeyword) != nullptr)
        nIDPrompt = IDS_KEYWORD_EXISTS;

    if (nIDPrompt != 0)
    {
        MessageBox(AfxLoadText(nIDPrompt), AfxLoadText(IDS_KEYWORD_CAPTION), MB_OK | MB_ICONWARNING);
    }
    else
    {
        m_keywords.AddTail(strKeyword);
        m_wndList.AddString(strKeyword);
        m_bChanged = TRUE;
    }
    FocusEdit();
}

void CNodePropsPage_Keywords::OnRemoveKeyword()
{
    const int nItem = m_wndList.GetCurSel();
    if (m_wndList.GetCount() == 0 || nItem == LB_ERR)
        return;
    CString strKeyword;
    m_wndList.GetText(nItem, strKeyword);
    strKeyword.MakeLower();
    if (POSITION pos = m_keywords.Find(strKeyword))
        m_keywords.RemoveAt(pos);
    m_wndList.DeleteString(nItem);
    if (m_wndList.SetCurSel(nItem) == LB_ERR)
        m_wndList.SetCurSel(nItem - 1);
    m_bChanged = TRUE;
}
