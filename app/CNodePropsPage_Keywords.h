// The Keywords page of a node's properties: the node's keywords, added from
// the edit (lower-cased, each once) and removed from the list.
#pragma once

#include "framework/base/CStringList.h"
#include "framework/ui/CEdit.h"
#include "framework/ui/CListBox.h"
#include "framework/ui/CPropertyPage.h"

class CQuillcrestDoc;

class CNodePropsPage_Keywords : public CPropertyPage
{
    DECLARE_DYNAMIC(CNodePropsPage_Keywords)
public:
    CNodePropsPage_Keywords();

    // The node's keywords, in the order of its list, as the page's strings
    // (and list entries once the page exists).
    void FillKeywordList(CQuillcrestDoc* pDoc, DWORD dwNodeId);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnAddKeyword();
    void OnRemoveKeyword();
    BOOL IsKeywordEdit(HWND hWnd) const { return hWnd != nullptr && hWnd == m_wndEdit.m_hWnd; }

    CStringList m_keywords;     // lower case
    BOOL m_bChanged;

protected:
    void FocusEdit();

    CEdit m_wndEdit;
    CListBox m_wndList;

    DECLARE_MESSAGE_MAP()
};
