// The Explorer-style file dialog and the document manager's prompts: the
// structure handed to the system, filters built from document templates,
// multiple selections, and the real dialog of the system under the test
// display (answered by a helper thread as a user would).
#include "widgets/CDocManagerEx.h"
#include "widgets/CFileDialogEx.h"

#include "WindowTestSupport.h"

#include "framework/docview/CDocTemplate.h"
#include "framework/res/AfxRes.h"
#include "framework/ui/CWnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

// The 32-bit build hands the system the structure sizes of the 32-bit
// system: the whole one from Windows 2000 on, the old one before.
#if !defined(_WIN64)
static_assert(sizeof(OPENFILENAMEA) == 88, "the 32-bit structure has 88 bytes");
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76, "the old 32-bit structure has 76 bytes");
#else
static_assert(sizeof(OPENFILENAMEA) == 152, "the 64-bit structure has 152 bytes");
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 136, "the old 64-bit structure has 136 bytes");
#endif
static_assert(offsetof(OPENFILENAMEA, FlagsEx) + sizeof(DWORD) <= sizeof(OPENFILENAMEA),
              "the Windows 2000 fields are part of the structure");

namespace {

// A template with a document string of its own (no resources).
class CTestTemplate : public CDocTemplate
{
public:
    explicit CTestTemplate(LPCSTR lpszDocStrings) : CDocTemplate(0, nullptr, nullptr, nullptr)
    {
        m_strDocStrings = lpszDocStrings;
    }
    POSITION GetFirstDocPosition() const override { return nullptr; }
    CDocument* GetNextDoc(POSITION&) const override { return nullptr; }
    CDocument* OpenDocumentFile(LPCSTR, BOOL) override { return nullptr; }
    void SetDefaultTitle(CDocument*) override {}
};

// Answers the next file dialogs: records what the dialog was given and
// fills the name buffer.
class CFileDialogAnswer : public IAfxCommonDialogHook
{
public:
    CFileDialogAnswer() : m_pOld(AfxSetCommonDialogHook(this)) {}
    ~CFileDialogAnswer() override { AfxSetCommonDialogHook(m_pOld); }

    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        CFileDialogEx* pFile = DYNAMIC_DOWNCAST(CFileDialogEx, pDialog);
        if (pFile == nullptr)
            return IDCANCEL;
        const OPENFILENAMEA& ofn = pFile->m_ofn;
        seen = ofn;
        filter.clear();
        if (ofn.lpstrFilter != nullptr)
        {
            // Up to the double NUL that ends it.
            const char* p = ofn.lpstrFilter;
            while (p[0] != '\0' || p[1] != '\0')
                filter.push_back(*p++);
            filter.append("\0\0", 2);
        }
        title = ofn.lpstrTitle ? ofn.lpstrTitle : "";
        defExt = ofn.lpstrDefExt ? ofn.lpstrDefExt : "";
        if (nAnswer == IDOK)
            lstrcpynA(ofn.lpstrFile, strAnswer.c_str(), (int)ofn.nMaxFile);
        return nAnswer;
    }

    INT_PTR nAnswer = IDOK;
    std::string strAnswer;
    OPENFILENAMEA seen = {};
    std::string filter;
    std::string title;
    std::string defExt;

private:
    IAfxCommonDialogHook* m_pOld;
};

std::string Block(std::initializer_list<const char*> parts)
{
    std::string s;
    for (const char* p : parts)
        s.append(p).push_back('\0');
    s.push_back('\0');
    return s;
}

// A dialog whose system part fails with the given reason.
class CFailingFileDialog : public CFileDialogEx
{
public:
    explicit CFailingFileDialog(DWORD dwError) : CFileDialogEx(TRUE), m_dwError(dwError) {}
    int nRuns = 0;

protected:
    BOOL RunSystemDialog(DWORD& dwError) override
    {
        nRuns++;
        dwError = m_dwError;
        return FALSE;
    }
    DWORD m_dwError;
};

std::vector<std::string> AllPaths(const CFileDialogEx& dlg)
{
    std::vector<std::string> paths;
    for (POSITION pos = dlg.GetStartPosition(); pos != nullptr;)
        paths.push_back((LPCSTR)dlg.GetNextPathName(pos));
    return paths;
}

} // namespace

TEST(FileDialogTest, TheStructureIsTheSystemsOwnAndTheOldOneBeforeVersionFive)
{
    EXPECT_EQ(sizeof(OPENFILENAMEA), CFileDialogEx::OfnStructSizeFor(TRUE, 5));
    EXPECT_EQ(sizeof(OPENFILENAMEA), CFileDialogEx::OfnStructSizeFor(TRUE, 10));
    EXPECT_EQ((DWORD)OPENFILENAME_SIZE_VERSION_400A, CFileDialogEx::OfnStructSizeFor(TRUE, 4));
    // An unknown version falls back to the old size, never 0.
    EXPECT_EQ((DWORD)OPENFILENAME_SIZE_VERSION_400A, CFileDialogEx::OfnStructSizeFor(FALSE, 0));
    // The test system is Windows 2000 or later.
    EXPECT_EQ(sizeof(OPENFILENAMEA), CFileDialogEx::GetOfnStructSize());

    CFileDialogEx open(TRUE, "txt", "start.txt", OFN_FILEMUSTEXIST, "Text (*.txt)|*.txt|All|*.*||");
    EXPECT_EQ(sizeof(OPENFILENAMEA), open.m_ofn.lStructSize);
    EXPECT_EQ((DWORD)(OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK), open.m_ofn.Flags);
    EXPECT_EQ(0x00880020u, (DWORD)CFileDialogEx::kFixedFlags);
    EXPECT_EQ(nullptr, open.m_ofn.pvReserved);
    EXPECT_EQ(0u, open.m_ofn.dwReserved);
    EXPECT_EQ(0u, open.m_ofn.FlagsEx);
    EXPECT_NE(nullptr, open.m_ofn.lpfnHook);
    EXPECT_EQ(28676u, open.m_nIDHelp);
    EXPECT_STREQ("txt", open.m_ofn.lpstrDefExt);
    EXPECT_STREQ("start.txt", open.m_ofn.lpstrFile);
    EXPECT_EQ((DWORD)MAX_PATH, open.m_ofn.nMaxFile);
    EXPECT_EQ(64u, open.m_ofn.nMaxFileTitle);
    EXPECT_EQ(std::string("Text (*.txt)\0*.txt\0All\0*.*\0\0", 28), std::string(open.m_ofn.lpstrFilter, 28));

    CFileDialogEx save(FALSE);
    EXPECT_EQ(28677u, save.m_nIDHelp);
    EXPECT_EQ(nullptr, save.m_ofn.lpstrFilter);
    EXPECT_EQ((DWORD)(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | CFileDialogEx::kFixedFlags), save.m_ofn.Flags);
}

TEST(FileDialogTest, TheDocumentManagerBuildsItsFilterFromTheTemplates)
{
    CRecordingPrompts prompts;
    CDocManagerEx manager;
    CTestTemplate* pNotebook = new CTestTemplate("\nNotebook\nNotebook\nNotebooks (*.qlc)\n.qlc\nQ.Doc\nQ Doc");
    CTestTemplate* pNoFilter = new CTestTemplate("\nPlain\nPlain\n\n\nP.Doc\nP Doc");
    CTestTemplate* pText = new CTestTemplate("\nText\nText\nText Files (*.txt)\n.txt\nT.Doc\nT Doc");

    CFileDialogAnswer answer;
    answer.strAnswer = "C:\\notes\\chosen.qlc";

    // Every template in order; the first sets the default and the selection.
    manager.AddDocTemplate(pNotebook);
    manager.AddDocTemplate(pNoFilter);
    manager.AddDocTemplate(pText);
    CString strName;
    ASSERT_TRUE(manager.DoPromptFileName(strName, AFX_IDS_OPENFILE, OFN_FILEMUSTEXIST, TRUE, nullptr));
    EXPECT_EQ("C:\\notes\\chosen.qlc", std::string((LPCSTR)strName));
    EXPECT_EQ(Block({ "Notebooks (*.qlc)", "*.qlc", "Text Files (*.txt)", "*.txt", "All Files (*.*)", "*.*" }),
              answer.filter);
    EXPECT_EQ(1u, answer.seen.nFilterIndex);
    EXPECT_EQ(3u, answer.seen.nMaxCustFilter);
    EXPECT_EQ("qlc", answer.defExt);
    EXPECT_EQ("Open", answer.title);
    EXPECT_EQ((DWORD)(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST | CFileDialogEx::kFixedFlags),
              answer.seen.Flags);
    EXPECT_EQ(sizeof(OPENFILENAMEA), answer.seen.lStructSize);

    // One template asked for: only its filter and All Files.
    strName = "draft.txt";
    ASSERT_TRUE(manager.DoPromptFileName(strName, AFX_IDS_SAVEFILE, 0, FALSE, pText));
    EXPECT_EQ(Block({ "Text Files (*.txt)", "*.txt", "All Files (*.*)", "*.*" }), answer.filter);
    EXPECT_EQ(1u, answer.seen.nFilterIndex);
    EXPECT_EQ("txt", answer.defExt);
    EXPECT_EQ("Save As", answer.title);

    // A template without a filter that comes first sets nothing.
    manager.m_templateList.RemoveAll();
    manager.AddDocTemplate(pNoFilter);
    manager.AddDocTemplate(pText);
    manager.AddDocTemplate(pNotebook);
    ASSERT_TRUE(manager.DoPromptFileName(strName, AFX_IDS_OPENFILE, 0, TRUE, nullptr));
    EXPECT_EQ(Block({ "Text Files (*.txt)", "*.txt", "Notebooks (*.qlc)", "*.qlc", "All Files (*.*)", "*.*" }),
              answer.filter);
    EXPECT_EQ(0u, answer.seen.nFilterIndex);
    EXPECT_EQ("", answer.defExt);

    // Cancel: FALSE, and the name as the dialog left it.
    answer.nAnswer = IDCANCEL;
    strName = "kept.qlc";
    EXPECT_FALSE(manager.DoPromptFileName(strName, AFX_IDS_OPENFILE, 0, TRUE, nullptr));
    EXPECT_EQ("kept.qlc", std::string((LPCSTR)strName));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST(FileDialogTest, NextPathNameWalksMultipleSelections)
{
    char buffer[256];
    CFileDialogEx dlg(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
    dlg.m_ofn.lpstrFile = buffer;
    dlg.m_ofn.nMaxFile = sizeof(buffer);
    auto fill = [&](const std::string& s) {
        memset(buffer, 0, sizeof(buffer));
        memcpy(buffer, s.data(), s.size());
    };

    // Folder, then the names.
    fill(std::string("C:\\data\0a.txt\0b c.TXT\0last\0\0", 27));
    EXPECT_EQ((std::vector<std::string>{ "C:\\data\\a.txt", "C:\\data\\b c.TXT", "C:\\data\\last" }), AllPaths(dlg));
    // A folder that ends in a separator gets no second one.
    fill(std::string("C:\\\0x\0y\0\0", 9));
    EXPECT_EQ((std::vector<std::string>{ "C:\\x", "C:\\y" }), AllPaths(dlg));
    fill(std::string("D:/up/\0z\0w\0\0", 12));
    EXPECT_EQ((std::vector<std::string>{ "D:/up/z", "D:/up/w" }), AllPaths(dlg));
    // One name: the buffer is the whole path, given once.
    fill(std::string("C:\\data\\only.txt\0\0", 18));
    EXPECT_EQ((std::vector<std::string>{ "C:\\data\\only.txt" }), AllPaths(dlg));
    // Nothing chosen: no position.
    fill(std::string());
    EXPECT_EQ(nullptr, dlg.GetStartPosition());

    // Without multiple selection the buffer is one path, whatever follows.
    dlg.m_ofn.Flags &= ~OFN_ALLOWMULTISELECT;
    fill(std::string("C:\\data\0a.txt\0\0", 15));
    EXPECT_EQ((std::vector<std::string>{ "C:\\data" }), AllPaths(dlg));
}

TEST(FileDialogTest, ASelectionTooLargeForTheBufferIsTold)
{
    CRecordingPrompts prompts;
    CFailingFileDialog tooMany(FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(IDCANCEL, tooMany.DoModal());
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_NE(std::string::npos, prompts.boxes[0].text.find("Too many files were selected"));
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), prompts.boxes[0].type);

    // Any other failure of the system is told too; a cancel is not.
    CFailingFileDialog broken(CDERR_STRUCTSIZE);
    EXPECT_EQ(IDCANCEL, broken.DoModal());
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_NE(std::string::npos, prompts.boxes[1].text.find("could not be shown (error 1)"));
    CFailingFileDialog cancelled(0);
    EXPECT_EQ(IDCANCEL, cancelled.DoModal());
    EXPECT_EQ(2u, prompts.boxes.size());
    EXPECT_EQ(1, cancelled.nRuns);
}

// ---------------------------------------------------------------------------
// The system's own dialog

namespace {

// A folder with files, removed afterwards.
struct CScratchFolder
{
    CScratchFolder()
    {
        char szTemp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, szTemp);
        path = std::string(szTemp) + "qlcfiledlg" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(path.c_str(), nullptr);
    }
    ~CScratchFolder()
    {
        for (const std::string& name : names)
            ::DeleteFileA((path + "\\" + name).c_str());
        ::RemoveDirectoryA(path.c_str());
    }
    void Add(const std::string& name)
    {
        HANDLE h = ::CreateFileA((path + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::CloseHandle(h);
        names.push_back(name);
    }
    std::string path;
    std::vector<std::string> names;
};

// Types a file name into the dialog of the given title and presses Open,
// as a user would, from a thread of its own.
class CDialogTyper
{
public:
    CDialogTyper(const std::string& title, const std::string& text)
        : m_thread([this, title, text]() { Run(title, text); })
    {
    }
    ~CDialogTyper()
    {
        m_stop = true;
        m_thread.join();
    }
    std::atomic<bool> found{ false };

private:
    void Run(const std::string& title, const std::string& text)
    {
        const DWORD dwStart = ::GetTickCount();
        while (!m_stop && ::GetTickCount() - dwStart < 20000)
        {
            HWND hDlg = ::FindWindowA(nullptr, title.c_str());
            if (hDlg != nullptr && ::IsWindowVisible(hDlg))
            {
                found = true;
                ::Sleep(200);
                // The name box is edt1 or, in the Explorer layout, cmb13.
                ::SendMessageA(hDlg, CDM_SETCONTROLTEXT, edt1, (LPARAM)text.c_str());
                ::SendMessageA(hDlg, CDM_SETCONTROLTEXT, cmb13, (LPARAM)text.c_str());
                ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return;
            }
            ::Sleep(50);
        }
    }
    std::atomic<bool> m_stop{ false };
    std::thread m_thread;
};

} // namespace

TEST(FileDialogTest, TheSystemsDialogTakesTheStructureAndAMultipleSelection)
{
    CScratchFolder folder;
    folder.Add("first.txt");
    folder.Add("second.txt");
    CRecordingPrompts prompts;

    std::vector<char> names(4096, '\0');
    CFileDialogEx dlg(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST, "Text|*.txt|");
    dlg.m_ofn.lpstrFile = names.data();
    dlg.m_ofn.nMaxFile = (DWORD)names.size();
    dlg.m_ofn.lpstrInitialDir = folder.path.c_str();
    dlg.m_ofn.lpstrTitle = "QlcMultiOpenTest";
    INT_PTR nResult;
    {
        CDialogTyper typer("QlcMultiOpenTest", "\"first.txt\" \"second.txt\"");
        nResult = dlg.DoModal();
        EXPECT_TRUE(typer.found);
    }
    ASSERT_EQ(IDOK, nResult) << "extended error " << ::CommDlgExtendedError();
    std::vector<std::string> paths = AllPaths(dlg);
    ASSERT_EQ(2u, paths.size());
    for (std::string& p : paths)
        p = p.substr(p.find_last_of('\\') + 1);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ((std::vector<std::string>{ "first.txt", "second.txt" }), paths);
    EXPECT_TRUE(prompts.boxes.empty());
    // The dialog is let go once it has returned.
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(FileDialogTest, TheSystemsDialogReportsASelectionTooLargeAndTheUserIsTold)
{
    CScratchFolder folder;
    folder.Add("a-rather-long-file-name-for-a-small-buffer.txt");
    CRecordingPrompts prompts;

    char szSmall[16] = "";
    CFileDialogEx dlg(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
    dlg.m_ofn.lpstrFile = szSmall;
    dlg.m_ofn.nMaxFile = sizeof(szSmall);
    dlg.m_ofn.lpstrInitialDir = folder.path.c_str();
    dlg.m_ofn.lpstrTitle = "QlcSmallBufferTest";
    INT_PTR nResult;
    {
        CDialogTyper typer("QlcSmallBufferTest", "a-rather-long-file-name-for-a-small-buffer.txt");
        nResult = dlg.DoModal();
        EXPECT_TRUE(typer.found);
    }
    EXPECT_EQ(IDCANCEL, nResult);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_NE(std::string::npos, prompts.boxes[0].text.find("Too many files were selected"));
}
