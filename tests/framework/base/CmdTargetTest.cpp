#include "framework/base/CCmdTarget.h"
#include "framework/docview/CDocument.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class CBaseTarget : public CCmdTarget
{
    DECLARE_DYNCREATE(CBaseTarget)
public:
    std::string log;
    BOOL bDeclineEx = FALSE;

protected:
    void OnBaseOnly() { log += "base;"; }
    void OnShared() { log += "base-shared;"; }
    void OnUpdateShared(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); log += "base-update;"; }

    DECLARE_MESSAGE_MAP()
};

class CDerivedTarget : public CBaseTarget
{
    DECLARE_DYNAMIC(CDerivedTarget)
public:
    void OnShared() { log += "derived-shared;"; }
    BOOL OnMaybe(UINT nID) { log += "ex" + std::to_string(nID) + ";"; return !bDeclineEx; }
    void OnRange(UINT nID) { log += "range" + std::to_string(nID) + ";"; }
    void OnUpdateShared(CCmdUI* pCmdUI) { log += "derived-update;"; pCmdUI->ContinueRouting(); }
    void OnNotifyClick(NMHDR* pNMHDR, LRESULT* pResult) { log += "click" + std::to_string(pNMHDR->idFrom) + ";"; *pResult = 5; }

    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CBaseTarget, CCmdTarget)
IMPLEMENT_DYNAMIC(CDerivedTarget, CBaseTarget)

BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
    ON_COMMAND(100, OnBaseOnly)
    ON_COMMAND(101, OnShared)
    ON_COMMAND(102, OnBaseOnly)
    ON_UPDATE_COMMAND_UI(101, OnUpdateShared)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
    ON_COMMAND(101, OnShared)
    ON_COMMAND_EX(102, OnMaybe)
    ON_COMMAND_RANGE(200, 209, OnRange)
    ON_UPDATE_COMMAND_UI(101, OnUpdateShared)
    ON_NOTIFY(NM_CLICK, 300, OnNotifyClick)
END_MESSAGE_MAP()

class CRecordingCmdUI : public CCmdUI
{
public:
    int nEnabled = -1;
    int nChecked = -1;
    void Enable(BOOL bOn) override { nEnabled = bOn; m_bEnableChanged = TRUE; }
    void SetCheck(int nCheck) override { nChecked = nCheck; }
};

} // namespace

TEST(CmdRoutingTest, DerivedMapWinsAndBaseMapIsSearched)
{
    CDerivedTarget t;
    EXPECT_TRUE(t.OnCmdMsg(101, CN_COMMAND, nullptr, nullptr));
    EXPECT_TRUE(t.OnCmdMsg(100, CN_COMMAND, nullptr, nullptr));
    EXPECT_FALSE(t.OnCmdMsg(999, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ("derived-shared;base;", t.log);
}

TEST(CmdRoutingTest, ExHandlerCanDeclineAndRangeGetsTheId)
{
    CDerivedTarget t;
    EXPECT_TRUE(t.OnCmdMsg(102, CN_COMMAND, nullptr, nullptr));
    t.bDeclineEx = TRUE;
    EXPECT_TRUE(t.OnCmdMsg(102, CN_COMMAND, nullptr, nullptr)); // the base map takes it
    EXPECT_TRUE(t.OnCmdMsg(205, CN_COMMAND, nullptr, nullptr));
    EXPECT_FALSE(t.OnCmdMsg(210, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ("ex102;ex102;base;range205;", t.log);
}

TEST(CmdRoutingTest, UpdateHandlersContinueRoutingAndMissingHandlersDisable)
{
    CDerivedTarget t;
    CRecordingCmdUI ui;
    ui.m_nID = 101;
    EXPECT_TRUE(ui.DoUpdate(&t, TRUE));
    EXPECT_EQ("derived-update;base-update;", t.log);
    EXPECT_EQ(1, ui.nChecked);

    CRecordingCmdUI none;
    none.m_nID = 777;
    EXPECT_FALSE(none.DoUpdate(&t, TRUE));
    EXPECT_EQ(0, none.nEnabled);

    CRecordingCmdUI handled;
    handled.m_nID = 205; // a command handler but no update handler
    EXPECT_FALSE(handled.DoUpdate(&t, TRUE));
    EXPECT_EQ(1, handled.nEnabled);

    // Asking whether a handler exists does not run it.
    AFX_CMDHANDLERINFO info = {};
    t.log.clear();
    EXPECT_TRUE(t.OnCmdMsg(100, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(&t, info.pTarget);
    EXPECT_TRUE(t.log.empty());
}

TEST(CmdRoutingTest, NotificationsWithNegativeCodes)
{
    CDerivedTarget t;
    NMHDR hdr = { nullptr, 300, (UINT)NM_CLICK };
    LRESULT result = 0;
    AFX_NOTIFY notify = { &result, &hdr };
    EXPECT_TRUE(t.OnCmdMsg(300, MAKELONG(NM_CLICK, WM_NOTIFY), &notify, nullptr));
    EXPECT_EQ(5, result);
    EXPECT_FALSE(t.OnCmdMsg(301, MAKELONG(NM_CLICK, WM_NOTIFY), &notify, nullptr));
    EXPECT_EQ("click300;", t.log);
}

TEST(RuntimeClassTest, KindOfAndDynamicCreation)
{
    CDerivedTarget t;
    EXPECT_TRUE(t.IsKindOf(RUNTIME_CLASS(CBaseTarget)));
    EXPECT_TRUE(t.IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_TRUE(t.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(t.IsKindOf(RUNTIME_CLASS(CDocument)));
    EXPECT_STREQ("CDerivedTarget", t.GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(&t, DYNAMIC_DOWNCAST(CBaseTarget, &t));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CDocument, &t));

    EXPECT_EQ(nullptr, RUNTIME_CLASS(CDerivedTarget)->CreateObject());
    CObject* p = RUNTIME_CLASS(CBaseTarget)->CreateObject();
    ASSERT_NE(nullptr, p);
    EXPECT_TRUE(p->IsKindOf(RUNTIME_CLASS(CBaseTarget)));
    delete p;
}
