// The password dialog in its three modes, answered through the dialog hook.
#include "AppTestSupport.h"

#include "app/CSetPasswordDlg.h"
#include "app/res/SetPasswordDlgRes.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// The node check without a real encrypted node: "secret" is right.
class CTestPasswordDlg : public CSetPasswordDlg
{
public:
    int nChecks = 0;
protected:
    BOOL CheckNodePassword(LPCSTR lpszPassword) override
    {
        nChecks++;
        return strcmp(lpszPassword, "secret") == 0;
    }
};

void SetField(CWnd* pDlg, int nID, LPCSTR lpsz)
{
    ::SetDlgItemTextA(pDlg->m_hWnd, nID, lpsz);
}

// Runs the dialog with a script; the script ends it (or Cancel does).
INT_PTR RunDialog(CSetPasswordDlg& dlg, std::function<void(CWnd*)> script)
{
    CScriptedDialogs hook([&](CWnd* pDlg) {
        script(pDlg);
        if (::IsWindow(pDlg->m_hWnd) && static_cast<CDialog*>(pDlg)->ContinueModal())
            ClickButton(pDlg, IDCANCEL);
    });
    return dlg.DoModal();
}

} // namespace

TEST(PasswordDlgTest, EnterModeWithoutANodeTakesAnyInputEvenEmpty)
{
    TestApp();
    CRecordingPrompts prompts;
    CSetPasswordDlg dlg;
    dlg.m_nFlags = CSetPasswordDlg::modeEnter;
    CString strCaption, strLabel;
    EXPECT_EQ(IDOK, RunDialog(dlg, [&](CWnd* pDlg) {
        pDlg->GetWindowText(strCaption);
        pDlg->GetDlgItemText(IDC_PASSWORD_LABEL1, strLabel);
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(pDlg->m_hWnd, IDC_PASSWORD_NEW)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(pDlg->m_hWnd, IDC_PASSWORD_RETYPE)));
        ClickButton(pDlg, IDOK);
    }));
    EXPECT_EQ("Enter Password", strCaption);
    EXPECT_EQ("Password: ", strLabel);
    EXPECT_EQ("", dlg.m_strPassword);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST(PasswordDlgTest, ConfirmModeComparesExactly)
{
    TestApp();
    CRecordingPrompts prompts;
    CSetPasswordDlg dlg;
    dlg.m_nFlags = CSetPasswordDlg::modeConfirm;
    dlg.m_strNewPassword = "Secret";
    CString strCaption;
    EXPECT_EQ(IDOK, RunDialog(dlg, [&](CWnd* pDlg) {
        pDlg->GetWindowText(strCaption);
        SetField(pDlg, IDC_PASSWORD_FIRST, "secret"); // differs only in case
        ClickButton(pDlg, IDOK);
        EXPECT_TRUE(::IsWindow(pDlg->m_hWnd));
        SetField(pDlg, IDC_PASSWORD_FIRST, "Secret");
        ClickButton(pDlg, IDOK);
    }));
    EXPECT_EQ("Confirm New Password", strCaption);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("You have not correctly retyped your new password.", prompts.boxes[0].text);
    EXPECT_EQ("User Authentication", prompts.boxes[0].caption);
    EXPECT_EQ((UINT)MB_ICONWARNING, prompts.boxes[0].type & MB_ICONMASK);
    EXPECT_EQ("Secret", dlg.m_strPassword);
}

TEST(PasswordDlgTest, AWrongOldPasswordWaitsAndStopsBeforeTheNewPasswordChecks)
{
    TestApp();
    CRecordingPrompts prompts;
    CFakeClock clock;
    CTestPasswordDlg dlg;
    dlg.m_nFlags = CSetPasswordDlg::modeEnter | CSetPasswordDlg::modeNew;
    CQuillcrestDoc* pDocTag = reinterpret_cast<CQuillcrestDoc*>(&dlg); // any attached document
    dlg.m_pDoc = pDocTag;
    dlg.m_dwNodeId = 7;
    EXPECT_EQ(IDCANCEL, RunDialog(dlg, [&](CWnd* pDlg) {
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(pDlg->m_hWnd, IDC_PASSWORD_FIRST)));
        SetField(pDlg, IDC_PASSWORD_FIRST, "wrong");
        SetField(pDlg, IDC_PASSWORD_NEW, ""); // would be refused too, but is never reached
        ClickButton(pDlg, IDOK);
    }));
    EXPECT_EQ(1, dlg.nChecks);
    ASSERT_EQ(1u, clock.sleeps.size());
    EXPECT_EQ(501u, clock.sleeps[0]);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Incorrect password!", prompts.boxes[0].text);

    // The right old password goes on to the new one.
    prompts.boxes.clear();
    EXPECT_EQ(IDOK, RunDialog(dlg, [&](CWnd* pDlg) {
        SetField(pDlg, IDC_PASSWORD_FIRST, "secret");
        SetField(pDlg, IDC_PASSWORD_NEW, "fresh");
        SetField(pDlg, IDC_PASSWORD_RETYPE, "fresh");
        ClickButton(pDlg, IDOK);
    }));
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ("fresh", dlg.m_strNewPassword);
}

TEST(PasswordDlgTest, NewModeRefusesAnEmptyPasswordBeforeTheRetype)
{
    TestApp();
    CRecordingPrompts prompts;
    CSetPasswordDlg dlg;
    dlg.m_nFlags = CSetPasswordDlg::modeNew;
    CString strCaption;
    EXPECT_EQ(IDCANCEL, RunDialog(dlg, [&](CWnd* pDlg) {
        pDlg->GetWindowText(strCaption);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(pDlg->m_hWnd, IDC_PASSWORD_FIRST)));
        SetField(pDlg, IDC_PASSWORD_RETYPE, "different");
        ClickButton(pDlg, IDOK);
        SetField(pDlg, IDC_PASSWORD_NEW, "one");
        ClickButton(pDlg, IDOK);
    }));
    EXPECT_EQ("Enter New Password", strCaption);
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_EQ("Please enter a new password.", prompts.boxes[0].text);
    EXPECT_EQ("You have not correctly retyped your new password.", prompts.boxes[1].text);
}

TEST(PasswordDlgTest, OneFieldMovesTheButtonsUpAndShortensTheDialogBy48Pixels)
{
    TestApp();
    struct Layout { int nButtonTop; int nHeight; };
    auto measure = [](UINT nFlags) {
        Layout layout = {};
        CSetPasswordDlg dlg;
        dlg.m_nFlags = nFlags;
        RunDialog(dlg, [&](CWnd* pDlg) {
            CRect rectOK, rectDlg;
            ::GetWindowRect(::GetDlgItem(pDlg->m_hWnd, IDOK), rectOK);
            pDlg->ScreenToClient(rectOK);
            pDlg->GetWindowRect(rectDlg);
            layout.nButtonTop = rectOK.top;
            layout.nHeight = rectDlg.Height();
        });
        return layout;
    };
    const Layout full = measure(CSetPasswordDlg::modeNew);
    const Layout single = measure(CSetPasswordDlg::modeEnter);
    EXPECT_EQ(full.nButtonTop - 48, single.nButtonTop);
    EXPECT_EQ(full.nHeight - 48, single.nHeight);
}
