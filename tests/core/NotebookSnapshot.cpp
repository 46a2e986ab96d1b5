#include "NotebookSnapshot.h"

#include "core/CQlcNode.h"

#include "CryptTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

std::string Format(LPCSTR lpszFormat, ...)
{
    char sz[1024];
    va_list args;
    va_start(args, lpszFormat);
    vsnprintf(sz, sizeof(sz), lpszFormat, args);
    va_end(args);
    return sz;
}

std::string PathOf(CQuillcrestDoc& doc, DWORD dwNodeId)
{
    QLCNODE node;
    return doc.Data_GetNode(dwNodeId, node) ? std::string(doc.Data_GetNodePath(dwNodeId)) : "(none)";
}

} // namespace

CNotebookSnapshot TakeNotebookSnapshot(CQuillcrestDoc& doc, const CNodePasswords& passwords)
{
    CNotebookSnapshot s;
    const QLCFILEHEADER& h = doc.GetHeader();
    s.lines.push_back(Format("header version=%lu nodes=%lu flags=%lu sort=%u,%u created=%u-%u-%u", h.dwVersion,
                             h.dwNodeCount, h.dwFileFlags, h.wSortOption1, h.wSortOption2, h.stCreated.wYear,
                             h.stCreated.wMonth, h.stCreated.wDay));
    const QLCCRYPTHEADER& c = doc.GetCryptHeader();
    s.lines.push_back(Format("crypt cipher=%lu hash=%lu key=%lu verifier=%lu check=%lu", c.dwCipherId, c.dwHashId,
                             c.dwKeyLength, c.dwVerifierLength, c.dwCheckBlockLength));
    s.lines.push_back(doc.HasLogo() ? Format("logo %dx%d", doc.GetLogoBitmap()->GetWidth(),
                                             doc.GetLogoBitmap()->GetHeight())
                                    : std::string("no logo"));

    std::vector<DWORD> ids;
    CQlcDocLock::CScoped tableLock48(doc.GetLock());
    for (POSITION pos = doc.GetNodeTable(tableLock48).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE n;
        CQlcDocLock::CScoped tableLock52(doc.GetLock());
        doc.GetNodeTable(tableLock52).GetNextAssoc(pos, dwId, n);
        ids.push_back(dwId);
    }
    for (DWORD dwId : ids)
    {
        QLCNODE n;
        doc.Data_GetNode(dwId, n);
        const std::string path = PathOf(doc, dwId);
        std::string line = Format("node %s type=%u spare=%u icon=%u parent=%s flags=%lu stored=%lu plain=%lu "
                                  "key=%lu hash=%lu cipher=%lu verifier=%lu reserved=",
                                  path.c_str(), n.nType, n.bSpare, n.wIcon,
                                  n.dwParentId ? PathOf(doc, n.dwParentId).c_str() : "0", n.dwFlags, n.dwStoredSize,
                                  n.dwPlainSize, n.dwKeyLength, n.dwHashId, n.dwCipherId, n.dwVerifierLength);
        for (DWORD dw : n.dwReserved)
            line += Format("%lu,", dw);
        s.lines.push_back(line);

        QLCNODE_KEYWORDS keywords;
        if (doc.Data_GetNodeKeywords(dwId, keywords))
        {
            std::string list = "keywords of " + path + ":";
            for (DWORD dwKeyword : keywords.keywordIds)
            {
                CString strText;
                doc.Data_GetKeywordText(dwKeyword, strText);
                list += Format(" %lu=%s", dwKeyword, (LPCSTR)strText);
            }
            s.lines.push_back(list);
        }
        if (CQlcNode::IsDataType(n.nType))
        {
            s.stored[path] = ReadStoredPayload(doc, dwId);
            auto it = passwords.find(path);
            if (it != passwords.end())
                RememberPassword(doc, dwId, it->second.c_str());
            BOOL bDamaged = FALSE;
            s.plain[path] = ReadNodeData(doc, dwId, &bDamaged);
            EXPECT_FALSE(bDamaged) << path;
        }
    }
    CQlcDocLock::CScoped tableLock92(doc.GetLock());
    for (POSITION pos = doc.GetKeywordTable(tableLock92).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        CString strText;
        CQlcDocLock::CScoped tableLock96(doc.GetLock());
        doc.GetKeywordTable(tableLock96).GetNextAssoc(pos, dwId, strText);
        s.lines.push_back(Format("keyword %lu %s", dwId, (LPCSTR)strText));
    }
    CQlcDocLock::CScoped tableLock99(doc.GetLock());
    for (POSITION pos = doc.GetBookmarkTable(tableLock99).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCBOOKMARK b;
        CQlcDocLock::CScoped tableLock103(doc.GetLock());
        doc.GetBookmarkTable(tableLock103).GetNextAssoc(pos, dwId, b);
        s.lines.push_back(Format("bookmark %s node=%s kept=%lu,%lu", (LPCSTR)b.strName,
                                 PathOf(doc, b.dwNodeId).c_str(), b.dwKept1, b.dwKept2));
    }
    CQlcDocLock::CScoped tableLock107(doc.GetLock());
    for (POSITION pos = doc.GetTaskTable(tableLock107).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCTASK t;
        CQlcDocLock::CScoped tableLock111(doc.GetLock());
        doc.GetTaskTable(tableLock111).GetNextAssoc(pos, dwId, t);
        s.lines.push_back(Format("task %s flags=%lu times=%ld,%ld,%ld priority=%u kept=%u,%u,%ld,%ld,%ld node=%s notes=%s",
                                 (LPCSTR)t.strTitle, t.dwFlags, t.lCreated, t.lStart, t.lDue, t.nPriority, t.bKept1,
                                 t.bKept2, t.lKept3, t.lKept4, t.lKept5,
                                 (t.dwFlags & QLC_TASKFLAG_LINKED) ? PathOf(doc, t.dwLinkedNodeId).c_str() : "-",
                                 (LPCSTR)t.strNotes));
    }
    std::sort(s.lines.begin(), s.lines.end());
    return s;
}

void ExpectSameNotebook(const CNotebookSnapshot& expected, const CNotebookSnapshot& actual)
{
    EXPECT_EQ(expected.lines, actual.lines);
    ASSERT_EQ(expected.stored.size(), actual.stored.size());
    for (const auto& entry : expected.stored)
    {
        auto it = actual.stored.find(entry.first);
        ASSERT_NE(actual.stored.end(), it) << entry.first;
        EXPECT_TRUE(entry.second == it->second) << "stored bytes of " << entry.first;
    }
    for (const auto& entry : expected.plain)
    {
        auto it = actual.plain.find(entry.first);
        ASSERT_NE(actual.plain.end(), it) << entry.first;
        EXPECT_TRUE(entry.second == it->second) << "data of " << entry.first;
    }
}
