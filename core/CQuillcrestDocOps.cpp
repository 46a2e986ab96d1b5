// Compound operations of a notebook document: keyword lists and task links.
#include "core/CQuillcrestDoc.h"

void CQuillcrestDoc::Data_SetNodeKeywords(DWORD dwNodeId, const QLCNODE_KEYWORDS& keywords)
{
    QLCNODE_KEYWORDS old;
    if (m_mapNodeKeywords.Lookup(dwNodeId, old))
    {
        // Keywords the node drops leave the table unless another node has them.
        for (DWORD dwKeywordId : old.keywordIds)
        {
            if (keywords.Contains(dwKeywordId))
                continue;
            BOOL bUsed = FALSE;
            for (POSITION pos = m_mapNodeKeywords.GetStartPosition(); pos != nullptr && !bUsed;)
            {
                DWORD dwOtherId;
                QLCNODE_KEYWORDS other;
                m_mapNodeKeywords.GetNextAssoc(pos, dwOtherId, other);
                bUsed = dwOtherId != dwNodeId && other.Contains(dwKeywordId);
            }
            if (!bUsed)
                m_mapKeywords.RemoveKey(dwKeywordId);
        }
    }
    m_mapNodeKeywords.SetAt(dwNodeId, keywords);
}

BOOL CQuillcrestDoc::Data_NodeHasTask(DWORD dwNodeId) const
{
    for (POSITION pos = m_mapTasks.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwTaskId;
        QLCTASK task;
        m_mapTasks.GetNextAssoc(pos, dwTaskId, task);
        if ((task.dwFlags & QLC_TASKFLAG_LINKED) && task.dwLinkedNodeId == dwNodeId)
            return TRUE;
    }
    return FALSE;
}
