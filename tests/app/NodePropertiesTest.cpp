// The node properties sheet and the tree's Properties command through real
// windows, with the stand-in encryption library: keywords, the Change
// Password note, and a node encrypted and decrypted from its sheet.
#include "NotebookWindowSupport.h"
#include "SheetScripts.h"

#include "app/CNodePropsSheet.h"
#include "app/res/NodePropsCryptDlgRes.h"
#include "app/res/NodePropsKeywordsDlgRes.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CQlcNode.h"

namespace {

// Equal payloads, without printing them when they differ.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        i++;
    return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size()
                                         << ", first difference at byte " << i;
}

// Bytes of every value, zeros included, longer than one cipher chunk.
std::string BinaryPayload()
{
    std::string data;
    for (int i = 0; i < 70000; i++)
        data += (char)((i * 7 + i / 256) & 0xFF);
    return data;
}

class NodePropertiesTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        ASSERT_TRUE(app.m_cryptHandler.Load());
    }
    void SetKeywords(CQuillcrestDoc* pDoc, DWORD dwNodeId, std::vector<LPCSTR> texts)
    {
        QLCNODE_KEYWORDS keywords;
        keywords.dwNodeId = dwNodeId;
        for (LPCSTR lpsz : texts)
            keywords.keywordIds.push_back(pDoc->Data_GetKeywordId(lpsz));
        pDoc->Data_SetNodeKeywords(dwNodeId, keywords);
    }
    static std::vector<std::string> KeywordsOf(CQuillcrestDoc* pDoc, DWORD dwNodeId)
    {
        std::vector<std::string> texts;
        QLCNODE_KEYWORDS keywords;
        if (pDoc->Data_GetNodeKeywords(dwNodeId, keywords))
        {
            for (DWORD dwId : keywords.keywordIds)
            {
                CString strText;
                pDoc->Data_GetKeywordText(dwId, strText);
                texts.push_back(strText.GetString());
            }
        }
        return texts;
    }
    static std::vector<std::string> ListOf(CWnd* pPage)
    {
        std::vector<std::string> items;
        HWND hList = Item(pPage, IDC_KEYWORD_LIST);
        const int nCount = (int)::SendMessageA(hList, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < nCount; i++)
        {
            char sz[256] = {};
            ::SendMessageA(hList, LB_GETTEXT, (WPARAM)i, (LPARAM)sz);
            items.push_back(sz);
        }
        return items;
    }
    static int ListSelection(CWnd* pPage)
    {
        return (int)::SendMessageA(Item(pPage, IDC_KEYWORD_LIST), LB_GETCURSEL, 0, 0);
    }
    static void SelectListItem(CWnd* pPage, int nIndex)
    {
        ::SendMessageA(Item(pPage, IDC_KEYWORD_LIST), LB_SETCURSEL, (WPARAM)nIndex, 0);
    }
    // The payload read with a password given for this read only.
    static std::string ReadWithPassword(CQuillcrestDoc* pDoc, DWORD dwNodeId, LPCSTR lpszPassword)
    {
        CQlcNode node(pDoc, dwNodeId);
        const BOOL bKnown = node.HasPassword();
        const CString strKnown = node.GetPassword();
        node.SetPassword(TRUE, lpszPassword);
        const std::string data = ReadPayload(pDoc, dwNodeId);
        CQlcNode(pDoc, dwNodeId).SetPassword(bKnown, strKnown);
        return data;
    }
    // The sheet on a node of a bare notebook.
    INT_PTR RunSheet(CNodePropsSheet& sheet, CQuillcrestDoc* pDoc, DWORD dwNodeId, LPCSTR lpszPassword = "")
    {
        sheet.m_pDoc = pDoc;
        sheet.m_dwNodeId = dwNodeId;
        sheet.m_strPassword = lpszPassword;
        return sheet.DoModal();
    }
    static CNodePropsSheet* Sheet(CPropertySheet* pSheet) { return DYNAMIC_DOWNCAST(CNodePropsSheet, pSheet); }
};

} // namespace

// --- Keywords -----------------------------------------------------------------------------------

TEST_F(NodePropertiesTest, KeywordsAreAddedLowerCasedOnceAndRemovedKeepingASelection)
{
    CNotebookBuilder builder;
    const DWORD dwNote = builder.Note("Note");
    SetKeywords(&builder.doc, dwNote, { "report", "alpha" });
    builder.doc.SetModified(FALSE);

    std::vector<std::string> shown, afterAdd;
    int nSelAfterMiddle = -2, nSelAfterLast = -2;
    DWORD dwEditSel = 0;
    HWND hFocus = nullptr, hEdit = nullptr;
    std::string strCaption;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CString str;
        pSheet->GetWindowText(str);
        strCaption = str.GetString();
        CNodePropsPage_Keywords* pPage = &Sheet(pSheet)->m_pageKeywords;
        EXPECT_EQ(pPage, pSheet->GetActivePage());
        shown = ListOf(pPage);
        hEdit = Item(pPage, IDC_KEYWORD_EDIT);
        Press(pPage, IDC_KEYWORD_ADD); // empty
        Type(pPage, IDC_KEYWORD_EDIT, "REPORT");
        Press(pPage, IDC_KEYWORD_ADD); // already there in another case
        Type(pPage, IDC_KEYWORD_EDIT, "MiXed");
        Press(pPage, IDC_KEYWORD_ADD);
        afterAdd = ListOf(pPage);
        hFocus = ::GetFocus();
        dwEditSel = (DWORD)::SendMessageA(hEdit, EM_GETSEL, 0, 0);

        SelectListItem(pPage, 1); // "alpha": the selection stays at its place
        Press(pPage, IDC_KEYWORD_REMOVE);
        nSelAfterMiddle = ListSelection(pPage);
        SelectListItem(pPage, 1); // the last one: the new last is selected
        Press(pPage, IDC_KEYWORD_REMOVE);
        nSelAfterLast = ListSelection(pPage);
        Type(pPage, IDC_KEYWORD_EDIT, "Beta");
        Press(pPage, IDC_KEYWORD_ADD);
        Press(pSheet, IDOK); // the button takes the focus from the edit
    };
    CNodePropsSheet sheet(IDS_NODE_PROPERTIES_CAPTION);
    EXPECT_EQ(IDOK, RunSheet(sheet, &builder.doc, dwNote));

    EXPECT_EQ("Node Properties", strCaption);
    EXPECT_EQ((std::vector<std::string>{ "report", "alpha" }), shown);
    EXPECT_EQ((std::vector<std::string>{ "report", "alpha", "mixed" }), afterAdd);
    EXPECT_EQ(hEdit, hFocus);
    EXPECT_EQ(MAKELONG(0, 5), (LONG)dwEditSel);
    EXPECT_EQ(1, nSelAfterMiddle);
    EXPECT_EQ(0, nSelAfterLast);
    EXPECT_EQ((std::vector<std::string>{ "report", "beta" }), KeywordsOf(&builder.doc, dwNote));
    EXPECT_TRUE(builder.doc.IsModified());
    EXPECT_FALSE(sheet.m_bCryptChanged);
    EXPECT_EQ((DWORD)-1, sheet.m_dwCipherId);

    const std::vector<RecordedBox> boxes = m_pPrompts->boxes;
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Please enter a keyword", boxes[0].text);
    EXPECT_EQ("Keyword already exists", boxes[1].text);
    for (const RecordedBox& box : boxes)
    {
        EXPECT_EQ("Add Keyword", box.caption);
        EXPECT_EQ((UINT)MB_ICONWARNING, box.type & MB_ICONMASK);
    }
}

TEST_F(NodePropertiesTest, EnterInTheKeywordEditAddsAndKeepsTheSheetOpenAndCancelChangesNothing)
{
    CNotebookBuilder builder;
    const DWORD dwNote = builder.Note("Note");
    SetKeywords(&builder.doc, dwNote, { "kept" });
    builder.doc.SetModified(FALSE);

    std::vector<std::string> afterEnter;
    BOOL bOpenAfterEnter = FALSE;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CNodePropsPage_Keywords* pPage = &Sheet(pSheet)->m_pageKeywords;
        HWND hEdit = Item(pPage, IDC_KEYWORD_EDIT);
        ::SetFocus(hEdit);
        Type(pPage, IDC_KEYWORD_EDIT, "Entered");
        PressKeyIn(pSheet, hEdit, VK_RETURN);
        PumpMessages();
        bOpenAfterEnter = pSheet->ContinueModal();
        afterEnter = ListOf(pPage);
        ClickButton(pSheet, IDCANCEL);
    };
    CNodePropsSheet sheet(IDS_NODE_PROPERTIES_CAPTION);
    EXPECT_EQ(IDCANCEL, RunSheet(sheet, &builder.doc, dwNote));
    EXPECT_TRUE(bOpenAfterEnter);
    EXPECT_EQ((std::vector<std::string>{ "kept", "entered" }), afterEnter);
    EXPECT_EQ((std::vector<std::string>{ "kept" }), KeywordsOf(&builder.doc, dwNote));
    EXPECT_FALSE(builder.doc.IsModified());
    EXPECT_TRUE(TakeMessages().empty());
}

// --- Encryption page ------------------------------------------------------------------------------

TEST_F(NodePropertiesTest, TheChangePasswordNoteShowsOncePerSheetAndUnchangedSettingsChangeNothing)
{
    CNotebookBuilder builder;
    const DWORD dwNote = builder.Note("Secret", 0, "{\\rtf1 secret}");
    builder.Encrypt(dwNote, "pw");
    const QLCNODE before = CQlcNode(&builder.doc, dwNote).GetRecord();

    for (int nSheet = 0; nSheet < 2; nSheet++)
    {
        BOOL bAdvancedEnabled = FALSE, bChangeEnabled = FALSE, bChecked = FALSE;
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            CNodePropsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
            pSheet->SetActivePage(pPage);
            bChecked = IsChecked(pPage, IDC_NODECRYPT_ENCRYPT);
            bAdvancedEnabled = IsEnabled(pPage, IDC_NODECRYPT_ADVANCED);
            bChangeEnabled = IsEnabled(pPage, IDC_NODECRYPT_CHANGE_PASSWORD);
            Press(pPage, IDC_NODECRYPT_CHANGE_PASSWORD); // on: the note
            Press(pPage, IDC_NODECRYPT_CHANGE_PASSWORD); // off
            Press(pPage, IDC_NODECRYPT_CHANGE_PASSWORD); // on again: no note
            Press(pPage, IDC_NODECRYPT_CHANGE_PASSWORD); // off
            ClickButton(pSheet, IDOK);
        };
        CNodePropsSheet sheet(IDS_NODE_PROPERTIES_CAPTION);
        EXPECT_EQ(IDOK, RunSheet(sheet, &builder.doc, dwNote, "pw"));
        EXPECT_TRUE(bChecked);
        EXPECT_TRUE(bAdvancedEnabled);
        EXPECT_TRUE(bChangeEnabled);
        EXPECT_FALSE(sheet.m_bCryptChanged);
        EXPECT_EQ(0, scripts.nPasswords);
        const std::vector<RecordedBox> boxes = m_pPrompts->boxes;
        m_pPrompts->boxes.clear();
        ASSERT_EQ(1u, boxes.size()) << "sheet " << nSheet;
        EXPECT_EQ("You will be prompted for a new password when the Node Properties window is closed.", boxes[0].text);
        EXPECT_EQ("Change Password", boxes[0].caption);
        EXPECT_EQ((UINT)MB_ICONINFORMATION, boxes[0].type & MB_ICONMASK);
    }
    const QLCNODE after = CQlcNode(&builder.doc, dwNote).GetRecord();
    EXPECT_EQ(before.dwCipherId, after.dwCipherId);
    EXPECT_EQ(before.dwStoredSize, after.dwStoredSize);
}

TEST_F(NodePropertiesTest, ChangePasswordAsksTheOldAndTheNewPassword)
{
    CNotebookBuilder builder;
    const DWORD dwNote = builder.Note("Secret", 0, "{\\rtf1 secret}");
    builder.Encrypt(dwNote, "old");
    UINT nFlags = 0;
    CSheetScripts scripts;
    scripts.password = [&](CSetPasswordDlg* pDlg) {
        nFlags = pDlg->m_nFlags;
        Type(pDlg, IDC_PASSWORD_FIRST, "old");
        Type(pDlg, IDC_PASSWORD_NEW, "new");
        Type(pDlg, IDC_PASSWORD_RETYPE, "new");
        ClickButton(pDlg, IDOK);
    };
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CNodePropsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        Press(pPage, IDC_NODECRYPT_CHANGE_PASSWORD);
        ClickButton(pSheet, IDOK);
    };
    CNodePropsSheet sheet(IDS_NODE_PROPERTIES_CAPTION);
    EXPECT_EQ(IDOK, RunSheet(sheet, &builder.doc, dwNote, "old"));
    EXPECT_EQ((UINT)(CSetPasswordDlg::modeNew | CSetPasswordDlg::modeEnter), nFlags);
    EXPECT_TRUE(sheet.m_bCryptChanged);
    EXPECT_EQ("old", sheet.m_strOldPassword);
    EXPECT_EQ("new", sheet.m_strNewPassword);
    EXPECT_EQ(0x101u, sheet.m_dwCipherId);
    EXPECT_EQ(32u, sheet.m_dwKeyLength);
}

// --- Through the tree ---------------------------------------------------------------------------

TEST_F(NodePropertiesTest, ANodeEncryptedAndDecryptedFromItsSheetKeepsItsBytes)
{
    CNotebookBuilder builder;
    const std::string data = BinaryPayload();
    builder.Node(QLC_NODE_FOREIGN, "Data", 0, data);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    const DWORD dwNode = NodeIdByName(pDoc, "Data");
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    HTREEITEM hItem = FindItem(*pTree, "Data");
    ASSERT_NE(nullptr, hItem);
    EXPECT_EQ(0, OverlayOf(*pTree, hItem));

    // Encrypted: a new password, no old one.
    UINT nFlags = 0;
    CSheetScripts scripts;
    scripts.password = [&](CSetPasswordDlg* pDlg) {
        nFlags = pDlg->m_nFlags;
        Type(pDlg, IDC_PASSWORD_NEW, "s3cret");
        Type(pDlg, IDC_PASSWORD_RETYPE, "s3cret");
        ClickButton(pDlg, IDOK);
    };
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CNodePropsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        EXPECT_FALSE(IsChecked(pPage, IDC_NODECRYPT_ENCRYPT));
        Press(pPage, IDC_NODECRYPT_ENCRYPT);
        EXPECT_TRUE(IsEnabled(pPage, IDC_NODECRYPT_ADVANCED));
        ClickButton(pSheet, IDOK);
    };
    pDoc->SetModified(FALSE);
    EXPECT_TRUE(pTree->EditNodeProperties(dwNode, ""));
    EXPECT_EQ((UINT)CSetPasswordDlg::modeNew, nFlags);
    CQlcNode encrypted(pDoc, dwNode);
    EXPECT_TRUE(encrypted.IsEncrypted());
    EXPECT_EQ(0x101u, encrypted.GetCipherId());
    EXPECT_EQ(32u, encrypted.GetKeyLength());
    EXPECT_FALSE(encrypted.HasPassword()); // not the node on screen
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(CQlcTreeCtrl::overlayEncrypted, OverlayOf(*pTree, FindItem(*pTree, "Data")));
    EXPECT_TRUE(SameBytes(data, ReadWithPassword(pDoc, dwNode, "s3cret")));

    // Decrypted with the password the tree has: no dialog, the same bytes.
    CSheetScripts off;
    off.sheet = [&](CPropertySheet* pSheet) {
        CNodePropsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        Press(pPage, IDC_NODECRYPT_ENCRYPT);
        ClickButton(pSheet, IDOK);
    };
    EXPECT_TRUE(pTree->EditNodeProperties(dwNode, "s3cret"));
    EXPECT_EQ(0, off.nPasswords);
    EXPECT_FALSE(CQlcNode(pDoc, dwNode).IsEncrypted());
    EXPECT_EQ(0, OverlayOf(*pTree, FindItem(*pTree, "Data")));
    EXPECT_TRUE(SameBytes(data, ReadPayload(pDoc, dwNode)));
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(NodePropertiesTest, RemovingEncryptionWithAWrongPasswordLeavesTheNodeAsItWas)
{
    CNotebookBuilder builder;
    const std::string data = BinaryPayload();
    builder.Encrypt(builder.Node(QLC_NODE_FOREIGN, "Data", 0, data), "right");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    const DWORD dwNode = NodeIdByName(pDoc, "Data");
    const QLCNODE before = CQlcNode(pDoc, dwNode).GetRecord();

    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CNodePropsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
        pSheet->SetActivePage(pPage);
        Press(pPage, IDC_NODECRYPT_ENCRYPT);
        ClickButton(pSheet, IDOK);
    };
    for (LPCSTR lpszGiven : { "wrong", "" })
    {
        SCOPED_TRACE(lpszGiven);
        EXPECT_TRUE(TreeOf(pDoc)->EditNodeProperties(dwNode, lpszGiven));
        const std::vector<std::string> messages = TakeMessages();
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ("The encryption of the node could not be changed.\n\nThe node is as it was.", messages[0]);
        CQlcNode after(pDoc, dwNode);
        EXPECT_TRUE(after.IsEncrypted());
        EXPECT_EQ(before.dwStoredSize, after.GetDataSize());
        EXPECT_TRUE(SameBytes(data, ReadWithPassword(pDoc, dwNode, "right")));
    }
    EXPECT_EQ(2, scripts.nSheets);
    EXPECT_EQ(0, scripts.nPasswords);
}

TEST_F(NodePropertiesTest, ThePropertiesCommandAsksAnEncryptedNodesPasswordBeforeTheSheet)
{
    CNotebookBuilder builder;
    const std::string data = BinaryPayload();
    builder.Folder("Folder");
    builder.Encrypt(builder.Node(QLC_NODE_FOREIGN, "Data", 0, data), "right");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    const DWORD dwNode = NodeIdByName(pDoc, "Data");
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    auto command = [&](LPCSTR lpszItem) {
        pTree->SetContextItem(FindItem(*pTree, lpszItem));
        pTree->SendMessage(WM_COMMAND, ID_QLCPOPUP_PROPERTIES);
    };

    // A folder has no properties.
    {
        CSheetScripts scripts;
        command("Folder");
        EXPECT_EQ(0, scripts.nSheets + scripts.nPasswords);
    }

    // Cancelled at the password: no sheet.
    {
        CSheetScripts scripts;
        scripts.password = [&](CSetPasswordDlg* pDlg) {
            EXPECT_EQ((UINT)CSetPasswordDlg::modeEnter, pDlg->m_nFlags);
            EXPECT_EQ(dwNode, pDlg->m_dwNodeId);
        };
        command("Data");
        EXPECT_EQ(1, scripts.nPasswords);
        EXPECT_EQ(0, scripts.nSheets);
    }

    // A wrong password is refused, the right one opens the sheet, whose
    // removal uses it.
    {
        CFakeClock clock;
        CSheetScripts scripts;
        scripts.password = [&](CSetPasswordDlg* pDlg) {
            Type(pDlg, IDC_PASSWORD_FIRST, "wrong");
            ClickButton(pDlg, IDOK);
            Type(pDlg, IDC_PASSWORD_FIRST, "right");
            ClickButton(pDlg, IDOK);
        };
        scripts.sheet = [&](CPropertySheet* pSheet) {
            EXPECT_EQ("right", Sheet(pSheet)->m_strPassword);
            CNodePropsPage_Crypt* pPage = &Sheet(pSheet)->m_pageCrypt;
            pSheet->SetActivePage(pPage);
            Press(pPage, IDC_NODECRYPT_ENCRYPT);
            ClickButton(pSheet, IDOK);
        };
        command("Data");
        EXPECT_EQ(1, scripts.nPasswords);
        EXPECT_EQ(1, scripts.nSheets);
        EXPECT_EQ((std::vector<std::string>{ "Incorrect password!" }), TakeMessages());
        EXPECT_FALSE(CQlcNode(pDoc, dwNode).IsEncrypted());
        EXPECT_TRUE(SameBytes(data, ReadPayload(pDoc, dwNode)));
        EXPECT_EQ(nullptr, pTree->GetContextItem());
    }
}

TEST_F(NodePropertiesTest, WithoutTheLibraryAnEncryptedNodesPropertiesAreRefused)
{
    CNotebookBuilder builder;
    builder.Encrypt(builder.Node(QLC_NODE_FOREIGN, "Data", 0, "bytes"), "right");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    const DWORD dwNode = NodeIdByName(pDoc, "Data");
    app.m_cryptHandler.Unload();
    CSheetScripts scripts;
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->SetContextItem(FindItem(*pTree, "Data"));
    pTree->SendMessage(WM_COMMAND, ID_QLCPOPUP_PROPERTIES);
    EXPECT_EQ(0, scripts.nSheets + scripts.nPasswords);
    EXPECT_EQ((std::vector<std::string>{ "You cannot access this encrypted node.\n\nEncryption is not available or not compatible." }),
              TakeMessages());
    EXPECT_TRUE(CQlcNode(pDoc, dwNode).IsEncrypted());
}

TEST_F(NodePropertiesTest, WithoutTheLibraryAPlainNodeKeepsItsKeywordsPageAndCannotBeEncrypted)
{
    CNotebookBuilder builder;
    const DWORD dwNote = builder.Note("Plain");
    app.m_cryptHandler.Unload();
    std::string strStatus;
    BOOL bCheckEnabled = TRUE;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CNodePropsSheet* pProps = Sheet(pSheet);
        Type(&pProps->m_pageKeywords, IDC_KEYWORD_EDIT, "offline");
        Press(&pProps->m_pageKeywords, IDC_KEYWORD_ADD);
        pSheet->SetActivePage(&pProps->m_pageCrypt);
        strStatus = TextOf(&pProps->m_pageCrypt, IDC_NODECRYPT_STATUS);
        bCheckEnabled = IsEnabled(&pProps->m_pageCrypt, IDC_NODECRYPT_ENCRYPT);
        ClickButton(pSheet, IDOK);
    };
    CNodePropsSheet sheet(IDS_NODE_PROPERTIES_CAPTION);
    EXPECT_EQ(IDOK, RunSheet(sheet, &builder.doc, dwNote));
    EXPECT_EQ("Encryption is not available.", strStatus);
    EXPECT_FALSE(bCheckEnabled);
    EXPECT_FALSE(sheet.m_bCryptChanged);
    EXPECT_EQ((std::vector<std::string>{ "offline" }), KeywordsOf(&builder.doc, dwNote));
}
