#include "framework/docview/CDocManager.h"

#include "framework/base/AfxPrompt.h"
#include "framework/docview/CDocTemplate.h"
#include "framework/docview/CDocument.h"
#include "framework/ui/CFileDialog.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/docview/CView.h"
#include "framework/docview/CWinApp.h"

IMPLEMENT_DYNAMIC(CDocManager, CObject)

CDocManager::CDocManager()
{
}

CDocManager::~CDocManager()
{
    POSITION pos = m_templateList.GetHeadPosition();
    while (pos != nullptr)
    {
        CDocTemplate* pTemplate = (CDocTemplate*)m_templateList.GetNext(pos);
        if (pTemplate->m_bAutoDelete)
            delete pTemplate;
    }
    m_templateList.RemoveAll();
}

void CDocManager::AddDocTemplate(CDocTemplate* pTemplate)
{
    pTemplate->LoadTemplate();
    m_templateList.AddTail(pTemplate);
}

int CDocManager::GetDocumentCount()
{
    int n = 0;
    POSITION pos = m_templateList.GetHeadPosition();
    while (pos != nullptr)
    {
        CDocTemplate* pTemplate = (CDocTemplate*)m_templateList.GetNext(pos);
        POSITION posDoc = pTemplate->GetFirstDocPosition();
        while (posDoc != nullptr)
        {
            pTemplate->GetNextDoc(posDoc);
            n++;
        }
    }
    return n;
}

namespace {

BOOL SetRegKey(LPCSTR lpszKey, LPCSTR lpszValue, LPCSTR lpszValueName = nullptr)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, lpszKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hKey,
                          nullptr) != ERROR_SUCCESS)
        return FALSE;
    const LONG l = ::RegSetValueExA(hKey, lpszValueName, 0, REG_SZ, (const BYTE*)lpszValue, (DWORD)lstrlenA(lpszValue) + 1);
    ::RegCloseKey(hKey);
    return l == ERROR_SUCCESS;
}

CString ModuleShortPath()
{
    char szLong[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szLong, MAX_PATH);
    char szShort[MAX_PATH] = "";
    if (::GetShortPathNameA(szLong, szShort, MAX_PATH) == 0)
        return CString(szLong);
    return CString(szShort);
}

} // namespace

void CDocManager::RegisterShellFileTypes(BOOL bCompat)
{
    const CString strPathName = ModuleShortPath();
    int nTemplateIndex = 0;
    POSITION pos = m_templateList.GetHeadPosition();
    while (pos != nullptr)
    {
        CDocTemplate* pTemplate = (CDocTemplate*)m_templateList.GetNext(pos);
        CString strOpenCommandLine = strPathName;
        CString strPrintCommandLine = strPathName;
        CString strPrintToCommandLine = strPathName;
        CString strDefaultIconCommandLine = strPathName;
        if (bCompat)
        {
            HICON hIcon = ::ExtractIconA(::GetModuleHandleA(nullptr), strPathName, (UINT)(nTemplateIndex + 1));
            strDefaultIconCommandLine.AppendFormat(",%d", hIcon ? nTemplateIndex + 1 : 0);
            if (hIcon)
                ::DestroyIcon(hIcon);
        }
        nTemplateIndex++;

        CString strFileTypeId, strFileTypeName, strTemp;
        if (!pTemplate->GetDocString(strFileTypeId, CDocTemplate::regFileTypeId) || strFileTypeId.IsEmpty())
            continue;
        if (!pTemplate->GetDocString(strFileTypeName, CDocTemplate::regFileTypeName))
            strFileTypeName = strFileTypeId;
        if (!SetRegKey(strFileTypeId, strFileTypeName))
            continue;
        if (bCompat)
        {
            strTemp.Format("%s\\DefaultIcon", (LPCSTR)strFileTypeId);
            if (!SetRegKey(strTemp, strDefaultIconCommandLine))
                continue;
        }

        // A multiple-document program opens further files in the running
        // instance through DDE.
        if (!pTemplate->GetDocString(strTemp, CDocTemplate::windowTitle) || strTemp.IsEmpty())
        {
            strTemp.Format("%s\\shell\\open\\ddeexec", (LPCSTR)strFileTypeId);
            if (!SetRegKey(strTemp, "[open(\"%1\")]"))
                continue;
            if (bCompat)
            {
                strTemp.Format("%s\\shell\\print\\ddeexec", (LPCSTR)strFileTypeId);
                if (!SetRegKey(strTemp, "[print(\"%1\")]"))
                    continue;
                strTemp.Format("%s\\shell\\printto\\ddeexec", (LPCSTR)strFileTypeId);
                if (!SetRegKey(strTemp, "[printto(\"%1\",\"%2\",\"%3\",\"%4\")]"))
                    continue;
                strOpenCommandLine += " /dde";
                strPrintCommandLine += " /dde";
                strPrintToCommandLine += " /dde";
            }
            else
            {
                strOpenCommandLine += " \"%1\"";
            }
        }
        else
        {
            strOpenCommandLine += " \"%1\"";
            strPrintCommandLine += " /p \"%1\"";
            strPrintToCommandLine += " /pt \"%1\" \"%2\" \"%3\" \"%4\"";
        }

        strTemp.Format("%s\\shell\\open\\command", (LPCSTR)strFileTypeId);
        if (!SetRegKey(strTemp, strOpenCommandLine))
            continue;
        if (bCompat)
        {
            strTemp.Format("%s\\shell\\print\\command", (LPCSTR)strFileTypeId);
            if (!SetRegKey(strTemp, strPrintCommandLine))
                continue;
            strTemp.Format("%s\\shell\\printto\\command", (LPCSTR)strFileTypeId);
            if (!SetRegKey(strTemp, strPrintToCommandLine))
                continue;
        }

        CString strFilterExt;
        pTemplate->GetDocString(strFilterExt, CDocTemplate::filterExt);
        if (!strFilterExt.IsEmpty())
        {
            // Take the extension only when it is free or already ours.
            char szCurrent[MAX_PATH * 2] = "";
            LONG lSize = sizeof(szCurrent);
            const LONG lResult = ::RegQueryValueA(HKEY_CLASSES_ROOT, strFilterExt, szCurrent, &lSize);
            if (lResult != ERROR_SUCCESS || szCurrent[0] == 0 || strFileTypeId == szCurrent)
            {
                if (!SetRegKey(strFilterExt, strFileTypeId))
                    continue;
                if (bCompat)
                {
                    strTemp.Format("%s\\ShellNew", (LPCSTR)strFilterExt);
                    SetRegKey(strTemp, "", "NullFile");
                }
            }
        }
    }
}

CDocument* CDocManager::OpenDocumentFile(LPCSTR lpszFileName)
{
    char szPath[MAX_PATH];
    LPSTR lpszFilePart = nullptr;
    const DWORD n = ::GetFullPathNameA(lpszFileName, MAX_PATH, szPath, &lpszFilePart);
    if (n == 0 || n >= MAX_PATH)
        lstrcpynA(szPath, lpszFileName, MAX_PATH);

    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    CDocTemplate* pBestTemplate = nullptr;
    CDocument* pOpenDocument = nullptr;
    POSITION pos = m_templateList.GetHeadPosition();
    while (pos != nullptr)
    {
        CDocTemplate* pTemplate = (CDocTemplate*)m_templateList.GetNext(pos);
        CDocument* pMatch = nullptr;
        const CDocTemplate::Confidence match = pTemplate->MatchDocType(szPath, pMatch);
        if (match > bestMatch)
        {
            bestMatch = match;
            pBestTemplate = pTemplate;
        }
        if (match == CDocTemplate::yesAlreadyOpen)
        {
            pOpenDocument = pMatch;
            break;
        }
    }

    if (pOpenDocument != nullptr)
    {
        // Already open: bring its window forward.
        POSITION posView = pOpenDocument->GetFirstViewPosition();
        if (posView != nullptr)
        {
            CView* pView = pOpenDocument->GetNextView(posView);
            if (CFrameWnd* pFrame = pView->GetParentFrame())
            {
                pFrame->ActivateFrame();
                if (CFrameWnd* pAppFrame = pFrame->GetParentFrame())
                    pAppFrame->ActivateFrame();
            }
        }
        return pOpenDocument;
    }
    if (pBestTemplate == nullptr)
    {
        AfxMessageBox(AFX_IDP_FAILED_TO_OPEN_DOC);
        return nullptr;
    }
    return pBestTemplate->OpenDocumentFile(szPath);
}

BOOL CDocManager::SaveAllModified()
{
    POSITION pos = m_templateList.GetHeadPosition();
    while (pos != nullptr)
    {
        CDocTemplate* pTemplate = (CDocTemplate*)m_templateList.GetNext(pos);
        if (!pTemplate->SaveAllModified())
            return FALSE;
    }
    return TRUE;
}

void CDocManager::CloseAllDocuments(BOOL bEndSession)
{
    POSITION pos = m_templateList.GetHeadPosition();
    while (pos != nullptr)
    {
        CDocTemplate* pTemplate = (CDocTemplate*)m_templateList.GetNext(pos);
        pTemplate->CloseAllDocuments(bEndSession);
    }
}

CString CDocManager::BuildFilter(CDocTemplate* pTemplate, CString* pstrDefaultExt) const
{
    CString strFilter;
    POSITION pos = m_templateList.GetHeadPosition();
    while (pos != nullptr)
    {
        CDocTemplate* p = (CDocTemplate*)m_templateList.GetNext(pos);
        if (pTemplate != nullptr && p != pTemplate)
            continue;
        CString strName, strExt;
        if (p->GetDocString(strName, CDocTemplate::filterName) && !strName.IsEmpty() &&
            p->GetDocString(strExt, CDocTemplate::filterExt) && !strExt.IsEmpty())
        {
            strFilter += strName;
            strFilter += '|';
            strFilter += '*';
            strFilter += strExt;
            strFilter += '|';
            if (pstrDefaultExt != nullptr && pstrDefaultExt->IsEmpty())
                *pstrDefaultExt = strExt.Mid(1);
        }
    }
    CString strAll;
    strAll.LoadString(AFX_IDS_ALLFILTER);
    strFilter += strAll;
    strFilter += "|*.*||";
    return strFilter;
}

BOOL CDocManager::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                   CDocTemplate* pTemplate)
{
    CString strDefaultExt;
    const CString strFilter = BuildFilter(pTemplate, &strDefaultExt);
    CFileDialog dlgFile(bOpenFileDialog, strDefaultExt.IsEmpty() ? nullptr : (LPCSTR)strDefaultExt, fileName,
                        lFlags, strFilter, nullptr);
    CString strTitle;
    strTitle.LoadString(nIDSTitle);
    dlgFile.m_ofn.lpstrTitle = strTitle;
    if (dlgFile.DoModal() != IDOK)
        return FALSE;
    fileName = dlgFile.GetPathName();
    return TRUE;
}

BOOL CDocManager::OnDDECommand(LPSTR lpszCommand)
{
    // [open("file")]
    static const char szOpen[] = "[open(\"";
    if (_strnicmp(lpszCommand, szOpen, sizeof(szOpen) - 1) != 0)
        return FALSE;
    CString strFileName = lpszCommand + sizeof(szOpen) - 1;
    const int iEnd = strFileName.Find('"');
    if (iEnd < 0)
        return FALSE;
    strFileName = strFileName.Left(iEnd);

    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    // A program started hidden for DDE shows itself now.
    CWnd* pMainWnd = pApp->m_pMainWnd;
    if (pMainWnd != nullptr && !pMainWnd->IsWindowVisible())
    {
        int nCmdShow = pApp->m_nDDECmdShow;
        if (nCmdShow == -1 || nCmdShow == SW_SHOWNORMAL)
            nCmdShow = pMainWnd->IsIconic() ? SW_RESTORE : SW_SHOW;
        pMainWnd->ShowWindow(nCmdShow);
        pApp->m_nDDECmdShow = SW_SHOWNORMAL;
    }
    if (pMainWnd != nullptr)
        pMainWnd->SetForegroundWindow();
    pApp->OpenDocumentFile(strFileName);
    return TRUE;
}

void CDocManager::OnFileNew()
{
    if (m_templateList.IsEmpty())
        return;
    CDocTemplate* pTemplate = (CDocTemplate*)m_templateList.GetHead();
    pTemplate->OpenDocumentFile(nullptr);
}

void CDocManager::OnFileOpen()
{
    CString strNewName;
    if (!DoPromptFileName(strNewName, AFX_IDS_OPENFILE, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, TRUE, nullptr))
        return;
    if (CWinApp* pApp = AfxGetApp())
        pApp->OpenDocumentFile(strNewName);
}
