// The control wrappers through real windows, the modal loop of any window,
// pre-translation from the focus window up, a dialog run twice, workers
// calling window wrappers, and the fonts the bars need.
#include "WindowTestSupport.h"
#include "WindowTestRes.h"

#include "framework/base/CUiChannel.h"
#include "framework/gdi/CImageList.h"
#include "framework/ui/CButton.h"
#include "framework/ui/CColorDialog.h"
#include "framework/ui/CComboBoxEx.h"
#include "framework/ui/CDataExchange.h"
#include "framework/ui/CDateTimeCtrl.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CEdit.h"
#include "framework/ui/CListBox.h"
#include "framework/ui/CListCtrl.h"
#include "framework/ui/CProgressCtrl.h"
#include "framework/ui/CStatic.h"
#include "framework/ui/CStatusBar.h"
#include "framework/ui/CToolBarCtrl.h"
#include "framework/ui/CToolTipCtrl.h"
#include "framework/ui/CTreeCtrl.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

// A plain popup that notes the commands of its children.
class CHostWnd : public CWnd
{
public:
    CHostWnd() { EXPECT_TRUE(CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr)); }
    ~CHostWnd() override { DestroyWindow(); }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back(wParam);
        return CWnd::OnCommand(wParam, lParam);
    }
    std::vector<WPARAM> commands;
};

const CRect kRect(10, 10, 200, 120);

} // namespace

TEST(ControlsTest, ButtonEditStaticAndListBoxes)
{
    CHostWnd host;
    CButton check;
    ASSERT_TRUE(check.Create("Check", BS_AUTOCHECKBOX | WS_VISIBLE, kRect, &host, 21210));
    EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
    check.SetCheck(BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, check.GetCheck());
    check.Click(); // the parent hears it and the box toggles
    EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
    ASSERT_FALSE(host.commands.empty());
    EXPECT_EQ(MAKEWPARAM(21210, BN_CLICKED), host.commands.back());

    CEdit edit;
    ASSERT_TRUE(edit.Create(ES_AUTOHSCROLL | WS_VISIBLE, kRect, &host, 21211));
    edit.SetWindowText("hello world");
    edit.SetSel(6, 11);
    int nStart = 0, nEnd = 0;
    edit.GetSel(nStart, nEnd);
    EXPECT_EQ(6, nStart);
    EXPECT_EQ(11, nEnd);
    edit.SetModify(FALSE);
    edit.ReplaceSel("there");
    CString strText;
    edit.GetWindowText(strText);
    EXPECT_EQ("hello there", strText);
    EXPECT_TRUE(edit.GetModify());
    edit.LimitText(4);
    EXPECT_EQ(4u, edit.GetLimitText());

    CStatic label;
    ASSERT_TRUE(label.Create("label", SS_LEFT | WS_VISIBLE, kRect, &host));
    HBITMAP hBitmap = ::CreateBitmap(4, 4, 1, 32, nullptr);
    CStatic picture;
    ASSERT_TRUE(picture.Create(nullptr, SS_BITMAP | WS_VISIBLE, kRect, &host, 21212));
    EXPECT_EQ(nullptr, picture.SetBitmap(hBitmap));
    EXPECT_EQ(hBitmap, picture.GetBitmap());
    picture.DestroyWindow();
    ::DeleteObject(hBitmap);

    CListBox list;
    ASSERT_TRUE(list.Create(LBS_NOTIFY | WS_VISIBLE, kRect, &host, 21213));
    EXPECT_EQ(0, list.AddString("alpha"));
    EXPECT_EQ(1, list.AddString("beta"));
    list.SetItemData(1, 77);
    EXPECT_EQ(77u, list.GetItemData(1));
    EXPECT_EQ(1, list.FindStringExact(-1, "BETA")); // the box compares without case
    CString strItem;
    EXPECT_EQ(4, list.GetText(1, strItem));
    EXPECT_EQ("beta", strItem);
    EXPECT_EQ(LB_ERR, list.GetText(5, strItem));
    EXPECT_TRUE(strItem.IsEmpty());
    EXPECT_EQ(LB_ERR, list.GetCurSel());
    list.SetCurSel(0);
    EXPECT_EQ(0, list.GetCurSel());
    list.ResetContent();
    EXPECT_EQ(0, list.GetCount());
}

TEST(ControlsTest, ComboBoxAndExtendedComboWithImagesAndEditItem)
{
    CHostWnd host;
    CComboBox combo;
    ASSERT_TRUE(combo.Create(CBS_DROPDOWNLIST | WS_VISIBLE | WS_VSCROLL, kRect, &host, 21214));
    DWORD_PTR dwData = 1;
    for (const char* p : { "Idle", "Low", "Normal" })
    {
        const int n = combo.AddString(p);
        combo.SetItemData(n, dwData++);
    }
    EXPECT_EQ(3, combo.GetCount());
    EXPECT_EQ(1, combo.SelectString(-1, "Low"));
    EXPECT_EQ(1, combo.GetCurSel());
    CString s;
    EXPECT_EQ(6, combo.GetLBText(2, s));
    EXPECT_EQ("Normal", s);
    EXPECT_EQ(3u, combo.GetItemData(2));
    CRect rcDrop;
    combo.GetDroppedControlRect(&rcDrop);
    EXPECT_GT(rcDrop.Height(), 0);

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
    CComboBoxEx ex;
    ASSERT_TRUE(ex.Create(CBS_DROPDOWN | WS_VISIBLE | WS_VSCROLL, CRect(10, 10, 200, 200), &host, 21215));
    EXPECT_EQ(nullptr, ex.SetImageList(images.GetSafeHandle()));
    EXPECT_EQ(images.GetSafeHandle(), ex.GetImageList());
    EXPECT_EQ(0, ex.InsertItem(-1, "Arial", 1, 1, 11));
    EXPECT_EQ(1, ex.InsertItem(-1, "Courier", 0, 0, 12));
    EXPECT_EQ(2, ex.GetCount()); // the plain combo calls reach the inner combo
    EXPECT_EQ("Courier", ex.GetItemText(1));
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_IMAGE | CBEIF_LPARAM;
    item.iItem = 0;
    ASSERT_TRUE(ex.GetItem(&item));
    EXPECT_EQ(1, item.iImage);
    EXPECT_EQ(11, item.lParam);

    // The edit item: what the closed combo shows, with an image.
    COMBOBOXEXITEMA edit = {};
    edit.mask = CBEIF_TEXT | CBEIF_IMAGE;
    edit.iItem = -1;
    edit.pszText = const_cast<LPSTR>("Tahoma");
    edit.iImage = 1;
    EXPECT_TRUE(ex.SetItem(&edit));
    HWND hEdit = ex.GetEditCtrl();
    ASSERT_NE(nullptr, hEdit);
    char sz[32] = "";
    ::GetWindowTextA(hEdit, sz, sizeof(sz));
    EXPECT_STREQ("Tahoma", sz);
    EXPECT_EQ(::GetParent(hEdit), ex.GetComboBoxCtrl());
    ex.DestroyWindow();
    images.DeleteImageList();
}

namespace {

// A combo that takes Enter from its edit, as the font-size combo does.
class CEnterCombo : public CComboBoxEx
{
public:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
            nEnters++;
        return FALSE; // the key goes on to its normal handling
    }
    int nEnters = 0;
};

} // namespace

TEST(ControlsTest, PreTranslationWalksFromTheFocusWindowUpThroughItsParents)
{
    CHostWnd host;
    CEnterCombo combo;
    ASSERT_TRUE(combo.Create(CBS_DROPDOWN | WS_VISIBLE, CRect(10, 10, 200, 200), &host, 21216));
    HWND hEdit = combo.GetEditCtrl();
    ASSERT_NE(nullptr, hEdit);
    ::SetForegroundWindow(host.m_hWnd);
    ::SetFocus(hEdit);
    // The edit belongs to the control, not to the framework: the walk goes
    // from it through the inner combo to the wrapper.
    MSG msg = { hEdit, WM_KEYDOWN, VK_RETURN, 0, 0, { 0, 0 } };
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(host.m_hWnd, &msg));
    EXPECT_EQ(1, combo.nEnters);
    // A key posted to the focus window goes the same way through the loop.
    ::PostMessageA(::GetFocus() ? ::GetFocus() : hEdit, WM_KEYDOWN, VK_RETURN, 0);
    MSG queued;
    while (::PeekMessageA(&queued, nullptr, 0, 0, PM_REMOVE))
    {
        if (!CWnd::WalkPreTranslateTree(host.m_hWnd, &queued))
        {
            ::TranslateMessage(&queued);
            ::DispatchMessageA(&queued);
        }
    }
    EXPECT_EQ(2, combo.nEnters);
    combo.DestroyWindow();
}

namespace {

// A report list that colours its rows and counts the custom-draw stages.
class CColourList : public CListCtrl
{
public:
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
    {
        NMLVCUSTOMDRAW* pDraw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
        if (pDraw->nmcd.dwDrawStage == CDDS_PREPAINT)
        {
            nPrePaints++;
            *pResult = CDRF_NOTIFYITEMDRAW;
        }
        else if (pDraw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
        {
            nItemPaints++;
            pDraw->clrText = RGB(192, 0, 0);
            *pResult = CDRF_DODEFAULT;
        }
    }
    int nPrePaints = 0;
    int nItemPaints = 0;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

int CALLBACK DescendingByData(LPARAM a, LPARAM b, LPARAM lParamSort)
{
    ++*reinterpret_cast<int*>(lParamSort);
    return (int)(b - a);
}

int CALLBACK ThrowingCompare(LPARAM, LPARAM, LPARAM)
{
    throw std::runtime_error("bad task");
}

} // namespace

TEST(ControlsTest, ReportListWithColumnsImagesSortingAndCustomDraw)
{
    CHostWnd host;
    CColourList list;
    ASSERT_TRUE(list.Create(LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_VISIBLE, CRect(0, 0, 380, 280), &host, 21217));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1));
    HICON hIcon = ::LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
    for (int i = 0; i < 3; i++)
        images.Add(hIcon);
    list.SetImageList(images.GetSafeHandle(), LVSIL_SMALL);
    EXPECT_EQ(0, list.InsertColumn(0, "Task", LVCFMT_LEFT, 200));
    EXPECT_EQ(1, list.InsertColumn(1, "Priority", LVCFMT_LEFT, 80));
    EXPECT_EQ(200, list.GetColumnWidth(0));

    // A header with an image on its right, as a sorted column shows.
    LVCOLUMNA col = {};
    col.mask = LVCF_FMT | LVCF_IMAGE;
    col.fmt = LVCFMT_LEFT | LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT;
    col.iImage = 2;
    EXPECT_TRUE(list.SetColumn(0, &col));
    LVCOLUMNA got = {};
    got.mask = LVCF_FMT | LVCF_IMAGE;
    ASSERT_TRUE(list.GetColumn(0, &got));
    EXPECT_EQ(2, got.iImage);
    EXPECT_TRUE(got.fmt & LVCFMT_IMAGE);

    const char* const names[] = { "one", "two", "three" };
    for (int i = 0; i < 3; i++)
    {
        const int n = list.InsertItem(0, names[i], 0);
        list.SetItemText(n, 1, std::to_string(i).c_str());
        list.SetItemData(n, (DWORD_PTR)(i + 1));
    }
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_EQ("three", list.GetItemText(0, 0));
    // Sorted by item data, descending: 3, 2, 1.
    int nCompares = 0;
    EXPECT_TRUE(list.SortItems(&DescendingByData, (DWORD_PTR)&nCompares));
    EXPECT_GT(nCompares, 0);
    EXPECT_EQ(3u, list.GetItemData(0));
    EXPECT_EQ(1u, list.GetItemData(2));
    EXPECT_EQ("one", list.GetItemText(2, 0));
    EXPECT_EQ("0", list.GetItemText(2, 1));
    // A comparison that throws stops at the barrier and reports failure.
    EXPECT_FALSE(list.SortItems(&ThrowingCompare, 0));
    EXPECT_EQ(3, list.GetItemCount());

    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(1, list.GetNextItem(-1, LVNI_SELECTED));
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = 1;
    EXPECT_EQ(2, list.FindItem(&find));
    // A long text comes back whole.
    const std::string strLong(600, 'x');
    list.SetItemText(0, 0, strLong.c_str());
    EXPECT_EQ(600, list.GetItemText(0, 0).GetLength());

    list.Invalidate();
    list.UpdateWindow();
    EXPECT_GT(list.nPrePaints, 0);
    EXPECT_GE(list.nItemPaints, 3);
    EXPECT_TRUE(list.DeleteAllItems());
    list.DestroyWindow();
    images.DeleteImageList();
}

TEST(ControlsTest, ProgressTooltipDatePickerAndToolbarControl)
{
    CHostWnd host;
    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(PBS_SMOOTH | WS_VISIBLE, kRect, &host, 21218));
    progress.SetRange32(0, 200000); // beyond 16 bits
    int nLow = -1, nHigh = -1;
    progress.GetRange(nLow, nHigh);
    EXPECT_EQ(0, nLow);
    EXPECT_EQ(200000, nHigh);
    progress.SetPos(150000);
    EXPECT_EQ(150000, progress.GetPos());
    progress.SetStep(1000);
    EXPECT_EQ(150000, progress.StepIt()); // the old position comes back
    EXPECT_EQ(151000, progress.GetPos());
    progress.OffsetPos(-1000);
    EXPECT_EQ(150000, progress.GetPos());

    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&host));
    EXPECT_TRUE(tips.AddTool(&host, "whole window"));
    CRect rcCell(0, 0, 20, 20);
    EXPECT_TRUE(tips.AddTool(&host, LPSTR_TEXTCALLBACKA, &rcCell, 2048));
    EXPECT_EQ(2, tips.GetToolCount());
    tips.UpdateTipText("changed", &host);
    char szTip[64] = "";
    TTTOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = host.m_hWnd;
    ti.uId = (UINT_PTR)host.m_hWnd;
    ti.lpszText = szTip;
    tips.SendMessage(TTM_GETTEXTA, sizeof(szTip), (LPARAM)&ti);
    EXPECT_STREQ("changed", szTip);
    tips.SetMaxTipWidth(300);
    EXPECT_EQ(300, (int)tips.SendMessage(TTM_GETMAXTIPWIDTH));
    tips.DelTool(&host, 2048);
    EXPECT_EQ(1, tips.GetToolCount());
    tips.DestroyWindow();

    CDateTimeCtrl picker;
    ASSERT_TRUE(picker.Create(DTS_SHORTDATEFORMAT | DTS_SHOWNONE | WS_VISIBLE, kRect, &host, 21219));
    EXPECT_TRUE(picker.SetFormat("ddd dd-MMM-yyyy HH:mm"));
    SYSTEMTIME stMin = { 2000, 1, 6, 1, 0, 0, 0, 0 }, stMax = { 2030, 12, 2, 31, 0, 0, 0, 0 };
    EXPECT_TRUE(picker.SetRange(&stMin, &stMax));
    SYSTEMTIME stLow = {}, stHigh = {};
    EXPECT_EQ((DWORD)(GDTR_MIN | GDTR_MAX), picker.GetRange(&stLow, &stHigh));
    EXPECT_EQ(2000, stLow.wYear);
    EXPECT_EQ(2030, stHigh.wYear);
    SYSTEMTIME st = { 2009, 8, 1, 17, 14, 30, 0, 0 };
    EXPECT_TRUE(picker.SetTime(&st));
    SYSTEMTIME stBack = {};
    EXPECT_EQ((DWORD)GDT_VALID, picker.GetTime(&stBack));
    EXPECT_EQ(2009, stBack.wYear);
    EXPECT_EQ(17, stBack.wDay);
    EXPECT_EQ(14, stBack.wHour);
    EXPECT_EQ(30, stBack.wMinute);
    EXPECT_TRUE(picker.SetTime(nullptr)); // no value: the box is unchecked
    EXPECT_EQ((DWORD)GDT_NONE, picker.GetTime(&stBack));

    CToolBarCtrl bar;
    ASSERT_TRUE(bar.Create(TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | WS_VISIBLE, kRect, &host, 21220));
    bar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    EXPECT_TRUE(bar.GetExtendedStyle() & TBSTYLE_EX_DRAWDDARROWS);
    TBBUTTON buttons[3] = {};
    buttons[0] = { I_IMAGENONE, 32782, TBSTATE_ENABLED, BTNS_CHECK, { 0 }, 0, 0 };
    buttons[1] = { 0, 0, TBSTATE_ENABLED, BTNS_SEP, { 0 }, 0, 0 };
    buttons[2] = { I_IMAGENONE, 32788, TBSTATE_ENABLED, BTNS_DROPDOWN, { 0 }, 0, 0 };
    EXPECT_TRUE(bar.AddButtons(3, buttons));
    EXPECT_EQ(3, bar.GetButtonCount());
    EXPECT_EQ(2, bar.CommandToIndex(32788));
    EXPECT_TRUE(bar.CheckButton(32782));
    EXPECT_TRUE(bar.IsButtonChecked(32782));
    EXPECT_TRUE(bar.SetState(32788, TBSTATE_INDETERMINATE));
    EXPECT_EQ(TBSTATE_INDETERMINATE, bar.GetState(32788) & (TBSTATE_INDETERMINATE | TBSTATE_ENABLED));
    EXPECT_EQ(-1, bar.GetState(999));
    CRect rcButton;
    EXPECT_TRUE(bar.GetRect(32788, &rcButton));
    EXPECT_GT(rcButton.Width(), 0);
    TBBUTTON got = {};
    EXPECT_TRUE(bar.GetButton(2, &got));
    EXPECT_EQ(32788, got.idCommand);
    EXPECT_TRUE(got.fsStyle & BTNS_DROPDOWN);
}

namespace {

class CColourAnswer : public IAfxCommonDialogHook
{
public:
    CColourAnswer() : m_pOld(AfxSetCommonDialogHook(this)) {}
    ~CColourAnswer() override { AfxSetCommonDialogHook(m_pOld); }
    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        CColorDialog* pColour = DYNAMIC_DOWNCAST(CColorDialog, pDialog);
        if (pColour == nullptr)
            return IDCANCEL;
        dwFlagsSeen = pColour->m_cc.Flags;
        clrInitSeen = pColour->m_cc.rgbResult;
        pColour->m_cc.rgbResult = RGB(1, 2, 3);
        pColour->m_cc.lpCustColors[0] = RGB(9, 9, 9);
        return IDOK;
    }
    DWORD dwFlagsSeen = 0;
    COLORREF clrInitSeen = 0;

private:
    IAfxCommonDialogHook* m_pOld;
};

} // namespace

TEST(ControlsTest, ColourDialogGoesThroughTheCommonDialogSeam)
{
    CColourAnswer answer;
    CColorDialog dlg(RGB(255, 0, 0), CC_FULLOPEN | CC_ANYCOLOR);
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((DWORD)(CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT), answer.dwFlagsSeen);
    EXPECT_EQ(RGB(255, 0, 0), answer.clrInitSeen);
    EXPECT_EQ(RGB(1, 2, 3), dlg.GetColor());
    EXPECT_EQ(RGB(9, 9, 9), dlg.GetSavedCustomColors()[0]);
    EXPECT_EQ(RGB(255, 255, 255), dlg.GetSavedCustomColors()[1]);
}

namespace {

const UINT WM_TEST_END = WM_APP + 21;

// A popup that ends its own modal loop when told to.
class CPopupWnd : public CWnd
{
public:
    LRESULT OnEnd(WPARAM wParam, LPARAM)
    {
        EndModalLoop((int)wParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPopupWnd, CWnd)
    ON_MESSAGE(WM_TEST_END, OnEnd)
END_MESSAGE_MAP()

class CTwiceDialog : public CDialog
{
public:
    CTwiceDialog() : CDialog(IDD_TEST_DIALOG) {}
    CString m_strName = "a";
    int nInits = 0;
    BOOL OnInitDialog() override
    {
        nInits++;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_TEST_EDIT, m_strName); }
};

} // namespace

TEST(ModalLoopTest, AnyWindowRunsOneAndANeverCreatedOneEndsAtOnce)
{
    CPopupWnd never;
    EXPECT_EQ(-1, never.RunModalLoop());
    EXPECT_FALSE(never.ContinueModal());

    CPopupWnd popup;
    ASSERT_TRUE(popup.CreateEx(0, nullptr, "popup", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr));
    popup.PostMessage(WM_TEST_END, 0);
    EXPECT_EQ(0, popup.RunModalLoop());
    popup.PostMessage(WM_TEST_END, (WPARAM)-1);
    EXPECT_EQ(-1, popup.RunModalLoop());

    // Destroyed during the loop: the loop ends rather than waiting forever.
    popup.PostMessage(WM_CLOSE);
    popup.RunModalLoop();
    EXPECT_EQ(nullptr, popup.m_hWnd);
}

TEST(ModalLoopTest, ADialogRunsModalAgainOnTheSameObject)
{
    CTwiceDialog dlg;
    int nRound = 0;
    CScriptedDialogs script([&](CWnd* pDlg) {
        nRound++;
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_TEST_EDIT, nRound == 1 ? "one" : "two");
        ClickButton(pDlg, nRound == 1 ? IDOK : IDCANCEL);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("one", dlg.m_strName);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("one", dlg.m_strName);
    EXPECT_EQ(2, dlg.nInits);
    EXPECT_EQ(2, nRound);
}

TEST(WorkerWindowTest, WorkersSetTextsPositionsAndTreeItemsWhileTheInterfaceThreadPumps)
{
    ASSERT_TRUE(CUiChannel::Create());
    {
        CHostWnd host;
        CStatic label;
        ASSERT_TRUE(label.Create("", SS_LEFT | WS_VISIBLE, CRect(0, 0, 100, 20), &host, 21221));
        CProgressCtrl progress;
        ASSERT_TRUE(progress.Create(WS_VISIBLE, CRect(0, 30, 100, 50), &host, 21222));
        progress.SetRange32(0, 100);
        CTreeCtrl tree;
        ASSERT_TRUE(tree.Create(WS_VISIBLE | TVS_HASLINES, CRect(0, 60, 200, 200), &host, 21223));
        CStatusBar status;
        ASSERT_TRUE(status.Create(&host));
        const UINT indicators[] = { ID_SEPARATOR };
        status.SetIndicators(indicators, 1);

        CRecordingPrompts prompts(IDYES);
        std::atomic<bool> bDone(false);
        int nAnswer = 0;
        std::thread worker([&]() {
            for (int i = 1; i <= 50; i++)
            {
                label.SetWindowText(("item " + std::to_string(i)).c_str());
                progress.SetPos(i * 2);
                tree.InsertItem(("node " + std::to_string(i)).c_str());
                status.SetPaneText(0, ("step " + std::to_string(i)).c_str());
            }
            nAnswer = AfxMessageBox("Go on?", MB_YESNO);
            bDone = true;
        });
        const DWORD dwStart = ::GetTickCount();
        while (!bDone.load() && ::GetTickCount() - dwStart < 10000)
        {
            PumpMessages();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        worker.join();
        CString strLabel;
        label.GetWindowText(strLabel);
        EXPECT_EQ("item 50", strLabel);
        EXPECT_EQ(100, progress.GetPos());
        EXPECT_EQ(50u, tree.GetCount());
        EXPECT_EQ("step 50", status.GetPaneText(0));
        EXPECT_EQ(IDYES, nAnswer);
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("Go on?", prompts.boxes[0].text);
    }
    CUiChannel::Destroy();
}

namespace {

int CALLBACK NoteFamily(const LOGFONTA* plf, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(plf->lfFaceName);
    return 1;
}

bool HasFamily(HDC hdc, const char* pszFace)
{
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, pszFace, LF_FACESIZE);
    std::vector<std::string> found;
    ::EnumFontFamiliesExA(hdc, &lf, &NoteFamily, (LPARAM)&found, 0);
    for (const std::string& s : found)
    {
        if (lstrcmpiA(s.c_str(), pszFace) == 0)
            return true;
    }
    return false;
}

} // namespace

// The sizing bars draw their captions in Tahoma and their buttons with
// Marlett glyphs: both must be there.
TEST(FontsTest, TahomaAndMarlettAreInstalled)
{
    HDC hdc = ::GetDC(nullptr);
    EXPECT_TRUE(HasFamily(hdc, "Tahoma"));
    EXPECT_TRUE(HasFamily(hdc, "Marlett"));
    ::ReleaseDC(nullptr, hdc);
}
