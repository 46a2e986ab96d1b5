// Copies of whole branches, within a notebook and between two.
#include "core/CQlcNode.h"

#include "core/CQuillcrestDoc.h"

#include <unordered_map>
#include <unordered_set>

BOOL CQlcNode::CopyBranch(CQuillcrestDoc* pTarget, DWORD dwTargetParentId, CQuillcrestDoc* pSource, DWORD dwSourceId,
                          std::vector<std::pair<DWORD, DWORD>>& ids)
{
    ids.clear();
    if (pTarget == nullptr || pSource == nullptr)
        return FALSE;
    // All or nothing for other threads too.
    CQlcDocLock::CScopedPair locks(pSource->GetLock(), pTarget->GetLock());
    CQlcDocLock::CScoped sourceLock(pSource->GetLock());
    const CQlcNodeMap& nodes = pSource->GetNodeTable(sourceLock);
    if (nodes.PLookup(dwSourceId) == nullptr)
        return FALSE;

    // Every child list taken now, before the first copy lands anywhere.
    std::unordered_map<DWORD, std::vector<DWORD>> children;
    for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
    {
        if (p->value.dwParentId != p->key)
            children[p->value.dwParentId].push_back(p->key);
    }
    // Parents first; a damaged table's loops are walked once.
    std::vector<DWORD> order;
    std::unordered_set<DWORD> seen;
    std::vector<DWORD> pending(1, dwSourceId);
    while (!pending.empty())
    {
        const DWORD dwId = pending.back();
        pending.pop_back();
        if (!seen.insert(dwId).second)
            continue;
        order.push_back(dwId);
        auto found = children.find(dwId);
        if (found != children.end())
            pending.insert(pending.end(), found->second.rbegin(), found->second.rend());
    }

    const BOOL bWasModified = pTarget->GetModifiedFlag();
    std::unordered_map<DWORD, DWORD> newIds;
    for (DWORD dwId : order)
    {
        CQlcNode source(pSource, dwId);
        CQlcNode copy;
        const BOOL bCopied = copy.CopyTo(pTarget, source);
        if (copy.IsValid())
        {
            const auto parent = newIds.find(source.GetParentId());
            copy.SetParent(dwId == dwSourceId || parent == newIds.end() ? dwTargetParentId : parent->second);
            copy.Update(TRUE);
            newIds[dwId] = copy.GetId();
            ids.emplace_back(dwId, copy.GetId());
        }
        if (!bCopied)
        {
            // Nothing half-copied stays: the new branch goes as a whole.
            if (!ids.empty())
                pTarget->Data_DeleteNode(ids.front().second);
            ids.clear();
            pTarget->SetModified(bWasModified);
            return FALSE;
        }
    }
    return TRUE;
}
