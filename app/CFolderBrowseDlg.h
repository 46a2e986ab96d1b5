// The shell's folder browser as a common dialog: file-system folders only,
// with an edit box, in the new style. Like the other common dialogs it asks
// the common-dialog hook first, so tests answer it.
//
// The browser itself may ignore what is typed into its edit box and answer
// with the selected item instead; OK is therefore checked here: a typed
// path (absolute, or below the selected folder) must name an existing
// folder, which then is the answer, and anything else is refused with a
// message while the browser stays open.
#pragma once

#include "framework/ui/CCommonDialog.h"

class CFolderBrowseDlg : public CCommonDialog
{
    DECLARE_DYNAMIC(CFolderBrowseDlg)
public:
    CFolderBrowseDlg(LPCSTR lpszTitle, CWnd* pParentWnd);

    // IDOK when a folder was chosen (m_strPath is empty when the chosen
    // folder has no file-system path), IDCANCEL otherwise.
    virtual INT_PTR DoModal();

    // The full path that a text typed into the edit box names: an absolute
    // or rooted path as it stands, any other below the selected folder.
    // Empty when it cannot be made (a relative text with no selected
    // folder, or an invalid path). Does not look at the disk.
    static CString ResolveTypedPath(LPCSTR lpszTyped, LPCSTR lpszSelectedFolder);

    CString m_strTitle;
    UINT m_nFlags;
    CString m_strPath;

private:
    static int CALLBACK BrowseCallback(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
    static LRESULT CALLBACK BrowserProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EditProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // OK pressed: FALSE keeps the browser open (the user was told why).
    BOOL CheckTypedFolder();
    HWND FindEditBox() const;
    // Takes the edit box in hand. One that cannot scroll takes no more than
    // it shows: it is made again as one that can, with the same id, place,
    // font and text.
    void WatchEditBox();
    void PlaceEditBox();

    HWND m_hBrowser;
    WNDPROC m_pfnBrowserProc;
    HWND m_hEdit;               // the edit box watched
    WNDPROC m_pfnEditProc;
    BOOL m_bEditMadeAgain;
    RECT m_rcEditMargins;       // its distance from the client edges (right and bottom from the far edges)
    BOOL m_bTyped;              // the user changed the edit box since the browser last wrote into it
    CString m_strSelected;      // file-system path of the selected item
    CString m_strTyped;         // the folder the edit box named at OK
};
