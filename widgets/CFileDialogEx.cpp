#include "widgets/CFileDialogEx.h"

#include "widgets/res/WidgetRes.h"

#include "framework/base/AfxPrompt.h"
#include "framework/ui/CDialog.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CFileDialogEx, CCommonDialog)

namespace {

// The structure before the fields added with Windows 2000.
const DWORD kOldStructSize = OPENFILENAME_SIZE_VERSION_400A;

// The framework's message asking the owner for help on a command.
const UINT kWmCommandHelp = 0x0365;

// Centres a window over its owner (or the work area when it has none).
void CenterOverOwner(HWND hWnd)
{
    RECT rcArea;
    HWND hOwner = ::GetWindow(hWnd, GW_OWNER);
    if (hOwner != nullptr && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
        ::GetWindowRect(hOwner, &rcArea);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    int x = rcArea.left + ((rcArea.right - rcArea.left) - cx) / 2;
    int y = rcArea.top + ((rcArea.bottom - rcArea.top) - cy) / 2;
    // Never off the top-left of the screen, where the title bar is needed.
    x = x < 0 ? 0 : x;
    y = y < 0 ? 0 : y;
    ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CFileDialogEx::CFileDialogEx(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                             LPCSTR lpszFilter, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_ofn(), m_bOpenFileDialog(bOpenFileDialog),
      m_nIDHelp(bOpenFileDialog ? kHelpOpen : kHelpSave), m_szFileTitle(), m_szFileName(), m_pofnTemp(nullptr)
{
    memset(&m_ofn, 0, sizeof(m_ofn));
    m_ofn.lStructSize = GetOfnStructSize();
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = (DWORD)sizeof(m_szFileName);
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = (DWORD)sizeof(m_szFileTitle);
    m_ofn.Flags = dwFlags | kFixedFlags;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpfnHook = &CFileDialogEx::HookProc;
    m_ofn.lCustData = (LPARAM)this;
    if (lpszDefExt != nullptr)
    {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFileName != nullptr)
        lstrcpynA(m_szFileName, lpszFileName, (int)sizeof(m_szFileName));
    if (lpszFilter != nullptr)
    {
        // '|' only where it is a character of its own, never a trail byte.
        m_filter = lpszFilter;
        m_filter.push_back('\0');
        const size_t nLength = strlen(lpszFilter);
        for (size_t i = 0; i < nLength; ++i)
        {
            if (::IsDBCSLeadByte((BYTE)m_filter[i]) && i + 1 < nLength)
                ++i; // the trail byte is never a separator
            else if (m_filter[i] == '|')
                m_filter[i] = '\0';
        }
        m_ofn.lpstrFilter = m_filter.c_str();
    }
}

DWORD CFileDialogEx::OfnStructSizeFor(BOOL bVersionKnown, DWORD dwMajorVersion)
{
    if (bVersionKnown && dwMajorVersion >= 5)
        return (DWORD)sizeof(OPENFILENAMEA);
    return kOldStructSize;
}

DWORD CFileDialogEx::GetOfnStructSize()
{
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
    const BOOL bKnown = ::GetVersionExA(&vi);
    return OfnStructSizeFor(bKnown, vi.dwMajorVersion);
}

BOOL CFileDialogEx::RunSystemDialog(DWORD& dwError)
{
    const BOOL bResult = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    dwError = bResult ? 0 : ::CommDlgExtendedError();
    return bResult;
}

INT_PTR CFileDialogEx::DoModal()
{
    // Only the initial name stays: a multiple selection is read up to a
    // double NUL.
    if (m_ofn.lpstrFile != nullptr && m_ofn.nMaxFile > 0)
    {
        const size_t nUsed = strnlen(m_ofn.lpstrFile, m_ofn.nMaxFile);
        memset(m_ofn.lpstrFile + nUsed, 0, m_ofn.nMaxFile - nUsed);
    }
    const INT_PTR nHook = AskHook();
    if (nHook != -2)
        return nHook;

    m_ofn.hwndOwner = CDialog::GetModalOwnerOf(m_pParentWnd);
    HWND hFocus = ::GetFocus();
    DWORD dwError = 0;
    const BOOL bResult = RunSystemDialog(dwError);
    if (m_hWnd != nullptr)
        Detach();
    m_pofnTemp = nullptr;
    if (hFocus != nullptr && ::IsWindow(hFocus))
        ::SetFocus(hFocus);

    if (!bResult && dwError == FNERR_BUFFERTOOSMALL)
    {
        AfxMessageBox(IDS_FILEDLG_TOO_MANY_FILES, MB_OK | MB_ICONWARNING);
    }
    else if (!bResult && dwError != 0)
    {
        CString strMessage;
        strMessage.Format(AfxLoadText(IDS_FILEDLG_FAILED), (unsigned long)dwError);
        AfxMessageBox(strMessage, MB_OK | MB_ICONSTOP);
    }
    return bResult ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialogEx::HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    try
    {
        if (message == WM_INITDIALOG)
        {
            const OPENFILENAMEA* pofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
            CFileDialogEx* pThis = pofn ? reinterpret_cast<CFileDialogEx*>(pofn->lCustData) : nullptr;
            ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, (LONG_PTR)pThis);
            if (pThis != nullptr && pThis->m_hWnd == nullptr)
                pThis->Attach(hWnd);
            return 0;
        }
        CFileDialogEx* pThis = reinterpret_cast<CFileDialogEx*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (pThis == nullptr)
            return 0;
        if (message == WM_NOTIFY)
        {
            LRESULT lResult = 0;
            if (!pThis->OnNotify(wParam, lParam, &lResult))
                return 0;
            ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
            return TRUE;
        }
        if (message == WM_DESTROY)
        {
            ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
            if (pThis->m_hWnd == hWnd)
                pThis->Detach();
        }
    }
    catch (...)
    {
        OutputDebugStringA("An exception in the file dialog's hook was stopped there.\n");
    }
    return 0;
}

BOOL CFileDialogEx::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (CCommonDialog::OnNotify(wParam, lParam, pResult))
        return TRUE;
    OFNOTIFYA* pNotify = reinterpret_cast<OFNOTIFYA*>(lParam);
    m_pofnTemp = pNotify->lpOFN;
    *pResult = 0;
    BOOL bHandled = TRUE;
    switch (pNotify->hdr.code)
    {
    case CDN_INITDONE: OnInitDone(); break;
    case CDN_SELCHANGE: OnFileNameChange(); break;
    case CDN_FOLDERCHANGE: OnFolderChange(); break;
    case CDN_TYPECHANGE: OnTypeChange(); break;
    case CDN_SHAREVIOLATION: *pResult = 0; break; // the system's own share warning
    case CDN_FILEOK: *pResult = 0; break;         // accept the name
    case CDN_HELP:
        if (!OnCmdMsg(ID_HELP, CN_COMMAND, nullptr, nullptr))
            ::SendMessageA(m_ofn.hwndOwner, kWmCommandHelp, 0, m_nIDHelp);
        break;
    default: bHandled = FALSE; break;
    }
    m_pofnTemp = nullptr;
    return bHandled;
}

void CFileDialogEx::OnInitDone()
{
    if (m_hWnd != nullptr)
        CenterOverOwner(::GetParent(m_hWnd));
}

CString CFileDialogEx::GetPathName() const
{
    if (m_hWnd != nullptr)
    {
        // While the dialog runs the buffer is not filled yet.
        char szPath[MAX_PATH * 2] = "";
        HWND hDlg = ::GetParent(m_hWnd);
        if (::SendMessageA(hDlg, CDM_GETFILEPATH, sizeof(szPath), (LPARAM)szPath) > 0)
            return CString(szPath);
    }
    return CString(m_ofn.lpstrFile != nullptr ? m_ofn.lpstrFile : "");
}

CString CFileDialogEx::GetFileName() const
{
    return CString(m_ofn.lpstrFileTitle != nullptr ? m_ofn.lpstrFileTitle : "");
}

POSITION CFileDialogEx::GetStartPosition() const
{
    if (m_ofn.lpstrFile == nullptr || m_ofn.lpstrFile[0] == '\0')
        return nullptr;
    return (POSITION)m_ofn.lpstrFile;
}

CString CFileDialogEx::GetNextPathName(POSITION& pos) const
{
    LPSTR lpsz = (LPSTR)pos;
    if (lpsz == nullptr)
        return CString();
    if (lpsz == m_ofn.lpstrFile)
    {
        // One name only: the buffer is that path.
        if ((m_ofn.Flags & OFN_ALLOWMULTISELECT) == 0)
        {
            pos = nullptr;
            return CString(m_ofn.lpstrFile);
        }
        lpsz += strlen(lpsz) + 1;
        if (*lpsz == '\0')
        {
            pos = nullptr;
            return CString(m_ofn.lpstrFile);
        }
    }

    // The folder first, then the names, each ended by a NUL; two end the list.
    CString strFolder = m_ofn.lpstrFile;
    const CString strName = lpsz;
    lpsz += strlen(lpsz) + 1;
    pos = *lpsz == '\0' ? nullptr : (POSITION)lpsz;

    if (!strFolder.IsEmpty())
    {
        LPCSTR lpszFolder = strFolder;
        LPCSTR lpszLast = ::CharPrevA(lpszFolder, lpszFolder + strFolder.GetLength());
        if (!(lpszLast + 1 == lpszFolder + strFolder.GetLength() && (*lpszLast == '\\' || *lpszLast == '/')))
            strFolder += '\\';
    }
    return strFolder + strName;
}
