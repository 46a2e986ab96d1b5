// Filling the node tree: the node table grouped and sorted once, then
// inserted in order.
#include "app/CQlcTreeCtrl.h"

#include "app/CQlcApp.h"

#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include <algorithm>
#include <unordered_set>

// One fill: the node table grouped by parent in one pass (each group in
// table order), each group sorted once on the records when its folder is
// filled, and its items inserted in that order, so that no insertion looks
// at the items already there. A stable sort keeps equal names in table
// order, as inserting each after its equal siblings does.
//
// Some tree-view controls check every item handle they are given by
// searching their items in the order they were made, so a call costs time in
// proportion to the items made before the one it names. The fill therefore
// names only folders: it makes every folder item first, breadth first, then
// the other items, each placed with its folder (TVI_FIRST, TVI_LAST or
// after a sibling folder) so that no call names an item made late.
class CQlcTreeCtrl::CFill
{
public:
    CFill(CQlcTreeCtrl& tree, DWORD dwShownId);

    // Inserts the children of a node under hParent and everything below
    // them; returns how many children were inserted. bFresh: hParent has no
    // children yet.
    int Fill(DWORD dwParentId, HTREEITEM hParent, bool bFresh);

    HTREEITEM m_hShown = nullptr;
    HTREEITEM m_hCut = nullptr;

private:
    struct CEntry
    {
        const QLCNODE* pNode;
        int nNumber; // leading number of the name, for numerical sorting
    };
    struct CGroup
    {
        size_t nBegin = 0;
        size_t nEnd = 0;
        bool bSorted = false;
    };
    // A folder item whose children are filled.
    struct CParent
    {
        DWORD dwId;
        HTREEITEM hItem;
        bool bCut;   // it or a folder above it is the cut node
        bool bOwn;   // the caller's parent: never given a placeholder here
        int nInserted;
        size_t nFirstChild; // its folders' entries in the list of parents
        size_t nChildren;
    };

    // The children of a node in sort order: [begin, end) of m_entries.
    CGroup Sorted(DWORD dwParentId);
    bool IsCut(bool bCutAbove, const QLCNODE& node) const
    {
        return bCutAbove || (m_bHasCut && node.dwNodeId == m_dwCutId);
    }
    HTREEITEM Insert(size_t nEntry, HTREEITEM hParent, HTREEITEM hInsertAfter, bool bCut);
    // Inserts entries [nFrom, nTo) of a group in order at one place.
    void InsertRun(CParent& parent, size_t nFrom, size_t nTo, HTREEITEM hAfter);

    CQlcTreeCtrl& m_tree;
    // Held while the fill runs: its entries point into the node table.
    CQlcDocLock::CScoped m_docLock;
    std::vector<CEntry> m_entries; // grouped by parent
    std::vector<HTREEITEM> m_items; // the item of each entry, once made
    std::unordered_map<DWORD, CGroup> m_groups;
    std::unordered_set<DWORD> m_tasked; // nodes a task refers to
    WORD m_wOrder = 0;
    WORD m_wFolders = 0;
    DWORD m_dwShownId;
    DWORD m_dwCutId = 0;
    bool m_bHasCut = false;
};

CQlcTreeCtrl::CFill::CFill(CQlcTreeCtrl& tree, DWORD dwShownId)
    : m_tree(tree), m_docLock(tree.m_pDoc->GetLock()), m_dwShownId(dwShownId)
{
    const CQuillcrestDoc& doc = *tree.m_pDoc;
    doc.GetSortOptions(m_wOrder, m_wFolders);

    // Count each parent's children, then place them in table order.
    const CQlcNodeMap& nodes = doc.GetNodeTable(m_docLock);
    for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
    {
        if (p->value.dwParentId != p->key) // a node is never its own child
            m_groups[p->value.dwParentId].nEnd++;
    }
    size_t nNext = 0;
    for (auto& group : m_groups)
    {
        group.second.nBegin = nNext;
        nNext += group.second.nEnd;
        group.second.nEnd = group.second.nBegin;
    }
    m_entries.resize(nNext);
    m_items.assign(nNext, nullptr);
    const bool bNumbers = (m_wOrder & 2) != 0;
    for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
    {
        if (p->value.dwParentId != p->key)
            m_entries[m_groups[p->value.dwParentId].nEnd++] = { &p->value, bNumbers ? LeadingNumber(p->value.strName) : 0 };
    }

    const CQlcTaskMap& tasks = doc.GetTaskTable(m_docLock);
    for (const CQlcTaskMap::CPair* p = tasks.PGetFirstAssoc(); p != nullptr; p = tasks.PGetNextAssoc(p))
    {
        if (p->value.dwFlags & QLC_TASKFLAG_LINKED)
            m_tasked.insert(p->value.dwLinkedNodeId);
    }

    if (CQlcApp* pApp = QlcGetApp())
    {
        const QLCNODECLIPBOARD& clip = pApp->m_nodeClipboard;
        m_bHasCut = clip.bHasContent && clip.bCut && clip.pDocument == tree.m_pDoc;
        m_dwCutId = clip.dwNodeId;
    }
}

CQlcTreeCtrl::CFill::CGroup CQlcTreeCtrl::CFill::Sorted(DWORD dwParentId)
{
    auto found = m_groups.find(dwParentId);
    if (found == m_groups.end())
        return CGroup();
    CGroup& group = found->second;
    if (!group.bSorted)
    {
        const WORD wOrder = m_wOrder, wFolders = m_wFolders;
        std::stable_sort(m_entries.begin() + (ptrdiff_t)group.nBegin, m_entries.begin() + (ptrdiff_t)group.nEnd,
                         [wOrder, wFolders](const CEntry& a, const CEntry& b) {
                             return CompareRecords(*a.pNode, a.nNumber, *b.pNode, b.nNumber, wOrder, wFolders) < 0;
                         });
        group.bSorted = true;
    }
    return group;
}

HTREEITEM CQlcTreeCtrl::CFill::Insert(size_t nEntry, HTREEITEM hParent, HTREEITEM hInsertAfter, bool bCut)
{
    const QLCNODE& node = *m_entries[nEntry].pNode;
    // Encryption shows before a task link.
    int nOverlay = 0;
    if (node.dwFlags & QLC_NODEFLAG_ENCRYPTED)
        nOverlay = overlayEncrypted;
    else if (m_tasked.count(node.dwNodeId) != 0)
        nOverlay = overlayTask;

    TVINSERTSTRUCTA tvis = {};
    tvis.hParent = hParent;
    tvis.hInsertAfter = hInsertAfter;
    TVITEMA& item = tvis.item;
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
    item.pszText = const_cast<LPSTR>((LPCSTR)node.strName);
    item.iImage = item.iSelectedImage = node.wIcon + (bCut ? imageCutOffset : 0);
    item.lParam = (LPARAM)node.dwNodeId;
    item.stateMask = TVIS_OVERLAYMASK;
    item.state = nOverlay ? INDEXTOOVERLAYMASK(nOverlay) : 0;
    HTREEITEM hItem = m_tree.InsertItem(&tvis);
    if (hItem == nullptr)
        return nullptr;
    m_items[nEntry] = hItem;
    m_tree.m_nodeItems[node.dwNodeId] = hItem;
    if (node.dwNodeId == m_dwShownId)
        m_hShown = hItem;
    if (m_bHasCut && node.dwNodeId == m_dwCutId)
        m_hCut = hItem;
    return hItem;
}

void CQlcTreeCtrl::CFill::InsertRun(CParent& parent, size_t nFrom, size_t nTo, HTREEITEM hAfter)
{
    if (hAfter == TVI_LAST)
    {
        for (size_t i = nFrom; i < nTo; ++i)
            parent.nInserted += Insert(i, parent.hItem, TVI_LAST, IsCut(parent.bCut, *m_entries[i].pNode)) ? 1 : 0;
        return;
    }
    // Each goes directly after the same place: the last first.
    for (size_t i = nTo; i-- > nFrom;)
        parent.nInserted += Insert(i, parent.hItem, hAfter, IsCut(parent.bCut, *m_entries[i].pNode)) ? 1 : 0;
}

int CQlcTreeCtrl::CFill::Fill(DWORD dwParentId, HTREEITEM hParent, bool bFresh)
{
    std::vector<CParent> parents;
    int nOwn = 0;
    if (bFresh)
        parents.push_back({ dwParentId, hParent, false, true, 0, 0, 0 });
    else
    {
        // Items are there already: each child goes to its sorted place among
        // them, and what lies below it is filled as below a fresh folder.
        const CGroup group = Sorted(dwParentId);
        for (size_t i = group.nBegin; i < group.nEnd; ++i)
        {
            const QLCNODE& node = *m_entries[i].pNode;
            HTREEITEM hItem = m_tree.InsertNodeItem(node.dwNodeId, hParent, m_tree.GetSortedInsertAfter(hParent, node.dwNodeId));
            if (hItem == nullptr)
                continue;
            nOwn++;
            const bool bCut = IsCut(false, node);
            if (bCut)
                m_tree.SetItemImage(hItem, node.wIcon + imageCutOffset, node.wIcon + imageCutOffset);
            if (node.dwNodeId == m_dwShownId)
                m_hShown = hItem;
            if (m_bHasCut && node.dwNodeId == m_dwCutId)
                m_hCut = hItem;
            if (CQlcNode::IsFolderType(node.nType))
                parents.push_back({ node.dwNodeId, hItem, bCut, false, 0, 0, 0 });
        }
    }
    const size_t nRoots = parents.size();

    // Folders first, breadth first, each at the end of its siblings so far.
    for (size_t p = 0; p < parents.size(); ++p)
    {
        parents[p].nFirstChild = parents.size();
        const CGroup group = Sorted(parents[p].dwId);
        for (size_t i = group.nBegin; i < group.nEnd; ++i)
        {
            const QLCNODE& node = *m_entries[i].pNode;
            if (!CQlcNode::IsFolderType(node.nType))
                continue;
            const bool bCut = IsCut(parents[p].bCut, node);
            if (HTREEITEM hItem = Insert(i, parents[p].hItem, TVI_LAST, bCut))
            {
                parents[p].nInserted++;
                parents.push_back({ node.dwNodeId, hItem, bCut, false, 0, 0, 0 });
            }
        }
        parents[p].nChildren = parents.size() - parents[p].nFirstChild;
    }

    // Then the other nodes: a run before the first folder at TVI_FIRST, a
    // run after a folder directly after it, the last run at TVI_LAST. The
    // folders are taken deepest first (each after the folders below it), the
    // order in which the control deletes items, which then finds each one
    // near the start of its list.
    std::vector<size_t> order;
    order.reserve(parents.size());
    std::vector<std::pair<size_t, size_t>> stack; // parent, its next folder
    for (size_t r = 0; r < nRoots; ++r)
    {
        stack.emplace_back(r, 0);
        while (!stack.empty())
        {
            const size_t nTop = stack.back().first;
            const size_t nNext = stack.back().second;
            if (nNext < parents[nTop].nChildren)
            {
                stack.back().second++;
                stack.emplace_back(parents[nTop].nFirstChild + nNext, 0);
            }
            else
            {
                order.push_back(nTop);
                stack.pop_back();
            }
        }
    }
    for (size_t p : order)
    {
        CParent& parent = parents[p];
        const CGroup group = Sorted(parent.dwId);
        size_t nRun = group.nBegin;
        HTREEITEM hAfter = TVI_FIRST;
        for (size_t i = group.nBegin; i < group.nEnd; ++i)
        {
            if (!CQlcNode::IsFolderType(m_entries[i].pNode->nType))
                continue;
            if (m_items[i] == nullptr)
                continue; // not inserted: its run goes on
            if (nRun < i)
                InsertRun(parent, nRun, i, hAfter);
            hAfter = m_items[i];
            nRun = i + 1;
        }
        if (nRun < group.nEnd)
            InsertRun(parent, nRun, group.nEnd, TVI_LAST);
        if (parent.bOwn)
            nOwn += parent.nInserted;
        else if (parent.nInserted == 0)
        {
            HTREEITEM hPlaceholder = m_tree.AddPlaceholder(parent.hItem);
            if (hPlaceholder != nullptr && parent.bCut)
                m_tree.SetItemImage(hPlaceholder, imagePlaceholder + imageCutOffset, imagePlaceholder + imageCutOffset);
        }
    }
    return nOwn;
}

int CQlcTreeCtrl::FillChildren(DWORD dwParentId, HTREEITEM hParent, DWORD dwShownId)
{
    if (m_hWnd == nullptr || m_pDoc == nullptr)
        return 0;
    CFill fill(*this, dwShownId);
    const bool bFresh = GetChildItem(hParent == TVI_ROOT ? nullptr : hParent) == nullptr;
    const int nInserted = fill.Fill(dwParentId, hParent, bFresh);
    if (fill.m_hShown != nullptr)
    {
        m_hShownItem = fill.m_hShown;
        MarkShownItem(fill.m_hShown);
    }
    if (fill.m_hCut != nullptr)
        m_hCutItem = fill.m_hCut;
    return nInserted;
}
