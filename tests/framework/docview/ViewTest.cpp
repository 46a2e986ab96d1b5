// The view half of the framework: the static splitter (creating, deleting
// and replacing panes, layout with a pane missing, reflection through it and
// commands passed on to the frame), views leaving their document, derived
// controls seeing their own creation, the tree and tab wrappers, the
// rich-edit view's formats, and its OLE container.
#include "WindowTestSupport.h"

#include "framework/docview/CCreateContext.h"
#include "framework/ui/CFontDialog.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ole/COleInsertDialog.h"
#include "framework/ole/COleClientItem.h"
#include "framework/ole/CRichEditCntrItem.h"
#include "framework/ole/CRichEditDoc.h"
#include "framework/docview/CRichEditView.h"
#include "framework/docview/CSplitterWnd.h"
#include "framework/ui/CTabCtrl.h"
#include "framework/ui/CTreeCtrl.h"
#include "framework/docview/CView.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <functional>

namespace {

class CPlainView : public CView
{
    DECLARE_DYNCREATE(CPlainView)
};
IMPLEMENT_DYNCREATE(CPlainView, CView)

class CTestRichDoc : public CRichEditDoc
{
public:
    CRichEditCntrItem* CreateClientItem(REOBJECT* preo) const override
    {
        return new CRichEditCntrItem(preo, const_cast<CTestRichDoc*>(this));
    }
};

const UINT kRightPane = AFX_IDW_PANE_FIRST + 1;

class CSplitFrame : public CFrameWnd
{
public:
    BOOL OnCreateClient(LPCREATESTRUCTA, CCreateContext* pContext) override
    {
        if (!m_wndSplitter.CreateStatic(this, 1, 2))
            return FALSE;
        if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CPlainView), CSize(120, 50), pContext) ||
            !m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CRichEditView), CSize(20, 20), pContext))
            return FALSE;
        SetActiveView((CView*)m_wndSplitter.GetPane(0, 0), FALSE);
        return TRUE;
    }
    void OnPaneChange() { nPaneChanges++; }

    CSplitterWnd m_wndSplitter;
    int nPaneChanges = 0;
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSplitFrame, CFrameWnd)
    ON_EN_CHANGE(kRightPane, OnPaneChange)
END_MESSAGE_MAP()

struct SplitFixture
{
    CTestRichDoc doc;
    CSplitFrame* pFrame = new CSplitFrame;

    SplitFixture()
    {
        OleInitialize(nullptr);
        doc.m_bAutoDelete = FALSE;
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        if (!pFrame->Create(nullptr, "Split", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr,
                            nullptr, 0, &context))
            pFrame = nullptr;
        PumpMessages();
    }
    ~SplitFixture()
    {
        if (pFrame != nullptr)
            pFrame->DestroyWindow();
        PumpMessages();
        OleUninitialize();
    }
    CRichEditView* RichView() const { return DYNAMIC_DOWNCAST(CRichEditView, pFrame->m_wndSplitter.GetPane(0, 1)); }
    int ViewCount() const
    {
        int n = 0;
        for (POSITION pos = doc.GetFirstViewPosition(); pos != nullptr; doc.GetNextView(pos))
            n++;
        return n;
    }
};

CRect PaneRect(CSplitterWnd& splitter, int row, int col)
{
    CRect rc;
    splitter.GetPane(row, col)->GetWindowRect(rc);
    splitter.ScreenToClient(rc);
    return rc;
}

} // namespace

TEST(SplitterTest, PanesAreCreatedDeletedAndReplacedSafely)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CSplitterWnd& splitter = f.pFrame->m_wndSplitter;
    EXPECT_EQ(AFX_IDW_PANE_FIRST, splitter.GetDlgCtrlID());
    EXPECT_EQ(AFX_IDW_PANE_FIRST, splitter.GetPane(0, 0)->GetDlgCtrlID());
    EXPECT_EQ((int)kRightPane, splitter.GetPane(0, 1)->GetDlgCtrlID());
    EXPECT_EQ(120, PaneRect(splitter, 0, 0).Width());
    CRect rcClient;
    splitter.GetClientRect(rcClient);
    EXPECT_EQ(rcClient.right, PaneRect(splitter, 0, 1).right);
    EXPECT_EQ(120 + splitter.m_cxSplitter, PaneRect(splitter, 0, 1).left);
    EXPECT_EQ(2, f.ViewCount());

    // A taken pane is refused and nothing is made.
    EXPECT_FALSE(splitter.CreateView(0, 1, RUNTIME_CLASS(CPlainView), CSize(20, 20), nullptr));
    EXPECT_EQ(2, f.ViewCount());

    // Deleting: the view leaves its document; deleting again, and laying
    // out with the pane empty, change nothing else.
    splitter.DeleteView(0, 1);
    EXPECT_EQ(nullptr, splitter.GetPane(0, 1));
    EXPECT_EQ(1, f.ViewCount());
    splitter.DeleteView(0, 1);
    splitter.RecalcLayout();
    f.pFrame->RecalcLayout();
    EXPECT_EQ(120, PaneRect(splitter, 0, 0).Width());

    // A new view takes the pane's place and the rest of the width.
    CCreateContext context;
    context.m_pCurrentDoc = &f.doc;
    ASSERT_TRUE(splitter.CreateView(0, 1, RUNTIME_CLASS(CPlainView), CSize(20, 20), &context));
    splitter.RecalcLayout();
    EXPECT_EQ(2, f.ViewCount());
    EXPECT_EQ(rcClient.right, PaneRect(splitter, 0, 1).right);
    EXPECT_TRUE(splitter.GetPane(0, 1)->IsKindOf(RUNTIME_CLASS(CPlainView)));
    // Out of the grid: nothing.
    EXPECT_EQ(nullptr, splitter.GetPane(1, 0));
    splitter.DeleteView(3, 3);
}

TEST(SplitterTest, DraggingTheBarResizesTheFirstColumn)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CSplitterWnd& splitter = f.pFrame->m_wndSplitter;
    const CRect rcBar = splitter.GetColumnBarRect(0);
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rcBar.left + 1, 10));
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rcBar.left + 61, 10));
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(rcBar.left + 61, 10));
    EXPECT_EQ(180, PaneRect(splitter, 0, 0).Width());
    EXPECT_EQ(nullptr, ::GetCapture());
    // Never beyond the window.
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(181, 10));
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5000, 10));
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5000, 10));
    CRect rcClient;
    splitter.GetClientRect(rcClient);
    EXPECT_LE(PaneRect(splitter, 0, 0).right, rcClient.right - splitter.m_cxSplitter);
}

TEST(SplitterTest, TheActiveViewMovesOnWhenItsPaneGoes)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CSplitterWnd& splitter = f.pFrame->m_wndSplitter;
    f.pFrame->SetActiveView(f.RichView());
    splitter.DeleteView(0, 1);
    EXPECT_EQ(splitter.GetPane(0, 0), f.pFrame->GetActiveView());
}

TEST(SplitterTest, NotificationsAreReflectedToThePaneAndTheRestGoToTheFrame)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CRichEditView* pView = f.RichView();
    ASSERT_NE(nullptr, pView);
    CRichEditCtrl& ctrl = pView->GetRichEditCtrl();
    ctrl.ReplaceSel("some text here", TRUE);
    PumpMessages();
    // EN_CHANGE (WM_COMMAND) is nobody's in the splitter: the frame has it.
    EXPECT_GT(f.pFrame->nPaneChanges, 0);
    // EN_SELCHANGE (WM_NOTIFY) goes back to the view through the splitter.
    pView->GetCharFormatSelection();
    EXPECT_FALSE(pView->m_bSyncCharFormat);
    ctrl.SetSel(0, 4);
    PumpMessages();
    EXPECT_TRUE(pView->m_bSyncCharFormat);
}

TEST(ViewTest, DerivedControlsSeeTheirOwnCreation)
{
    // The object is attached before the control's first message, so its own
    // procedure sees the creation.
    class CHookTree : public CTreeCtrl
    {
    public:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_CREATE)
                nCreates++;
            if (message == WM_NCCREATE)
                nNcCreates++;
            return CTreeCtrl::WindowProc(message, wParam, lParam);
        }
        int nCreates = 0;
        int nNcCreates = 0;
    };
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CHookTree tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, CRect(0, 0, 100, 100), f.pFrame->GetActiveView(), 77));
    EXPECT_EQ(1, tree.nNcCreates);
    EXPECT_EQ(1, tree.nCreates);
    EXPECT_EQ(&tree, CWnd::FromHandlePermanent(tree.m_hWnd));
}

TEST(ViewTest, TheTreeWrapperReadsAndWritesItems)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_EDITLABELS, CRect(0, 0, 200, 200),
                            f.pFrame->GetActiveView(), 78));
    HTREEITEM hParent = tree.InsertItem("Parent", 3, 4);
    HTREEITEM hChild = tree.InsertItem("A child with a long name", hParent);
    tree.SetItemData(hChild, 1234);
    tree.SetItemState(hChild, INDEXTOOVERLAYMASK(2) | TVIS_BOLD, TVIS_OVERLAYMASK | TVIS_BOLD);
    EXPECT_EQ(2u, tree.GetCount());
    EXPECT_EQ("Parent", std::string((LPCSTR)tree.GetItemText(hParent)));
    EXPECT_EQ(hChild, tree.GetChildItem(hParent));
    EXPECT_EQ(hParent, tree.GetParentItem(hChild));
    EXPECT_EQ(1234u, (UINT)tree.GetItemData(hChild));
    EXPECT_EQ(INDEXTOOVERLAYMASK(2) | TVIS_BOLD, tree.GetItemState(hChild, TVIS_OVERLAYMASK | TVIS_BOLD));
    int nImage = 0, nSelected = 0;
    tree.GetItemImage(hParent, nImage, nSelected);
    EXPECT_EQ(3, nImage);
    EXPECT_EQ(4, nSelected);
    EXPECT_TRUE(tree.ItemHasChildren(hParent));
    tree.Expand(hParent, TVE_EXPAND);
    CRect rc;
    ASSERT_TRUE(tree.GetItemRect(hChild, rc, TRUE));
    UINT nFlags = 0;
    EXPECT_EQ(hChild, tree.HitTest(rc.CenterPoint(), &nFlags));
    EXPECT_NE(0u, nFlags & TVHT_ONITEMLABEL);
    std::string longText(1000, 'x');
    tree.SetItemText(hChild, longText.c_str());
    EXPECT_EQ(longText, std::string((LPCSTR)tree.GetItemText(hChild)));
    tree.DeleteItem(hParent);
    EXPECT_EQ(0u, tree.GetCount());
}

TEST(ViewTest, TheTabWrapperKeepsItsTabs)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE | TCS_BOTTOM, CRect(0, 0, 200, 150), f.pFrame->GetActiveView(), 79));
    tabs.InsertItem(0, "Main");
    tabs.InsertItem(1, "Bookmarks");
    EXPECT_EQ(2, tabs.GetItemCount());
    EXPECT_EQ("Bookmarks", std::string((LPCSTR)tabs.GetItemText(1)));
    tabs.SetCurSel(1);
    EXPECT_EQ(1, tabs.GetCurSel());
    CRect rc(0, 0, 200, 150);
    tabs.AdjustRect(FALSE, rc);
    EXPECT_LT(rc.bottom, 140); // the strip at the bottom is taken off
    EXPECT_GE(rc.top, 0);
}

TEST(RichEditViewTest, EffectsToggleAndMixedSelectionsShowIndeterminate)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CRichEditView* pView = f.RichView();
    CRichEditCtrl& ctrl = pView->GetRichEditCtrl();
    ctrl.ReplaceSel("plain words", TRUE);
    // Text asking for no effects has none, whatever the system font.
    ctrl.SetSel(0, 5);
    CHARFORMAT2A cf = {};
    ctrl.GetSelectionCharFormat(cf);
    EXPECT_TRUE((cf.dwMask & CFM_BOLD) && !(cf.dwEffects & CFE_BOLD));

    struct CProbe : public CCmdUI
    {
        int nCheck = -1;
        void SetCheck(int n) override { nCheck = n; }
    } probe;
    ctrl.SetSel(0, 5);
    pView->SendMessage(WM_COMMAND, ID_CHAR_BOLD);
    ctrl.SetSel(0, 11);
    pView->m_bSyncCharFormat = TRUE;
    probe.m_nID = ID_CHAR_BOLD;
    probe.DoUpdate(pView, FALSE);
    EXPECT_EQ(2, probe.nCheck);
    // Mixed: on for all.
    pView->SendMessage(WM_COMMAND, ID_CHAR_BOLD);
    ctrl.SetSel(0, 11);
    ctrl.GetSelectionCharFormat(cf);
    EXPECT_TRUE((cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD));
    // All on: off.
    pView->SendMessage(WM_COMMAND, ID_CHAR_BOLD);
    ctrl.GetSelectionCharFormat(cf);
    EXPECT_TRUE((cf.dwMask & CFM_BOLD) && !(cf.dwEffects & CFE_BOLD));
    EXPECT_TRUE(ctrl.GetModify());

    pView->SendMessage(WM_COMMAND, ID_PARA_RIGHT);
    PARAFORMAT2 pf = {};
    ctrl.GetParaFormat(pf);
    EXPECT_EQ(PFA_RIGHT, pf.wAlignment);
    probe.m_nID = ID_PARA_RIGHT;
    probe.nCheck = -1;
    probe.DoUpdate(pView, FALSE);
    EXPECT_EQ(1, probe.nCheck);
}

TEST(RichEditViewTest, ObjectsLiveInMemoryStorageAndBecomeTheDocumentsItems)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CRichEditView* pView = f.RichView();
    ASSERT_NE(nullptr, pView->GetRichEditOle());

    // Storage in memory takes streams.
    IStorage* pStorage = nullptr;
    ASSERT_TRUE(COleClientItem::CreateMemoryStorage(&pStorage));
    IStream* pStream = nullptr;
    EXPECT_EQ(S_OK, pStorage->CreateStream(L"probe", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                           &pStream));
    if (pStream != nullptr)
        pStream->Release();
    pStorage->Release();

    // A static picture object, inserted as the Insert Object command would.
    CRichEditCntrItem* pItem = f.doc.CreateClientItem(nullptr);
    ASSERT_NE(nullptr, pItem);
    EXPECT_EQ(1, f.doc.GetItemCount());
    IStorage* pItemStorage = nullptr;
    ASSERT_TRUE(COleClientItem::CreateMemoryStorage(&pItemStorage));
    IOleClientSite* pSite = pView->GetClientSite();
    ASSERT_NE(nullptr, pSite);
    CMetafileData data(40, 20);
    FORMATETC fmt = { CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF };
    IOleObject* pObject = nullptr;
    const HRESULT hr =
        ::OleCreateStaticFromData(&data, IID_IOleObject, OLERENDER_FORMAT, &fmt, pSite, pItemStorage, (void**)&pObject);
    if (FAILED(hr) || pObject == nullptr)
    {
        pSite->Release();
        pItemStorage->Release();
        pItem->Delete();
        GTEST_SKIP() << "this system makes no static picture objects (0x" << std::hex << hr << ")";
    }
    pItem->Attach(pObject, pItemStorage);
    pObject->Release();
    pItemStorage->Release();
    pSite->Release();

    CRichEditCtrl& ctrl = pView->GetRichEditCtrl();
    ctrl.ReplaceSel("before ", TRUE);
    ASSERT_EQ(S_OK, pView->InsertItem(pItem));
    EXPECT_EQ(1, pView->GetRichEditOle()->GetObjectCount());
    // Selecting the object makes its item the selected one.
    ctrl.SetSel(7, 8);
    EXPECT_EQ(pItem, pView->GetSelectedItem());
    EXPECT_EQ(pItem, f.doc.GetPrimarySelectedItem(pView));
    ctrl.SetSel(0, 3);
    EXPECT_EQ(nullptr, pView->GetSelectedItem());
    EXPECT_EQ(nullptr, f.doc.GetPrimarySelectedItem((CView*)f.pFrame->m_wndSplitter.GetPane(0, 0)));

    // The view's end takes the items with it.
    f.pFrame->m_wndSplitter.DeleteView(0, 1);
    EXPECT_EQ(0, f.doc.GetItemCount());
}

namespace {

// Answers the common dialogs as a script says.
class CScriptedCommonDialogs : public IAfxCommonDialogHook
{
public:
    explicit CScriptedCommonDialogs(std::function<INT_PTR(CCommonDialog*)> script)
        : m_script(std::move(script)), m_pOld(AfxSetCommonDialogHook(this))
    {
    }
    ~CScriptedCommonDialogs() override { AfxSetCommonDialogHook(m_pOld); }
    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        nDialogs++;
        return m_script(pDialog);
    }
    int nDialogs = 0;

private:
    std::function<INT_PTR(CCommonDialog*)> m_script;
    IAfxCommonDialogHook* m_pOld;
};

} // namespace

TEST(RichEditViewTest, TheFontDialogStartsFromTheSelectionAndAppliesWhatIsChosen)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CRichEditView* pView = f.RichView();
    CRichEditCtrl& ctrl = pView->GetRichEditCtrl();
    ctrl.ReplaceSel("some words", TRUE);
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_SIZE;
    cf.yHeight = 240;
    lstrcpyA(cf.szFaceName, "Arial");
    ctrl.SetSel(0, 10);
    ctrl.SetSelectionCharFormat(cf);
    cf.dwMask = CFM_SIZE;
    cf.yHeight = 360;
    ctrl.SetSel(5, 10);
    ctrl.SetSelectionCharFormat(cf);

    std::string face;
    DWORD dwFlags = 0;
    CScriptedCommonDialogs dialogs([&](CCommonDialog* pDialog) -> INT_PTR {
        CFontDialog* pFont = DYNAMIC_DOWNCAST(CFontDialog, pDialog);
        if (pFont == nullptr)
            return IDCANCEL;
        face = pFont->m_lf.lfFaceName;
        dwFlags = pFont->m_cf.Flags;
        // The user picks 14-point bold Courier New.
        lstrcpyA(pFont->m_lf.lfFaceName, "Courier New");
        pFont->m_lf.lfWeight = FW_BOLD;
        pFont->m_cf.iPointSize = 140;
        pFont->m_cf.Flags &= ~(DWORD)(CF_NOSIZESEL | CF_NOFACESEL | CF_NOSTYLESEL);
        return IDOK;
    });
    // The sizes differ: the dialog shows no size.
    ctrl.SetSel(0, 10);
    pView->m_bSyncCharFormat = TRUE;
    pView->SendMessage(WM_COMMAND, ID_FORMAT_FONT);
    EXPECT_EQ(1, dialogs.nDialogs);
    // Arial itself, or the face drawn for it where it is not installed.
    EXPECT_EQ((LPCSTR)CFontDialog::GetListedFace("Arial", DEFAULT_CHARSET), face);
    EXPECT_NE(0u, dwFlags & CF_NOVERTFONTS);
    EXPECT_NE(0u, dwFlags & CF_NOSIZESEL);
    EXPECT_EQ(0u, dwFlags & CF_NOFACESEL);
    ctrl.SetSel(0, 10);
    CHARFORMAT2A result = {};
    ctrl.GetSelectionCharFormat(result);
    EXPECT_STREQ("Courier New", result.szFaceName);
    EXPECT_EQ(280, result.yHeight);
    EXPECT_TRUE((result.dwMask & CFM_BOLD) && (result.dwEffects & CFE_BOLD));
}

TEST(RichEditViewTest, InsertObjectThatCannotBeMadeSaysSoAndLeavesNothing)
{
    SplitFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CRichEditView* pView = f.RichView();
    CRecordingPrompts prompts;
    BOOL bCancel = TRUE;
    CScriptedCommonDialogs dialogs([&](CCommonDialog* pDialog) -> INT_PTR {
        COleInsertDialog* pInsert = DYNAMIC_DOWNCAST(COleInsertDialog, pDialog);
        if (pInsert == nullptr || bCancel)
            return IDCANCEL;
        // A class nobody registered.
        CLSIDFromString(L"{5A1C0DE0-0000-4C11-8000-00000000CAFE}", &pInsert->m_io.clsid);
        return IDOK;
    });
    pView->SendMessage(WM_COMMAND, ID_OLE_INSERT_NEW);
    EXPECT_EQ(1, dialogs.nDialogs);
    EXPECT_TRUE(prompts.boxes.empty());
    bCancel = FALSE;
    pView->SendMessage(WM_COMMAND, ID_OLE_INSERT_NEW);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("The object could not be created.\n\nIts program may not be installed.", prompts.boxes[0].text);
    EXPECT_EQ(0, f.doc.GetItemCount());
    EXPECT_EQ(0, pView->GetRichEditOle()->GetObjectCount());
    EXPECT_FALSE(pView->GetRichEditCtrl().GetModify());
}
