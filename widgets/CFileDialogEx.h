// The Open / Save As dialog in the resizable Explorer style with the whole
// structure of the system it runs on (places bar and the rest), a hook that
// centres it and answers its notifications, and the parsing of multiple
// selections. Tests answer it through the common-dialog hook
// (framework/ui/AfxHooks.h) like every common dialog.
#pragma once

#include "framework/base/CPtrList.h"
#include "framework/ui/CCommonDialog.h"

#include <commdlg.h>

#include <string>

class CFileDialogEx : public CCommonDialog
{
    DECLARE_DYNAMIC(CFileDialogEx)
public:
    // lpszFilter: "Name|pattern|...|" ('|' becomes NUL); null for none.
    CFileDialogEx(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                  DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                  CWnd* pParentWnd = nullptr);

    // Flags every dialog gets.
    static const DWORD kFixedFlags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK;
    // Help ids of the open and the save dialog.
    static const UINT kHelpOpen = 28676;
    static const UINT kHelpSave = 28677;

    // The structure size for this system: the whole structure from major
    // version 5 on, the old one before; a failed version query falls back to
    // the old size (a size of 0 would make the system refuse the dialog).
    static DWORD GetOfnStructSize();
    static DWORD OfnStructSizeFor(BOOL bVersionKnown, DWORD dwMajorVersion);

    // IDOK or IDCANCEL. A selection that does not fit the file buffer is
    // told to the user (and gives IDCANCEL).
    virtual INT_PTR DoModal();

    // While the dialog runs, the path shown in it; afterwards the buffer.
    CString GetPathName() const;
    CString GetFileName() const;
    // Sets what OK returns (the framework's seam for answering the dialog).
    void SetPathName(LPCSTR lpszPathName) { lstrcpynA(m_ofn.lpstrFile, lpszPathName, (int)m_ofn.nMaxFile); }
    // Multiple selection: the position of the first name (null when the
    // buffer is empty), then each full path in turn until pos is null.
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    OPENFILENAMEA m_ofn;
    BOOL m_bOpenFileDialog;
    UINT m_nIDHelp;

protected:
    virtual void OnInitDone();
    virtual void OnFileNameChange() {}
    virtual void OnFolderChange() {}
    virtual void OnTypeChange() {}
    // Shows the system's dialog: TRUE on OK; else dwError is the system's
    // reason (0 when the user cancelled).
    virtual BOOL RunSystemDialog(DWORD& dwError);

    static UINT_PTR CALLBACK HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    char m_szFileTitle[64];
    char m_szFileName[MAX_PATH];
    std::string m_filter;   // the filter with NUL separators
    CString m_strDefExt;
    // The structure the system hands the hook during a notification.
    OPENFILENAMEA* m_pofnTemp;
};
