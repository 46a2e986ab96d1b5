// Asks for the name of a new bookmark (at most 128 characters); the caller
// proposes one first.
#pragma once

#include "framework/ui/CDialog.h"

class CAddBookmarkDlg : public CDialog
{
    DECLARE_DYNAMIC(CAddBookmarkDlg)
public:
    explicit CAddBookmarkDlg(CWnd* pParent = nullptr);

    void DoDataExchange(CDataExchange* pDX) override;

    static const int kMaxNameLength = 128;
    CString m_strName;
};
