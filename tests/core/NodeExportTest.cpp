// Node export without windows: branches written to folders and files by the
// batch export (the test thread plays the processing dialog and answers
// its questions), the single export with its save dialog answered, names
// from notebooks kept inside the destination, and images written as stored.
#include "core/CExportHelper.h"
#include "core/CNodeBatchExport.h"
#include "core/CNodeSingleExport.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/CTextConvLib.h"
#include "core/res/CoreRes.h"

#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"

#include "CryptTestSupport.h"
#include "DocOpsSupport.h"
#include "JobTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

const char kRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Exported note\\par}";

Bytes BytesOf(const char* lpsz)
{
    return Bytes(lpsz, lpsz + strlen(lpsz));
}

// A node of the type with this payload (stored compressed).
DWORD AddWithData(CQuillcrestDoc& doc, BYTE nType, LPCSTR lpszName, DWORD dwParent, const Bytes& data)
{
    const DWORD dwId = AddNode(doc, nType, lpszName, dwParent);
    EXPECT_TRUE(WriteNodeData(doc, dwId, data, TRUE));
    return dwId;
}

DWORD AddImage(CQuillcrestDoc& doc, const CTempDir& source, LPCSTR lpszFile, const Bytes& file, DWORD dwParent)
{
    WriteFileBytes(source.Path(lpszFile), file);
    const DWORD dwId = doc.Data_AddImageFromFile(source.Path(lpszFile), 0, FALSE);
    EXPECT_NE(0u, dwId) << lpszFile;
    CQlcNode node(&doc, dwId);
    node.SetParent(dwParent);
    node.Update(TRUE);
    return dwId;
}

// Every entry of a folder (files and folders), sorted.
std::vector<std::string> ListEntries(LPCSTR lpszDir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((std::string(lpszDir) + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0)
            names.push_back(fd.cFileName);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

BOOL Exists(LPCSTR lpszPath)
{
    return ::GetFileAttributesA(lpszPath) != INVALID_FILE_ATTRIBUTES;
}

// The order in which the batch export comes to the nodes: the node map's,
// a folder's contents where the folder comes.
void WalkOrder(const CQuillcrestDoc& doc, DWORD dwParent, std::vector<DWORD>& order)
{
    CQlcDocLock::CScoped tableLock81(doc.GetLock());
    for (POSITION pos = doc.GetNodeTable(tableLock81).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE node;
        CQlcDocLock::CScoped tableLock85(doc.GetLock());
        doc.GetNodeTable(tableLock85).GetNextAssoc(pos, dwId, node);
        if (node.dwParentId != dwParent || dwId == dwParent)
            continue;
        order.push_back(dwId);
        if (node.nType == QLC_NODE_FOLDER)
            WalkOrder(doc, dwId, order);
    }
}

// Where a note is written below the destination: its folders, then its
// name with ".rtf".
std::string NotePath(const CQuillcrestDoc& doc, const CString& strDest, DWORD dwId)
{
    QLCNODE node;
    doc.Data_GetNode(dwId, node);
    std::string path = std::string((LPCSTR)node.strName) + ".rtf";
    for (DWORD dwParent = node.dwParentId; dwParent != 0; dwParent = node.dwParentId)
    {
        doc.Data_GetNode(dwParent, node);
        path = std::string((LPCSTR)node.strName) + "\\" + path;
    }
    return std::string((LPCSTR)strDest) + "\\" + path;
}

// A raw Windows metafile drawn by GDI.
Bytes MakeWmf()
{
    HDC hdc = ::CreateMetaFileA(nullptr);
    ::Rectangle(hdc, 0, 0, 60, 40);
    HMETAFILE hmf = ::CloseMetaFile(hdc);
    Bytes bytes(::GetMetaFileBitsEx(hmf, 0, nullptr));
    ::GetMetaFileBitsEx(hmf, (UINT)bytes.size(), bytes.data());
    ::DeleteMetaFile(hmf);
    return bytes;
}

// An EPS file that holds only a TIFF preview.
Bytes MakeEpsWithTiff(const Bytes& tiff)
{
    CByteBuilder b;
    b.U32(0xC6D3D0C5).U32(0).U32(0).U32(0).U32(0).U32(30).U32((DWORD)tiff.size()).U16(0xFFFF).Raw(tiff);
    return b.Get();
}

// The single export's job run by the test thread instead of the dialog.
void PlayJobs(CJobTestServices& services)
{
    services.runJob = [](CNodeProcess& job) -> INT_PTR {
        CJobPlayer player(job);
        EXPECT_TRUE(player.Play());
        EXPECT_TRUE(player.requests.empty());
        return IDOK;
    };
}

class NodeExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(doc.OnNewDocument());
        m_strDest = source.Path("out");
    }
    // Plays the batch export to the destination.
    bool Export(CJobPlayer& player, CNodeBatchExport& job)
    {
        job.SetDestination(m_strDest);
        return player.Play();
    }

    CTempDir source;
    CJobTestServices services;
    CBuiltInConverters converters;
    CTestPrompts prompts;
    CQuillcrestDoc doc;
    CString m_strDest;
};

} // namespace

// --- Lookups ----------------------------------------------------------------------------

TEST(NodeExportLookupTest, StoredImagesKeepTheExtensionOfWhatTheyAre)
{
    struct CCase
    {
        int nCode;
        LPCSTR lpszName, lpszExpected;
    } cases[] = {
        { PL_FT_EPSTIFF, "drawing", "drawing.eps" }, { PL_FT_WMF, "clip", "clip.wmf" },
        { PL_FT_WMF, "clip.WMF", "clip.WMF" },       { PL_FT_EMF, "clip", "clip.emf" },
        { PL_FT_TIFF, "scan", "scan.tif" },          { PL_FT_PNG, "x.png", "x.png" },
        { PL_FT_JPEG, "x.jpeg", "x.jpeg.jpg" },      { PL_FT_PPM, "raw", "raw" },
        { PL_FT_UNKNOWN, "odd", "odd" },
    };
    for (const CCase& c : cases)
        EXPECT_STREQ(c.lpszExpected, CExportHelper::ForceStoredExtension(c.nCode, c.lpszName)) << c.nCode;
}

TEST(NodeExportLookupTest, NamesFromNotebooksBecomeOneFileNameInsideTheFolder)
{
    struct CCase
    {
        LPCSTR lpszName, lpszSafe;
    } cases[] = {
        { "plain name", "plain name" }, { "..\\evil", ".._evil" },    { "..\\..\\x", ".._.._x" },
        { "C:\\x", "C__x" },            { "/etc/passwd", "_etc_passwd" }, { "a*b?c\"d<e>f|g:h", "a_b_c_d_e_f_g_h" },
        { ".", "Unnamed" },             { "..", "Unnamed" },            { "", "Unnamed" },
        { "...", "Unnamed" },           { " . ", "Unnamed" },           { "name. . ", "name" },
        { "tab\there", "tab_here" },    { "CON", "_CON" },              { "con", "_con" },
        { "NUL.txt", "_NUL.txt" },      { "nul .txt", "_nul .txt" },    { "COM1", "_COM1" },
        { "LPT9.doc", "_LPT9.doc" },    { "COM10", "COM10" },           { "CONSOLE", "CONSOLE" },
        { "PRN", "_PRN" },              { "AUX", "_AUX" },              { "conin$", "_conin$" },
        { ".hidden", ".hidden" },
    };
    for (const CCase& c : cases)
        EXPECT_STREQ(c.lpszSafe, CExportHelper::MakeSafeFileName(c.lpszName)) << c.lpszName;
    EXPECT_STREQ("Unnamed", CExportHelper::MakeSafeFileName(nullptr));
}

// --- Batch export -------------------------------------------------------------------------

TEST_F(NodeExportTest, ABranchBecomesFoldersAndFilesWithTheirBytes)
{
    const Bytes png = EncodeTestPicture(7, 12, 8, 3);
    const Bytes data = NoiseBytes(5000, 7);
    const Bytes html = BytesOf("<html><body>page</body></html>");
    const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, "A");
    AddWithData(doc, QLC_NODE_NOTE, "n", dwFolder, BytesOf(kRtf));
    AddWithData(doc, QLC_NODE_FOREIGN, "f", dwFolder, data);
    AddImage(doc, source, "i.png", png, dwFolder);
    AddWithData(doc, QLC_NODE_NOTE, "top", 0, BytesOf(kRtf));
    AddWithData(doc, QLC_NODE_HTML, "page", 0, html);
    AddNode(doc, QLC_NODE_FOLDER, "empty folder");

    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    ASSERT_TRUE(Export(player, job));

    EXPECT_TRUE(player.requests.empty());
    EXPECT_EQ("", std::string((LPCSTR)job.GetFailure()));
    EXPECT_EQ(BytesOf(kRtf), ReadFileBytes(m_strDest + "\\A\\n.rtf"));
    EXPECT_EQ(data, ReadFileBytes(m_strDest + "\\A\\f.dat"));
    EXPECT_EQ(png, ReadFileBytes(m_strDest + "\\A\\i.png"));
    EXPECT_EQ(BytesOf(kRtf), ReadFileBytes(m_strDest + "\\top.rtf"));
    EXPECT_EQ(html, ReadFileBytes(m_strDest + "\\page.htm"));
    EXPECT_TRUE(Exists(m_strDest + "\\empty folder"));
    EXPECT_EQ((std::vector<std::string>{ "A", "empty folder", "page.htm", "top.rtf" }), ListEntries(m_strDest));
    EXPECT_EQ((std::vector<std::string>{ "f.dat", "i.png", "n.rtf" }), ListEntries(m_strDest + "\\A"));
    // Every node counts, folders too, and the progress reaches the end.
    EXPECT_EQ(7, job.GetTotal());
    EXPECT_EQ(7, job.GetCurrent());
    EXPECT_FLOAT_EQ(1.0f, job.GetProgress());
    EXPECT_NE(std::string::npos, std::string((LPCSTR)job.GetStatusText()).find(" of 7..."));
    // Nothing asked through the core's own prompts (no window on the worker).
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(NodeExportTest, AnExistingFileIsAskedAboutAndNoKeepsIt)
{
    const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, "F");
    const DWORD dwFirst = AddWithData(doc, QLC_NODE_NOTE, "dup", dwFolder, BytesOf("{\\rtf1 first}"));
    const DWORD dwSecond = AddWithData(doc, QLC_NODE_NOTE, "dup", dwFolder, BytesOf("{\\rtf1 second}"));
    std::vector<DWORD> order;
    WalkOrder(doc, 0, order);
    const BOOL bFirstGoesFirst = std::find(order.begin(), order.end(), dwFirst) < std::find(order.begin(), order.end(), dwSecond);
    const Bytes written1 = bFirstGoesFirst ? BytesOf("{\\rtf1 first}") : BytesOf("{\\rtf1 second}");
    const Bytes written2 = bFirstGoesFirst ? BytesOf("{\\rtf1 second}") : BytesOf("{\\rtf1 first}");
    // An image gets its extension before the question: an existing
    // "photo.png" is asked about.
    AddImage(doc, source, "photo.png", EncodeTestPicture(7, 6, 6, 1), 0);
    ::CreateDirectoryA(m_strDest, nullptr);
    WriteFileBytes(m_strDest + "\\photo.png", BytesOf("older photo"));

    for (int nAnswer : { IDNO, IDYES })
    {
        SCOPED_TRACE(nAnswer);
        ::DeleteFileA(m_strDest + "\\F\\dup.rtf");
        WriteFileBytes(m_strDest + "\\photo.png", BytesOf("older photo"));
        CNodeBatchExport job(&doc);
        CJobPlayer player(job);
        player.onQuestion = [&](const CJobRequest&) { return nAnswer; };
        ASSERT_TRUE(Export(player, job));
        ASSERT_EQ(2u, player.requests.size());
        std::vector<std::string> texts = { player.requests[0].text, player.requests[1].text };
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(std::string((LPCSTR)m_strDest) + "\\F\\dup.rtf already exists. Overwrite?", texts[0]);
        EXPECT_EQ(std::string((LPCSTR)m_strDest) + "\\photo.png already exists. Overwrite?", texts[1]);
        for (const CJobRequest& request : player.requests)
        {
            EXPECT_EQ(CJobRequest::message, request.nKind);
            EXPECT_EQ((UINT)(MB_YESNO | MB_ICONEXCLAMATION), request.nStyle);
        }
        EXPECT_EQ(nAnswer == IDYES ? written2 : written1, ReadFileBytes(m_strDest + "\\F\\dup.rtf"));
        EXPECT_EQ(nAnswer == IDYES, ReadFileBytes(m_strDest + "\\photo.png") != BytesOf("older photo"));
        // A skipped node counts as done.
        EXPECT_FLOAT_EQ(1.0f, job.GetProgress());
    }
}

TEST_F(NodeExportTest, AFileThatDiffersOnlyInCaseIsAskedAboutAndAFolderOfTheNameFailsTheNode)
{
    AddWithData(doc, QLC_NODE_NOTE, "note", 0, BytesOf(kRtf));
    AddWithData(doc, QLC_NODE_NOTE, "sub", 0, BytesOf(kRtf));
    ::CreateDirectoryA(m_strDest, nullptr);
    WriteFileBytes(m_strDest + "\\NOTE.RTF", BytesOf("older"));
    ASSERT_TRUE(::CreateDirectoryA(m_strDest + "\\sub.rtf", nullptr));

    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    player.onQuestion = [](const CJobRequest& request) {
        return request.nStyle == (UINT)(MB_YESNO | MB_ICONEXCLAMATION) ? IDNO : IDIGNORE;
    };
    ASSERT_TRUE(Export(player, job));
    ASSERT_EQ(2u, player.requests.size());
    const std::set<std::string> texts = { player.requests[0].text, player.requests[1].text };
    const std::set<std::string> expected = {
        std::string("Error exporting ") + (LPCSTR)m_strDest + "\\sub.\n\n" +
            (LPCSTR)AfxLoadText(IDS_QLC_EXPORT_NOT_COPIED),
        std::string((LPCSTR)m_strDest) + "\\note.rtf already exists. Overwrite?"
    };
    EXPECT_EQ(expected, texts);
    EXPECT_EQ(BytesOf("older"), ReadFileBytes(m_strDest + "\\NOTE.RTF"));
    EXPECT_EQ(std::vector<std::string>({ "NOTE.RTF", "sub.rtf" }), ListEntries(m_strDest));
}

TEST_F(NodeExportTest, AFailingNodeIsAskedAboutAndRetryIgnoreOrAbortAnswered)
{
    const DWORD dwA = AddNode(doc, QLC_NODE_FOLDER, "A");
    const DWORD dwB = AddNode(doc, QLC_NODE_FOLDER, "B", dwA);
    AddWithData(doc, QLC_NODE_NOTE, "b1", dwB, BytesOf(kRtf));
    const DWORD dwOdd = AddNode(doc, 9, "odd", dwB); // a type nothing can write
    AddWithData(doc, QLC_NODE_NOTE, "b2", dwB, BytesOf(kRtf));
    AddWithData(doc, QLC_NODE_NOTE, "a1", dwA, BytesOf(kRtf));
    AddWithData(doc, QLC_NODE_NOTE, "t1", 0, BytesOf(kRtf));
    AddWithData(doc, QLC_NODE_NOTE, "t2", 0, BytesOf(kRtf));
    std::vector<DWORD> order;
    WalkOrder(doc, 0, order);
    const size_t nOdd = std::find(order.begin(), order.end(), dwOdd) - order.begin();

    const std::string strQuestion = std::string("Error exporting ") + (LPCSTR)m_strDest + "\\A\\B\\odd.\n\n" +
                                    (LPCSTR)AfxLoadText(IDS_QLC_EXPORT_NO_EXPORT_TYPE);

    // Retry writes again; Ignore goes on with the next node.
    {
        CNodeBatchExport job(&doc);
        CJobPlayer player(job);
        int nAsked = 0;
        player.onQuestion = [&](const CJobRequest&) { return ++nAsked == 1 ? IDRETRY : IDIGNORE; };
        ASSERT_TRUE(Export(player, job));
        ASSERT_EQ(2u, player.requests.size());
        for (const CJobRequest& request : player.requests)
        {
            EXPECT_EQ(strQuestion, request.text);
            EXPECT_EQ((UINT)(MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION), request.nStyle);
        }
        for (DWORD dwId : order)
        {
            QLCNODE node;
            doc.Data_GetNode(dwId, node);
            if (node.nType == QLC_NODE_NOTE)
            {
                EXPECT_TRUE(Exists(NotePath(doc, m_strDest, dwId).c_str())) << (LPCSTR)node.strName;
            }
        }
        // An ignored node counts as done: the progress reaches the end.
        EXPECT_EQ((int)order.size(), job.GetCurrent());
    }

    // Abort inside the nested folder ends the whole export.
    CTempDir fresh;
    m_strDest = fresh.Path("out");
    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    player.onQuestion = [](const CJobRequest&) { return IDABORT; };
    ASSERT_TRUE(Export(player, job));
    ASSERT_EQ(1u, player.requests.size());
    EXPECT_TRUE(job.IsFinished());
    for (size_t i = 0; i < order.size(); ++i)
    {
        QLCNODE node;
        doc.Data_GetNode(order[i], node);
        if (node.nType != QLC_NODE_NOTE)
            continue;
        EXPECT_EQ(i < nOdd, Exists(NotePath(doc, m_strDest, order[i]).c_str())) << (LPCSTR)node.strName;
    }
    EXPECT_LT(job.GetCurrent(), (int)order.size());
}

TEST_F(NodeExportTest, CancelStopsAfterTheNodeBeingWritten)
{
    for (int i = 0; i < 6; ++i)
        AddWithData(doc, QLC_NODE_NOTE, ("n" + std::to_string(i)).c_str(), 0, BytesOf(kRtf));
    std::vector<DWORD> order;
    WalkOrder(doc, 0, order);
    // The third node's file exists: its question is where the cancel comes.
    const std::string strThird = NotePath(doc, m_strDest, order[2]);
    ::CreateDirectoryA(m_strDest, nullptr);
    WriteFileBytes(strThird.c_str(), BytesOf("old"));

    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    player.onQuestion = [&](const CJobRequest&) {
        job.SetCancel(TRUE);
        return IDYES;
    };
    ASSERT_TRUE(Export(player, job));
    ASSERT_EQ(1u, player.requests.size());
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(i <= 2, Exists(NotePath(doc, m_strDest, order[i]).c_str())) << i;
    EXPECT_EQ(BytesOf(kRtf), ReadFileBytes(strThird.c_str()));
    EXPECT_EQ(3, job.GetCurrent());
}

TEST_F(NodeExportTest, NamesFromTheNotebookNeverLeaveTheDestination)
{
    const char* names[] = { "..\\evil", "..\\..\\x", "C:\\x", "CON", "nul.txt", "a/b:c*?\"<>|", "." };
    for (const char* name : names)
        AddWithData(doc, QLC_NODE_NOTE, name, 0, BytesOf(kRtf));
    const DWORD dwUp = AddNode(doc, QLC_NODE_FOLDER, "..");
    AddWithData(doc, QLC_NODE_NOTE, "inner", dwUp, BytesOf(kRtf));
    AddWithData(doc, QLC_NODE_FOREIGN, "..\\..\\..\\payload", dwUp, BytesOf("data"));

    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    ASSERT_TRUE(Export(player, job));
    EXPECT_TRUE(player.requests.empty());

    // Beside the destination nothing new; inside it one entry per node.
    EXPECT_EQ((std::vector<std::string>{ "out" }), ListEntries(source.Dir()));
    EXPECT_EQ((std::vector<std::string>{ ".._.._x.rtf", ".._evil.rtf", "C__x.rtf", "Unnamed", "Unnamed.rtf",
                                         "_CON.rtf", "_nul.txt.rtf", "a_b_c______.rtf" }),
              ListEntries(m_strDest));
    EXPECT_EQ((std::vector<std::string>{ ".._.._.._payload.dat", "inner.rtf" }), ListEntries(m_strDest + "\\Unnamed"));
    EXPECT_EQ(BytesOf(kRtf), ReadFileBytes(m_strDest + "\\_CON.rtf"));
}

TEST_F(NodeExportTest, AFolderThatIsItsOwnParentIsNotWalkedForever)
{
    // A damaged notebook: a folder listed as its own parent, and a folder
    // numbered 0 at the top level.
    const DWORD dwLoop = AddNode(doc, QLC_NODE_FOLDER, "loop");
    CQlcNode loop(&doc, dwLoop);
    loop.SetParent(dwLoop);
    loop.Update(TRUE);
    QLCNODE zero;
    doc.Data_GetNode(dwLoop, zero);
    zero.dwNodeId = 0;
    zero.dwParentId = 0;
    zero.strName = "zero";
    doc.Data_SetNode(0, zero);
    AddWithData(doc, QLC_NODE_NOTE, "note", 0, BytesOf(kRtf));

    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    ASSERT_TRUE(Export(player, job));
    // Neither is anybody's child: only the note is written, and the export ends.
    EXPECT_EQ((std::vector<std::string>{ "note.rtf" }), ListEntries(m_strDest));
    EXPECT_EQ(1, job.GetCurrent());
}

TEST_F(NodeExportTest, AnEncryptedNodeIsUnlockedThroughTheJobAndForgottenAfterwards)
{
    CCryptInstall crypt;
    const Bytes secret = TextBytes(3000, 5);
    const DWORD dwId = AddWithData(doc, QLC_NODE_FOREIGN, "secret", 0, secret);
    CQlcNode node(&doc, dwId);
    ASSERT_TRUE(node.SetEncryption(kAes, 16, kSha256, "pw", 2, nullptr, 0));
    CQlcNode(&doc, dwId).SetPassword(FALSE, nullptr);

    {
        CNodeBatchExport job(&doc);
        CJobPlayer player(job);
        player.onPassword = [](const CJobRequest&, CString& strPassword) {
            strPassword = "pw";
            return TRUE;
        };
        ASSERT_TRUE(Export(player, job));
        ASSERT_EQ(1u, player.requests.size());
        EXPECT_EQ(CJobRequest::password, player.requests[0].nKind);
        EXPECT_EQ(dwId, player.requests[0].dwNodeId);
        EXPECT_EQ(secret, ReadFileBytes(m_strDest + "\\secret.dat"));
        EXPECT_FALSE(CQlcNode(&doc, dwId).HasPassword());
    }

    // Refused: the node fails, and the reason says why.
    ::DeleteFileA(m_strDest + "\\secret.dat");
    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    player.onQuestion = [](const CJobRequest&) { return IDIGNORE; };
    ASSERT_TRUE(Export(player, job));
    ASSERT_EQ(2u, player.requests.size());
    EXPECT_EQ(CJobRequest::password, player.requests[0].nKind);
    EXPECT_NE(std::string::npos, player.requests[1].text.find(AfxLoadText(IDS_QLC_EXPORT_LOCKED).str()));
    EXPECT_FALSE(Exists(m_strDest + "\\secret.dat"));
    // The core's own prompts were never used from the worker.
    EXPECT_TRUE(prompts.unlockRequests.empty());
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(NodeExportTest, EpsAndMetafilesWrittenAsStoredKeepTheirExtensions)
{
    const Bytes wmf = MakeWmf();
    const Bytes eps = MakeEpsWithTiff(EncodeTestPicture(9, 10, 6, 2));
    ASSERT_EQ(PL_FT_WMF, PLAnyPicDecoder::SniffFormat(wmf.data(), (int)wmf.size(), (int)wmf.size()));
    ASSERT_EQ(PL_FT_EPSTIFF, PLAnyPicDecoder::SniffFormat(eps.data(), (int)eps.size(), (int)eps.size()));
    AddImage(doc, source, "clip.bin", wmf, 0);
    AddImage(doc, source, "drawing.bin", eps, 0);

    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    ASSERT_TRUE(Export(player, job));
    EXPECT_TRUE(player.requests.empty());
    EXPECT_EQ(wmf, ReadFileBytes(m_strDest + "\\clip.wmf"));
    EXPECT_EQ(eps, ReadFileBytes(m_strDest + "\\drawing.eps"));
    EXPECT_EQ((std::vector<std::string>{ "clip.wmf", "drawing.eps" }), ListEntries(m_strDest));
}

// --- The walk over a whole notebook -------------------------------------------------------

namespace {

// Payloads by label, to tell which node's bytes a file holds.
typedef std::vector<std::pair<std::string, Bytes>> CLabels;

// Every entry below a folder in name order: a folder as "name\", a file as
// "name = label" with the label of the payload it holds ("?" for none).
void ListTree(const std::string& strDir, const std::string& strPrefix, const CLabels& labels,
              std::vector<std::string>& out)
{
    for (const std::string& name : ListEntries(strDir.c_str()))
    {
        const std::string strPath = strDir + "\\" + name;
        if (::GetFileAttributesA(strPath.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
        {
            out.push_back(strPrefix + name + "\\");
            ListTree(strPath, strPrefix + name + "\\", labels, out);
            continue;
        }
        const Bytes bytes = ReadFileBytes(strPath.c_str());
        std::string strLabel = "?";
        for (const auto& label : labels)
        {
            if (label.second == bytes)
                strLabel = label.first;
        }
        out.push_back(strPrefix + name + " = " + strLabel);
    }
}

std::vector<std::string> TreeOf(const CString& strDest, const CLabels& labels)
{
    std::vector<std::string> out;
    ListTree((LPCSTR)strDest, "", labels, out);
    return out;
}

// The questions in the order asked, the destination shown as "~".
std::vector<std::string> QuestionsOf(const CJobPlayer& player, const CString& strDest)
{
    std::vector<std::string> out;
    for (const CJobRequest& request : player.requests)
    {
        if (request.nKind == CJobRequest::password)
        {
            out.push_back("password " + std::to_string(request.dwNodeId));
            continue;
        }
        std::string text = request.text;
        for (size_t i; (i = text.find((LPCSTR)strDest)) != std::string::npos;)
            text.replace(i, strDest.GetLength(), "~");
        out.push_back(text);
    }
    return out;
}

} // namespace

// The export walks the node table in its order (a key's bucket is its id / 16
// modulo 17, newest first in a bucket), each folder's contents where the
// folder comes. The files, folders, bytes, questions and their order below
// follow from the notebook made here by that rule, worked out by hand; a
// walk in any other order or under other names gives other lists.
TEST_F(NodeExportTest, AWholeNotebookIsWrittenInTableOrderWithItsQuestions)
{
    CCryptInstall crypt;
    CLabels labels;
    const auto add = [&](BYTE nType, LPCSTR lpszName, DWORD dwParent, const std::string& strLabel) {
        Bytes bytes = nType == QLC_NODE_FOREIGN ? NoiseBytes(40000 + labels.size(), (DWORD)labels.size() + 1)
                                                : BytesOf(("{\\rtf1 " + strLabel + "}").c_str());
        labels.emplace_back(strLabel, bytes);
        return AddWithData(doc, nType, lpszName, dwParent, bytes);
    };
    // Ids 1 to 15 are walked first, newest first, then 16 to 31 likewise.
    ASSERT_EQ(1u, AddNode(doc, QLC_NODE_FOLDER, "Projects"));
    ASSERT_EQ(2u, add(QLC_NODE_NOTE, "Plan", 1, "plan-2"));
    ASSERT_EQ(3u, AddNode(doc, QLC_NODE_FOLDER, "Alpha", 1));
    ASSERT_EQ(4u, add(QLC_NODE_NOTE, "Spec", 3, "spec-4"));
    ASSERT_EQ(5u, AddNode(doc, QLC_NODE_FOLDER, "Deep", 3));
    ASSERT_EQ(6u, add(QLC_NODE_NOTE, "Bottom", 5, "bottom-6"));
    ASSERT_EQ(7u, add(QLC_NODE_FOREIGN, "data.bin", 5, "data-7"));
    ASSERT_EQ(8u, add(QLC_NODE_NOTE, "Plan", 1, "plan-8"));
    ASSERT_EQ(9u, AddNode(doc, QLC_NODE_FOLDER, "Archive"));
    ASSERT_EQ(10u, add(QLC_NODE_NOTE, "old/notes", 9, "old-10"));
    ASSERT_EQ(11u, add(QLC_NODE_NOTE, "old_notes", 9, "old-11"));
    ASSERT_EQ(12u, add(QLC_NODE_FOREIGN, "secret", 3, "secret-12"));
    ASSERT_EQ(13u, add(QLC_NODE_NOTE, "locked", 9, "locked-13"));
    ASSERT_EQ(14u, AddNode(doc, QLC_NODE_FOLDER, "Projects"));
    ASSERT_EQ(15u, add(QLC_NODE_NOTE, "Plan", 14, "plan-15"));
    ASSERT_EQ(16u, add(QLC_NODE_NOTE, "Top note", 0, "top-16"));
    ASSERT_EQ(17u, add(QLC_NODE_NOTE, "NOTES", 5, "notes-17"));
    ASSERT_EQ(18u, add(QLC_NODE_NOTE, "Notes", 5, "notes-18"));
    ASSERT_EQ(19u, AddNode(doc, QLC_NODE_FOLDER, "Empty", 9));
    ASSERT_EQ(20u, add(QLC_NODE_FOREIGN, "report", 3, "report-20"));
    const Bytes png = EncodeTestPicture(7, 9, 7, 5);
    labels.emplace_back("photo-21", png);
    ASSERT_EQ(21u, AddImage(doc, source, "photo.png", png, 9));
    for (DWORD dwId : { 12u, 13u })
    {
        ASSERT_TRUE(CQlcNode(&doc, dwId).SetEncryption(kAes, 16, kSha256, "pw", 2, nullptr, 0));
        CQlcNode(&doc, dwId).SetPassword(FALSE, nullptr);
    }
    // Node 12 is unlocked with its password, node 13 is refused and ignored.
    const auto password = [](const CJobRequest& request, CString& strPassword) {
        strPassword = "pw";
        return request.dwNodeId == 12;
    };
    const std::string strLocked = "Error exporting ~\\Archive\\locked.\n\n" + AfxLoadText(IDS_QLC_EXPORT_LOCKED).str();
    const auto answer = [](const CJobRequest& request) {
        return (request.nStyle & MB_TYPEMASK) == MB_ABORTRETRYIGNORE ? IDIGNORE : IDYES;
    };

    // Cancelled at the question about NOTES, three folders down: that node
    // is written and nothing after it.
    {
        CNodeBatchExport job(&doc);
        CJobPlayer player(job);
        player.onPassword = password;
        player.onQuestion = [&](const CJobRequest& request) {
            if (request.text.find("NOTES.rtf") != std::string::npos)
                job.SetCancel(TRUE);
            return request.text.find("Projects\\Plan.rtf") != std::string::npos ? IDNO : answer(request);
        };
        ASSERT_TRUE(Export(player, job));
        EXPECT_EQ((std::vector<std::string>{
                      "password 13",
                      strLocked,
                      "~\\Archive\\old_notes.rtf already exists. Overwrite?",
                      "~\\Projects\\Plan.rtf already exists. Overwrite?",
                      "password 12",
                      "~\\Projects\\Alpha\\Deep\\NOTES.rtf already exists. Overwrite?",
                  }),
                  QuestionsOf(player, m_strDest));
        EXPECT_EQ((std::vector<std::string>{
                      "Archive\\",
                      "Archive\\Empty\\",
                      "Archive\\old_notes.rtf = old-10",
                      "Archive\\photo.png = photo-21",
                      "Projects\\",
                      "Projects\\Alpha\\",
                      "Projects\\Alpha\\Deep\\",
                      "Projects\\Alpha\\Deep\\Bottom.rtf = bottom-6",
                      "Projects\\Alpha\\Deep\\Notes.rtf = notes-17",
                      "Projects\\Alpha\\Deep\\data.bin.dat = data-7",
                      "Projects\\Alpha\\secret.dat = secret-12",
                      "Projects\\Plan.rtf = plan-15",
                  }),
                  TreeOf(m_strDest, labels));
        // Counted: every node up to NOTES, then Deep, Alpha and Projects.
        EXPECT_EQ(21, job.GetTotal());
        EXPECT_EQ(17, job.GetCurrent());
    }

    // The whole notebook into an empty folder: the last of clashing names wins.
    CTempDir second;
    m_strDest = second.Path("out");
    {
        CNodeBatchExport job(&doc);
        CJobPlayer player(job);
        player.onPassword = password;
        player.onQuestion = answer;
        ASSERT_TRUE(Export(player, job));
        EXPECT_EQ((std::vector<std::string>{
                      "password 13",
                      strLocked,
                      "~\\Archive\\old_notes.rtf already exists. Overwrite?",
                      "~\\Projects\\Plan.rtf already exists. Overwrite?",
                      "password 12",
                      "~\\Projects\\Alpha\\Deep\\NOTES.rtf already exists. Overwrite?",
                      "~\\Projects\\Plan.rtf already exists. Overwrite?",
                  }),
                  QuestionsOf(player, m_strDest));
        EXPECT_EQ((std::vector<std::string>{
                      "Archive\\",
                      "Archive\\Empty\\",
                      "Archive\\old_notes.rtf = old-10",
                      "Archive\\photo.png = photo-21",
                      "Projects\\",
                      "Projects\\Alpha\\",
                      "Projects\\Alpha\\Deep\\",
                      "Projects\\Alpha\\Deep\\Bottom.rtf = bottom-6",
                      "Projects\\Alpha\\Deep\\Notes.rtf = notes-17",
                      "Projects\\Alpha\\Deep\\data.bin.dat = data-7",
                      "Projects\\Alpha\\Spec.rtf = spec-4",
                      "Projects\\Alpha\\report.dat = report-20",
                      "Projects\\Alpha\\secret.dat = secret-12",
                      "Projects\\Plan.rtf = plan-2",
                      "Top note.rtf = top-16",
                  }),
                  TreeOf(m_strDest, labels));
        EXPECT_EQ(21, job.GetCurrent());
        EXPECT_TRUE(prompts.boxes.empty());
    }

    // Again over those files: every node is asked about, in the order of
    // work; Yes only the first time a file is asked about (names compared
    // as the file system does, without regard to case), so the first of
    // clashing names wins.
    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    player.onPassword = password;
    std::set<std::string> asked;
    player.onQuestion = [&](const CJobRequest& request) {
        if ((request.nStyle & MB_TYPEMASK) == MB_ABORTRETRYIGNORE)
            return IDIGNORE;
        CString strFile = request.text.c_str();
        strFile.MakeLower();
        return asked.insert(strFile.str()).second ? IDYES : IDNO;
    };
    ASSERT_TRUE(Export(player, job));
    EXPECT_EQ((std::vector<std::string>{
                  "~\\Projects\\Plan.rtf already exists. Overwrite?",
                  "password 13",
                  strLocked,
                  "~\\Archive\\old_notes.rtf already exists. Overwrite?",
                  "~\\Archive\\old_notes.rtf already exists. Overwrite?",
                  "~\\Archive\\photo.png already exists. Overwrite?",
                  "~\\Projects\\Plan.rtf already exists. Overwrite?",
                  "password 12",
                  "~\\Projects\\Alpha\\secret.dat already exists. Overwrite?",
                  "~\\Projects\\Alpha\\Deep\\data.bin.dat already exists. Overwrite?",
                  "~\\Projects\\Alpha\\Deep\\Bottom.rtf already exists. Overwrite?",
                  "~\\Projects\\Alpha\\Deep\\Notes.rtf already exists. Overwrite?",
                  "~\\Projects\\Alpha\\Deep\\NOTES.rtf already exists. Overwrite?",
                  "~\\Projects\\Alpha\\Spec.rtf already exists. Overwrite?",
                  "~\\Projects\\Alpha\\report.dat already exists. Overwrite?",
                  "~\\Projects\\Plan.rtf already exists. Overwrite?",
                  "~\\Top note.rtf already exists. Overwrite?",
              }),
              QuestionsOf(player, m_strDest));
    EXPECT_EQ((std::vector<std::string>{
                  "Archive\\",
                  "Archive\\Empty\\",
                  "Archive\\old_notes.rtf = old-11",
                  "Archive\\photo.png = photo-21",
                  "Projects\\",
                  "Projects\\Alpha\\",
                  "Projects\\Alpha\\Deep\\",
                  "Projects\\Alpha\\Deep\\Bottom.rtf = bottom-6",
                  "Projects\\Alpha\\Deep\\Notes.rtf = notes-18",
                  "Projects\\Alpha\\Deep\\data.bin.dat = data-7",
                  "Projects\\Alpha\\Spec.rtf = spec-4",
                  "Projects\\Alpha\\report.dat = report-20",
                  "Projects\\Alpha\\secret.dat = secret-12",
                  "Projects\\Plan.rtf = plan-15",
                  "Top note.rtf = top-16",
              }),
              TreeOf(m_strDest, labels));
    EXPECT_EQ(21, job.GetCurrent());
}

TEST_F(NodeExportTest, AFolderChainDeeperThanAnyStackIsWalkedToItsEnd)
{
    // A damaged or generated notebook may nest folders without limit; the
    // names soon make paths too long to create, which is not asked about.
    const int nDepth = 30000;
    DWORD dwParent = 0;
    for (int i = 0; i < nDepth; ++i)
        dwParent = AddNode(doc, QLC_NODE_FOLDER, "d", dwParent);
    AddWithData(doc, QLC_NODE_NOTE, "after", 0, BytesOf(kRtf));

    CNodeBatchExport job(&doc);
    CJobPlayer player(job);
    ASSERT_TRUE(Export(player, job));
    EXPECT_TRUE(player.requests.empty());
    EXPECT_EQ(BytesOf(kRtf), ReadFileBytes(m_strDest + "\\after.rtf"));
    EXPECT_TRUE(Exists(m_strDest + "\\d\\d\\d"));
    EXPECT_EQ(nDepth + 1, job.GetCurrent());
    EXPECT_EQ("", std::string((LPCSTR)job.GetFailure()));
}

// --- Single export ------------------------------------------------------------------------

TEST_F(NodeExportTest, TheSingleExportAsksForTheFileAndWritesTheNode)
{
    PlayJobs(services);
    const DWORD dwNote = AddWithData(doc, QLC_NODE_NOTE, "..\\evil", 0, BytesOf(kRtf));
    ::CreateDirectoryA(m_strDest, nullptr);
    services.exportPath = (LPCSTR)(m_strDest + "\\chosen.rtf");

    CNodeSingleExport job(&doc);
    EXPECT_TRUE(job.ExportNode(dwNote));
    ASSERT_EQ(1u, services.exportDialogs.size());
    EXPECT_EQ("Export", services.exportDialogs[0].title);
    // The name proposed is a safe one.
    EXPECT_EQ(".._evil", services.exportDialogs[0].fileName);
    EXPECT_EQ("rtf", services.exportDialogs[0].defExt);
    EXPECT_EQ("Rich Text Format (*.rtf)", services.exportDialogs[0].firstFilter);
    EXPECT_EQ(BytesOf(kRtf), ReadFileBytes(m_strDest + "\\chosen.rtf"));
    EXPECT_EQ("Exporting file 1 of 1...", std::string((LPCSTR)job.GetStatusText()));
    EXPECT_FLOAT_EQ(1.0f, job.GetProgress());
    EXPECT_TRUE(prompts.boxes.empty());

    // Cancel in the dialog: nothing runs.
    services.exportPath.clear();
    CNodeSingleExport cancelled(&doc);
    EXPECT_FALSE(cancelled.ExportNode(dwNote));
    EXPECT_EQ(1, services.nRunJobs);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(NodeExportTest, AnImageTakesTheChosenFormatAndItsFinalNameIsAskedAbout)
{
    PlayJobs(services);
    const DWORD dwImage = AddImage(doc, source, "in.jpg", EncodeTestPicture(3, 16, 10, 4), 0);
    ::CreateDirectoryA(m_strDest, nullptr);
    services.exportPath = (LPCSTR)(m_strDest + "\\pic");
    services.nExportFilterIndex = 2; // PNG

    CNodeSingleExport job(&doc);
    EXPECT_TRUE(job.ExportNode(dwImage));
    ASSERT_EQ(1u, services.exportDialogs.size());
    EXPECT_EQ("JPEG - JFIF Compliant (*.jpg, *.jif, *.jpeg)", services.exportDialogs[0].firstFilter);
    EXPECT_EQ("", services.exportDialogs[0].defExt);
    EXPECT_EQ(7, job.m_nExportFormat);
    const Bytes written = ReadFileBytes(m_strDest + "\\pic.png");
    ASSERT_FALSE(written.empty());
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    decoder.DecodeMemory(written.data(), (int)written.size(), &bmp);
    EXPECT_EQ(PL_FT_PNG, decoder.LastFormatCode());
    EXPECT_TRUE(prompts.boxes.empty());

    // "pic" typed again: the dialog asked about "pic", the file written
    // would be "pic.png", which exists: asked, and No keeps it.
    WriteFileBytes(m_strDest + "\\pic.png", BytesOf("keep me"));
    prompts.answers = { IDNO };
    CNodeSingleExport again(&doc);
    EXPECT_FALSE(again.ExportNode(dwImage));
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ(std::string((LPCSTR)m_strDest) + "\\pic.png already exists. Overwrite?", prompts.boxes[0].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONEXCLAMATION), prompts.boxes[0].nType);
    EXPECT_EQ(BytesOf("keep me"), ReadFileBytes(m_strDest + "\\pic.png"));
    EXPECT_EQ(1, services.nRunJobs);

    // Yes writes over it, as BMP this time.
    prompts.answers = { IDYES };
    services.nExportFilterIndex = 4;
    WriteFileBytes(m_strDest + "\\pic.bmp", BytesOf("keep me"));
    CNodeSingleExport bmpJob(&doc);
    EXPECT_TRUE(bmpJob.ExportNode(dwImage));
    EXPECT_EQ('B', ReadFileBytes(m_strDest + "\\pic.bmp")[0]);
}

TEST_F(NodeExportTest, ASingleExportThatFailsIsToldOnceTheDialogHasReturned)
{
    PlayJobs(services);
    const DWORD dwData = AddWithData(doc, QLC_NODE_FOREIGN, "data", 0, BytesOf("bytes"));
    services.exportPath = (LPCSTR)source.Path("no such folder\\data.bin");

    CNodeSingleExport job(&doc);
    EXPECT_FALSE(job.ExportNode(dwData));
    ASSERT_EQ(1u, services.exportDialogs.size());
    EXPECT_EQ("All Files (*.*)", services.exportDialogs[0].firstFilter);
    EXPECT_EQ(1, services.nRunJobs);
    ASSERT_EQ(1u, prompts.boxes.size());
    CString strExpected;
    strExpected.Format(AfxLoadText(IDS_QLC_EXPORT_FAILED), (LPCSTR)source.Path("no such folder\\data.bin"),
                       (LPCSTR)AfxLoadText(IDS_QLC_EXPORT_NOT_COPIED));
    EXPECT_EQ(strExpected.str(), prompts.boxes[0].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), prompts.boxes[0].nType);

    // Without a dialog to run it the job never runs, and that is told too.
    services.runJob = nullptr;
    services.exportPath = (LPCSTR)source.Path("data.bin");
    CNodeSingleExport notRun(&doc);
    EXPECT_FALSE(notRun.ExportNode(dwData));
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_NE(std::string::npos, prompts.boxes[1].text.find(AfxLoadText(IDS_QLC_JOB_NOT_STARTED).str()));
    EXPECT_FALSE(Exists(source.Path("data.bin")));
}

TEST_F(NodeExportTest, AnEncryptedNodeIsUnlockedBeforeTheSaveDialog)
{
    CCryptInstall crypt;
    PlayJobs(services);
    const Bytes secret = TextBytes(900, 9);
    const DWORD dwId = AddWithData(doc, QLC_NODE_FOREIGN, "secret", 0, secret);
    ASSERT_TRUE(CQlcNode(&doc, dwId).SetEncryption(kAes, 16, kSha256, "pw", 2, nullptr, 0));
    CQlcNode(&doc, dwId).SetPassword(FALSE, nullptr);
    services.exportPath = (LPCSTR)source.Path("secret.bin");

    // Refused: no dialog, nothing written.
    CNodeSingleExport refused(&doc);
    EXPECT_FALSE(refused.ExportNode(dwId));
    EXPECT_TRUE(services.exportDialogs.empty());
    EXPECT_EQ((std::vector<DWORD>{ dwId }), prompts.unlockRequests);

    prompts.passwords = { "pw" };
    CNodeSingleExport job(&doc);
    EXPECT_TRUE(job.ExportNode(dwId));
    EXPECT_EQ(secret, ReadFileBytes(source.Path("secret.bin")));
    EXPECT_FALSE(CQlcNode(&doc, dwId).HasPassword());
}
