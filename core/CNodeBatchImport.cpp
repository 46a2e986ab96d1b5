#include "core/CNodeBatchImport.h"

#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

namespace {

const QLCIMPORTTYPE s_importTypes[] = {
    { 1, 0, "TXT", 1 },   { 1, 0, "TEXT", 1 }, { 1, 0, "RTF", 1 },  { 3, 1, "BMP", 1 },  { 3, 2, "GIF", 0 },
    { 3, 3, "JPG", 0 },   { 3, 3, "JPEG", 0 }, { 3, 3, "JIF", 0 },  { 3, 4, "PCX", 1 },  { 3, 5, "PIC", 1 },
    { 3, 5, "PICT", 1 },  { 3, 6, "PGM", 1 },  { 3, 7, "PNG", 0 },  { 3, 8, "TGA", 1 },  { 3, 9, "TIF", 1 },
    { 3, 9, "TIFF", 1 },  { 3, 10, "EMF", 1 }, { 3, 10, "WEMF", 1 }, { 3, 10, "WMF", 1 },
    { 255, 255, nullptr, 0 },
};

} // namespace

CNodeBatchImport::CNodeBatchImport(CQuillcrestDoc* pDoc, DWORD dwParentId)
    : CNodeBatchProcess(pDoc), m_dwParentId(dwParentId)
{
}

const QLCIMPORTTYPE* CNodeBatchImport::GetImportTypes()
{
    return s_importTypes;
}

void CNodeBatchImport::AddFile(LPCSTR lpszPath)
{
    m_fileList.AddTail(lpszPath);
    SetTotal((int)m_fileList.GetCount());
}

const QLCIMPORTTYPE* CNodeBatchImport::LookupImportType(LPCSTR lpszPath)
{
    // The last '.' of the whole path, a folder's included.
    LPCSTR lpszDot = nullptr;
    for (LPCSTR p = lpszPath; p != nullptr && *p != '\0'; p = ::CharNextA(p))
    {
        if (*p == '.')
            lpszDot = p;
    }
    if (lpszDot == nullptr || lpszDot[1] == '\0')
        return nullptr;
    CString strExtension = lpszDot + 1;
    strExtension.MakeUpper();
    for (const QLCIMPORTTYPE* pRow = s_importTypes; pRow->lpszExtension != nullptr; ++pRow)
    {
        if (strExtension == pRow->lpszExtension)
            return pRow;
    }
    return nullptr;
}

void CNodeBatchImport::Run()
{
    const int nTotal = GetTotal();
    int nCount = 0;
    SetCurrent(0);
    for (POSITION pos = m_fileList.GetHeadPosition(); pos != nullptr;)
    {
        const CString strPath = m_fileList.GetNext(pos);
        ++nCount;
        SetItemText(strPath);
        CString strStatus;
        strStatus.Format(AfxLoadText(IDS_QLC_IMPORTING_FILE), nCount, nTotal);
        SetStatusText(strStatus);

        // Folders are passed over, and so are missing files (their
        // attributes come back with every bit set).
        if ((::GetFileAttributesA(strPath) & FILE_ATTRIBUTE_DIRECTORY) == 0)
        {
            DWORD dwNodeId = 0;
            if (const QLCIMPORTTYPE* pRow = LookupImportType(strPath))
            {
                if (pRow->nNodeType == QLC_NODE_NOTE || pRow->nNodeType == QLC_NODE_IMAGE)
                    dwNodeId = m_pDoc->Data_AddFromFile(strPath, pRow->nNodeType, pRow->nImageFormat, pRow->bCompress);
            }
            else
            {
                // An image if it decodes as one, else a note if a converter
                // takes it.
                dwNodeId = m_pDoc->Data_AddFromFile(strPath, QLC_NODE_IMAGE, 0, TRUE);
                if (dwNodeId == 0)
                    dwNodeId = m_pDoc->Data_AddFromFile(strPath, QLC_NODE_NOTE, 0, TRUE);
            }
            if (dwNodeId != 0 && m_dwParentId != 0)
            {
                CQlcNode node(m_pDoc, dwNodeId);
                node.SetParent(m_dwParentId);
                node.Update(TRUE);
            }
        }
        Step();
        if (IsCancelled())
            break;
    }
}
