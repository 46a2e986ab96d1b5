#include "app/CFindNodesState.h"

#include "app/CFindNodesQuery.h"
#include "app/CRtfTextReader.h"

#include "core/CQlcFileReader.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/CSingleLock.h"
#include "framework/base/CUiChannel.h"

#include <zlib.h>

#include <algorithm>
#include <unordered_set>

namespace {

// A chunk of the node list is decided before the worker reports: at most
// this many nodes, this many notes to read, this many stored bytes.
const size_t kChunkNodes = 4096;
const size_t kChunkNotes = 64;
const size_t kChunkBytes = 4 * 1024 * 1024;
// No stored payload inflates further than this (as the payload reader has it).
const ULONGLONG kMaxInflateRatio = 1100;

} // namespace

CFindNodesState::CFindNodesState()
    : m_mutex(FALSE), m_bStatusPending(FALSE), m_found(10), m_nMode(-1), m_nScopes(0), m_pDoc(nullptr),
      m_nWorkerLocks(0)
{
    m_progress.SetTotal(1000);
    m_progress.SetFinished(); // no worker runs yet
}

template <class F>
BOOL CFindNodesState::OnUiThread(F fn)
{
    // Without the channel nothing may touch the notebook from here.
    if (!CUiChannel::IsOpen() || CUiChannel::IsUiThread())
        return FALSE;
    return CUiChannel::Call(fn);
}

void CFindNodesState::Search()
{
    m_nWorkerLocks = 0;
    CFindNodesQuery query;
    int nScopes = 0;
    {
        CSingleLock lock(&m_mutex, TRUE);
        ++m_nWorkerLocks;
        if (m_progress.IsCancelRequested() || m_pDoc == nullptr)
            return;
        query.Set(m_strQuery, m_nMode);
        nScopes = m_nScopes;
    }
    const BOOL bTitles = (nScopes & scopeTitles) != 0;
    const BOOL bKeywords = (nScopes & scopeKeywords) != 0;
    const BOOL bContent = (nScopes & scopeContent) != 0;
    if (query.IsEmpty())
        return;

    CNodeList list;
    if (!OnUiThread([&] { return TakeNodeList(list, bKeywords); }))
        return;

    // Keywords whose text holds the words, then the nodes that carry one.
    std::unordered_set<DWORD> keywordNodes;
    if (bKeywords)
    {
        std::unordered_set<DWORD> marked;
        for (size_t i = 0; i < list.keywordIds.size(); ++i)
        {
            if (query.MatchesLowered(list.keywordTexts[i]))
                marked.insert(list.keywordIds[i]);
        }
        for (const auto& entry : list.nodeKeywords)
        {
            for (DWORD dwKeywordId : entry.second)
            {
                if (marked.count(dwKeywordId) != 0)
                {
                    keywordNodes.insert(entry.first);
                    break;
                }
            }
        }
    }

    const size_t nNodes = list.nodes.size();
    enum : char { notFound, found, readContent };
    std::vector<char> decided;
    std::vector<DWORD> notes;
    std::vector<DWORD> foundIds;
    std::vector<CPayload> payloads;
    std::vector<BYTE> plain;
    std::string name;
    std::wstring text;
    CRtfTextReader reader;
    size_t nPos = 0;
    while (nPos < nNodes)
    {
        // Titles and keywords decide at once; the notes left are read in one
        // batch for their text.
        decided.clear();
        notes.clear();
        size_t nEnd = nPos;
        while (nEnd < nNodes && nEnd - nPos < kChunkNodes && notes.size() < kChunkNotes)
        {
            const CNodeInfo& node = list.nodes[nEnd];
            char result = notFound;
            if (bTitles && !node.strName.IsEmpty())
            {
                name.assign((LPCSTR)node.strName, (size_t)node.strName.GetLength());
                ::CharLowerBuffA(&name[0], (DWORD)name.size());
                if (query.MatchesLowered(name.data(), name.size()))
                    result = found;
            }
            if (result == notFound && bKeywords && keywordNodes.count(node.dwNodeId) != 0)
                result = found;
            // Encrypted notes are never searched by content.
            if (result == notFound && bContent && node.nType == QLC_NODE_NOTE && !node.bEncrypted)
            {
                result = readContent;
                notes.push_back(node.dwNodeId);
            }
            decided.push_back(result);
            ++nEnd;
        }

        payloads.clear();
        if (!notes.empty())
        {
            if (!OnUiThread([&] { return TakePayloads(notes, kChunkBytes, payloads); }))
                return;
            if (payloads.size() < notes.size())
            {
                // The batch was full: the chunk ends before the first note
                // it left out.
                size_t nRead = 0;
                for (size_t i = 0; i < decided.size(); ++i)
                {
                    if (decided[i] == readContent && nRead++ == payloads.size())
                    {
                        decided.resize(i);
                        nEnd = nPos + i;
                        break;
                    }
                }
            }
        }

        size_t nPayload = 0;
        for (size_t i = 0; i < decided.size(); ++i)
        {
            BOOL bFound = decided[i] == found;
            if (decided[i] == readContent)
            {
                const CPayload& payload = payloads[nPayload++];
                if (payload.bRead && DecodePayload(payload, plain))
                {
                    reader.Read(plain.data(), plain.size(), text, CFindNodesQuery::GetFoldTable());
                    bFound = query.MatchesFoldedText(text);
                }
            }
            if (bFound)
                foundIds.push_back(list.nodes[nPos + i].dwNodeId);
        }
        nPos = nEnd;
        if (!Publish(foundIds, nPos, nNodes))
            return;
        foundIds.clear();
    }
}

BOOL CFindNodesState::Publish(const std::vector<DWORD>& found, ULONGLONG ullDone, ULONGLONG ullTotal)
{
    CSingleLock lock(&m_mutex, TRUE);
    ++m_nWorkerLocks;
    if (m_progress.IsCancelRequested() || m_pDoc == nullptr)
        return FALSE;
    for (DWORD dwNodeId : found)
        m_found.AddTail(dwNodeId);
    m_progress.SetCurrent(ullTotal != 0 ? ullDone * 1000 / ullTotal : 1000);
    return TRUE;
}

BOOL CFindNodesState::TakeNodeList(CNodeList& list, BOOL bKeywords)
{
    CQuillcrestDoc* pDoc = nullptr;
    {
        CSingleLock lock(&m_mutex, TRUE);
        if (m_progress.IsCancelRequested() || m_pDoc == nullptr)
            return FALSE;
        // Only this thread forgets the document, and it does not while it
        // copies the tables.
        pDoc = m_pDoc;
    }
    // A worker of the notebook (an import) may be changing it meanwhile.
    CQlcDocLock::CScoped docLock(pDoc->GetLock());
    const CQlcNodeMap& nodes = pDoc->GetNodeTable(docLock);
    list.nodes.reserve((size_t)nodes.GetCount());
    DWORD dwNodeId = 0;
    QLCNODE node;
    for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
    {
        nodes.GetNextAssoc(pos, dwNodeId, node);
        list.nodes.push_back(CNodeInfo{ dwNodeId, node.nType, (node.dwFlags & QLC_NODEFLAG_ENCRYPTED) != 0,
                                        node.strName });
    }
    if (!bKeywords)
        return TRUE;

    const CQlcKeywordMap& keywords = pDoc->GetKeywordTable(docLock);
    CString strText;
    DWORD dwKeywordId = 0;
    for (POSITION pos = keywords.GetStartPosition(); pos != nullptr;)
    {
        keywords.GetNextAssoc(pos, dwKeywordId, strText);
        list.keywordIds.push_back(dwKeywordId);
        list.keywordTexts.push_back(strText);
    }
    const CQlcNodeKeywordsMap& nodeKeywords = pDoc->GetNodeKeywordsTable(docLock);
    QLCNODE_KEYWORDS entry;
    for (POSITION pos = nodeKeywords.GetStartPosition(); pos != nullptr;)
    {
        nodeKeywords.GetNextAssoc(pos, dwNodeId, entry);
        if (!entry.keywordIds.empty())
            list.nodeKeywords.emplace_back(dwNodeId, entry.keywordIds);
    }
    return TRUE;
}

BOOL CFindNodesState::TakePayloads(const std::vector<DWORD>& nodeIds, size_t nMaxBytes,
                                   std::vector<CPayload>& payloads)
{
    CQuillcrestDoc* pDoc = nullptr;
    {
        CSingleLock lock(&m_mutex, TRUE);
        if (m_progress.IsCancelRequested() || m_pDoc == nullptr)
            return FALSE;
        pDoc = m_pDoc;
    }
    // Locations, handles and bytes agree only under the notebook's lock: a
    // worker of the notebook (an import) may be writing meanwhile.
    CQlcDocLock::CScoped docLock(pDoc->GetLock());
    size_t nBytes = 0;
    for (DWORD dwNodeId : nodeIds)
    {
        if (!payloads.empty() && nBytes >= nMaxBytes)
            break;
        payloads.emplace_back();
        CPayload& payload = payloads.back();
        // The node as it is now: it may have gone, or been enciphered, since
        // the list was taken.
        QLCNODE node;
        QLCDATALOC loc = {};
        if (!pDoc->Data_GetNode(dwNodeId, node) || node.nType != QLC_NODE_NOTE ||
            (node.dwFlags & QLC_NODEFLAG_ENCRYPTED) != 0 || node.dwStoredSize == 0 ||
            !pDoc->Data_GetDataLoc(dwNodeId, loc) || !loc.bHasData)
            continue;
        const HANDLE hFile = loc.bInWorkFile ? pDoc->Data_GetWorkHandle() : pDoc->Data_GetSourceHandle();
        if (hFile == nullptr || hFile == INVALID_HANDLE_VALUE)
            continue;
        try
        {
            CQlcFileReader file(hFile, nullptr);
            file.Seek(loc.dwOffset);
            file.Require(node.dwStoredSize);
            payload.stored.resize(node.dwStoredSize);
            file.Read(payload.stored.data(), node.dwStoredSize);
            payload.bRead = TRUE;
            payload.bCompressed = (node.dwFlags & QLC_NODEFLAG_COMPRESSED) != 0;
            payload.dwPlainSize = node.dwPlainSize;
            nBytes += node.dwStoredSize;
        }
        catch (CFileException&)
        {
            // Unreadable: its text is not searched.
            payload.stored.clear();
        }
        catch (std::bad_alloc&)
        {
            payload.stored.clear();
        }
    }
    return TRUE;
}

BOOL CFindNodesState::DecodePayload(const CPayload& payload, std::vector<BYTE>& plain)
{
    plain.clear();
    const std::vector<BYTE>& stored = payload.stored;
    if (!payload.bCompressed)
    {
        // Never past the stored bytes.
        const size_t nSize = std::min<size_t>(payload.dwPlainSize, stored.size());
        plain.assign(stored.begin(), stored.begin() + (ptrdiff_t)nSize);
        return TRUE;
    }
    if (payload.dwPlainSize == 0)
        return TRUE;
    if (payload.dwPlainSize > (ULONGLONG)stored.size() * kMaxInflateRatio + 1024)
        return FALSE;
    try
    {
        plain.resize(payload.dwPlainSize);
    }
    catch (std::bad_alloc&)
    {
        return FALSE;
    }
    z_stream zs = {};
    // A gzip member.
    if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK)
        return FALSE;
    zs.next_in = const_cast<Bytef*>(stored.data());
    zs.avail_in = (uInt)stored.size();
    zs.next_out = plain.data();
    zs.avail_out = (uInt)plain.size();
    int nResult = inflate(&zs, Z_FINISH);
    if (nResult == Z_BUF_ERROR && zs.avail_out == 0 && zs.avail_in > 0)
    {
        // More than the plain size would come out: damaged.
        nResult = Z_DATA_ERROR;
    }
    const BOOL bWhole = nResult == Z_STREAM_END && zs.total_out == payload.dwPlainSize && zs.avail_in == 0;
    inflateEnd(&zs);
    if (!bWhole)
        plain.clear();
    return bWhole;
}

UINT __cdecl FindNodesThreadProc(LPVOID pParam)
{
    std::unique_ptr<CFindNodesStatePtr> pState(static_cast<CFindNodesStatePtr*>(pParam));
    if (!pState || !*pState)
        return 1;
    CFindNodesState& state = **pState;
    try
    {
        state.Search();
    }
    catch (...)
    {
        // The search ends with what it found; the window shows "Ready".
    }
    // After its last hand-over: a tick that sees the end has listed it all.
    state.m_progress.SetFinished();
    return 0;
}
