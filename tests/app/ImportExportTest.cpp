// Import and export in the program's own windows: files chosen in the open
// dialog imported into a folder of the tree under the processing dialog,
// the notebook exported to a folder by the child frame's Batch Export and a
// node by the tree's Export, and the files compared with the originals.
#include "NotebookWindowSupport.h"

#include "app/CFolderBrowseDlg.h"
#include "app/CQlcPrompts.h"
#include "app/CSetPasswordDlg.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CQlcNode.h"
#include "core/IQlcPrompts.h"

#include "framework/base/CUiChannel.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLJPEGEncoder.h"
#include "imaging/PLPNGEncoder.h"
#include "widgets/CFileDialogEx.h"

#include <deque>
#include <memory>

namespace {

const char kLetterRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Dear reader\\par}";

// A small picture encoded as PNG or JPEG.
std::string EncodePicture(BOOL bPng)
{
    PLAnyBmp bmp;
    bmp.Create(24, 16, 32, false);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x)
            bmp.GetLineArray32()[y][x] = PLPixel32((uint8_t)(x * 9), (uint8_t)(y * 13), (uint8_t)(x + y), 255);
    std::unique_ptr<PLPicEncoder> pEncoder(bPng ? (PLPicEncoder*)new PLPNGEncoder : new PLJPEGEncoder);
    std::string buf((size_t)pEncoder->GetOutputCapacity(bmp), '\0');
    PLDataSink sink;
    sink.Open("picture", (uint8_t*)&buf[0], (int)buf.size());
    pEncoder->EncodeToSink(&bmp, &sink);
    buf.resize((size_t)sink.GetDataSize());
    return buf;
}

std::string ReadFileText(LPCSTR lpszPath)
{
    std::string text;
    HANDLE h = ::CreateFileA(lpszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "(missing)";
    char buf[4096];
    DWORD dw = 0;
    while (::ReadFile(h, buf, sizeof(buf), &dw, nullptr) && dw != 0)
        text.append(buf, dw);
    ::CloseHandle(h);
    return text;
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string entry = dir + "\\" + fd.cFileName;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                ::DeleteFileA(entry.c_str());
            else if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0)
                RemoveTree(entry);
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(dir.c_str());
}

// Answers the common dialogs in turn: a file dialog gets the buffer's
// contents (one path, or a folder and names separated by NULs) and a filter
// entry, the folder browser a folder.
class CDialogAnswers : public IAfxCommonDialogHook
{
public:
    CDialogAnswers() : m_pOld(AfxSetCommonDialogHook(this)) {}
    ~CDialogAnswers() override { AfxSetCommonDialogHook(m_pOld); }

    void Add(const std::string& text, DWORD nFilterIndex = 1) { answers.push_back({ text, nFilterIndex }); }

    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        if (answers.empty())
            return IDCANCEL;
        const CAnswer answer = answers.front();
        answers.pop_front();
        if (CFolderBrowseDlg* pFolder = DYNAMIC_DOWNCAST(CFolderBrowseDlg, pDialog))
        {
            titles.push_back((LPCSTR)pFolder->m_strTitle);
            pFolder->m_strPath = answer.text.c_str();
            return IDOK;
        }
        CFileDialogEx* pFile = DYNAMIC_DOWNCAST(CFileDialogEx, pDialog);
        if (pFile == nullptr || answer.text.size() + 2 > pFile->m_ofn.nMaxFile)
            return IDCANCEL;
        titles.push_back(pFile->m_ofn.lpstrTitle ? pFile->m_ofn.lpstrTitle : "");
        filters.push_back(pFile->m_ofn.lpstrFilter ? pFile->m_ofn.lpstrFilter : "");
        memset(pFile->m_ofn.lpstrFile, 0, pFile->m_ofn.nMaxFile);
        memcpy(pFile->m_ofn.lpstrFile, answer.text.data(), answer.text.size());
        pFile->m_ofn.nFilterIndex = answer.nFilterIndex;
        return IDOK;
    }

    struct CAnswer
    {
        std::string text;
        DWORD nFilterIndex;
    };
    std::deque<CAnswer> answers;
    std::vector<std::string> titles;
    std::vector<std::string> filters;   // the first entry's name

private:
    IAfxCommonDialogHook* m_pOld;
};

class ImportExportTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        ASSERT_TRUE(CUiChannel::Create());
        // The converters the program has without any installed.
        app.m_textConverters.LoadConverters(HKEY_CURRENT_USER, "Software\\Quillcrest Tests\\No Converters");
        m_strOut = std::string(m_szDir) + "-out";
    }
    void TearDown() override
    {
        RemoveTree(m_strOut);
        CUiChannel::Destroy();
        NotebookWindowTest::TearDown();
    }

    void Command(CWnd* pWnd, UINT nID) { pWnd->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0); }

    std::string m_strOut;
};

std::vector<std::string> Children(CTreeCtrl& tree, HTREEITEM hParent)
{
    std::vector<std::string> names;
    for (HTREEITEM h = tree.GetChildItem(hParent); h != nullptr; h = tree.GetNextSiblingItem(h))
        names.push_back((LPCSTR)tree.GetItemText(h));
    return names;
}

} // namespace

TEST_F(ImportExportTest, FilesImportedIntoAFolderComeBackOutOfItUnchanged)
{
    CNotebookBuilder builder;
    builder.Folder("Imports");
    builder.Note("Readme", 0, kLetterRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    const std::string png = EncodePicture(TRUE);
    const std::string jpeg = EncodePicture(FALSE);
    MakeFile("letter.rtf", kLetterRtf);
    MakeFile("photo.png", png);
    MakeFile("scan.jpg", jpeg);

    // Import > Image(s)... on the folder: the batch import decides by file.
    CDialogAnswers dialogs;
    dialogs.Add(Selection({ "letter.rtf", "photo.png", "scan.jpg" }));
    std::vector<std::string> shown;
    CScriptedDialogs hook([&](CWnd* pDlg) { shown.push_back(pDlg->GetRuntimeClass()->m_lpszClassName); });
    pTree->SetContextItem(FindItem(*pTree, "Imports"));
    Command(pTree, ID_QLCPOPUP_IMPORTIMAGES);
    EXPECT_EQ((std::vector<std::string>{ "Add Image(s)" }), dialogs.titles);
    EXPECT_EQ("All Supported Files", dialogs.filters[0]);
    EXPECT_EQ((std::vector<std::string>{ "CProcessingDlg" }), shown);

    pTree->ExpandAll();
    EXPECT_EQ((std::vector<std::string>{ "letter", "photo", "scan" }), Children(*pTree, FindItem(*pTree, "Imports")));
    const DWORD dwFolder = NodeIdByName(pDoc, "Imports");
    const DWORD dwLetter = NodeIdByName(pDoc, "letter");
    EXPECT_EQ(QLC_NODE_NOTE, CQlcNode(pDoc, dwLetter).GetType());
    EXPECT_EQ(QLC_NODE_IMAGE, CQlcNode(pDoc, NodeIdByName(pDoc, "photo")).GetType());
    EXPECT_EQ(QLC_NODE_IMAGE, CQlcNode(pDoc, NodeIdByName(pDoc, "scan")).GetType());
    for (const char* name : { "letter", "photo", "scan" })
        EXPECT_EQ(dwFolder, CQlcNode(pDoc, NodeIdByName(pDoc, name)).GetParentId()) << name;
    EXPECT_TRUE(pDoc->GetModifiedFlag());

    // Tree > Batch Export into a folder the browser gives.
    EXPECT_EQ(1, QueryCommand(pFrame, ID_TREE_BATCHEXPORT).nEnabled);
    dialogs.Add(m_strOut);
    Command(pFrame, ID_TREE_BATCHEXPORT);
    EXPECT_EQ("Select the export destination:", dialogs.titles.back());
    EXPECT_EQ(kLetterRtf, ReadFileText((m_strOut + "\\Imports\\letter.rtf").c_str()));
    EXPECT_EQ(png, ReadFileText((m_strOut + "\\Imports\\photo.png").c_str()));
    EXPECT_EQ(jpeg, ReadFileText((m_strOut + "\\Imports\\scan.jpg").c_str()));
    EXPECT_EQ(kLetterRtf, ReadFileText((m_strOut + "\\Readme.rtf").c_str()));

    // The tree's Export of one node to a file the save dialog gives.
    dialogs.Add(m_strOut + "\\single.rtf");
    pTree->SetContextItem(FindItem(*pTree, "Imports/letter"));
    Command(pTree, ID_QLCPOPUP_EXPORT);
    EXPECT_EQ("Export", dialogs.titles.back());
    EXPECT_EQ("Rich Text Format (*.rtf)", dialogs.filters.back());
    EXPECT_EQ(kLetterRtf, ReadFileText((m_strOut + "\\single.rtf").c_str()));
    EXPECT_EQ(3u, shown.size());
    EXPECT_TRUE(TakeMessages().empty());
    pDoc->SetModified(FALSE);
}

TEST_F(ImportExportTest, NotesGoIntoTheContextFolderOrBesideTheContextNode)
{
    CNotebookBuilder builder;
    builder.Note("inside", builder.Folder("Folder"));
    builder.Note("top");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Ids are given anew when a notebook is written.
    const DWORD dwFolder = NodeIdByName(pDoc, "Folder");
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    MakeFile("plain.txt", "just text");
    MakeFile("other.text", "more text");
    MakeFile("loose.txt", "loose");

    CDialogAnswers dialogs;
    dialogs.Add(Selection({ "plain.txt", "other.text" }));
    pTree->ExpandAll();
    pTree->SetContextItem(FindItem(*pTree, "Folder/inside"));
    Command(pTree, ID_QLCPOPUP_IMPORTNOTES);
    EXPECT_EQ("Import", dialogs.titles.back());
    EXPECT_EQ("All Supported File Types", dialogs.filters.back());
    for (const char* name : { "plain", "other" })
    {
        CQlcNode node(pDoc, NodeIdByName(pDoc, name));
        EXPECT_EQ(QLC_NODE_NOTE, node.GetType()) << name;
        EXPECT_EQ(dwFolder, node.GetParentId()) << name;
    }
    EXPECT_NE(std::string::npos, ReadPayload(pDoc, NodeIdByName(pDoc, "other")).find("more text"));

    // Without a context item: the top level.
    dialogs.Add(Selection({ "loose.txt" }));
    pTree->SetContextItem(nullptr);
    Command(pTree, ID_QLCPOPUP_IMPORTNOTES);
    EXPECT_EQ(0u, CQlcNode(pDoc, NodeIdByName(pDoc, "loose")).GetParentId());
    EXPECT_NE(nullptr, FindItem(*pTree, "loose"));

    // A cancelled dialog imports nothing.
    const INT_PTR nBefore = pDoc->Data_GetNodeCount();
    Command(pTree, ID_QLCPOPUP_IMPORTNOTES);
    EXPECT_EQ(nBefore, pDoc->Data_GetNodeCount());

    // Foreign data and HTML go beside the context item, through the
    // dialog's own worker.
    MakeFile("blob.bin", "binary");
    MakeFile("page.htm", "<html></html>");
    dialogs.Add(Selection({ "blob.bin" }));
    dialogs.Add(Selection({ "page.htm" }));
    pTree->SetContextItem(FindItem(*pTree, "Folder/inside"));
    Command(pTree, ID_QLCPOPUP_IMPORTFOREIGNDATA);
    pTree->SetContextItem(FindItem(*pTree, "Folder/inside"));
    Command(pTree, ID_QLCPOPUP_IMPORTHTML);
    EXPECT_EQ((std::vector<std::string>{ "Add Foreign Data File(s)", "Add Html File(s)" }),
              std::vector<std::string>(dialogs.titles.end() - 2, dialogs.titles.end()));
    EXPECT_EQ(QLC_NODE_FOREIGN, CQlcNode(pDoc, NodeIdByName(pDoc, "blob")).GetType());
    EXPECT_EQ(QLC_NODE_HTML, CQlcNode(pDoc, NodeIdByName(pDoc, "page")).GetType());
    EXPECT_EQ(dwFolder, CQlcNode(pDoc, NodeIdByName(pDoc, "page")).GetParentId());
    EXPECT_NE(nullptr, FindItem(*pTree, "Folder/page"));
    EXPECT_EQ(nullptr, pTree->GetContextItem());
    EXPECT_TRUE(TakeMessages().empty());
    pDoc->SetModified(FALSE);
}

TEST_F(ImportExportTest, AnEncryptedNodeIsUnlockedByTheInterfaceThreadDuringTheBatchExport)
{
    ASSERT_TRUE(app.m_cryptHandler.Load());
    CNotebookBuilder builder;
    const DWORD dwSecret = builder.Note("secret", 0, kLetterRtf);
    builder.Encrypt(dwSecret, "opensesame");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcPrompts prompts;
    QlcSetPrompts(&prompts);

    std::vector<DWORD> threads;
    CScriptedDialogs hook([&](CWnd* pDlg) {
        if (DYNAMIC_DOWNCAST(CSetPasswordDlg, pDlg) == nullptr)
            return;
        threads.push_back(::GetCurrentThreadId());
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_PASSWORD_FIRST, "opensesame");
        ClickButton(pDlg, IDOK);
    });
    CDialogAnswers dialogs;
    dialogs.Add(m_strOut);
    Command(FrameOf(pDoc), ID_TREE_BATCHEXPORT);
    QlcSetPrompts(nullptr);

    EXPECT_EQ((std::vector<DWORD>{ ::GetCurrentThreadId() }), threads);
    EXPECT_EQ(kLetterRtf, ReadFileText((m_strOut + "\\secret.rtf").c_str()));
    EXPECT_FALSE(CQlcNode(pDoc, NodeIdByName(pDoc, "secret")).HasPassword());
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(ImportExportTest, AFolderWithoutAPathIsRefusedAndCancelDoesNothing)
{
    CNotebookBuilder builder;
    builder.Note("note", 0, kLetterRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CDialogAnswers dialogs;
    dialogs.Add("");
    Command(FrameOf(pDoc), ID_TREE_BATCHEXPORT);
    ASSERT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_EQ((UINT)MB_OK, m_pPrompts->boxes[0].type); // no icon
    EXPECT_EQ((std::vector<std::string>{ "Invalid export destination selected.\n\nPlease try again." }), TakeMessages());
    Command(FrameOf(pDoc), ID_TREE_BATCHEXPORT);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(m_strOut.c_str()));
}

namespace {

// Records what the save dialog was set up with and answers it.
class CSaveDialogRecord : public IAfxCommonDialogHook
{
public:
    CSaveDialogRecord() : m_pOld(AfxSetCommonDialogHook(this)) {}
    ~CSaveDialogRecord() override { AfxSetCommonDialogHook(m_pOld); }
    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        ++nShown;
        CFileDialogEx* pFile = DYNAMIC_DOWNCAST(CFileDialogEx, pDialog);
        if (pFile == nullptr)
            return IDCANCEL;
        const OPENFILENAMEA& ofn = pFile->m_ofn;
        bOpen = pFile->m_bOpenFileDialog;
        dwFlags = ofn.Flags;
        nMaxFile = ofn.nMaxFile;
        title = ofn.lpstrTitle ? ofn.lpstrTitle : "(none)";
        initialName = ofn.lpstrFile;
        defExt = ofn.lpstrDefExt ? ofn.lpstrDefExt : "(none)";
        filters.clear();
        for (LPCSTR p = ofn.lpstrFilter; p != nullptr && *p != '\0'; p += strlen(p) + 1)
            filters.push_back(p);
        if (answer.empty())
            return IDCANCEL;
        lstrcpynA(pFile->m_ofn.lpstrFile, answer.c_str(), (int)ofn.nMaxFile);
        pFile->m_ofn.nFilterIndex = nFilterIndex;
        return IDOK;
    }

    std::string answer;         // empty: Cancel
    DWORD nFilterIndex = 1;
    int nShown = 0;
    BOOL bOpen = TRUE;
    DWORD dwFlags = 0;
    DWORD nMaxFile = 0;
    std::string title, initialName, defExt;
    std::vector<std::string> filters;

private:
    IAfxCommonDialogHook* m_pOld;
};

} // namespace

// The notebook core asks for an export's file through the application: a
// save dialog that asks before a file is replaced, with the node's name in
// a buffer of 1024 bytes and the types given either way.
TEST_F(ImportExportTest, TheExportFileIsChosenInASaveDialogThatAsksBeforeReplacing)
{
    CSaveDialogRecord dialog;
    dialog.answer = std::string(m_szDir) + "\\chosen.tif";
    dialog.nFilterIndex = 3;
    QLCEXPORTFILE file;
    file.strTitle = "Export";
    file.strFileName = "holiday";
    file.strFilter = "JPEG (*.jpg)|*.JPG|PNG (*.png)|*.PNG|TIFF (*.tif)|*.TIF||";
    EXPECT_TRUE(app.ChooseExportFile(file));
    EXPECT_EQ(1, dialog.nShown);
    EXPECT_FALSE(dialog.bOpen);
    EXPECT_EQ((DWORD)(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT),
              dialog.dwFlags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST));
    EXPECT_EQ(1024u, dialog.nMaxFile);
    EXPECT_EQ("Export", dialog.title);
    EXPECT_EQ("holiday", dialog.initialName);
    EXPECT_EQ("(none)", dialog.defExt);
    EXPECT_EQ((std::vector<std::string>{ "JPEG (*.jpg)", "*.JPG", "PNG (*.png)", "*.PNG", "TIFF (*.tif)", "*.TIF" }),
              dialog.filters);
    EXPECT_EQ(dialog.answer, std::string((LPCSTR)file.strPath));
    EXPECT_EQ(3u, file.nFilterIndex);

    // The converters' block of types is shown as it is, with the default
    // extension.
    const char kBlock[] = "Rich Text Format (*.rtf)\0*.rtf\0Plain Text (*.txt)\0*.txt\0";
    QLCEXPORTFILE note;
    note.strTitle = "Export";
    note.strFileName = "letter";
    note.lpszDefExt = "rtf";
    note.strFilter = "ignored|*.x||";
    note.lpszFilterBlock = kBlock;
    dialog.answer = std::string(m_szDir) + "\\letter.rtf";
    dialog.nFilterIndex = 1;
    EXPECT_TRUE(app.ChooseExportFile(note));
    EXPECT_EQ("rtf", dialog.defExt);
    EXPECT_EQ((std::vector<std::string>{ "Rich Text Format (*.rtf)", "*.rtf", "Plain Text (*.txt)", "*.txt" }),
              dialog.filters);
    EXPECT_EQ(dialog.answer, std::string((LPCSTR)note.strPath));

    // Cancel: nothing chosen.
    dialog.answer.clear();
    QLCEXPORTFILE cancelled;
    cancelled.strFilter = "All Files (*.*)|*.*||";
    EXPECT_FALSE(app.ChooseExportFile(cancelled));
    EXPECT_EQ(3, dialog.nShown);
    EXPECT_TRUE(cancelled.strPath.IsEmpty());
}
