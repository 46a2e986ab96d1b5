// Property sheets through real windows: the start page, OK seen by the
// sheet first, data exchange only for created pages, Cancel exchanging
// nothing, and the buttons left out.
#include "WindowTestSupport.h"
#include "WindowTestRes.h"

#include "framework/ui/CDataExchange.h"
#include "framework/ui/CPropertySheet.h"

#include <gtest/gtest.h>

namespace {

class CTestPage : public CPropertyPage
{
public:
    CTestPage(UINT nIDTemplate, UINT nIDCaption = 0) : CPropertyPage(nIDTemplate, nIDCaption) {}
    CString m_strText = "start";
    int m_nCheck = 0;
    int nSaves = 0;
    int nApplies = 0;
    int nResets = 0;
    void DoDataExchange(CDataExchange* pDX) override
    {
        if (pDX->m_bSaveAndValidate)
            nSaves++;
        DDX_Text(pDX, IDC_TEST_PAGE_EDIT, m_strText);
        DDX_Check(pDX, IDC_TEST_PAGE_CHECK, m_nCheck);
    }
    BOOL OnApply() override
    {
        nApplies++;
        return CPropertyPage::OnApply();
    }
    void OnReset() override
    {
        nResets++;
        CPropertyPage::OnReset();
    }
};

class CTestSheet : public CPropertySheet
{
public:
    CTestSheet() : CPropertySheet(IDS_TEST_SHEET), page1(IDD_TEST_PAGE1), page2(IDD_TEST_PAGE2, IDS_TEST_PAGE2)
    {
        AddPage(&page1);
        AddPage(&page2);
    }
    BOOL OnInitDialog() override
    {
        // The start page exists by now.
        CPropertyPage* pActive = GetActivePage();
        bActivePageExisted = pActive != nullptr && ::IsWindow(pActive->m_hWnd);
        return CPropertySheet::OnInitDialog();
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDOK && bRefuseOK)
        {
            nRefused++;
            return TRUE; // the sheet stays open, no page applies
        }
        return CPropertySheet::OnCommand(wParam, lParam);
    }
    CTestPage page1;
    CTestPage page2;
    BOOL bActivePageExisted = FALSE;
    BOOL bRefuseOK = FALSE;
    int nRefused = 0;
};

HWND SheetButton(CWnd* pSheet, int nID)
{
    return ::GetDlgItem(pSheet->m_hWnd, nID);
}

} // namespace

TEST(PropertySheetTest, StartsOnTheChosenPageAndExchangesOnlyCreatedPages)
{
    CTestSheet sheet;
    EXPECT_TRUE(sheet.SetActivePage(1)); // before the window exists
    EXPECT_EQ(1, sheet.GetActiveIndex());
    CString strCaption;
    int nHooked = 0;
    CScriptedDialogs script([&](CWnd* pWnd) {
        nHooked++;
        CPropertySheet* pSheet = static_cast<CPropertySheet*>(pWnd);
        EXPECT_EQ(1, pSheet->GetActiveIndex());
        EXPECT_EQ(&sheet.page2, pSheet->GetActivePage());
        EXPECT_EQ(nullptr, sheet.page1.m_hWnd); // never shown
        pSheet->GetWindowText(strCaption);
        ::SetDlgItemTextA(sheet.page2.m_hWnd, IDC_TEST_PAGE_EDIT, "typed");
        ::CheckDlgButton(sheet.page2.m_hWnd, IDC_TEST_PAGE_CHECK, BST_CHECKED);
        ClickButton(pSheet, IDOK);
    });
    EXPECT_EQ(IDOK, sheet.DoModal());
    EXPECT_EQ(1, nHooked);
    EXPECT_TRUE(sheet.bActivePageExisted);
    EXPECT_NE(-1, strCaption.Find("Test Sheet"));
    EXPECT_EQ("typed", sheet.page2.m_strText);
    EXPECT_EQ(1, sheet.page2.m_nCheck);
    EXPECT_EQ(1, sheet.page2.nApplies);
    // The page never created kept its values and applied nothing.
    EXPECT_EQ("start", sheet.page1.m_strText);
    EXPECT_EQ(0, sheet.page1.nSaves);
    EXPECT_EQ(0, sheet.page1.nApplies);
    EXPECT_EQ(nullptr, sheet.m_hWnd);
}

TEST(PropertySheetTest, OnCommandSeesOKFirstAndCanKeepTheSheetOpen)
{
    CTestSheet sheet;
    sheet.bRefuseOK = TRUE;
    CScriptedDialogs script([&](CWnd* pWnd) {
        ::SetDlgItemTextA(sheet.page1.m_hWnd, IDC_TEST_PAGE_EDIT, "first");
        ClickButton(pWnd, IDOK);
        PumpMessages();
        // Refused: still open, nothing applied or taken.
        EXPECT_TRUE(::IsWindow(pWnd->m_hWnd));
        EXPECT_TRUE(pWnd->ContinueModal());
        EXPECT_EQ(0, sheet.page1.nApplies);
        EXPECT_EQ(0, sheet.page1.nSaves);
        // The other page gets created by visiting it; leaving page 1 takes its values.
        EXPECT_TRUE(sheet.SetActivePage(1));
        EXPECT_EQ(1, sheet.page1.nSaves);
        EXPECT_NE(nullptr, sheet.page2.m_hWnd);
        sheet.bRefuseOK = FALSE;
        ClickButton(pWnd, IDOK);
    });
    EXPECT_EQ(IDOK, sheet.DoModal());
    EXPECT_EQ(1, sheet.nRefused);
    EXPECT_EQ("first", sheet.page1.m_strText);
    EXPECT_EQ(1, sheet.page1.nApplies);
    EXPECT_EQ(1, sheet.page2.nApplies);
}

TEST(PropertySheetTest, CancelRunsNoDataExchangeAndButtonsCanBeLeftOut)
{
    CTestSheet sheet;
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    sheet.m_psh.dwFlags &= ~PSH_HASHELP;
    BOOL bApplyShown = TRUE, bHelpShown = TRUE, bOkShown = FALSE;
    CScriptedDialogs script([&](CWnd* pWnd) {
        HWND hApply = SheetButton(pWnd, 0x3021); // the sheet's Apply button
        HWND hHelp = SheetButton(pWnd, IDHELP);
        bApplyShown = hApply != nullptr && ::IsWindowVisible(hApply);
        bHelpShown = hHelp != nullptr && ::IsWindowVisible(hHelp);
        bOkShown = ::IsWindowVisible(SheetButton(pWnd, IDOK));
        ::SetDlgItemTextA(sheet.page1.m_hWnd, IDC_TEST_PAGE_EDIT, "discarded");
        ClickButton(pWnd, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, sheet.DoModal());
    EXPECT_FALSE(bApplyShown);
    EXPECT_FALSE(bHelpShown);
    EXPECT_TRUE(bOkShown);
    EXPECT_EQ("start", sheet.page1.m_strText);
    EXPECT_EQ(0, sheet.page1.nSaves);
    EXPECT_EQ(0, sheet.page1.nApplies);
    EXPECT_EQ(1, sheet.page1.nResets);

    // The same sheet object runs again.
    CScriptedDialogs again([&](CWnd* pWnd) { ClickButton(pWnd, IDOK); });
    EXPECT_EQ(IDOK, sheet.DoModal());
    EXPECT_EQ(1, sheet.page1.nApplies);
}
