#include "widgets/CDocManagerEx.h"

#include "widgets/CFileDialogEx.h"

#include "framework/docview/CDocTemplate.h"
#include "framework/res/AfxRes.h"

#include <string>

IMPLEMENT_DYNAMIC(CDocManagerEx, CDocManager)

namespace {

// Adds the template's filter (name, NUL, "*" + extension, NUL) when it has
// both parts; the extension goes to pstrDefExt when asked for.
BOOL AppendFilterSuffix(std::string& filter, OPENFILENAMEA& ofn, CDocTemplate* pTemplate, CString* pstrDefExt)
{
    CString strName, strExt;
    if (!pTemplate->GetDocString(strName, CDocTemplate::filterName) || strName.IsEmpty() ||
        !pTemplate->GetDocString(strExt, CDocTemplate::filterExt) || strExt.IsEmpty())
        return FALSE;
    if (pstrDefExt != nullptr)
    {
        *pstrDefExt = strExt[0] == '.' ? strExt.Mid(1) : strExt;
        ofn.nFilterIndex = ofn.nMaxCustFilter + 1;
    }
    filter += strName.str();
    filter.push_back('\0');
    filter += '*';
    filter += strExt.str();
    filter.push_back('\0');
    ofn.nMaxCustFilter++;
    return TRUE;
}

} // namespace

BOOL CDocManagerEx::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                     CDocTemplate* pTemplate)
{
    CFileDialogEx dlgFile(bOpenFileDialog, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, nullptr);
    CString strTitle;
    strTitle.LoadString(nIDSTitle);
    CString strDefExt;
    dlgFile.m_ofn.Flags |= lFlags;

    // Only the first template considered may set the default extension and
    // the selected filter.
    std::string filter;
    if (pTemplate != nullptr)
    {
        AppendFilterSuffix(filter, dlgFile.m_ofn, pTemplate, &strDefExt);
    }
    else
    {
        BOOL bFirst = TRUE;
        for (POSITION pos = GetFirstDocTemplatePosition(); pos != nullptr;)
        {
            CDocTemplate* p = GetNextDocTemplate(pos);
            AppendFilterSuffix(filter, dlgFile.m_ofn, p, bFirst ? &strDefExt : nullptr);
            bFirst = FALSE;
        }
    }
    CString strAll;
    strAll.LoadString(AFX_IDS_ALLFILTER);
    filter += strAll.str();
    filter.push_back('\0');
    filter += "*.*";
    filter.push_back('\0');
    filter.push_back('\0');
    dlgFile.m_ofn.nMaxCustFilter++;

    dlgFile.m_ofn.lpstrFilter = filter.c_str();
    dlgFile.m_ofn.lpstrTitle = strTitle;
    if (!strDefExt.IsEmpty())
        dlgFile.m_ofn.lpstrDefExt = strDefExt;
    // The caller's name is the dialog's buffer.
    dlgFile.m_ofn.lpstrFile = fileName.GetBuffer(MAX_PATH);
    dlgFile.m_ofn.nMaxFile = MAX_PATH;
    const INT_PTR nResult = dlgFile.DoModal();
    fileName.ReleaseBuffer();
    return nResult == IDOK;
}
