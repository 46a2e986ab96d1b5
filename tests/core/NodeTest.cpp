// The node handle: new nodes and their defaults, tree and list entries,
// node passwords, re-encoding and copies within and between notebooks.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "CryptTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

DWORD RoundUp(size_t n, DWORD dwBlock)
{
    return (DWORD)((n + dwBlock - 1) / dwBlock * dwBlock);
}

void SetKeywords(CQuillcrestDoc& doc, DWORD dwNodeId, std::initializer_list<const char*> words)
{
    QLCNODE_KEYWORDS keywords;
    keywords.dwNodeId = dwNodeId;
    for (const char* w : words)
        keywords.keywordIds.push_back(doc.Data_GetKeywordId(w));
    doc.Data_SetNodeKeywords(dwNodeId, keywords);
}

std::vector<std::string> KeywordTexts(const CQuillcrestDoc& doc, DWORD dwNodeId)
{
    std::vector<std::string> texts;
    QLCNODE_KEYWORDS keywords;
    if (!doc.Data_GetNodeKeywords(dwNodeId, keywords))
        return texts;
    for (DWORD dwId : keywords.keywordIds)
    {
        CString str;
        texts.push_back(doc.Data_GetKeywordText(dwId, str) ? std::string(str) : std::string("?"));
    }
    return texts;
}

void LinkTask(CQuillcrestDoc& doc, DWORD dwNodeId, BOOL bLinked = TRUE)
{
    const DWORD dwTask = doc.Data_AddTask();
    QLCTASK task;
    doc.Data_GetTask(dwTask, task);
    task.dwFlags = bLinked ? (DWORD)QLC_TASKFLAG_LINKED : 0;
    task.dwLinkedNodeId = dwNodeId;
    doc.Data_SetTask(dwTask, task);
}

// The gzip stream inside an enciphered payload, deciphered by the test.
Bytes GzipInside(CCryptDLLHandler& crypt, const CQuillcrestDoc& doc, DWORD dwNodeId, LPCSTR lpszPassword)
{
    QLCNODE node;
    doc.Data_GetNode(dwNodeId, node);
    const CEnvelopeParts parts = SplitEnvelope(ReadStoredPayload(doc, dwNodeId), node.dwVerifierLength);
    Bytes gz = DecipherChunks(crypt, node.dwCipherId, node.dwHashId, node.dwKeyLength, lpszPassword, parts.ciphertext);
    EXPECT_EQ(RoundUp(parts.dwDataLength, node.dwCipherId == kAes ? 16 : 8), parts.dwCipherLength);
    gz.resize(parts.dwDataLength);
    return gz;
}

CString Save(CQuillcrestDoc& doc, const CTempDir& dir, LPCSTR lpszName)
{
    const CString strPath = dir.Path(lpszName);
    doc.Data_SetNotebookPath(strPath);
    EXPECT_TRUE(doc.Data_WriteFile());
    return strPath;
}

// A copy of a saved notebook that another document can open while the
// saving one keeps its file.
CString Snapshot(const CTempDir& dir, LPCSTR lpszPath, LPCSTR lpszName)
{
    const CString strCopy = dir.Path(lpszName);
    WriteFileBytes(strCopy, ReadFileBytes(lpszPath));
    return strCopy;
}

} // namespace

TEST(NodeTest, CreateGivesEachTypeItsIconAndName)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const struct
    {
        BYTE nType;
        WORD wIcon;
        const char* name;
    } expected[] = { { 0, 3, "New Folder" }, { 1, 2, "New Note" }, { 3, 6, "New Image" },
                     { 4, 7, "New HTML" },   { 6, 8, "New Foreign Data" }, { 2, 0, "" }, { 5, 0, "" } };
    for (const auto& e : expected)
    {
        SCOPED_TRACE((int)e.nType);
        CQlcNode node;
        ASSERT_TRUE(node.Create(&doc, e.nType, nullptr, 0));
        EXPECT_TRUE(node.IsValid());
        QLCNODE record;
        ASSERT_TRUE(doc.Data_GetNode(node.GetId(), record));
        EXPECT_EQ(e.nType, record.nType);
        EXPECT_EQ(e.wIcon, record.wIcon);
        EXPECT_STREQ(e.name, record.strName);
        EXPECT_STREQ(e.name, node.GetName());
        EXPECT_EQ(e.nType == 0, node.IsFolder());
        EXPECT_EQ(e.nType == 1 || e.nType == 3 || e.nType == 4 || e.nType == 6, (bool)node.HasDataType());
        EXPECT_FALSE(node.HasData());
    }

    CQlcNode named;
    ASSERT_TRUE(named.Create(&doc, QLC_NODE_NOTE, "Shopping", 3));
    EXPECT_STREQ("Shopping", named.GetName());
    EXPECT_EQ(3u, named.GetParentId());
    const DWORD dwCount = doc.GetHeader().dwNodeCount;
    EXPECT_TRUE(named.Create(&doc, QLC_NODE_FOLDER, "again", 0)); // a valid handle stays as it is
    EXPECT_EQ(dwCount, doc.GetHeader().dwNodeCount);
    EXPECT_STREQ("Shopping", named.GetName());

    CQlcNode invalid;
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(255, invalid.GetType());
    EXPECT_EQ(nullptr, invalid.GetName());
    EXPECT_EQ(0u, invalid.GetId());
    EXPECT_EQ(nullptr, invalid.GetDataForRead());
    EXPECT_EQ(nullptr, invalid.GetDataForWrite(TRUE));
    EXPECT_FALSE(invalid.Open(&doc, 9999));
    EXPECT_FALSE(invalid.CheckPassword("x"));
    EXPECT_TRUE(CQlcNode::IsFolderType(0));
    EXPECT_FALSE(CQlcNode::IsDataType(0));
    EXPECT_FALSE(CQlcNode::IsDataType(2));
    EXPECT_TRUE(CQlcNode::IsDataType(6));
}

TEST(NodeTest, TreeAndListEntriesShowEncryptionBeforeATask)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcNode plain, tasked, encrypted, unlinked;
    plain.Create(&doc, QLC_NODE_NOTE, "plain", 0);
    tasked.Create(&doc, QLC_NODE_IMAGE, "tasked", 0);
    encrypted.Create(&doc, QLC_NODE_NOTE, "encrypted", 0);
    unlinked.Create(&doc, QLC_NODE_NOTE, "unlinked", 0);
    LinkTask(doc, tasked.GetId());
    LinkTask(doc, encrypted.GetId());
    LinkTask(doc, unlinked.GetId(), FALSE); // a task that was unlinked
    QLCNODE record;
    doc.Data_GetNode(encrypted.GetId(), record);
    record.dwFlags = QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED;
    doc.Data_SetNode(encrypted.GetId(), record);

    const struct
    {
        DWORD dwId;
        UINT nState;
    } expected[] = { { plain.GetId(), 0 },
                     { tasked.GetId(), INDEXTOOVERLAYMASK(5) },
                     { encrypted.GetId(), INDEXTOOVERLAYMASK(4) },
                     { unlinked.GetId(), 0 } };
    for (const auto& e : expected)
    {
        SCOPED_TRACE(e.dwId);
        CQlcNode node(&doc, e.dwId);
        TVINSERTSTRUCTA tvis = {};
        node.GetInsertStruct(tvis);
        EXPECT_EQ((UINT)(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM), tvis.item.mask);
        EXPECT_STREQ(node.GetName(), tvis.item.pszText);
        EXPECT_EQ(node.GetRecord().wIcon, tvis.item.iImage);
        EXPECT_EQ(node.GetRecord().wIcon, tvis.item.iSelectedImage);
        EXPECT_EQ((LPARAM)e.dwId, tvis.item.lParam);
        EXPECT_EQ((UINT)TVIS_OVERLAYMASK, tvis.item.stateMask);
        EXPECT_EQ(e.nState, tvis.item.state);

        LVITEMA item = {};
        node.GetListItem(item);
        EXPECT_EQ((UINT)(LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_PARAM), item.mask);
        EXPECT_EQ(0, item.iSubItem);
        EXPECT_STREQ(node.GetName(), item.pszText);
        EXPECT_EQ(node.GetRecord().wIcon, item.iImage);
        EXPECT_EQ((LPARAM)e.dwId, item.lParam);
        EXPECT_EQ((UINT)LVIS_OVERLAYMASK, item.stateMask);
        EXPECT_EQ(e.nState, item.state);
    }
    EXPECT_TRUE(tasked.HasTask());
    EXPECT_FALSE(plain.HasTask());
    EXPECT_FALSE(unlinked.HasTask());
}

TEST(NodeTest, UpdateAndPasswordsKeepTheModifiedFlagWhenAsked)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcNode node;
    node.Create(&doc, QLC_NODE_NOTE, "n", 0);
    doc.SetModified(FALSE);

    node.SetName("renamed");
    node.SetParent(7);
    QLCNODE record;
    doc.Data_GetNode(node.GetId(), record);
    EXPECT_STREQ("n", record.strName); // only the copy changed so far
    node.Update(FALSE);
    EXPECT_FALSE(doc.GetModifiedFlag());
    doc.Data_GetNode(node.GetId(), record);
    EXPECT_STREQ("renamed", record.strName);
    EXPECT_EQ(7u, record.dwParentId);

    EXPECT_FALSE(node.HasPassword());
    EXPECT_TRUE(node.GetPassword().IsEmpty());
    node.SetPassword(TRUE, "pw");
    EXPECT_FALSE(doc.GetModifiedFlag());
    EXPECT_TRUE(node.HasPassword());
    EXPECT_STREQ("pw", node.GetPassword());
    CQlcNode again(&doc, node.GetId());
    EXPECT_STREQ("pw", again.GetPassword());
    node.SetPassword(FALSE, "ignored");
    EXPECT_TRUE(node.GetPassword().IsEmpty());

    node.Update(TRUE);
    EXPECT_TRUE(doc.GetModifiedFlag());
}

TEST(NodeTest, CheckPasswordNeedsTheRightPasswordAndTheLibrary)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcNode node;
    node.Create(&doc, QLC_NODE_NOTE, "secret", 0);
    ASSERT_TRUE(node.SetEncryption(kAes, 32, kSha256, "right", 5, nullptr, 0));
    ASSERT_TRUE(WriteNodeData(doc, node.GetId(), TextBytes(3000), TRUE));

    CQlcNode check(&doc, node.GetId());
    EXPECT_TRUE(check.CheckPassword("right"));
    EXPECT_FALSE(check.CheckPassword("Right"));
    EXPECT_FALSE(check.CheckPassword(""));

    // A cipher the library refuses.
    QLCNODE record = check.GetRecord();
    record.dwCipherId = 0x999;
    doc.Data_SetNode(node.GetId(), record);
    EXPECT_FALSE(CQlcNode(&doc, node.GetId()).CheckPassword("right"));
    record.dwCipherId = kAes;
    doc.Data_SetNode(node.GetId(), record);

    // No key length: not an encrypted node.
    CQlcNode plain;
    plain.Create(&doc, QLC_NODE_NOTE, "plain", 0);
    EXPECT_FALSE(plain.CheckPassword(""));

    crypt.handler.Unload();
    EXPECT_FALSE(CQlcNode(&doc, node.GetId()).CheckPassword("right"));
}

TEST(NodeTest, ReencodingChainKeepsTheContentByteForByte)
{
    CCryptInstall crypt;
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    // Text and noise, so the gzip length is no multiple of either block.
    Bytes data = TextBytes(120000, 5);
    const Bytes noise = NoiseBytes(80003, 5);
    data.insert(data.end(), noise.begin(), noise.end());

    CQlcNode created;
    created.Create(&doc, QLC_NODE_FOREIGN, "chain", 0);
    const DWORD dwId = created.GetId();
    ASSERT_TRUE(WriteNodeData(doc, dwId, data, TRUE));
    // From the saved file, so the first step reads the source file.
    const CString strPath = Save(doc, dir, "chain.qlc");
    const Bytes gz = ReadStoredPayload(doc, dwId);
    ASSERT_EQ(data, Gunzip(gz));
    ASSERT_NE(0u, gz.size() % 8);

    // plain -> AES with one password
    {
        CQlcNode node(&doc, dwId);
        ASSERT_TRUE(node.SetEncryption(kAes, 32, kSha256, "first", 5, nullptr, 0));
        EXPECT_TRUE(node.HasPassword());
        EXPECT_STREQ("first", node.GetPassword());
    }
    QLCNODE record;
    doc.Data_GetNode(dwId, record);
    EXPECT_EQ(QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED, record.dwFlags);
    EXPECT_EQ(kAes, record.dwCipherId);
    EXPECT_EQ(32u, record.dwKeyLength);
    EXPECT_EQ(kSha256, record.dwHashId);
    EXPECT_EQ(VerifierOf(crypt.handler, kAes, kSha256, 32, "first").size(), record.dwVerifierLength);
    EXPECT_EQ(data.size(), record.dwPlainSize);
    EXPECT_EQ(gz, GzipInside(crypt.handler, doc, dwId, "first"));
    EXPECT_TRUE(CQlcNode(&doc, dwId).CheckPassword("first"));
    EXPECT_EQ(data, ReadNodeData(doc, dwId));

    // AES -> Blowfish with another password (blocks of 16 and 8 in one chunk)
    {
        CQlcNode node(&doc, dwId);
        ASSERT_TRUE(node.SetEncryption(kBlowfish, 40, kSha1, "second", 6, "first", 5));
    }
    doc.Data_GetNode(dwId, record);
    EXPECT_EQ(kBlowfish, record.dwCipherId);
    EXPECT_EQ(40u, record.dwKeyLength);
    EXPECT_EQ(kSha1, record.dwHashId);
    EXPECT_EQ(gz, GzipInside(crypt.handler, doc, dwId, "second"));
    EXPECT_FALSE(CQlcNode(&doc, dwId).CheckPassword("first"));
    EXPECT_TRUE(CQlcNode(&doc, dwId).CheckPassword("second"));
    EXPECT_EQ(data, ReadNodeData(doc, dwId));

    // Blowfish -> AES again with the same password (one block size up)
    {
        CQlcNode node(&doc, dwId);
        ASSERT_TRUE(node.SetEncryption(kAes, 16, kSha1, "second", 6, "second", 6));
    }
    EXPECT_EQ(gz, GzipInside(crypt.handler, doc, dwId, "second"));

    // -> plain: exactly the original gzip stream again
    {
        CQlcNode node(&doc, dwId);
        ASSERT_TRUE(node.SetEncryption(0, 0, 0, "", 0, "second", 6));
        EXPECT_FALSE(node.HasPassword());
    }
    doc.Data_GetNode(dwId, record);
    EXPECT_EQ(QLC_NODEFLAG_COMPRESSED, record.dwFlags);
    EXPECT_EQ(0u, record.dwCipherId);
    EXPECT_EQ(0u, record.dwKeyLength);
    EXPECT_EQ(0u, record.dwVerifierLength);
    EXPECT_EQ(gz, ReadStoredPayload(doc, dwId));
    EXPECT_EQ(data, ReadNodeData(doc, dwId));

    // Plain again is no change at all.
    const DWORD dwStored = record.dwStoredSize;
    EXPECT_TRUE(CQlcNode(&doc, dwId).SetEncryption(0, 0, 0, "", 0, "", 0));
    doc.Data_GetNode(dwId, record);
    EXPECT_EQ(dwStored, record.dwStoredSize);
}

TEST(NodeTest, AnUncompressedPayloadIsEncipheredAsItIs)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcNode image;
    image.Create(&doc, QLC_NODE_IMAGE, "photo", 0);
    const Bytes jpeg = NoiseBytes(33333, 8); // already compressed bytes
    ASSERT_TRUE(WriteNodeData(doc, image.GetId(), jpeg, FALSE));

    ASSERT_TRUE(CQlcNode(&doc, image.GetId()).SetEncryption(kBlowfish, 16, kSha1, "p", 1, nullptr, 0));
    QLCNODE record;
    doc.Data_GetNode(image.GetId(), record);
    EXPECT_EQ(QLC_NODEFLAG_ENCRYPTED, record.dwFlags);
    EXPECT_EQ(jpeg.size(), record.dwPlainSize);
    EXPECT_EQ(jpeg, ReadNodeData(doc, image.GetId()));

    ASSERT_TRUE(CQlcNode(&doc, image.GetId()).SetEncryption(0, 0, 0, "", 0, "p", 1));
    doc.Data_GetNode(image.GetId(), record);
    EXPECT_EQ(0u, record.dwFlags);
    EXPECT_EQ(jpeg, ReadStoredPayload(doc, image.GetId()));
    EXPECT_EQ(jpeg, ReadNodeData(doc, image.GetId()));
}

TEST(NodeTest, AFailedReencodingChangesNothing)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcNode created;
    created.Create(&doc, QLC_NODE_NOTE, "n", 0);
    const DWORD dwId = created.GetId();
    const Bytes data = TextBytes(20000, 3);
    ASSERT_TRUE(WriteNodeData(doc, dwId, data, TRUE));
    ASSERT_TRUE(CQlcNode(&doc, dwId).SetEncryption(kAes, 32, kSha256, "pw", 2, nullptr, 0));
    QLCNODE before;
    doc.Data_GetNode(dwId, before);
    QLCDATALOC locBefore;
    doc.Data_GetDataLoc(dwId, locBefore);
    const Bytes storedBefore = ReadStoredPayload(doc, dwId);

    auto unchanged = [&]() {
        QLCNODE after;
        doc.Data_GetNode(dwId, after);
        EXPECT_EQ(before.dwFlags, after.dwFlags);
        EXPECT_EQ(before.dwCipherId, after.dwCipherId);
        EXPECT_EQ(before.dwKeyLength, after.dwKeyLength);
        EXPECT_EQ(before.dwHashId, after.dwHashId);
        EXPECT_EQ(before.dwVerifierLength, after.dwVerifierLength);
        EXPECT_EQ(before.dwStoredSize, after.dwStoredSize);
        QLCDATALOC loc;
        doc.Data_GetDataLoc(dwId, loc);
        EXPECT_EQ(locBefore.dwOffset, loc.dwOffset);
        EXPECT_EQ(storedBefore, ReadStoredPayload(doc, dwId));
        EXPECT_TRUE(CQlcNode(&doc, dwId).CheckPassword("pw"));
    };

    // The library refuses the new cipher, or its key length.
    EXPECT_FALSE(CQlcNode(&doc, dwId).SetEncryption(0x999, 16, kSha1, "new", 3, "pw", 2));
    unchanged();
    EXPECT_FALSE(CQlcNode(&doc, dwId).SetEncryption(kAes, 8, kSha1, "new", 3, "pw", 2));
    unchanged();
    {
        CQlcNode node(&doc, dwId);
        CQlcNodeData raw;
        ASSERT_TRUE(raw.Open(node, CQlcNodeData::modeRaw, FALSE));
        DWORD dwVerifier = 12345;
        EXPECT_FALSE(raw.ChangeEncryption(0x999, 16, kSha1, "new", 3, dwVerifier, "pw", 2));
        EXPECT_EQ(0u, dwVerifier);
    }
    unchanged();

    // A wrong old password would turn the payload into noise: refused.
    EXPECT_FALSE(CQlcNode(&doc, dwId).SetEncryption(kBlowfish, 16, kSha1, "new", 3, "wrong", 5));
    unchanged();
    EXPECT_FALSE(CQlcNode(&doc, dwId).SetEncryption(0, 0, 0, "", 0, "wrong", 5));
    unchanged();

    // Without the library nothing can change.
    crypt.handler.Unload();
    EXPECT_FALSE(CQlcNode(&doc, dwId).SetEncryption(0, 0, 0, "", 0, "pw", 2));
    ASSERT_TRUE(crypt.handler.Load());
    unchanged();
    RememberPassword(doc, dwId, "pw");
    EXPECT_EQ(data, ReadNodeData(doc, dwId));
}

TEST(NodeTest, CopyWithinANotebookSharesThePayloadUntilSaved)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcNode source;
    source.Create(&doc, QLC_NODE_NOTE, "original", 0);
    const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, "folder");
    source.SetParent(dwFolder);
    source.Update(TRUE);
    const Bytes data = TextBytes(25000, 6);
    ASSERT_TRUE(WriteNodeData(doc, source.GetId(), data, TRUE));
    SetKeywords(doc, source.GetId(), { "Alpha", "beta" });
    source.Open(&doc, source.GetId());

    CQlcNode copy;
    ASSERT_TRUE(copy.CopyTo(&doc, source));
    EXPECT_FALSE(copy.CopyTo(&doc, source)); // only an invalid handle becomes a copy
    ASSERT_TRUE(copy.IsValid());
    EXPECT_NE(source.GetId(), copy.GetId());
    EXPECT_EQ(0u, copy.GetParentId());
    EXPECT_STREQ("original", copy.GetName());
    EXPECT_EQ(source.GetRecord().dwFlags, copy.GetRecord().dwFlags);
    EXPECT_EQ(source.GetDataSize(), copy.GetDataSize());
    EXPECT_EQ(source.GetPlainSize(), copy.GetPlainSize());

    QLCDATALOC locSource, locCopy;
    doc.Data_GetDataLoc(source.GetId(), locSource);
    doc.Data_GetDataLoc(copy.GetId(), locCopy);
    EXPECT_EQ(locSource.dwOffset, locCopy.dwOffset);
    EXPECT_EQ(locSource.bInWorkFile, locCopy.bInWorkFile);
    EXPECT_EQ(1u, locCopy.bTakenOver);

    QLCNODE_KEYWORDS kwSource, kwCopy;
    doc.Data_GetNodeKeywords(source.GetId(), kwSource);
    ASSERT_TRUE(doc.Data_GetNodeKeywords(copy.GetId(), kwCopy));
    EXPECT_EQ(kwSource.keywordIds, kwCopy.keywordIds);
    EXPECT_EQ(copy.GetId(), kwCopy.dwNodeId);
    EXPECT_EQ(data, ReadNodeData(doc, copy.GetId()));

    // A save writes the payload twice; each node then has its own.
    const CString strPath = Save(doc, dir, "copies.qlc");
    doc.Data_GetDataLoc(source.GetId(), locSource);
    doc.Data_GetDataLoc(copy.GetId(), locCopy);
    EXPECT_NE(locSource.dwOffset, locCopy.dwOffset);
    EXPECT_EQ(ReadStoredPayload(doc, source.GetId()), ReadStoredPayload(doc, copy.GetId()));

    CQuillcrestDoc reread;
    ASSERT_EQ(1, OpenNotebook(reread, Snapshot(dir, strPath, "copies2.qlc")));
    EXPECT_EQ(2u + 1u, reread.GetHeader().dwNodeCount);
    for (DWORD dwId = 1; dwId <= 3; ++dwId)
    {
        CQlcNode node(&reread, dwId);
        if (node.GetType() == QLC_NODE_NOTE)
        {
            EXPECT_EQ(data, ReadNodeData(reread, dwId));
        }
    }

    // Writing the copy leaves the original alone.
    ASSERT_TRUE(WriteNodeData(doc, copy.GetId(), TextBytes(10, 1), TRUE));
    EXPECT_EQ(data, ReadNodeData(doc, source.GetId()));
    EXPECT_EQ(TextBytes(10, 1), ReadNodeData(doc, copy.GetId()));
}

TEST(NodeTest, CopyToAnotherNotebookKeepsTheStoredBytesAndMapsKeywords)
{
    CCryptInstall crypt;
    CTempDir dir;

    // The source notebook, saved and opened again so payloads lie in its file.
    CString strSource;
    DWORD dwSecret = 0, dwImage = 0, dwRawSecret = 0;
    const Bytes text = TextBytes(45000, 2);
    const Bytes jpeg = NoiseBytes(20001, 4);
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        CQlcNode secret;
        secret.Create(&doc, QLC_NODE_NOTE, "secret", 0);
        ASSERT_TRUE(secret.SetEncryption(kBlowfish, 24, kSha1, "pw", 2, nullptr, 0));
        ASSERT_TRUE(WriteNodeData(doc, secret.GetId(), text, TRUE));
        SetKeywords(doc, secret.GetId(), { "shared", "only-here" });
        CQlcNode image;
        image.Create(&doc, QLC_NODE_IMAGE, "photo", 0);
        ASSERT_TRUE(WriteNodeData(doc, image.GetId(), jpeg, FALSE)); // stored as it is
        CQlcNode rawSecret;
        rawSecret.Create(&doc, QLC_NODE_IMAGE, "hidden photo", 0);
        ASSERT_TRUE(WriteNodeData(doc, rawSecret.GetId(), jpeg, FALSE));
        ASSERT_TRUE(CQlcNode(&doc, rawSecret.GetId()).SetEncryption(kAes, 32, kSha256, "img", 3, nullptr, 0));
        strSource = Save(doc, dir, "source.qlc");
        doc.Data_CloseNotebookFiles();
    }
    CQuillcrestDoc source;
    ASSERT_EQ(1, OpenNotebook(source, strSource));
    CQlcDocLock::CScoped tableLock520(source.GetLock());
    for (POSITION pos = source.GetNodeTable(tableLock520).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE node;
        CQlcDocLock::CScoped tableLock524(source.GetLock());
        source.GetNodeTable(tableLock524).GetNextAssoc(pos, dwId, node);
        if (node.strName == "secret")
            dwSecret = dwId;
        else if (node.strName == "photo")
            dwImage = dwId;
        else
            dwRawSecret = dwId;
    }

    CQuillcrestDoc target;
    ASSERT_TRUE(target.OnNewDocument());
    const DWORD dwOther = AddNode(target, QLC_NODE_NOTE, "other");
    SetKeywords(target, dwOther, { "zeta", "eta", "shared" }); // ids differ from the source's
    QLCNODE_KEYWORDS before;
    target.Data_GetNodeKeywords(dwOther, before);

    for (DWORD dwSourceId : { dwSecret, dwImage, dwRawSecret })
    {
        SCOPED_TRACE(dwSourceId);
        CQlcNode from(&source, dwSourceId);
        CQlcNode copy;
        ASSERT_TRUE(copy.CopyTo(&target, from));
        EXPECT_EQ(&target, copy.GetDocument());
        const QLCNODE& s = from.GetRecord();
        const QLCNODE& c = copy.GetRecord();
        EXPECT_EQ(s.dwFlags, c.dwFlags);
        EXPECT_EQ(s.dwCipherId, c.dwCipherId);
        EXPECT_EQ(s.dwHashId, c.dwHashId);
        EXPECT_EQ(s.dwKeyLength, c.dwKeyLength);
        EXPECT_EQ(s.dwVerifierLength, c.dwVerifierLength);
        EXPECT_EQ(s.dwStoredSize, c.dwStoredSize);
        EXPECT_EQ(s.dwPlainSize, c.dwPlainSize);
        EXPECT_EQ(ReadStoredPayload(source, dwSourceId), ReadStoredPayload(target, copy.GetId()));
        QLCDATALOC loc;
        target.Data_GetDataLoc(copy.GetId(), loc);
        EXPECT_EQ(1u, loc.bInWorkFile);
        EXPECT_EQ(0u, loc.bTakenOver);

        if (dwSourceId == dwSecret)
        {
            EXPECT_TRUE(copy.CheckPassword("pw"));
            RememberPassword(target, copy.GetId(), "pw");
            EXPECT_EQ(text, ReadNodeData(target, copy.GetId()));
            EXPECT_EQ((std::vector<std::string>{ "shared", "only-here" }), KeywordTexts(target, copy.GetId()));
        }
        else if (dwSourceId == dwImage)
        {
            EXPECT_EQ(0u, c.dwFlags); // an uncompressed image stays uncompressed
            EXPECT_EQ(jpeg, ReadNodeData(target, copy.GetId()));
        }
        else
        {
            EXPECT_EQ(QLC_NODEFLAG_ENCRYPTED, c.dwFlags);
            RememberPassword(target, copy.GetId(), "img");
            EXPECT_EQ(jpeg, ReadNodeData(target, copy.GetId()));
        }
    }
    // The target's own keyword list is as it was; "shared" kept its id.
    QLCNODE_KEYWORDS after;
    target.Data_GetNodeKeywords(dwOther, after);
    EXPECT_EQ(before.keywordIds, after.keywordIds);
    EXPECT_EQ(4, target.Data_GetKeywordCount());

    // Saved and read back, the copies still decode.
    const CString strTarget = Save(target, dir, "target.qlc");
    target.Data_CloseNotebookFiles();
    CQuillcrestDoc reread;
    ASSERT_EQ(1, OpenNotebook(reread, strTarget));
    int nChecked = 0;
    CQlcDocLock::CScoped tableLock593(reread.GetLock());
    for (POSITION pos = reread.GetNodeTable(tableLock593).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE node;
        CQlcDocLock::CScoped tableLock597(reread.GetLock());
        reread.GetNodeTable(tableLock597).GetNextAssoc(pos, dwId, node);
        if (node.strName == "secret")
        {
            RememberPassword(reread, dwId, "pw");
            EXPECT_EQ(text, ReadNodeData(reread, dwId));
            ++nChecked;
        }
        else if (node.strName == "photo")
        {
            EXPECT_EQ(jpeg, ReadNodeData(reread, dwId));
            ++nChecked;
        }
    }
    EXPECT_EQ(2, nChecked);
}

TEST(NodeTest, NodeKeywordListsDropKeywordsNoOneUses)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD a = AddNode(doc, QLC_NODE_NOTE, "a");
    const DWORD b = AddNode(doc, QLC_NODE_NOTE, "b");
    SetKeywords(doc, a, { "one", "two", "three" });
    SetKeywords(doc, b, { "two" });
    SetKeywords(doc, a, { "three" });
    CString str;
    EXPECT_EQ(2, doc.Data_GetKeywordCount()); // "one" went, "two" is b's
    EXPECT_EQ((std::vector<std::string>{ "three" }), KeywordTexts(doc, a));
    EXPECT_EQ((std::vector<std::string>{ "two" }), KeywordTexts(doc, b));
}
