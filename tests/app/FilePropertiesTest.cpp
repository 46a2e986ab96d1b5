// File > Properties end to end through the program's own windows and the
// stand-in encryption library: a plain notebook encrypted from its options,
// saved, closed and opened again only with its password, then decrypted and
// opened without one; and an unlisted cipher that never reaches the file.
#include "NotebookWindowSupport.h"
#include "SheetScripts.h"

#include "app/CFileOptionsSheet.h"
#include "app/CQlcPrompts.h"
#include "app/res/CryptSettingsDlgRes.h"
#include "app/res/FileOptionsCryptDlgRes.h"
#include "app/res/FileOptionsSortDlgRes.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include <fstream>
#include <iterator>

namespace {

const DWORD kBlowfish = 0x102;

class FilePropertiesTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        ASSERT_TRUE(app.m_cryptHandler.Load());
        // Passwords asked while opening go to the program's password dialog.
        QlcSetPrompts(&m_appPrompts);
    }
    static CFileOptionsSheet* Sheet(CPropertySheet* pSheet) { return DYNAMIC_DOWNCAST(CFileOptionsSheet, pSheet); }
    // The magic text at the start of a notebook file (a byte count, then
    // UTF-16 up to its NUL).
    static std::string MagicOf(LPCSTR lpszPath)
    {
        std::ifstream in(lpszPath, std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string text;
        for (size_t i = 4; i + 1 < data.size() && i < 4 + 64 && data[i] != 0; i += 2)
            text += data[i];
        return text;
    }
    void SaveAndClose(CQuillcrestDoc* pDoc)
    {
        FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_FILE_SAVE);
        EXPECT_FALSE(pDoc->IsModified());
        app.CloseAllDocuments(FALSE);
        PumpMessages();
        EXPECT_EQ(0, app.GetOpenDocumentCount());
    }
    // Opens the notebook answering the password dialog (nullptr: Cancel).
    CQuillcrestDoc* OpenWith(LPCSTR lpszPath, LPCSTR lpszPassword, int* pnDialogs)
    {
        CSheetScripts scripts;
        scripts.password = [&](CSetPasswordDlg* pDlg) {
            if (lpszPassword == nullptr)
                return;
            Type(pDlg, IDC_PASSWORD_FIRST, lpszPassword);
            ClickButton(pDlg, IDOK);
        };
        CQuillcrestDoc* pDoc = Open(lpszPath);
        *pnDialogs = scripts.nPasswords;
        return pDoc;
    }

    CQlcPrompts m_appPrompts;
};

} // namespace

TEST_F(FilePropertiesTest, APlainNotebookEncryptedFromItsOptionsOpensOnlyWithItsPasswordUntilDecrypted)
{
    CNotebookBuilder builder;
    const std::string rtf = SimpleRtf("Kept through every step");
    builder.Note("Note", 0, rtf.c_str());
    CQuillcrestDoc* pDoc = OpenBuilt(builder, "journey.qlc");
    ASSERT_NE(nullptr, pDoc);
    const CString strPath = Path("journey.qlc");
    EXPECT_EQ(1, QueryCommand(FrameOf(pDoc), ID_FILE_PROPERTIES).nEnabled);

    // Encrypted from the options.
    std::string strCaption;
    {
        CSheetScripts scripts;
        scripts.password = [&](CSetPasswordDlg* pDlg) {
            Type(pDlg, IDC_PASSWORD_FIRST, "Open Sesame");
            ClickButton(pDlg, IDOK);
        };
        scripts.sheet = [&](CPropertySheet* pSheet) {
            CString str;
            pSheet->GetWindowText(str);
            strCaption = str.GetString();
            CFileOptionsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
            pSheet->SetActivePage(pPage);
            EXPECT_FALSE(IsChecked(pPage, IDC_FILECRYPT_ENCRYPT));
            Press(pPage, IDC_FILECRYPT_ENCRYPT);
            Type(pPage, IDC_FILECRYPT_PASSWORD, "Open Sesame");
            ClickButton(pSheet, IDOK);
        };
        pDoc->SetModified(FALSE);
        FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_FILE_PROPERTIES);
        EXPECT_EQ(1, scripts.nSheets);
        EXPECT_EQ(1, scripts.nPasswords);
    }
    EXPECT_EQ("File Properties (journey.qlc)", strCaption);
    EXPECT_TRUE(pDoc->IsEncryptedNotebook());
    EXPECT_TRUE(pDoc->IsModified());
    SaveAndClose(pDoc);
    EXPECT_EQ("Encrypted Quillcrest File V2", MagicOf(strPath));

    // A wrong password is refused, Cancel keeps it closed, the right one opens it.
    int nDialogs = 0;
    EXPECT_EQ(nullptr, OpenWith(strPath, "open sesame", &nDialogs));
    EXPECT_EQ(1, nDialogs);
    EXPECT_EQ(2, QlcApp().GetLastReadResult());
    EXPECT_EQ((std::vector<std::string>{ "Incorrect Password - Access Denied" }), TakeMessages());
    EXPECT_EQ(nullptr, OpenWith(strPath, nullptr, &nDialogs));
    EXPECT_EQ(1, nDialogs);
    EXPECT_EQ(2, QlcApp().GetLastReadResult());
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(0, app.GetOpenDocumentCount());
    pDoc = OpenWith(strPath, "Open Sesame", &nDialogs);
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ(1, nDialogs);
    EXPECT_EQ(rtf, ReadPayload(pDoc, NodeIdByName(pDoc, "Note")));

    // Decrypted from the options: the placeholder stands for the password.
    {
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            CFileOptionsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
            pSheet->SetActivePage(pPage);
            EXPECT_TRUE(IsChecked(pPage, IDC_FILECRYPT_ENCRYPT));
            EXPECT_EQ(CFileOptionsPage_Crypt::kPasswordPlaceholder, TextOf(pPage, IDC_FILECRYPT_PASSWORD));
            Press(pPage, IDC_FILECRYPT_ENCRYPT);
            ClickButton(pSheet, IDOK);
        };
        FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_FILE_PROPERTIES);
        EXPECT_EQ(0, scripts.nPasswords);
    }
    EXPECT_FALSE(pDoc->IsEncryptedNotebook());
    SaveAndClose(pDoc);
    EXPECT_EQ("Quillcrest File", MagicOf(strPath));

    pDoc = OpenWith(strPath, "unused", &nDialogs);
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ(0, nDialogs);
    EXPECT_EQ(rtf, ReadPayload(pDoc, NodeIdByName(pDoc, "Note")));
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(FilePropertiesTest, AnUnlistedCipherNeverProducesANotebookThatCannotBeOpened)
{
    CNotebookBuilder builder;
    const std::string rtf = SimpleRtf("Still readable");
    builder.Note("Note", 0, rtf.c_str());
    CQuillcrestDoc* pDoc = OpenBuilt(builder, "unlisted.qlc");
    ASSERT_NE(nullptr, pDoc);
    const CString strPath = Path("unlisted.qlc");

    int nSettingsRun = 0;
    BOOL bRefused = FALSE;
    CSheetScripts scripts;
    scripts.settings = [&](CCryptSettingsDlg* pDlg) {
        if (++nSettingsRun == 1)
        {
            // No selection: OK refused, then Cancel.
            ClearComboSelection(pDlg, IDC_CRYPT_CIPHER);
            ClickButton(pDlg, IDOK);
            return;
        }
        ChooseComboData(pDlg, IDC_CRYPT_CIPHER, kBlowfish);
        ClickButton(pDlg, IDOK);
    };
    scripts.password = [&](CSetPasswordDlg* pDlg) {
        Type(pDlg, IDC_PASSWORD_FIRST, "fish");
        ClickButton(pDlg, IDOK);
    };
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        Press(pPage, IDC_FILECRYPT_ENCRYPT);
        Type(pPage, IDC_FILECRYPT_PASSWORD, "fish");
        Press(pPage, IDC_FILECRYPT_ADVANCED);
        // An id the library does not list, however it got there.
        pPage->m_dwCipherId = (DWORD)-1;
        ClickButton(pSheet, IDOK);
        bRefused = pSheet->ContinueModal();
        Press(pPage, IDC_FILECRYPT_ADVANCED); // a listed one
        Type(pPage, IDC_FILECRYPT_PASSWORD, "fish");
        ClickButton(pSheet, IDOK);
    };
    FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_FILE_PROPERTIES);
    EXPECT_TRUE(bRefused);
    EXPECT_EQ(2, nSettingsRun);
    EXPECT_EQ(1, scripts.nPasswords);
    EXPECT_EQ(2u, TakeMessages().size()); // the settings' refusal and the sheet's
    EXPECT_EQ(kBlowfish, pDoc->GetCryptHeader().dwCipherId);
    EXPECT_EQ(16u, pDoc->GetCryptHeader().dwKeyLength);
    SaveAndClose(pDoc);

    int nDialogs = 0;
    pDoc = OpenWith(strPath, "fish", &nDialogs);
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ(1, nDialogs);
    EXPECT_EQ(kBlowfish, pDoc->GetCryptHeader().dwCipherId);
    EXPECT_EQ(rtf, ReadPayload(pDoc, NodeIdByName(pDoc, "Note")));
}

TEST_F(FilePropertiesTest, ANewSortOrderRebuildsTheTree)
{
    CNotebookBuilder builder;
    const DWORD dwFolder = builder.Folder("Folder");
    builder.Note("inner b", dwFolder);
    builder.Note("inner a", dwFolder);
    builder.Note("beta");
    builder.Note("10 alpha");
    builder.Note("9 gamma");
    CQuillcrestDoc* pDoc = OpenBuilt(builder, "sorted.qlc");
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->Expand(FindItem(*pTree, "Folder"), TVE_EXPAND);
    EXPECT_EQ("Folder{inner a, inner b}, 10 alpha, 9 gamma, beta", DescribeTree(*pTree));

    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsPage_Sort* pPage = &Sheet(pSheet)->m_pageSort;
        Press(pPage, IDC_SORT_FOLDERS_LAST);
        Press(pPage, IDC_SORT_Z_TO_A);
        Press(pPage, IDC_SORT_NUMERICAL);
        ClickButton(pSheet, IDOK);
    };
    FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_FILE_PROPERTIES);
    // Z to A with numbers by value (ascending), folders last and still open.
    EXPECT_EQ("beta, 9 gamma, 10 alpha, Folder{inner b, inner a}", DescribeTree(*pTree));
    EXPECT_TRUE(pTree->GetItemState(FindItem(*pTree, "Folder"), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(pDoc->IsModified());
}
