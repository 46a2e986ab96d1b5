// The notebook options sheet and the encryption settings dialog through real
// windows, with the stand-in encryption library: the sort words, the logo,
// the encryption choice and its refusals, and the password placeholder.
#include "NotebookWindowSupport.h"
#include "SheetScripts.h"

#include "app/CCryptSettingsDlg.h"
#include "app/CFileOptionsSheet.h"
#include "app/res/CryptSettingsDlgRes.h"
#include "app/res/FileOptionsCryptDlgRes.h"
#include "app/res/FileOptionsLogoDlgRes.h"
#include "app/res/FileOptionsSortDlgRes.h"
#include "app/res/SetPasswordDlgRes.h"

#include "framework/ui/CCommonDialog.h"
#include "framework/ui/CFileDialog.h"

#include <cstring>
#include <fstream>

namespace {

const DWORD kAes = 0x101;
const DWORD kBlowfish = 0x102;
const DWORD kSha1 = 0x201;
const DWORD kSha256 = 0x202;

// Answers the open-file dialog with the next path of a list (IDCANCEL once
// the list is used up) and keeps what the dialog was given.
class CFileAnswers : public IAfxCommonDialogHook
{
public:
    explicit CFileAnswers(std::vector<CString> paths) : m_paths(std::move(paths)), m_pOld(AfxSetCommonDialogHook(this)) {}
    ~CFileAnswers() override { AfxSetCommonDialogHook(m_pOld); }
    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        CFileDialog* pFile = DYNAMIC_DOWNCAST(CFileDialog, pDialog);
        if (pFile == nullptr || m_nNext >= m_paths.size())
            return IDCANCEL;
        strTitle = pFile->m_ofn.lpstrTitle ? pFile->m_ofn.lpstrTitle : "";
        strFirstFilter = pFile->m_ofn.lpstrFilter ? pFile->m_ofn.lpstrFilter : "";
        nMaxFile = pFile->m_ofn.nMaxFile;
        dwFlags = pFile->m_ofn.Flags;
        bOpen = pFile->m_bOpenFileDialog;
        pFile->SetPathName(m_paths[m_nNext++]);
        return IDOK;
    }
    CString strTitle;
    CString strFirstFilter;
    DWORD nMaxFile = 0;
    DWORD dwFlags = 0;
    BOOL bOpen = FALSE;

private:
    std::vector<CString> m_paths;
    size_t m_nNext = 0;
    IAfxCommonDialogHook* m_pOld;
};

// A 24-bit BMP file of the size, every pixel grey.
void WriteBmp(LPCSTR lpszPath, int cx, int cy)
{
    const DWORD dwRow = ((DWORD)cx * 3 + 3) & ~3u;
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = cx;
    bih.biHeight = cy;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    BITMAPFILEHEADER bf = {};
    bf.bfType = 0x4D42;
    bf.bfOffBits = sizeof(bf) + sizeof(bih);
    bf.bfSize = bf.bfOffBits + dwRow * (DWORD)cy;
    std::ofstream out(lpszPath, std::ios::binary);
    out.write((const char*)&bf, sizeof(bf));
    out.write((const char*)&bih, sizeof(bih));
    const std::string row(dwRow, '\x80');
    for (int y = 0; y < cy; y++)
        out.write(row.data(), (std::streamsize)row.size());
}

class NotebookOptionsTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        ASSERT_TRUE(app.m_cryptHandler.Load());
        ASSERT_TRUE(doc.OnNewDocument());
        doc.SetTitle("options.qlc");
    }
    void Encrypt(LPCSTR lpszPassword, DWORD dwCipherId = kAes, DWORD dwKeyLength = 32)
    {
        ASSERT_TRUE(doc.Data_SetFileEncryption(dwCipherId, dwKeyLength, kSha256, lpszPassword,
                                               (DWORD)strlen(lpszPassword)));
        doc.SetModified(FALSE);
    }
    // Runs the sheet on the notebook as File > Properties shows it.
    INT_PTR RunSheet(CFileOptionsSheet& sheet)
    {
        sheet.m_pDoc = &doc;
        return sheet.DoModal();
    }
    static CFileOptionsSheet* Sheet(CPropertySheet* pSheet) { return DYNAMIC_DOWNCAST(CFileOptionsSheet, pSheet); }

    CQuillcrestDoc doc;
};

} // namespace

// --- Sort order --------------------------------------------------------------------------------

TEST_F(NotebookOptionsTest, SortWordsComeFromTheRadiosAndTheCheckAndOkMarksTheNotebookModified)
{
    struct Case
    {
        WORD wOrder, wFolders;                  // stored before
        int nFolderButton, nOrderButton;        // shown checked (0 for none)
        BOOL bNumerical;
        int nClickFolder, nClickOrder;          // pressed (0 for none)
        BOOL bToggleNumerical;
        WORD wNewOrder, wNewFolders;            // stored after OK
    };
    const Case cases[] = {
        { 3, 1, IDC_SORT_FOLDERS_LAST, IDC_SORT_Z_TO_A, TRUE, IDC_SORT_FOLDERS_NONE, IDC_SORT_A_TO_Z, TRUE, 0, 2 },
        { 0, 0, IDC_SORT_FOLDERS_FIRST, IDC_SORT_A_TO_Z, FALSE, 0, IDC_SORT_Z_TO_A, TRUE, 3, 0 },
        { 2, 2, IDC_SORT_FOLDERS_NONE, IDC_SORT_A_TO_Z, TRUE, IDC_SORT_FOLDERS_FIRST, 0, FALSE, 2, 0 },
        // Words the page has no button for stay as they were.
        { 5, 7, 0, 0, FALSE, 0, 0, FALSE, 5, 7 },
        { 7, 9, 0, 0, TRUE, 0, 0, TRUE, 5, 9 },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "stored " << c.wOrder << "/" << c.wFolders);
        doc.SetSortOptions(c.wOrder, c.wFolders);
        doc.SetModified(FALSE);
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            CPropertyPage* pPage = &Sheet(pSheet)->m_pageSort;
            EXPECT_EQ(pPage, pSheet->GetActivePage());
            const int folders[] = { IDC_SORT_FOLDERS_FIRST, IDC_SORT_FOLDERS_LAST, IDC_SORT_FOLDERS_NONE };
            for (int nID : folders)
                EXPECT_EQ(nID == c.nFolderButton, IsChecked(pPage, nID)) << nID;
            const int orders[] = { IDC_SORT_A_TO_Z, IDC_SORT_Z_TO_A };
            for (int nID : orders)
                EXPECT_EQ(nID == c.nOrderButton, IsChecked(pPage, nID)) << nID;
            EXPECT_EQ(c.bNumerical, IsChecked(pPage, IDC_SORT_NUMERICAL));
            if (c.nClickFolder)
                Press(pPage, c.nClickFolder);
            if (c.nClickOrder)
                Press(pPage, c.nClickOrder);
            if (c.bToggleNumerical)
                Press(pPage, IDC_SORT_NUMERICAL);
            ClickButton(pSheet, IDOK);
        };
        CFileOptionsSheet sheet("File Properties (options.qlc)");
        EXPECT_EQ(IDOK, RunSheet(sheet));
        WORD wOrder = 0, wFolders = 0;
        doc.GetSortOptions(wOrder, wFolders);
        EXPECT_EQ(c.wNewOrder, wOrder);
        EXPECT_EQ(c.wNewFolders, wFolders);
        EXPECT_TRUE(doc.IsModified());
    }

    // Cancel stores nothing.
    doc.SetSortOptions(0, 0);
    doc.SetModified(FALSE);
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) { Press(&Sheet(pSheet)->m_pageSort, IDC_SORT_Z_TO_A); };
    CFileOptionsSheet sheet("File Properties (options.qlc)");
    EXPECT_EQ(IDCANCEL, RunSheet(sheet));
    WORD wOrder = 9, wFolders = 9;
    doc.GetSortOptions(wOrder, wFolders);
    EXPECT_EQ(0, wOrder);
    EXPECT_EQ(0, wFolders);
    EXPECT_FALSE(doc.IsModified());
}

// --- Encryption page ------------------------------------------------------------------------------

TEST_F(NotebookOptionsTest, ThePasswordPlaceholderIsTwentyTwoFixedBytes)
{
    static const BYTE expected[] = { 0x5C, 0x2F, 0x2A, 0x2A, 0x43, 0x48, 0x4B, 0x56, 0x2D, 0xA5, 0xA6,
                                     0xA7, 0xA8, 0x2D, 0x57, 0x4F, 0x52, 0x44, 0x2A, 0x2A, 0x5C, 0x2F };
    ASSERT_EQ(sizeof(expected), strlen(CFileOptionsPage_Crypt::kPasswordPlaceholder));
    EXPECT_EQ(0, memcmp(expected, CFileOptionsPage_Crypt::kPasswordPlaceholder, sizeof(expected)));

    // An encrypted notebook's password edit holds exactly these bytes.
    Encrypt("first");
    std::string strShown;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        strShown = TextOf(pPage, IDC_FILECRYPT_PASSWORD);
    };
    CFileOptionsSheet sheet("File Properties (options.qlc)");
    EXPECT_EQ(IDCANCEL, RunSheet(sheet));
    EXPECT_EQ(std::string((const char*)expected, sizeof(expected)), strShown);
}

TEST_F(NotebookOptionsTest, AnEncryptedNotebookWithOkUntouchedChangesNothing)
{
    Encrypt("first");
    const QLCCRYPTHEADER before = doc.GetCryptHeader();
    for (BOOL bVisitPage : { FALSE, TRUE })
    {
        SCOPED_TRACE(bVisitPage ? "page shown" : "page never shown");
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            CFileOptionsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
            if (bVisitPage)
            {
                pSheet->SetActivePage(pPage);
                EXPECT_TRUE(IsChecked(pPage, IDC_FILECRYPT_ENCRYPT));
                EXPECT_TRUE(IsEnabled(pPage, IDC_FILECRYPT_PASSWORD));
                EXPECT_TRUE(IsEnabled(pPage, IDC_FILECRYPT_ADVANCED));
                EXPECT_TRUE(IsEnabled(pPage, IDC_FILECRYPT_PASSWORD_LABEL));
                EXPECT_EQ("", TextOf(pPage, IDC_FILECRYPT_STATUS));
            }
            ClickButton(pSheet, IDOK);
        };
        CFileOptionsSheet sheet("File Properties (options.qlc)");
        EXPECT_EQ(IDOK, RunSheet(sheet));
        EXPECT_FALSE(sheet.m_bCryptChanged);
        EXPECT_EQ(0, scripts.nPasswords);
        const QLCCRYPTHEADER after = doc.GetCryptHeader();
        EXPECT_EQ(0, memcmp(&before, &after, sizeof(before)));
    }
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(NotebookOptionsTest, UncheckingEncryptionReportsItRemovedWithIdsZero)
{
    Encrypt("first");
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        Press(pPage, IDC_FILECRYPT_ENCRYPT);
        EXPECT_FALSE(IsEnabled(pPage, IDC_FILECRYPT_PASSWORD));
        EXPECT_FALSE(IsEnabled(pPage, IDC_FILECRYPT_ADVANCED));
        ClickButton(pSheet, IDOK);
    };
    CFileOptionsSheet sheet("File Properties (options.qlc)");
    EXPECT_EQ(IDOK, RunSheet(sheet));
    EXPECT_TRUE(sheet.m_bCryptChanged);
    EXPECT_EQ(0u, sheet.m_dwCipherId);
    EXPECT_EQ(0u, sheet.m_dwHashId);
    EXPECT_EQ(0u, sheet.m_dwKeyLength);
    EXPECT_EQ(0, scripts.nPasswords);

    // A plain notebook left plain changes nothing.
    ASSERT_TRUE(doc.Data_SetFileEncryption(0, 0, 0, "", 0));
    CSheetScripts plain;
    plain.sheet = [&](CPropertySheet* pSheet) { ClickButton(pSheet, IDOK); };
    CFileOptionsSheet again("File Properties (options.qlc)");
    EXPECT_EQ(IDOK, RunSheet(again));
    EXPECT_FALSE(again.m_bCryptChanged);
}

TEST_F(NotebookOptionsTest, AdvancedEmptiesThePasswordAndOkThenAsksForANewOneOnTheEncryptionPage)
{
    Encrypt("first");
    HWND hFocusAfterRefusal = nullptr, hPasswordEdit = nullptr;
    int nActiveAfterRefusal = -1;
    BOOL bOpenAfterRefusal = FALSE, bOpenAfterCancelledConfirm = FALSE;
    std::vector<std::string> confirmTyped = { "other", "fresh" };
    CSheetScripts scripts;
    scripts.settings = [&](CCryptSettingsDlg* pDlg) {
        ChooseComboData(pDlg, IDC_CRYPT_CIPHER, kBlowfish);
        ClickButton(pDlg, IDOK);
    };
    scripts.password = [&](CSetPasswordDlg* pDlg) {
        EXPECT_EQ((UINT)CSetPasswordDlg::modeConfirm, pDlg->m_nFlags);
        if (scripts.nPasswords == 1)
            return; // cancelled: the sheet stays open
        Type(pDlg, IDC_PASSWORD_FIRST, "fresh");
        ClickButton(pDlg, IDOK);
    };
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsSheet* pOptions = Sheet(pSheet);
        CFileOptionsPage_Crypt* pPage = &pOptions->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        Press(pPage, IDC_FILECRYPT_ADVANCED);
        EXPECT_EQ("", TextOf(pPage, IDC_FILECRYPT_PASSWORD));
        EXPECT_EQ(kBlowfish, pPage->m_dwCipherId);

        // Back to the first page, then OK: the sheet comes back to the password.
        pSheet->SetActivePage(0);
        ClickButton(pSheet, IDOK);
        bOpenAfterRefusal = pSheet->ContinueModal();
        nActiveAfterRefusal = pSheet->GetActiveIndex();
        hFocusAfterRefusal = ::GetFocus();
        hPasswordEdit = Item(pPage, IDC_FILECRYPT_PASSWORD);

        // The confirmation cancelled keeps the sheet open as well.
        Type(pPage, IDC_FILECRYPT_PASSWORD, "fresh");
        ClickButton(pSheet, IDOK);
        bOpenAfterCancelledConfirm = pSheet->ContinueModal();
        ClickButton(pSheet, IDOK);
    };
    CFileOptionsSheet sheet("File Properties (options.qlc)");
    EXPECT_EQ(IDOK, RunSheet(sheet));

    EXPECT_TRUE(bOpenAfterRefusal);
    EXPECT_EQ(2, nActiveAfterRefusal);
    EXPECT_EQ(hPasswordEdit, hFocusAfterRefusal);
    EXPECT_TRUE(bOpenAfterCancelledConfirm);
    const std::vector<RecordedBox> boxes = m_pPrompts->boxes;
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Please enter a new password.", boxes[0].text);
    EXPECT_EQ("New Password", boxes[0].caption);
    EXPECT_EQ((UINT)MB_ICONWARNING, boxes[0].type & MB_ICONMASK);

    EXPECT_EQ(2, scripts.nPasswords);
    EXPECT_TRUE(sheet.m_bCryptChanged);
    EXPECT_EQ("fresh", sheet.m_strNewPassword);
    EXPECT_EQ(kBlowfish, sheet.m_dwCipherId);
    EXPECT_EQ(kSha256, sheet.m_dwHashId);
    EXPECT_EQ(16u, sheet.m_dwKeyLength); // another cipher: its default key
}

TEST_F(NotebookOptionsTest, ANewPasswordForTheSameAlgorithmsIsConfirmedAndKeepsTheKeyLength)
{
    Encrypt("first", kAes, 24);
    CSheetScripts scripts;
    scripts.password = [&](CSetPasswordDlg* pDlg) {
        EXPECT_EQ("second", pDlg->m_strNewPassword);
        Type(pDlg, IDC_PASSWORD_FIRST, "second");
        ClickButton(pDlg, IDOK);
    };
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        Type(pPage, IDC_FILECRYPT_PASSWORD, "second");
        ClickButton(pSheet, IDOK);
    };
    CFileOptionsSheet sheet("File Properties (options.qlc)");
    EXPECT_EQ(IDOK, RunSheet(sheet));
    EXPECT_TRUE(sheet.m_bCryptChanged);
    EXPECT_EQ(kAes, sheet.m_dwCipherId);
    EXPECT_EQ(24u, sheet.m_dwKeyLength);
    EXPECT_EQ("second", sheet.m_strNewPassword);
}

// --- Encryption settings dialog -----------------------------------------------------------------

TEST_F(NotebookOptionsTest, TheSettingsListTheLibrarysAlgorithmsAndShowTheStrength)
{
    std::string strCiphers, strHashes, strStrengthAes, strStrengthBlowfish, strCaption;
    CSheetScripts scripts;
    scripts.settings = [&](CCryptSettingsDlg* pDlg) {
        CString str;
        pDlg->GetWindowText(str);
        strCaption = str.GetString();
        strCiphers = DescribeCombo(pDlg, IDC_CRYPT_CIPHER);
        strHashes = DescribeCombo(pDlg, IDC_CRYPT_HASH);
        strStrengthAes = TextOf(pDlg, IDC_CRYPT_STRENGTH);
        ChooseComboData(pDlg, IDC_CRYPT_CIPHER, kBlowfish);
        strStrengthBlowfish = TextOf(pDlg, IDC_CRYPT_STRENGTH);
        ChooseComboData(pDlg, IDC_CRYPT_HASH, kSha1);
        ClickButton(pDlg, IDOK);
    };
    CCryptSettingsDlg dlg;
    dlg.m_dwCipherId = kAes;
    dlg.m_dwHashId = kSha256;
    dlg.m_dwKeyLength = 32;
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("Encryption Settings", strCaption);
    EXPECT_EQ("[AES=101], Blowfish=102", strCiphers);
    EXPECT_EQ("SHA-1=201, [SHA-256=202]", strHashes);
    EXPECT_EQ("256-bit", strStrengthAes);
    EXPECT_EQ("128-bit", strStrengthBlowfish);
    EXPECT_EQ(kBlowfish, dlg.m_dwCipherId);
    EXPECT_EQ(kSha1, dlg.m_dwHashId);
    EXPECT_EQ(0u, dlg.m_dwKeyLength); // the new cipher's default applies

    // The same cipher keeps the key length.
    CSheetScripts same;
    same.settings = [&](CCryptSettingsDlg* pDlg) { ClickButton(pDlg, IDOK); };
    CCryptSettingsDlg dlgSame;
    dlgSame.m_dwCipherId = kBlowfish;
    dlgSame.m_dwHashId = kSha1;
    dlgSame.m_dwKeyLength = 40;
    EXPECT_EQ(IDOK, dlgSame.DoModal());
    EXPECT_EQ(kBlowfish, dlgSame.m_dwCipherId);
    EXPECT_EQ(40u, dlgSame.m_dwKeyLength);
}

TEST_F(NotebookOptionsTest, UnknownAlgorithmsAreShownButOkTakesOnlyListedOnes)
{
    std::string strCiphers, strHashes, strStrength;
    BOOL bOpenAfterFirstOk = FALSE, bOpenAfterSecondOk = FALSE, bOpenWithoutSelection = FALSE;
    CSheetScripts scripts;
    scripts.settings = [&](CCryptSettingsDlg* pDlg) {
        strCiphers = DescribeCombo(pDlg, IDC_CRYPT_CIPHER);
        strHashes = DescribeCombo(pDlg, IDC_CRYPT_HASH);
        strStrength = TextOf(pDlg, IDC_CRYPT_STRENGTH);
        ClickButton(pDlg, IDOK);
        bOpenAfterFirstOk = pDlg->ContinueModal();
        ChooseComboData(pDlg, IDC_CRYPT_CIPHER, kAes);
        ClickButton(pDlg, IDOK);
        bOpenAfterSecondOk = pDlg->ContinueModal();
        ChooseComboData(pDlg, IDC_CRYPT_HASH, kSha1);
        ClearComboSelection(pDlg, IDC_CRYPT_CIPHER);
        ClickButton(pDlg, IDOK);
        bOpenWithoutSelection = pDlg->ContinueModal();
        ChooseComboData(pDlg, IDC_CRYPT_CIPHER, kAes);
        ClickButton(pDlg, IDOK);
    };
    CCryptSettingsDlg dlg;
    dlg.m_dwCipherId = 0x999;
    dlg.m_dwHashId = 0x998;
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("AES=101, Blowfish=102, [Unknown Encryption Algorithm=ffffffff]", strCiphers);
    EXPECT_EQ("SHA-1=201, SHA-256=202, [Unknown Hashing Algorithm=ffffffff]", strHashes);
    EXPECT_EQ("", strStrength);
    EXPECT_TRUE(bOpenAfterFirstOk);
    EXPECT_TRUE(bOpenAfterSecondOk);
    EXPECT_TRUE(bOpenWithoutSelection);
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("encryption algorithm"));
    EXPECT_NE(std::string::npos, messages[1].find("hashing algorithm"));
    EXPECT_NE(std::string::npos, messages[2].find("encryption algorithm"));
    EXPECT_EQ(kAes, dlg.m_dwCipherId);
    EXPECT_EQ(kSha1, dlg.m_dwHashId);
}

TEST_F(NotebookOptionsTest, AnUnlistedChoiceNeverReachesTheNotebooksEncryption)
{
    // Advanced... cancelled over an unknown entry keeps the page's choice.
    CSheetScripts scripts;
    DWORD dwAfterCancel = 0;
    BOOL bOpenAfterUnlistedCipher = FALSE, bOpenAfterUnlistedHash = FALSE;
    int nActiveAfterRefusal = -1;
    scripts.settings = [&](CCryptSettingsDlg* pDlg) {
        ClearComboSelection(pDlg, IDC_CRYPT_CIPHER);
        ClickButton(pDlg, IDOK); // refused
        ClickButton(pDlg, IDCANCEL);
    };
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        Press(pPage, IDC_FILECRYPT_ENCRYPT);
        Type(pPage, IDC_FILECRYPT_PASSWORD, "pw");
        Press(pPage, IDC_FILECRYPT_ADVANCED);
        dwAfterCancel = pPage->m_dwCipherId;
        EXPECT_EQ("pw", TextOf(pPage, IDC_FILECRYPT_PASSWORD));

        // An id that came from anywhere but the library's list is refused.
        pPage->m_dwCipherId = CCryptSettingsDlg::kUnknownId;
        pSheet->SetActivePage(0);
        ClickButton(pSheet, IDOK);
        bOpenAfterUnlistedCipher = pSheet->ContinueModal();
        nActiveAfterRefusal = pSheet->GetActiveIndex();
        pPage->m_dwCipherId = kAes;
        pPage->m_dwHashId = 0x777;
        ClickButton(pSheet, IDOK);
        bOpenAfterUnlistedHash = pSheet->ContinueModal();
    };
    CFileOptionsSheet sheet("File Properties (options.qlc)");
    EXPECT_EQ(IDCANCEL, RunSheet(sheet));
    EXPECT_EQ(kAes, dwAfterCancel); // the library's default, as before
    EXPECT_TRUE(bOpenAfterUnlistedCipher);
    EXPECT_TRUE(bOpenAfterUnlistedHash);
    EXPECT_EQ(2, nActiveAfterRefusal);
    EXPECT_EQ(0, scripts.nPasswords); // refused before any password is asked
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_NE(std::string::npos, messages[1].find("encryption algorithm"));
    EXPECT_NE(std::string::npos, messages[2].find("hashing algorithm"));
    EXPECT_FALSE(sheet.m_bCryptChanged);
    EXPECT_FALSE(doc.IsEncryptedNotebook());
}

TEST_F(NotebookOptionsTest, WithoutTheLibraryEncryptionCannotBeChosenAndTheOtherPagesWork)
{
    app.m_cryptHandler.Unload();
    std::string strStatus;
    BOOL bCheckEnabled = TRUE;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsSheet* pOptions = Sheet(pSheet);
        Press(&pOptions->m_pageSort, IDC_SORT_Z_TO_A);
        pSheet->SetActivePage(&pOptions->m_pageCrypt);
        strStatus = TextOf(&pOptions->m_pageCrypt, IDC_FILECRYPT_STATUS);
        bCheckEnabled = IsEnabled(&pOptions->m_pageCrypt, IDC_FILECRYPT_ENCRYPT);
        ClickButton(pSheet, IDOK);
    };
    CFileOptionsSheet sheet("File Properties (options.qlc)");
    EXPECT_EQ(IDOK, RunSheet(sheet));
    EXPECT_EQ("Encryption is not available.", strStatus);
    EXPECT_FALSE(bCheckEnabled);
    EXPECT_FALSE(sheet.m_bCryptChanged);
    WORD wOrder = 0, wFolders = 0;
    doc.GetSortOptions(wOrder, wFolders);
    EXPECT_EQ(1, wOrder);
}

// --- Logo ---------------------------------------------------------------------------------------

TEST_F(NotebookOptionsTest, UncheckingCustomLogoRemovesItAndCheckingItAloneKeepsTheLogo)
{
    const CString strGood = Path("logo.bmp");
    WriteBmp(strGood, 5, 3);
    doc.LoadLogoFromFile(strGood);
    ASSERT_TRUE(doc.HasLogo());

    // Untouched: the logo stays.
    {
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            CFileOptionsPage_Logo* pPage = &Sheet(pSheet)->m_pageLogo;
            pSheet->SetActivePage(pPage);
            EXPECT_TRUE(IsChecked(pPage, IDC_LOGO_CUSTOM));
            EXPECT_TRUE(IsEnabled(pPage, IDC_LOGO_CHANGE));
            ClickButton(pSheet, IDOK);
        };
        CFileOptionsSheet sheet("File Properties (options.qlc)");
        EXPECT_EQ(IDOK, RunSheet(sheet));
        EXPECT_TRUE(doc.HasLogo());
        EXPECT_EQ(5, doc.GetLogoBitmap()->GetWidth());
    }
    // Unchecked: removed.
    {
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            CFileOptionsPage_Logo* pPage = &Sheet(pSheet)->m_pageLogo;
            pSheet->SetActivePage(pPage);
            Press(pPage, IDC_LOGO_CUSTOM);
            EXPECT_FALSE(IsEnabled(pPage, IDC_LOGO_CHANGE));
            ClickButton(pSheet, IDOK);
        };
        CFileOptionsSheet sheet("File Properties (options.qlc)");
        EXPECT_EQ(IDOK, RunSheet(sheet));
        EXPECT_FALSE(doc.HasLogo());
    }
    // Checked without a picture: still none.
    {
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            CFileOptionsPage_Logo* pPage = &Sheet(pSheet)->m_pageLogo;
            pSheet->SetActivePage(pPage);
            EXPECT_FALSE(IsEnabled(pPage, IDC_LOGO_CHANGE));
            Press(pPage, IDC_LOGO_CUSTOM);
            EXPECT_TRUE(IsEnabled(pPage, IDC_LOGO_CHANGE));
            ClickButton(pSheet, IDOK);
        };
        CFileOptionsSheet sheet("File Properties (options.qlc)");
        EXPECT_EQ(IDOK, RunSheet(sheet));
        EXPECT_FALSE(doc.HasLogo());
    }
}

TEST_F(NotebookOptionsTest, AnUndecodablePictureIsReportedAndThePreviousChoiceStays)
{
    const CString strGood = Path("good.bmp");
    const CString strBad = Path("bad.bmp");
    WriteBmp(strGood, 7, 2);
    {
        std::ofstream out((LPCSTR)strBad, std::ios::binary);
        out << "BM but not a picture at all";
    }
    CFileAnswers files({ strBad, strGood, strBad });
    CString strPathAfterBad;
    BOOL bChangedAfterBad = TRUE;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CFileOptionsPage_Logo* pPage = &Sheet(pSheet)->m_pageLogo;
        pSheet->SetActivePage(pPage);
        Press(pPage, IDC_LOGO_CUSTOM);
        Press(pPage, IDC_LOGO_CHANGE); // the bad one: nothing chosen
        bChangedAfterBad = pPage->m_bChanged;
        Press(pPage, IDC_LOGO_CHANGE); // the good one
        Press(pPage, IDC_LOGO_CHANGE); // the bad one again: the good one stays
        strPathAfterBad = pPage->m_strPath;
        EXPECT_EQ(7, pPage->m_bitmap.GetWidth());
        ClickButton(pSheet, IDOK);
    };
    CFileOptionsSheet sheet("File Properties (options.qlc)");
    EXPECT_EQ(IDOK, RunSheet(sheet));
    EXPECT_FALSE(bChangedAfterBad);
    EXPECT_EQ(strGood, strPathAfterBad);
    EXPECT_TRUE(doc.HasLogo());
    EXPECT_EQ(7, doc.GetLogoBitmap()->GetWidth());

    const std::vector<RecordedBox> boxes = m_pPrompts->boxes;
    ASSERT_EQ(2u, boxes.size());
    for (const RecordedBox& box : boxes)
    {
        EXPECT_EQ("Change Logo", box.caption);
        EXPECT_NE(std::string::npos, box.text.find((LPCSTR)strBad));
        EXPECT_EQ((UINT)MB_ICONWARNING, box.type & MB_ICONMASK);
    }
    // The dialog as it was asked for.
    EXPECT_TRUE(files.bOpen);
    EXPECT_EQ("Change Logo", files.strTitle);
    EXPECT_EQ("All Supported Files", files.strFirstFilter);
    EXPECT_EQ(1024u, files.nMaxFile);
    EXPECT_EQ(0u, files.dwFlags & OFN_ALLOWMULTISELECT);
}
