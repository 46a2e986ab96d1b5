// The export of a branch of nodes, shared by the export jobs.
#include "core/CNodeBatchProcess.h"

#include "core/CExportHelper.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

BOOL CNodeBatchProcess::BatchExportBranch(DWORD dwParentId, LPCSTR lpszDirectory)
{
    // The walk asks the user questions: it goes over a copy of the tree, not
    // the notebook's table under its lock.
    CExportTree tree;
    CString strParentName;
    {
        CQlcDocLock::CScoped lock(m_pDoc->GetLock());
        const CQlcNodeMap& nodes = m_pDoc->GetNodeTable(lock);
        for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
        {
            // A record that is its own parent (a damaged notebook) is no child.
            if (p->value.dwParentId != p->key)
                tree[p->value.dwParentId].push_back(CExportItem{ p->key, p->value.nType, p->value.strName });
            if (p->key == dwParentId)
                strParentName = p->value.strName;
        }
    }
    std::unordered_set<DWORD> seen;
    return ExportBranchOf(tree, dwParentId, strParentName, lpszDirectory, seen);
}

BOOL CNodeBatchProcess::ExportBranchOf(const CExportTree& tree, DWORD dwParentId, LPCSTR lpszName,
                                       LPCSTR lpszDirectory, std::unordered_set<DWORD>& seen)
{
    TRACE("IN:BatchExportBranch(%d, \"%s\")\n", (int)dwParentId, lpszDirectory);
    CString strDirectory = lpszDirectory;
    if (dwParentId != 0)
    {
        // An existing folder is fine; one that cannot be made shows up as
        // failed writes below.
        strDirectory += CExportHelper::MakeSafeFileName(lpszName) + "\\";
        ::CreateDirectoryA(strDirectory, nullptr);
    }

    BOOL bResult = TRUE;
    CExportHelper writer(m_pDoc, this);
    const auto found = tree.find(dwParentId);
    if (found != tree.end() && seen.insert(dwParentId).second)
    {
        for (const CExportItem& item : found->second)
        {
            BOOL bOk = TRUE;
            if (CQlcNode::IsFolderType(item.nType))
            {
                bOk = ExportBranchOf(tree, item.dwId, item.strName, strDirectory, seen);
            }
            else
            {
                SetItemText(item.strName);
                CString strStatus;
                strStatus.Format(AfxLoadText(IDS_QLC_EXPORTING_FILE), GetCurrent() + 1, GetTotal());
                SetStatusText(strStatus);
                for (;;)
                {
                    if (writer.ExportNode(item.dwId, strDirectory))
                        break;
                    const int nAnswer = AskExportError(writer, item.dwId, strDirectory);
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
            if (IsCancelled() || IsFinished() || !bOk)
                break;
        }
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
