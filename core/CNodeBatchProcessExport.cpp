// The export of a branch of nodes, shared by the export jobs.
#include "core/CNodeBatchProcess.h"

#include "core/CExportHelper.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

BOOL CNodeBatchProcess::BatchExportBranch(DWORD dwParentId, LPCSTR lpszDirectory)
{
    TRACE("IN:BatchExportBranch(%d, \"%s\")\n", (int)dwParentId, lpszDirectory);
    CString strDirectory = lpszDirectory;
    if (dwParentId != 0)
    {
        // An existing folder is fine; one that cannot be made shows up as
        // failed writes below.
        QLCNODE parent;
        m_pDoc->Data_GetNode(dwParentId, parent);
        strDirectory += CExportHelper::MakeSafeFileName(parent.strName) + "\\";
        ::CreateDirectoryA(strDirectory, nullptr);
    }

    BOOL bResult = TRUE;
    CExportHelper writer(m_pDoc, this);
    const CQlcNodeMap& nodes = m_pDoc->GetNodeTable();
    for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        BOOL bOk = TRUE;
        // A record that is its own parent (a damaged notebook) is no child.
        if (node.dwParentId == dwParentId && dwId != dwParentId)
        {
            if (CQlcNode::IsFolderType(node.nType))
            {
                bOk = BatchExportBranch(dwId, strDirectory);
            }
            else
            {
                SetItemText(node.strName);
                CString strStatus;
                strStatus.Format(AfxLoadText(IDS_QLC_EXPORTING_FILE), GetCurrent() + 1, GetTotal());
                SetStatusText(strStatus);
                for (;;)
                {
                    if (writer.ExportNode(dwId, strDirectory))
                        break;
                    const int nAnswer = AskExportError(writer, dwId, strDirectory);
                    if (nAnswer == 0)
                        continue;
                    bOk = nAnswer != 2;
                    break;
                }
            }
            if (bOk)
                Step();
            else
                bResult = FALSE;
        }
        if (IsCancelled() || IsFinished() || !bOk)
            break;
    }
    TRACE("OUT:BatchExportBranch(%d, \"%s\") = %d\n", (int)dwParentId, lpszDirectory, bResult);
    return bResult;
}

int CNodeBatchProcess::AskExportError(CExportHelper& writer, DWORD dwNodeId, LPCSTR lpszDirectory)
{
    QLCNODE node;
    m_pDoc->Data_GetNode(dwNodeId, node);
    CString strText;
    strText.Format(AfxLoadText(IDS_QLC_EXPORT_ERROR),
                   (LPCSTR)(CString(lpszDirectory) + CExportHelper::MakeSafeFileName(node.strName)),
                   (LPCSTR)writer.GetErrorMessage());
    switch (AskUser(strText, MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION))
    {
    case IDABORT: return 2;
    case IDRETRY: return 0;
    default: return 1;
    }
}
