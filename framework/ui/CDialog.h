// A dialog box from a dialog template, modal (DoModal: created modeless,
// owner disabled, then the window's modal loop so PreTranslateMessage and
// idle updates keep working) or modeless (Create). DoModal may run again on
// the same object once it has returned. OnInitDialog fills the
// controls (DoDataExchange); OnOK validates and takes them back. After
// OnInitDialog the installed dialog hook sees the dialog (tests answer it).
#pragma once

#include "framework/ui/CWnd.h"

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modeless.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    // Modal: IDOK, IDCANCEL, the EndDialog value, or -1 when it could not be made.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    BOOL IsModal() const { return m_bModal; }

    void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void GotoDlgCtrl(CWnd* pWndCtrl) { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, (WPARAM)AfxGetSafeHwnd(pWndCtrl), 1); }
    void SetDefID(UINT nID) { ::SendMessageA(m_hWnd, DM_SETDEFID, nID, 0); }
    DWORD GetDefID() const { return (DWORD)::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0); }
    void MapDialogRect(LPRECT lpRect) const { ::MapDialogRect(m_hWnd, lpRect); }

    // The window a modal dialog is owned by (its top-level one).
    HWND GetModalOwner() const;
    // The same for any modal window meant to belong to pParentWnd (null:
    // the main window).
    static HWND PASCAL GetModalOwnerOf(CWnd* pParentWnd);

    UINT m_nIDHelp;
    LPCSTR m_lpszTemplateName;
    CWnd* m_pParentWnd;

protected:
    BOOL m_bModal;

    const DLGTEMPLATE* LoadTemplate(HINSTANCE& hInst) const;

    DECLARE_MESSAGE_MAP()
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

