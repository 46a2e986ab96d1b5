#include "core/CNodeBatchExport.h"

#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

CNodeBatchExport::CNodeBatchExport(CQuillcrestDoc* pDoc) : CNodeBatchProcess(pDoc)
{
}

void CNodeBatchExport::Run()
{
    // Without a destination the names would land in the current folder.
    if (m_strDestination.IsEmpty())
    {
        SetFailure(AfxLoadText(IDS_QLC_EXPORT_NO_DESTINATION));
        return;
    }
    // Names are appended to the destination: it ends with a separator.
    CString strDirectory = m_strDestination;
    LPCSTR lpszStart = strDirectory;
    LPCSTR lpszEnd = lpszStart + strDirectory.GetLength();
    LPCSTR lpszLast = ::CharPrevA(lpszStart, lpszEnd);
    if (lpszLast + 1 != lpszEnd || (*lpszLast != '\\' && *lpszLast != '/'))
        strDirectory += '\\';

    // A destination typed into the folder browser may not exist yet; one
    // that cannot be made shows up as failed writes.
    ::CreateDirectoryA(m_strDestination, nullptr);

    // Every node counts, folders too.
    SetTotal((int)m_pDoc->Data_GetNodeCount());
    SetCurrent(0);
    BatchExportBranch(0, strDirectory);
}
