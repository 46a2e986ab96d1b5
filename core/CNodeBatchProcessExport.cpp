// The export of a branch of nodes, shared by the export jobs.
#include "core/CNodeBatchProcess.h"

#include "core/CExportHelper.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// The notebook's tree as the export walks it: each parent's children in
// table order, taken in one pass over the table under the notebook's lock.
// The walk asks the user questions, so it goes over this copy, not over
// the table.
class CExportTree
{
public:
    static const size_t kEnd = (size_t)-1;
    struct CItem
    {
        DWORD dwId;
        BYTE nType;
        CString strName;
        size_t nNext; // the next child of the same parent, or kEnd
    };

    // The whole table, and the name of the folder the walk starts from.
    CExportTree(const CQuillcrestDoc& doc, DWORD dwTop)
    {
        CQlcDocLock::CScoped lock(doc.GetLock());
        const CQlcNodeMap& nodes = doc.GetNodeTable(lock);
        if (const QLCNODE* pTop = nodes.PLookup(dwTop))
            m_strTopName = pTop->strName;
        m_items.reserve((size_t)nodes.GetCount());
        m_children.reserve((size_t)nodes.GetCount() / 4 + 1);
        for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
        {
            // A record that is its own parent (a damaged notebook) is no child.
            if (p->value.dwParentId == p->key)
                continue;
            const size_t i = m_items.size();
            m_items.push_back(CItem{ p->key, p->value.nType, p->value.strName, kEnd });
            auto found = m_children.emplace(p->value.dwParentId, std::make_pair(i, i));
            if (!found.second)
            {
                m_items[found.first->second.second].nNext = i;
                found.first->second.second = i;
            }
        }
    }

    // The parent's first child, or kEnd. A parent's children are handed out
    // once: a damaged notebook whose folders loop is not walked forever.
    size_t TakeChildren(DWORD dwParentId)
    {
        const auto found = m_children.find(dwParentId);
        if (found == m_children.end())
            return kEnd;
        const size_t nFirst = found->second.first;
        m_children.erase(found);
        return nFirst;
    }
    const CItem& Item(size_t i) const { return m_items[i]; }
    const CString& GetTopName() const { return m_strTopName; }

private:
    CString m_strTopName;
    std::vector<CItem> m_items;
    std::unordered_map<DWORD, std::pair<size_t, size_t>> m_children; // first and last child
};

// An open folder of the walk.
struct CLevel
{
    DWORD dwId;
    size_t nNext;         // its next child, or kEnd when its walk is over
    int nOuterLength;     // its directory's length without its own name
    BOOL bResult;         // FALSE once Abort was answered in it or below
};

} // namespace

BOOL CNodeBatchProcess::BatchExportBranch(DWORD dwParentId, LPCSTR lpszDirectory)
{
    CExportTree tree(*m_pDoc, dwParentId);
    const CString strStatusFormat = AfxLoadText(IDS_QLC_EXPORTING_FILE);
    CExportHelper writer(m_pDoc, this);

    // Folders are walked with a stack of their own, not by recursion: a deep
    // (or damaged) notebook cannot exhaust the worker's stack. The directory
    // of the innermost open folder is kept in one string.
    CString strDirectory = lpszDirectory;
    std::vector<CLevel> levels;
    const auto open = [&](DWORD dwId, LPCSTR lpszName) {
        TRACE("IN:BatchExportBranch(%d, \"%s\")\n", (int)dwId, (LPCSTR)strDirectory);
        const int nOuterLength = strDirectory.GetLength();
        if (dwId != 0)
        {
            // An existing folder is fine; one that cannot be made shows up
            // as failed writes below.
            strDirectory += CExportHelper::MakeSafeFileName(lpszName) + "\\";
            ::CreateDirectoryA(strDirectory, nullptr);
        }
        levels.push_back(CLevel{ dwId, tree.TakeChildren(dwId), nOuterLength, TRUE });
    };
    // One child of the innermost folder is done: counted when it went well;
    // the folder's walk ends on Abort, on cancel and once the job is over.
    const auto done = [&](BOOL bOk) {
        CLevel& level = levels.back();
        if (bOk)
            Step();
        else
            level.bResult = FALSE;
        if (IsCancelled() || IsFinished() || !bOk)
            level.nNext = CExportTree::kEnd;
    };

    open(dwParentId, tree.GetTopName());
    for (;;)
    {
        CLevel& level = levels.back();
        if (level.nNext == CExportTree::kEnd)
        {
            const BOOL bResult = level.bResult;
            const DWORD dwId = level.dwId;
            strDirectory = strDirectory.Left(level.nOuterLength);
            TRACE("OUT:BatchExportBranch(%d, \"%s\") = %d\n", (int)dwId, (LPCSTR)strDirectory, bResult);
            levels.pop_back();
            if (levels.empty())
                return bResult;
            done(bResult);
            continue;
        }
        // A cancel that came while nothing was being written stops the walk
        // before the next child, not after it.
        if (IsCancelled() || IsFinished())
        {
            level.nNext = CExportTree::kEnd;
            continue;
        }
        const CExportTree::CItem& item = tree.Item(level.nNext);
        level.nNext = item.nNext;
        if (CQlcNode::IsFolderType(item.nType))
        {
            open(item.dwId, item.strName);
            continue;
        }
        SetItemText(item.strName);
        CString strStatus;
        strStatus.Format(strStatusFormat, GetCurrent() + 1, GetTotal());
        SetStatusText(strStatus);
        BOOL bOk = TRUE;
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
        done(bOk);
    }
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
