// The plain notebook file: layout, round trips, old versions, rejections,
// damaged files and saves that fail.
#include "core/CQlcFileWriter.h"
#include "core/CQuillcrestDoc.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace {

CString SaveNew(CQuillcrestDoc& doc, const CTempDir& dir, LPCSTR lpszName)
{
    const CString strPath = dir.Path(lpszName);
    doc.Data_SetNotebookPath(strPath);
    EXPECT_TRUE(doc.Data_WriteFile());
    return strPath;
}

Bytes Range(BYTE first, size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = (BYTE)(first + i * 7);
    return b;
}

struct CNodeSpec
{
    DWORD dwId;
    BYTE nType;
    DWORD dwParent;
    const char* name;
};

// A version 6 file whose node records come in the given order, without
// payloads, and with the other sections empty.
Bytes BuildNodesOnly(const std::vector<CNodeSpec>& nodes)
{
    CByteBuilder b;
    b.Magic("Quillcrest File");
    CHeaderFields h;
    h.dwNodeCount = (DWORD)nodes.size();
    WriteHeaderFields(b, h);
    for (const CNodeSpec& n : nodes)
    {
        b.U32(0).U8(n.nType).U8(0).U16(n.nType == 0 ? 3 : 2).U32(n.dwId).U32(n.dwParent);
        b.Zeros(28); // flags .. verifier length
        b.Zeros(28); // reserved
        b.Str(n.name);
    }
    return b.Get();
}

} // namespace

TEST(FileFormatTest, EmptyNotebookIsLaidOutByteForByte)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const CString strPath = SaveNew(doc, dir, "empty.qlc");
    const Bytes bytes = ReadFileBytes(strPath);
    ASSERT_EQ(192u, bytes.size());

    CByteBuilder expected;
    expected.Magic("Quillcrest File");
    expected.U32(6);
    expected.Zeros(32); // times, compared below
    expected.U32(0).U32(0).U32(0).U32(0);   // nodes, logo offset and length, reserved
    expected.U32(112).U32(0).U32(140).U32(0); // bookmarks, flags, section table, reserved
    expected.U16(0).U16(0).U32(124);        // sort options, keywords
    expected.U32(0).U32(0).U32(0);          // bookmark section
    expected.U32(0).U32(0).U32(0).U32(0);   // keyword section
    expected.U32(176).Zeros(32);            // section table
    expected.U32(0).U32(0).U32(0).U32(0);   // task section
    ASSERT_EQ(192u, expected.Size());
    EXPECT_EQ(32u, bytes[0]);
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        if (i >= 40 && i < 72)
            continue;
        EXPECT_EQ(expected.Get()[i], bytes[i]) << "byte " << i;
    }

    // Created time is the creation; modified time is the save.
    const QLCFILEHEADER& h = doc.GetHeader();
    EXPECT_EQ(h.stCreated.wYear, bytes[40] | (bytes[41] << 8));
    EXPECT_GE(bytes[56] | (bytes[57] << 8), 2020);
    EXPECT_EQ(h.stModified.wYear, bytes[56] | (bytes[57] << 8));
}

TEST(FileFormatTest, RenumbersNodesInTableOrderAndRemapsParents)
{
    CTempDir dir;
    CTestPrompts prompts;
    // Records 12, 9, 4 in the file land in one bucket, newest first: table
    // order 4, 9, 12.
    WriteFileBytes(dir.Path("sparse.qlc"), BuildNodesOnly({ { 12, 1, 9, "child" }, { 9, 0, 0, "folder" }, { 4, 1, 0, "top" } }));

    {
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, dir.Path("sparse.qlc")));
        EXPECT_TRUE(prompts.boxes.empty());
        doc.Data_SetNotebookPath(dir.Path("out.qlc"));
        ASSERT_TRUE(doc.Data_WriteFile());
        EXPECT_EQ(13u, doc.Data_NewNodeId()); // never an id that is taken
    }

    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, dir.Path("out.qlc")));
    QLCNODE top, folder, child;
    ASSERT_TRUE(back.Data_GetNode(1, top));
    ASSERT_TRUE(back.Data_GetNode(2, folder));
    ASSERT_TRUE(back.Data_GetNode(3, child));
    EXPECT_EQ(CString("top"), top.strName);
    EXPECT_EQ(CString("folder"), folder.strName);
    EXPECT_EQ(CString("child"), child.strName);
    EXPECT_EQ(0u, top.dwParentId);
    EXPECT_EQ(2u, child.dwParentId);
    EXPECT_EQ(3u, folder.wIcon); // folders always get the folder image
    EXPECT_EQ(3, back.Data_GetNodeCount());
    EXPECT_EQ(3u, back.GetHeader().dwNodeCount);
    EXPECT_EQ(4u, back.Data_NewNodeId());
}

// Node ids as another program may leave them: sparse, far apart and in no
// order. The writer numbers nodes in table order, which is the framework's
// order: bucket (id >> 4) % 17 upwards, the newest first within a bucket,
// an updated record keeping its place. The node table written after
// deletions, additions and a rename must be exactly that, byte for byte.
TEST(FileFormatTest, SparseIdsAreWrittenInTheFrameworksTableOrderByteForByte)
{
    CTempDir dir;
    CTestPrompts prompts;
    struct CModel
    {
        DWORD dwId;
        BYTE nType;
        DWORD dwParent;
        std::string name;
        unsigned nSeq; // insertion into the table
    };
    std::vector<CModel> model;
    std::vector<DWORD> folders;
    std::set<DWORD> used;
    unsigned seed = 11;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (unsigned i = 0; i < 400; ++i)
    {
        // A dense run and ids up to the millions.
        DWORD dwId = i < 40 ? 200 + i : 1 + next() % 5000000;
        while (!used.insert(dwId).second)
            dwId = 1 + next() % 5000000;
        const BYTE nType = i % 7 == 0 ? 0 : 1;
        const DWORD dwParent = (folders.empty() || next() % 4 == 0) ? 0 : folders[next() % folders.size()];
        model.push_back({ dwId, nType, dwParent, "node " + std::to_string(i), i });
        if (nType == 0)
            folders.push_back(dwId);
    }
    std::vector<CNodeSpec> specs;
    for (const CModel& m : model)
        specs.push_back({ m.dwId, m.nType, m.dwParent, m.name.c_str() });
    WriteFileBytes(dir.Path("sparse.qlc"), BuildNodesOnly(specs));

    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, dir.Path("sparse.qlc")));
    // Notes go (no node hangs under a note), new ones come, one is renamed.
    for (size_t i = 3; i < model.size(); i += 9)
    {
        if (model[i].nType == 0)
            continue;
        doc.Data_DeleteNode(model[i].dwId);
        model[i].dwId = 0;
    }
    for (unsigned i = 0; i < 30; ++i)
    {
        const BYTE nType = i % 3 == 0 ? 0 : 1;
        const DWORD dwParent = i % 2 ? folders[i % folders.size()] : 0;
        const std::string name = "new " + std::to_string(i);
        model.push_back({ AddNode(doc, nType, name.c_str(), dwParent), nType, dwParent, name, 400 + i });
    }
    QLCNODE renamed;
    ASSERT_TRUE(doc.Data_GetNode(model[1].dwId, renamed));
    renamed.strName = "renamed";
    doc.Data_SetNode(model[1].dwId, renamed);
    model[1].name = "renamed";
    const CString strOut = SaveNew(doc, dir, "out.qlc");

    std::vector<CModel> order;
    for (const CModel& m : model)
    {
        if (m.dwId != 0)
            order.push_back(m);
    }
    std::sort(order.begin(), order.end(), [](const CModel& a, const CModel& b) {
        const DWORD ba = (a.dwId >> 4) % 17, bb = (b.dwId >> 4) % 17;
        return ba != bb ? ba < bb : a.nSeq > b.nSeq;
    });
    std::map<DWORD, DWORD> numbers;
    for (size_t i = 0; i < order.size(); ++i)
        numbers[order[i].dwId] = (DWORD)(i + 1);
    CByteBuilder expected;
    for (const CModel& m : order)
    {
        expected.U32(0).U8(m.nType).U8(0).U16(m.nType == 0 ? 3 : 2).U32(numbers[m.dwId]);
        expected.U32(m.dwParent ? numbers.at(m.dwParent) : 0).Zeros(28).Zeros(28).Str(m.name.c_str());
    }

    const Bytes bytes = ReadFileBytes(strOut);
    ASSERT_GE(bytes.size(), kNodeTable + expected.Size());
    EXPECT_EQ((DWORD)order.size(), (DWORD)(bytes[kHdrNodeCount] | (bytes[kHdrNodeCount + 1] << 8)));
    const Bytes written(bytes.begin() + kNodeTable, bytes.begin() + kNodeTable + expected.Size());
    EXPECT_TRUE(written == expected.Get()) << "the node table differs from the table order";
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST(FileFormatTest, RoundTripOfEverySection)
{
    CTempDir dir;
    CTestPrompts prompts;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());

    const DWORD folder = AddNode(doc, QLC_NODE_FOLDER, "Projects");
    const DWORD note = AddNode(doc, QLC_NODE_NOTE, "Plan", folder);
    const DWORD image = AddNode(doc, QLC_NODE_IMAGE, "Picture", folder);
    const DWORD html = AddNode(doc, QLC_NODE_HTML, "Page");
    const DWORD foreign = AddNode(doc, QLC_NODE_FOREIGN, "Archive");
    AddNode(doc, QLC_NODE_NOTE, "Empty note");
    AddNode(doc, QLC_NODE_FOLDER, "Last");

    AppendPayload(doc, note, Range(1, 1000), QLC_NODEFLAG_COMPRESSED);
    AppendPayload(doc, image, Range(2, 70000), 0);
    AppendPayload(doc, html, Range(3, 1), QLC_NODEFLAG_COMPRESSED);
    AppendPayload(doc, foreign, Range(4, 4097), QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED);

    QLCNODE rec;
    doc.Data_GetNode(foreign, rec);
    rec.dwKeyLength = 32;
    rec.dwHashId = 0x202;
    rec.dwCipherId = 0x101;
    rec.dwVerifierLength = 32;
    rec.bSpare = 0x5A;
    rec.dwReserved[0] = 11;
    rec.dwReserved[6] = 77;
    rec.dwPlainSize = 9000;
    doc.Data_SetNode(foreign, rec);

    // Bookmarks and tasks that point at a node that no longer exists.
    const DWORD bmGood = doc.Data_AddBookmark();
    QLCBOOKMARK bm;
    doc.Data_GetBookmark(bmGood, bm);
    bm.dwNodeId = note;
    bm.strName = "To the plan";
    bm.dwKept1 = 5;
    bm.dwKept2 = 6;
    doc.Data_SetBookmark(bmGood, bm);
    const DWORD bmDangling = doc.Data_AddBookmark();
    doc.Data_GetBookmark(bmDangling, bm);
    bm.dwNodeId = 999;
    bm.strName = "Lost";
    doc.Data_SetBookmark(bmDangling, bm);

    const DWORD kwWork = doc.Data_GetKeywordId("Work");
    const DWORD kwHome = doc.Data_GetKeywordId("home");
    const DWORD kwSpare = doc.Data_GetKeywordId("unused");
    EXPECT_EQ(kwWork, doc.Data_GetKeywordId("WORK"));
    (void)kwSpare;
    // Keywords without lists here; lists are in the next test.

    const DWORD tLinked = doc.Data_AddTask();
    QLCTASK task;
    doc.Data_GetTask(tLinked, task);
    task.strTitle = "Call back";
    task.dwFlags = QLC_TASKFLAG_LINKED;
    task.dwLinkedNodeId = image;
    task.lCreated = 1000;
    task.lStart = 2000;
    task.lDue = -3;
    task.nPriority = 5;
    task.bKept1 = 1;
    task.bKept2 = 2;
    task.lKept3 = -7;
    task.lKept4 = 8;
    task.lKept5 = 9;
    task.strNotes = "notes\r\nline two";
    doc.Data_SetTask(tLinked, task);
    const DWORD tLoose = doc.Data_AddTask();
    doc.Data_GetTask(tLoose, task);
    task = QLCTASK();
    task.dwTaskId = tLoose;
    task.strTitle = "Loose";
    task.dwLinkedNodeId = note; // not linked: written as 0
    doc.Data_SetTask(tLoose, task);
    const DWORD tDangling = doc.Data_AddTask();
    task = QLCTASK();
    task.dwTaskId = tDangling;
    task.strTitle = "Was linked";
    task.dwFlags = QLC_TASKFLAG_LINKED | 1;
    task.dwLinkedNodeId = 999;
    doc.Data_SetTask(tDangling, task);

    doc.SetSortOptions(2, 1);
    const CString strPath = SaveNew(doc, dir, "all.qlc");
    // The tasks in memory keep their links.
    ASSERT_TRUE(doc.Data_GetTask(tDangling, task));
    EXPECT_EQ(999u, task.dwLinkedNodeId);
    EXPECT_TRUE(task.dwFlags & QLC_TASKFLAG_LINKED);
    doc.Data_CloseNotebookFiles(); // opening takes the file without sharing

    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, strPath));
    EXPECT_TRUE(prompts.boxes.empty());

    // Nodes by name, with their stored bytes.
    std::map<std::string, DWORD> ids;
    CQlcDocLock::CScoped tableLock326(back.GetLock());
    for (POSITION pos = back.GetNodeTable(tableLock326).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE n;
        CQlcDocLock::CScoped tableLock330(back.GetLock());
        back.GetNodeTable(tableLock330).GetNextAssoc(pos, dwId, n);
        ids[n.strName.GetString()] = dwId;
    }
    ASSERT_EQ(7u, ids.size());
    auto nodeOf = [&](const char* name) {
        QLCNODE n;
        EXPECT_TRUE(back.Data_GetNode(ids.at(name), n));
        return n;
    };
    EXPECT_EQ(Range(1, 1000), ReadStoredPayload(back, ids["Plan"]));
    EXPECT_EQ(Range(2, 70000), ReadStoredPayload(back, ids["Picture"]));
    EXPECT_EQ(Range(3, 1), ReadStoredPayload(back, ids["Page"]));
    EXPECT_EQ(Range(4, 4097), ReadStoredPayload(back, ids["Archive"]));
    EXPECT_EQ(ids["Projects"], nodeOf("Plan").dwParentId);
    EXPECT_EQ(ids["Projects"], nodeOf("Picture").dwParentId);
    EXPECT_EQ(QLC_NODEFLAG_COMPRESSED, nodeOf("Plan").dwFlags);
    EXPECT_EQ(0u, nodeOf("Picture").dwFlags);

    const QLCNODE arch = nodeOf("Archive");
    EXPECT_EQ(3u, arch.dwFlags);
    EXPECT_EQ(32u, arch.dwKeyLength);
    EXPECT_EQ(0x202u, arch.dwHashId);
    EXPECT_EQ(0x101u, arch.dwCipherId);
    EXPECT_EQ(32u, arch.dwVerifierLength);
    EXPECT_EQ(0x5A, arch.bSpare);
    EXPECT_EQ(11u, arch.dwReserved[0]);
    EXPECT_EQ(77u, arch.dwReserved[6]);
    EXPECT_EQ(9000u, arch.dwPlainSize);
    EXPECT_EQ(4097u, arch.dwStoredSize);

    // A data type without stored bytes has no data.
    QLCDATALOC loc;
    ASSERT_TRUE(back.Data_GetDataLoc(ids["Empty note"], loc));
    EXPECT_EQ(0u, loc.bHasData);
    ASSERT_TRUE(back.Data_GetDataLoc(ids["Projects"], loc));
    EXPECT_EQ(0u, loc.bHasData);

    // Bookmarks: renumbered from 0, node ids mapped, dangling ones to 0.
    ASSERT_EQ(2, back.Data_GetBookmarkCount());
    std::map<std::string, QLCBOOKMARK> bms;
    CQlcDocLock::CScoped tableLock370(back.GetLock());
    for (POSITION pos = back.GetBookmarkTable(tableLock370).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCBOOKMARK b;
        CQlcDocLock::CScoped tableLock374(back.GetLock());
        back.GetBookmarkTable(tableLock374).GetNextAssoc(pos, dwId, b);
        EXPECT_EQ(dwId, b.dwBookmarkId);
        EXPECT_LT(dwId, 2u);
        bms[b.strName.GetString()] = b;
    }
    EXPECT_EQ(ids["Plan"], bms["To the plan"].dwNodeId);
    EXPECT_EQ(5u, bms["To the plan"].dwKept1);
    EXPECT_EQ(6u, bms["To the plan"].dwKept2);
    EXPECT_EQ(0u, bms["Lost"].dwNodeId);
    EXPECT_EQ(3u, back.Data_AddBookmark());

    // Keywords keep their ids and lower-case texts.
    EXPECT_EQ(3, back.Data_GetKeywordCount());
    CString strText;
    ASSERT_TRUE(back.Data_GetKeywordText(kwWork, strText));
    EXPECT_EQ(CString("work"), strText);
    EXPECT_EQ(kwHome, back.Data_GetKeywordId("Home"));
    EXPECT_EQ(4u, back.Data_GetKeywordId("new one"));

    // Tasks: fields kept, links mapped, a dangling link dropped.
    ASSERT_EQ(3, back.Data_GetTaskCount());
    std::map<std::string, QLCTASK> tasks;
    CQlcDocLock::CScoped tableLock396(back.GetLock());
    for (POSITION pos = back.GetTaskTable(tableLock396).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCTASK t;
        CQlcDocLock::CScoped tableLock400(back.GetLock());
        back.GetTaskTable(tableLock400).GetNextAssoc(pos, dwId, t);
        tasks[t.strTitle.GetString()] = t;
    }
    const QLCTASK& linked = tasks["Call back"];
    EXPECT_EQ(QLC_TASKFLAG_LINKED, linked.dwFlags);
    EXPECT_EQ(ids["Picture"], linked.dwLinkedNodeId);
    EXPECT_EQ(1000, linked.lCreated);
    EXPECT_EQ(2000, linked.lStart);
    EXPECT_EQ(-3, linked.lDue);
    EXPECT_EQ(5, linked.nPriority);
    EXPECT_EQ(1, linked.bKept1);
    EXPECT_EQ(2, linked.bKept2);
    EXPECT_EQ(-7, linked.lKept3);
    EXPECT_EQ(8, linked.lKept4);
    EXPECT_EQ(9, linked.lKept5);
    EXPECT_EQ(CString("notes\r\nline two"), linked.strNotes);
    EXPECT_EQ(0u, tasks["Loose"].dwLinkedNodeId);
    EXPECT_EQ(1u, tasks["Was linked"].dwFlags);
    EXPECT_EQ(0u, tasks["Was linked"].dwLinkedNodeId);
    EXPECT_EQ(4u, back.Data_AddTask());

    WORD s1, s2;
    back.GetSortOptions(s1, s2);
    EXPECT_EQ(2, s1);
    EXPECT_EQ(1, s2);
    EXPECT_EQ(8u, back.Data_NewNodeId());
}

TEST(FileFormatTest, KeywordListsAndSparseKeywordIds)
{
    CTempDir dir;
    CTestPrompts prompts;
    // Keywords 5 and 9, two lists (one for node 1, one for a node that does
    // not exist), then a file with lists but no keywords.
    CByteBuilder b;
    b.Magic("Quillcrest File");
    CHeaderFields h;
    h.dwNodeCount = 1;
    WriteHeaderFields(b, h);
    b.U32(0).U8(1).U8(0).U16(2).U32(1).U32(0).Zeros(28).Zeros(28).Str("note");
    const DWORD dwKeywords = b.Size();
    b.U32(2).U32(2).U32(0).U32(0);
    b.U32(5).Str("five").U32(9).Str("nine");
    b.U32(1).U32(2).U32(9).U32(5);
    b.U32(7).U32(1).U32(5);
    Bytes file = b.Get();
    CByteBuilder patch;
    patch.Raw(file);
    patch.PatchU32(kHdrKeywords, dwKeywords);
    WriteFileBytes(dir.Path("kw.qlc"), patch.Get());

    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, dir.Path("kw.qlc")));
    QLCNODE_KEYWORDS kw;
    ASSERT_TRUE(doc.Data_GetNodeKeywords(1, kw));
    EXPECT_EQ((std::vector<DWORD>{ 9, 5 }), kw.keywordIds);
    QLCNODE n;
    ASSERT_TRUE(doc.Data_GetNode(1, n));
    EXPECT_EQ(CString("note"), n.strName);
    // A new keyword must not take id 2 or 3 from the count: 5 and 9 are there.
    EXPECT_EQ(10u, doc.Data_GetKeywordId("ten"));
    EXPECT_EQ(5u, doc.Data_GetKeywordId("FIVE"));

    doc.Data_SetNotebookPath(dir.Path("kw2.qlc"));
    ASSERT_TRUE(doc.Data_WriteFile());
    doc.Data_CloseNotebookFiles();
    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, dir.Path("kw2.qlc")));
    ASSERT_TRUE(back.Data_GetNodeKeywords(1, kw));
    EXPECT_EQ((std::vector<DWORD>{ 9, 5 }), kw.keywordIds);
    EXPECT_EQ(3, back.Data_GetKeywordCount());
    // The list of the missing node is dropped, not written for node 0.
    EXPECT_FALSE(back.Data_GetNodeKeywords(0, kw));
    CQlcDocLock::CScoped tableLock473(back.GetLock());
    EXPECT_EQ(1, back.GetNodeKeywordsTable(tableLock473).GetCount());
}

TEST(FileFormatTest, OlderVersionsAreReadThroughTheirGatesAndSavedAsSix)
{
    CTempDir dir;
    for (DWORD dwVersion : { 2u, 4u, 5u })
    {
        CTestPrompts prompts;
        CByteBuilder b;
        b.Magic("Quillcrest File");
        CHeaderFields h;
        h.dwVersion = dwVersion;
        h.dwNodeCount = 2;
        h.wSort1 = 3;
        h.wSort2 = 4;
        WriteHeaderFields(b, h);
        // 44-byte records: no reserved words before version 6.
        b.U32(0).U8(0).U8(0).U16(9).U32(1).U32(0).Zeros(28).Str("Old folder");
        const DWORD dwPayloadRecord = b.Size();
        b.U32(0).U8(1).U8(0).U16(2).U32(2).U32(1).U32(0).U32(3).U32(3).Zeros(16).Str("Old note");
        const DWORD dwPayload = b.Size();
        b.U8('a').U8('b').U8('c');
        const DWORD dwKeywords = b.Size();
        b.U32(1).U32(0).U32(0).U32(0).U32(1).Str("kw");
        const DWORD dwSections = b.Size();
        b.U32(dwSections + 36).Zeros(32);
        b.U32(1).Zeros(12).U32(0).Str("task").Zeros(4 * 4 + 3 + 4 * 4).Str("");
        CByteBuilder f;
        f.Raw(b.Get());
        f.PatchU32(dwPayloadRecord, dwPayload);
        f.PatchU32(kHdrKeywords, dwKeywords);
        f.PatchU32(kHdrSectionTable, dwSections);
        const CString strPath = dir.Path("old.qlc");
        WriteFileBytes(strPath, f.Get());

        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, strPath)) << dwVersion;
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("Warning", prompts.boxes[0].caption);
        EXPECT_EQ(0u, prompts.boxes[0].text.find("WARNING: This file was created in a previous version"));
        EXPECT_EQ((UINT)(MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING), prompts.boxes[0].nType);

        WORD s1, s2;
        doc.GetSortOptions(s1, s2);
        EXPECT_EQ(dwVersion < 3 ? 0 : 3, s1) << dwVersion;
        EXPECT_EQ(dwVersion < 3 ? 0 : 4, s2) << dwVersion;
        EXPECT_EQ(dwVersion < 5 ? 0 : 1, doc.Data_GetKeywordCount()) << dwVersion;
        EXPECT_EQ(0, doc.Data_GetTaskCount()) << dwVersion; // no section table before 6
        QLCNODE n;
        ASSERT_TRUE(doc.Data_GetNode(1, n));
        EXPECT_EQ(3u, n.wIcon);
        ASSERT_TRUE(doc.Data_GetNode(2, n));
        EXPECT_EQ(CString("Old note"), n.strName);
        EXPECT_EQ(0u, n.dwReserved[0]);
        EXPECT_EQ((Bytes{ 'a', 'b', 'c' }), ReadStoredPayload(doc, 2));
        EXPECT_EQ(6u, doc.GetHeader().dwVersion);

        doc.Data_SetNotebookPath(dir.Path("new.qlc"));
        ASSERT_TRUE(doc.Data_WriteFile());
        doc.Data_CloseNotebookFiles();
        const Bytes saved = ReadFileBytes(dir.Path("new.qlc"));
        EXPECT_EQ(6u, saved[36]);
        CTestPrompts quiet;
        CQuillcrestDoc back;
        ASSERT_EQ(1, OpenNotebook(back, dir.Path("new.qlc")));
        EXPECT_TRUE(quiet.boxes.empty());
        ASSERT_TRUE(back.Data_GetNode(1, n)); // "Old note" is first in table order
        EXPECT_EQ(CString("Old note"), n.strName);
        EXPECT_EQ((Bytes{ 'a', 'b', 'c' }), ReadStoredPayload(back, 1));
    }
}

TEST(FileFormatTest, NotANotebookAndBadVersionStampsAreRefused)
{
    CTempDir dir;
    {
        CTestPrompts prompts;
        CByteBuilder b;
        b.U32(64).Zeros(200);
        WriteFileBytes(dir.Path("big.qlc"), b.Get());
        CQuillcrestDoc doc;
        EXPECT_EQ(0, OpenNotebook(doc, dir.Path("big.qlc")));
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("Load Failed", prompts.boxes[0].caption);
        EXPECT_EQ("Failed to open '" + std::string(dir.Path("big.qlc")) + "'.\n\nThis file is not a Varlo Quillcrest file.",
                  prompts.boxes[0].text);
        EXPECT_EQ((UINT)(MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING), prompts.boxes[0].nType);
        EXPECT_EQ(nullptr, prompts.boxes[0].hOwner);
    }
    {
        CTestPrompts prompts;
        CByteBuilder b;
        b.Magic("Quillcrest Filf");
        CHeaderFields h;
        WriteHeaderFields(b, h);
        WriteFileBytes(dir.Path("other.qlc"), b.Get());
        CQuillcrestDoc doc;
        EXPECT_EQ(0, OpenNotebook(doc, dir.Path("other.qlc")));
        EXPECT_EQ(1u, prompts.boxes.size());
    }
    for (DWORD dwVersion : { 0u, 7u })
    {
        CTestPrompts prompts;
        CByteBuilder b;
        b.Magic("Quillcrest File");
        CHeaderFields h;
        h.dwVersion = dwVersion;
        WriteHeaderFields(b, h);
        WriteFileBytes(dir.Path("ver.qlc"), b.Get());
        CQuillcrestDoc doc;
        EXPECT_EQ(0, OpenNotebook(doc, dir.Path("ver.qlc")));
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("(framework)", prompts.boxes[0].caption);
        EXPECT_EQ(0u, prompts.boxes[0].text.find("Version stamp incompatible\n\nYou may need to upgrade your copy of Quillcrest."));
    }
}

TEST(FileFormatTest, DamagedFilesEndCleanly)
{
    CTempDir dir;
    CTestPrompts prompts;

    // A node count the file cannot hold: a file error, no allocation.
    {
        CByteBuilder b;
        b.Magic("Quillcrest File");
        CHeaderFields h;
        h.dwNodeCount = 0xFFFFFFFF;
        WriteHeaderFields(b, h);
        b.Zeros(100);
        WriteFileBytes(dir.Path("count.qlc"), b.Get());
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.Data_OpenNotebookFile(dir.Path("count.qlc")));
        EXPECT_THROW(doc.Data_ReadFile(), CFileException);
    }
    // A name without its NUL up to the end of the file.
    {
        CByteBuilder b;
        b.Magic("Quillcrest File");
        CHeaderFields h;
        h.dwNodeCount = 1;
        WriteHeaderFields(b, h);
        b.U32(0).U8(1).U8(0).U16(2).U32(1).U32(0).Zeros(56);
        for (int i = 0; i < 300; ++i)
            b.U8('n');
        WriteFileBytes(dir.Path("name.qlc"), b.Get());
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.Data_OpenNotebookFile(dir.Path("name.qlc")));
        EXPECT_THROW(doc.Data_ReadFile(), CFileException);
    }
    // A truncated header.
    {
        CByteBuilder b;
        b.Magic("Quillcrest File").U32(6).Zeros(10);
        WriteFileBytes(dir.Path("short.qlc"), b.Get());
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.Data_OpenNotebookFile(dir.Path("short.qlc")));
        EXPECT_THROW(doc.Data_ReadFile(), CFileException);
    }
    // Damaged optional sections are skipped; the notebook still opens.
    {
        CQuillcrestDoc doc;
        doc.OnNewDocument();
        const DWORD note = AddNode(doc, QLC_NODE_NOTE, "Survivor");
        AppendPayload(doc, note, Range(9, 50), 0);
        const DWORD t = doc.Data_AddTask();
        QLCTASK task;
        doc.Data_GetTask(t, task);
        task.strTitle = "keep me";
        doc.Data_SetTask(t, task);
        doc.Data_SetNotebookPath(dir.Path("good.qlc"));
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    Bytes good = ReadFileBytes(dir.Path("good.qlc"));
    auto u32At = [&](size_t off) { return (DWORD)(good[off] | (good[off + 1] << 8) | (good[off + 2] << 16) | (good[off + 3] << 24)); };
    const DWORD dwBookmarks = u32At(kHdrBookmarks);
    const DWORD dwKeywords = u32At(kHdrKeywords);
    {
        CByteBuilder b;
        b.Raw(good);
        b.PatchU32(dwBookmarks, 0x7FFFFFFF);   // bookmark count
        b.PatchU32(dwKeywords + 4, 0x10000000); // list count
        // A logo section that is not gzip at all.
        b.PatchU32(kHdrLogoOffset, 40);
        b.PatchU32(kHdrLogoLength, 60);
        WriteFileBytes(dir.Path("sections.qlc"), b.Get());
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, dir.Path("sections.qlc")));
        EXPECT_FALSE(doc.HasLogo());
        EXPECT_EQ(0, doc.Data_GetBookmarkCount());
        EXPECT_EQ(1, doc.Data_GetTaskCount());
        EXPECT_EQ(Range(9, 50), ReadStoredPayload(doc, 1));
        EXPECT_EQ((DWORD)(CQuillcrestDoc::damagedLogo | CQuillcrestDoc::damagedBookmarks |
                          CQuillcrestDoc::damagedKeywords),
                  doc.Data_GetDamagedSections());
        EXPECT_TRUE(doc.Data_GetDamagedNodes().empty());
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("These parts of the notebook are damaged and were read only in part or not at all:\n"
                  "    the logo\n    the bookmarks\n    the keywords\n\n"
                  "Everything else can be edited and saved. The file is not changed until you save it; saving "
                  "keeps whatever the file holds of the damaged nodes, as it is.",
                  prompts.boxes[0].text);
        EXPECT_EQ((UINT)(MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING), prompts.boxes[0].nType);
    }
    // A logo offset past the end of the file.
    {
        CByteBuilder b;
        b.Raw(good);
        b.PatchU32(kHdrLogoOffset, 0x7FFFFFF0);
        b.PatchU32(kHdrLogoLength, 0x7FFFFFF0);
        WriteFileBytes(dir.Path("logo.qlc"), b.Get());
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, dir.Path("logo.qlc")));
        EXPECT_FALSE(doc.HasLogo());
    }
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_NE(std::string::npos, prompts.boxes[1].text.find("the logo"));
}

TEST(FileFormatTest, AFailedSaveLeavesFileAndNotebookIntact)
{
    CTempDir dir;
    CTestPrompts prompts;
    const CString strPath = dir.Path("held.qlc");
    {
        CQuillcrestDoc doc;
        doc.OnNewDocument();
        AppendPayload(doc, AddNode(doc, QLC_NODE_NOTE, "one"), Range(1, 5000), 0);
        AppendPayload(doc, AddNode(doc, QLC_NODE_FOREIGN, "two"), Range(2, 20000), QLC_NODEFLAG_COMPRESSED);
        doc.Data_SetNotebookPath(strPath);
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    const Bytes original = ReadFileBytes(strPath);

    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, strPath));
    const std::vector<std::string> tempsBefore = ListQlcTempFiles();
    std::map<DWORD, Bytes> payloads;
    for (DWORD id : { 1u, 2u })
        payloads[id] = ReadStoredPayload(doc, id);
    const DWORD added = AddNode(doc, QLC_NODE_NOTE, "three");
    AppendPayload(doc, added, Range(3, 3000), 0);
    payloads[added] = Range(3, 3000);
    // A first save reopens the notebook shared for reading, so another
    // program can open it too.
    ASSERT_TRUE(doc.Data_WriteFile());
    const Bytes saved = ReadFileBytes(strPath);
    const DWORD late = AddNode(doc, QLC_NODE_HTML, "four");
    AppendPayload(doc, late, Range(4, 100), 0);
    payloads[late] = Range(4, 100);

    // Someone else holds the file open: it cannot be replaced.
    HANDLE hHold = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
    EXPECT_FALSE(doc.Data_WriteFile());
    EXPECT_EQ(saved, ReadFileBytes(strPath));
    EXPECT_NE(original, saved);
    EXPECT_TRUE(ListQlcTempFiles(dir.Dir()).empty()) << "the new file beside it is gone";
    for (const auto& p : payloads)
        EXPECT_EQ(p.second, ReadStoredPayload(doc, p.first)) << p.first;
    EXPECT_EQ(tempsBefore, ListQlcTempFiles());
    CloseHandle(hHold);

    // A later save writes everything.
    ASSERT_TRUE(doc.Data_WriteFile());
    for (const auto& p : payloads)
        EXPECT_EQ(p.second, ReadStoredPayload(doc, p.first)) << p.first;
    doc.Data_CloseNotebookFiles();
    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, strPath));
    EXPECT_EQ(4, back.Data_GetNodeCount());
    std::map<std::string, Bytes> byName;
    CQlcDocLock::CScoped tableLock746(back.GetLock());
    for (POSITION pos = back.GetNodeTable(tableLock746).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE n;
        CQlcDocLock::CScoped tableLock750(back.GetLock());
        back.GetNodeTable(tableLock750).GetNextAssoc(pos, dwId, n);
        byName[n.strName.GetString()] = ReadStoredPayload(back, dwId);
    }
    EXPECT_EQ(Range(1, 5000), byName["one"]);
    EXPECT_EQ(Range(2, 20000), byName["two"]);
    EXPECT_EQ(Range(3, 3000), byName["three"]);
    EXPECT_EQ(Range(4, 100), byName["four"]);
}

TEST(FileFormatTest, AWriteThatWouldPassFourGigabytesIsRefused)
{
    CTempDir dir;
    HANDLE h = CreateFileA(dir.Path("big.bin"), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    {
        CQlcFileWriter writer(h, dir.Path("big.bin"));
        writer.Seek(0xFFFFFFF0u);
        BYTE buf[32] = {};
        try
        {
            writer.Write(buf, sizeof(buf));
            FAIL() << "the write must be refused";
        }
        catch (CFileException& e)
        {
            EXPECT_EQ(ERROR_FILE_TOO_LARGE, e.m_lOsError);
        }
    }
    LARGE_INTEGER size;
    GetFileSizeEx(h, &size);
    EXPECT_EQ(0, size.QuadPart); // nothing was written
    CloseHandle(h);
}

TEST(FileFormatTest, AFailedSaveUnderAnotherNameKeepsTheOpenFile)
{
    CTempDir dir;
    CTestPrompts prompts;
    const CString strOld = dir.Path("old.qlc");
    const CString strNew = dir.Path("new.qlc");
    {
        CQuillcrestDoc doc;
        doc.OnNewDocument();
        AppendPayload(doc, AddNode(doc, QLC_NODE_NOTE, "one"), Range(5, 7000), 0);
        doc.Data_SetNotebookPath(strOld);
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    const Bytes oldBytes = ReadFileBytes(strOld);
    WriteFileBytes(strNew, Bytes{ 1, 2, 3 });

    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, strOld));
    AppendPayload(doc, AddNode(doc, QLC_NODE_FOREIGN, "two"), Range(6, 300), 0);

    HANDLE hHold = CreateFileA(strNew, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
    doc.Data_SetNotebookPath(strNew);
    EXPECT_FALSE(doc.Data_WriteFile());
    CloseHandle(hHold);

    EXPECT_EQ(strOld, doc.Data_GetNotebookPath());
    EXPECT_EQ((Bytes{ 1, 2, 3 }), ReadFileBytes(strNew));
    EXPECT_EQ(Range(5, 7000), ReadStoredPayload(doc, 1));
    EXPECT_EQ(Range(6, 300), ReadStoredPayload(doc, 2));

    // Saving under the new name works once the file is free.
    doc.Data_SetNotebookPath(strNew);
    ASSERT_TRUE(doc.Data_WriteFile());
    EXPECT_EQ(strNew, doc.Data_GetNotebookPath());
    EXPECT_EQ(oldBytes, ReadFileBytes(strOld)); // the old file is let go, untouched
    doc.Data_CloseNotebookFiles();
    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, strNew));
    EXPECT_EQ(2, back.Data_GetNodeCount());
}

TEST(FileFormatTest, AnErrorWhileSavingUnderAnotherNameKeepsTheOpenFile)
{
    CTempDir dir;
    CTestPrompts prompts;
    const CString strOld = dir.Path("old.qlc");
    {
        CQuillcrestDoc doc;
        doc.OnNewDocument();
        AddNode(doc, QLC_NODE_NOTE, "one");
        doc.Data_SetNotebookPath(strOld);
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, strOld));
    // A payload said to lie far past the end of the work file: copying fails.
    const DWORD bad = AddNode(doc, QLC_NODE_FOREIGN, "bad");
    QLCNODE n;
    doc.Data_GetNode(bad, n);
    n.dwStoredSize = 100;
    doc.Data_SetNode(bad, n);
    const QLCDATALOC loc = { 1, 1, 0, 0x10000000 };
    doc.Data_SetDataLoc(bad, loc);

    doc.Data_SetNotebookPath(dir.Path("new.qlc"));
    EXPECT_THROW(doc.Data_WriteFile(), CFileException);
    EXPECT_EQ(strOld, doc.Data_GetNotebookPath());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.Path("new.qlc")));
}
