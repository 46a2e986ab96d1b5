#include "app/CFolderBrowseDlg.h"

#include "app/res/Resource.h"

#include "framework/base/AfxPrompt.h"
#include "framework/docview/CWinApp.h"
#include "framework/ui/CDialog.h"

#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>

IMPLEMENT_DYNAMIC(CFolderBrowseDlg, CCommonDialog)

namespace {

const char kBrowserProp[] = "QlcFolderBrowseDlg";
const char kEditProp[] = "QlcFolderBrowseEdit";

CString TrimTyped(CString str)
{
    str.Trim();
    // A path pasted with its quotes.
    if (str.GetLength() >= 2 && str[0] == '"' && str[str.GetLength() - 1] == '"')
    {
        str = str.Mid(1, str.GetLength() - 2);
        str.Trim();
    }
    return str;
}

CString LastComponent(const CString& strPath)
{
    CString str = strPath;
    while (str.GetLength() > 3 && str[str.GetLength() - 1] == '\\')
        str = str.Left(str.GetLength() - 1);
    const int n = str.ReverseFind('\\');
    return n >= 0 ? str.Mid(n + 1) : str;
}

BOOL IsExistingFolder(LPCSTR lpszPath)
{
    const DWORD dwAttributes = ::GetFileAttributesA(lpszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

CFolderBrowseDlg::CFolderBrowseDlg(LPCSTR lpszTitle, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_strTitle(lpszTitle), m_nFlags(BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE),
      m_hBrowser(nullptr), m_pfnBrowserProc(nullptr), m_hEdit(nullptr), m_pfnEditProc(nullptr), m_bEditMadeAgain(FALSE),
      m_rcEditMargins(), m_bTyped(FALSE)
{
}

INT_PTR CFolderBrowseDlg::DoModal()
{
    m_strPath.Empty();
    const INT_PTR nHook = AskHook();
    if (nHook != -2)
        return nHook;

    m_hBrowser = nullptr;
    m_pfnBrowserProc = nullptr;
    m_hEdit = nullptr;
    m_pfnEditProc = nullptr;
    m_bEditMadeAgain = FALSE;
    m_bTyped = FALSE;
    m_strSelected.Empty();
    m_strTyped.Empty();

    BROWSEINFOA bi = {};
    bi.hwndOwner = CDialog::GetModalOwnerOf(m_pParentWnd);
    bi.lpszTitle = m_strTitle;
    bi.ulFlags = m_nFlags;
    bi.lpfn = &BrowseCallback;
    bi.lParam = (LPARAM)this;
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderA(&bi);
    m_hBrowser = nullptr;
    m_hEdit = nullptr;
    if (pidl == nullptr)
        return IDCANCEL;
    if (!m_strTyped.IsEmpty())
    {
        m_strPath = m_strTyped;
    }
    else
    {
        char szPath[MAX_PATH] = "";
        if (::SHGetPathFromIDListA(pidl, szPath))
            m_strPath = szPath;
    }
    ::CoTaskMemFree(pidl);
    return IDOK;
}

CString CFolderBrowseDlg::ResolveTypedPath(LPCSTR lpszTyped, LPCSTR lpszSelectedFolder)
{
    const CString strTyped = TrimTyped(lpszTyped != nullptr ? lpszTyped : "");
    if (strTyped.IsEmpty())
        return CString();
    const char c0 = strTyped[0];
    const BOOL bRooted = c0 == '\\' || c0 == '/' ||
                         (strTyped.GetLength() >= 2 && strTyped[1] == ':' && ((c0 >= 'A' && c0 <= 'Z') || (c0 >= 'a' && c0 <= 'z')));
    CString strFull = strTyped;
    if (!bRooted)
    {
        const CString strBase = lpszSelectedFolder != nullptr ? lpszSelectedFolder : "";
        if (strBase.IsEmpty())
            return CString();
        strFull = strBase;
        if (strFull[strFull.GetLength() - 1] != '\\')
            strFull += '\\';
        strFull += strTyped;
    }
    char szFull[MAX_PATH] = "";
    const DWORD dwLength = ::GetFullPathNameA(strFull, MAX_PATH, szFull, nullptr);
    if (dwLength == 0 || dwLength >= MAX_PATH)
        return CString();
    CString strResult = szFull;
    // "C:\" keeps its backslash; "C:\out\" loses it.
    while (strResult.GetLength() > 3 && strResult[strResult.GetLength() - 1] == '\\')
        strResult = strResult.Left(strResult.GetLength() - 1);
    return strResult;
}

HWND CFolderBrowseDlg::FindEditBox() const
{
    // (Asked before the browser shows: its own style, not its parent's, counts.)
    for (HWND hChild = ::FindWindowExA(m_hBrowser, nullptr, "Edit", nullptr); hChild != nullptr;
         hChild = ::FindWindowExA(m_hBrowser, hChild, "Edit", nullptr))
    {
        if ((::GetWindowLongA(hChild, GWL_STYLE) & WS_VISIBLE) != 0)
            return hChild;
    }
    return nullptr;
}

void CFolderBrowseDlg::WatchEditBox()
{
    HWND hEdit = FindEditBox();
    if (hEdit == nullptr)
        return;
    if ((::GetWindowLongA(hEdit, GWL_STYLE) & ES_AUTOHSCROLL) == 0)
    {
        RECT rc;
        ::GetWindowRect(hEdit, &rc);
        ::MapWindowPoints(nullptr, m_hBrowser, (LPPOINT)&rc, 2);
        RECT rcClient;
        ::GetClientRect(m_hBrowser, &rcClient);
        char szText[MAX_PATH] = "";
        ::GetWindowTextA(hEdit, szText, sizeof(szText));
        const DWORD dwStyle = (DWORD)::GetWindowLongA(hEdit, GWL_STYLE) | ES_AUTOHSCROLL;
        const DWORD dwExStyle = (DWORD)::GetWindowLongA(hEdit, GWL_EXSTYLE);
        const int nID = ::GetDlgCtrlID(hEdit);
        HWND hNew = ::CreateWindowExA(dwExStyle, "Edit", szText, dwStyle, rc.left, rc.top, rc.right - rc.left,
                                      rc.bottom - rc.top, m_hBrowser, (HMENU)(INT_PTR)nID,
                                      (HINSTANCE)::GetWindowLongPtrA(hEdit, GWLP_HINSTANCE), nullptr);
        if (hNew != nullptr)
        {
            ::SendMessageA(hNew, WM_SETFONT, ::SendMessageA(hEdit, WM_GETFONT, 0, 0), FALSE);
            ::SendMessageA(hNew, EM_LIMITTEXT, MAX_PATH - 1, 0);
            // Where the old one was in the tab order; the browser finds it
            // by its id.
            ::SetWindowPos(hNew, hEdit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            const BOOL bFocused = ::GetFocus() == hEdit;
            ::DestroyWindow(hEdit);
            if (bFocused)
                ::SetFocus(hNew);
            hEdit = hNew;
            m_bEditMadeAgain = TRUE;
            m_rcEditMargins = { rc.left, rc.top, rcClient.right - rc.right, rcClient.bottom - rc.bottom };
        }
    }
    m_hEdit = hEdit;
    ::SetPropA(hEdit, kEditProp, (HANDLE)this);
    m_pfnEditProc = (WNDPROC)::SetWindowLongPtrA(hEdit, GWLP_WNDPROC, (LONG_PTR)&EditProc);
}

void CFolderBrowseDlg::PlaceEditBox()
{
    if (!m_bEditMadeAgain || m_hEdit == nullptr || !::IsWindow(m_hEdit))
        return;
    // It keeps its height and stays as far from the bottom and the sides.
    RECT rc, rcClient;
    ::GetWindowRect(m_hEdit, &rc);
    ::GetClientRect(m_hBrowser, &rcClient);
    const int cy = rc.bottom - rc.top;
    const int nBottom = rcClient.bottom - m_rcEditMargins.bottom;
    ::MoveWindow(m_hEdit, m_rcEditMargins.left, nBottom - cy,
                 std::max<int>(0, rcClient.right - m_rcEditMargins.right - m_rcEditMargins.left), cy, TRUE);
}

BOOL CFolderBrowseDlg::CheckTypedFolder()
{
    m_strTyped.Empty();
    // What the browser wrote (the selected item's name) stands for the
    // selection; so does a box emptied by the user.
    if (m_hEdit == nullptr || !::IsWindow(m_hEdit) || !m_bTyped)
        return TRUE;
    char szText[MAX_PATH * 2] = "";
    ::GetWindowTextA(m_hEdit, szText, sizeof(szText));
    const CString strText = TrimTyped(szText);
    if (strText.IsEmpty() || (!m_strSelected.IsEmpty() && (strText.CompareNoCase(LastComponent(m_strSelected)) == 0 ||
                                                           strText.CompareNoCase(m_strSelected) == 0)))
        return TRUE;

    const CString strFolder = ResolveTypedPath(strText, m_strSelected);
    if (!strFolder.IsEmpty() && IsExistingFolder(strFolder))
    {
        m_strTyped = strFolder;
        return TRUE;
    }
    CString strMessage;
    if (strFolder.IsEmpty())
        strMessage.Format(AfxLoadText(IDS_FOLDER_NOT_FULL_PATH), (LPCSTR)strText);
    else
        strMessage.Format(AfxLoadText(IDS_FOLDER_NOT_FOUND), (LPCSTR)strFolder);
    AfxShowMessageBox(m_hBrowser, strMessage, AfxGetAppName(), MB_OK | MB_ICONWARNING);
    ::SetFocus(m_hEdit);
    ::SendMessageA(m_hEdit, EM_SETSEL, 0, -1);
    return FALSE;
}

int CALLBACK CFolderBrowseDlg::BrowseCallback(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM lpData)
{
    try
    {
        CFolderBrowseDlg* pThis = (CFolderBrowseDlg*)lpData;
        if (pThis == nullptr)
            return 0;
        if (uMsg == BFFM_INITIALIZED && pThis->m_hBrowser == nullptr)
        {
            // OK is checked before the browser sees it.
            pThis->m_hBrowser = hWnd;
            ::SetPropA(hWnd, kBrowserProp, (HANDLE)pThis);
            pThis->m_pfnBrowserProc = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&BrowserProc);
            pThis->WatchEditBox();
            // It starts on its root, the Desktop (told again when a selection
            // is reported).
            char szDesktop[MAX_PATH] = "";
            if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, szDesktop)))
                pThis->m_strSelected = szDesktop;
        }
        else if (uMsg == BFFM_SELCHANGED && lParam != 0)
        {
            char szPath[MAX_PATH] = "";
            pThis->m_strSelected = ::SHGetPathFromIDListA((PCIDLIST_ABSOLUTE)lParam, szPath) ? szPath : "";
        }
    }
    catch (...)
    {
    }
    return 0;
}

LRESULT CALLBACK CFolderBrowseDlg::BrowserProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CFolderBrowseDlg* pThis = (CFolderBrowseDlg*)::GetPropA(hWnd, kBrowserProp);
    WNDPROC pfnOld = pThis != nullptr ? pThis->m_pfnBrowserProc : nullptr;
    if (pfnOld == nullptr)
        return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    try
    {
        if (uMsg == WM_COMMAND && LOWORD(wParam) == IDOK && !pThis->CheckTypedFolder())
            return 0;
        if (uMsg == WM_SIZE)
        {
            const LRESULT lResult = ::CallWindowProcA(pfnOld, hWnd, uMsg, wParam, lParam);
            pThis->PlaceEditBox();
            return lResult;
        }
        if (uMsg == WM_NCDESTROY)
        {
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)pfnOld);
            ::RemovePropA(hWnd, kBrowserProp);
            pThis->m_pfnBrowserProc = nullptr;
        }
    }
    catch (...)
    {
        // Refused rather than answered with the wrong folder.
        if (uMsg == WM_COMMAND)
            return 0;
    }
    return ::CallWindowProcA(pfnOld, hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CFolderBrowseDlg::EditProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CFolderBrowseDlg* pThis = (CFolderBrowseDlg*)::GetPropA(hWnd, kEditProp);
    WNDPROC pfnOld = pThis != nullptr ? pThis->m_pfnEditProc : nullptr;
    if (pfnOld == nullptr)
        return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    switch (uMsg)
    {
    case WM_SETTEXT:
        // The browser names its selection.
        pThis->m_bTyped = FALSE;
        break;
    case WM_CHAR:
        // Printable keys, Backspace, and Ctrl+V, Ctrl+X, Ctrl+Z change the text.
        if (wParam >= 0x20 || wParam == VK_BACK || wParam == 0x16 || wParam == 0x18 || wParam == 0x1A)
            pThis->m_bTyped = TRUE;
        break;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_REPLACESEL:
        pThis->m_bTyped = TRUE;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_DELETE)
            pThis->m_bTyped = TRUE;
        break;
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)pfnOld);
        ::RemovePropA(hWnd, kEditProp);
        pThis->m_pfnEditProc = nullptr;
        pThis->m_hEdit = nullptr;
        break;
    default:
        break;
    }
    return ::CallWindowProcA(pfnOld, hWnd, uMsg, wParam, lParam);
}
