// Base of the common dialogs (file, colour, font, print). Every DoModal asks
// the installed common-dialog hook first (framework/ui/AfxHooks.h), so tests
// answer the dialog instead of a person.
#pragma once

#include "framework/ui/CWnd.h"

class CCommonDialog : public CWnd
{
    DECLARE_DYNAMIC(CCommonDialog)
public:
    explicit CCommonDialog(CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {}

    // The hook's answer, or -2 when none is installed (show the real dialog).
    INT_PTR AskHook();
    HWND GetOwnerWindow() const;

    CWnd* m_pParentWnd;
};
