#include "app/CFindNodesDlg.h"

#include "app/CChildFrame.h"
#include "app/CFindNodesQuery.h"
#include "app/CQlcApp.h"
#include "app/CQlcRichEditViewEx.h"
#include "app/res/FindNodesDlgRes.h"

#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/CSingleLock.h"
#include "framework/base/CStringList.h"
#include "framework/base/CUiChannel.h"
#include "framework/base/CWinThread.h"
#include "framework/ui/CDataExchange.h"
#include "framework/ui/CMDIFrameWnd.h"
#include "framework/ui/CRichEditCtrl.h"

#include <algorithm>

namespace {

// Buttons keep their size and sit this far inside the right edge; the query
// combo ends this far left of them; the list ends this far above the status
// bar (pixels).
const int kButtonMargin = 5;
const int kComboGap = 6;
const int kListGap = 2;
// How long closing the window waits for the worker to see its stop.
const DWORD kJoinWait = 10000;

const UINT kButtons[] = { IDC_FIND_NOW,         IDC_FIND_STOP,     IDCANCEL,           IDC_FIND_PREV_RESULT,
                          IDC_FIND_PREV_HIT,    IDC_FIND_NEXT_HIT, IDC_FIND_NEXT_RESULT };

// The notebook window the user works in, or null.
CChildFrame* ActiveNotebookFrame()
{
    CWnd* pMain = AfxGetMainWnd();
    CMDIFrameWnd* pFrame = pMain ? DYNAMIC_DOWNCAST(CMDIFrameWnd, pMain) : nullptr;
    CMDIChildWnd* pChild = pFrame ? pFrame->MDIGetActive() : nullptr;
    return pChild ? DYNAMIC_DOWNCAST(CChildFrame, pChild) : nullptr;
}

} // namespace

IMPLEMENT_DYNAMIC(CFindNodesDlg, CDialog)

BEGIN_MESSAGE_MAP(CFindNodesDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_FIND_NOW, OnFindNow)
    ON_BN_CLICKED(IDC_FIND_STOP, OnStop)
    ON_BN_CLICKED(IDC_FIND_PREV_RESULT, OnPrevResult)
    ON_BN_CLICKED(IDC_FIND_NEXT_RESULT, OnNextResult)
    ON_BN_CLICKED(IDC_FIND_PREV_HIT, OnPrevHit)
    ON_BN_CLICKED(IDC_FIND_NEXT_HIT, OnNextHit)
    ON_NOTIFY(NM_DBLCLK, IDC_FIND_RESULTS, OnListDblClk)
    ON_NOTIFY(NM_RETURN, IDC_FIND_RESULTS, OnListReturn)
    ON_NOTIFY(LVN_KEYDOWN, IDC_FIND_RESULTS, OnListKeyDown)
END_MESSAGE_MAP()

CFindNodesDlg::CFindNodesDlg()
    : CDialog(IDD_FIND_NODES), m_bContent(TRUE), m_bKeywords(TRUE), m_bTitles(TRUE), m_nTimer(0),
      m_pProgress(nullptr), m_pFrame(nullptr), m_sizeMin(400, 250), m_nListTop(0), m_bLayoutReady(FALSE),
      m_pState(std::make_shared<CFindNodesState>())
{
}

CFindNodesDlg::~CFindNodesDlg()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
    StopWorker();
    delete m_pProgress;
}

BOOL CFindNodesDlg::Create(CWnd* pParentWnd)
{
    return CDialog::Create(IDD_FIND_NODES, pParentWnd);
}

void CFindNodesDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FIND_QUERY, m_wndQuery);
    DDX_Control(pDX, IDC_FIND_MODE, m_wndMode);
    DDX_Control(pDX, IDC_FIND_RESULTS, m_wndList);
    DDX_Check(pDX, IDC_FIND_TITLES, m_bTitles);
    DDX_Check(pDX, IDC_FIND_KEYWORDS, m_bKeywords);
    DDX_Check(pDX, IDC_FIND_CONTENT, m_bContent);
}

// ---------------------------------------------------------------------------
// Opening and closing

BOOL CFindNodesDlg::OnInitDialog()
{
    CQlcApp* pApp = QlcGetApp();
    CQlcSettings* pSettings = pApp ? &pApp->m_settings : nullptr;
    if (pSettings != nullptr)
    {
        const int nScopes = pSettings->m_nDataSearchOptions;
        m_bTitles = (nScopes & CFindNodesState::scopeTitles) != 0;
        m_bKeywords = (nScopes & CFindNodesState::scopeKeywords) != 0;
        m_bContent = (nScopes & CFindNodesState::scopeContent) != 0;
    }
    CDialog::OnInitDialog();

    // The template's size is the smallest the window gets.
    CRect rect;
    GetWindowRect(rect);
    m_sizeMin = rect.Size();
    const RECT rcStored = pSettings ? pSettings->m_rcFindInNodes : RECT{ 0, 0, 0, 0 };
    if (rcStored.left != 0 || rcStored.top != 0)
        MoveWindow(FitStoredRect(rcStored, m_sizeMin));
    else
        CenterWindow();

    const UINT nIndicator = ID_SEPARATOR;
    if (m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, IDC_FIND_STATUS) &&
        m_wndStatusBar.SetIndicators(&nIndicator, 1))
    {
        m_wndStatusBar.SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH | SBPS_NOBORDERS, 0);
        m_wndStatusBar.SetPaneText(0, AfxLoadText(IDS_FIND_READY));
    }
    m_pProgress = new CProgressBar(AfxLoadText(IDS_FIND_READY), 100, 1000, FALSE, 0, &m_wndStatusBar);
    m_pProgress->SetPos(0);

    // The results share the tree's pictures, which the list must never
    // destroy (the template gives it the shared-image-list style).
    m_wndList.ModifyStyle(0, LVS_SHAREIMAGELISTS);
    m_wndList.SetExtendedStyle(m_wndList.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    if (pApp != nullptr)
        m_wndList.SetImageList(pApp->m_treeImages.GetSafeHandle(), LVSIL_SMALL);
    m_wndList.InsertColumn(0, AfxLoadText(IDS_FIND_COLUMN_NODE), LVCFMT_LEFT, 100);
    CRect rectList;
    m_wndList.GetWindowRect(rectList);
    ScreenToClient(rectList);
    m_nListTop = rectList.top;

    m_wndMode.AddString(AfxLoadText(IDS_FIND_MODE_ALL));
    m_wndMode.AddString(AfxLoadText(IDS_FIND_MODE_ANY));
    m_wndMode.AddString(AfxLoadText(IDS_FIND_MODE_PHRASE));
    const int nMode = pSettings ? pSettings->m_nSearchMode : 0;
    m_wndMode.SetCurSel(nMode >= 0 && nMode <= 2 ? nMode : 0);

    FillQueryHistory();
    if (m_wndQuery.GetCount() > 0)
        m_wndQuery.SetCurSel(0);
    GotoDlgCtrl(&m_wndQuery);
    m_wndQuery.SetEditSel(0, -1);

    m_bLayoutReady = TRUE;
    LayoutControls();
    return FALSE; // the focus is set
}

CRect CFindNodesDlg::FitStoredRect(const RECT& rcStored, CSize sizeMin)
{
    CRect rect(rcStored);
    rect.right = rect.left + std::max<int>(rect.Width(), sizeMin.cx);
    rect.bottom = rect.top + std::max<int>(rect.Height(), sizeMin.cy);
    if (::MonitorFromRect(rect, MONITOR_DEFAULTTONULL) != nullptr)
        return rect;
    // Its monitor is gone: onto the nearest present one, inside its work area.
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (!::GetMonitorInfoA(::MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST), &mi))
        return rect;
    const CRect rcWork(mi.rcWork);
    int x = std::min<int>(rect.left, rcWork.right - rect.Width());
    int y = std::min<int>(rect.top, rcWork.bottom - rect.Height());
    x = std::max<int>(x, rcWork.left);
    y = std::max<int>(y, rcWork.top);
    return CRect(x, y, x + rect.Width(), y + rect.Height());
}

void CFindNodesDlg::OnCancel()
{
    DestroyWindow();
}

BOOL CFindNodesDlg::DestroyWindow()
{
    if (m_hWnd != nullptr && m_wndMode.m_hWnd != nullptr)
    {
        try
        {
            UpdateData(TRUE);
        }
        catch (...)
        {
            // The check boxes keep what they had.
        }
        if (CQlcApp* pApp = QlcGetApp())
        {
            CQlcSettings& settings = pApp->m_settings;
            CRect rect;
            GetWindowRect(rect);
            settings.m_rcFindInNodes = rect;
            settings.m_nDataSearchOptions = (m_bContent ? CFindNodesState::scopeContent : 0) |
                                            (m_bKeywords ? CFindNodesState::scopeKeywords : 0) |
                                            (m_bTitles ? CFindNodesState::scopeTitles : 0);
            const int nMode = m_wndMode.GetCurSel();
            if (nMode >= 0)
                settings.m_nSearchMode = nMode;
        }
    }
    return CDialog::DestroyWindow();
}

void CFindNodesDlg::OnDestroy()
{
    // However the window goes (closed, or with its owner), the worker stops
    // and no longer needs anything of it.
    StopWorker();
    if (m_nTimer != 0)
    {
        KillTimer(m_nTimer);
        m_nTimer = 0;
    }
    delete m_pProgress;
    m_pProgress = nullptr;
    m_bLayoutReady = FALSE;
    CDialog::OnDestroy();
}

void CFindNodesDlg::StopWorker()
{
    if (m_pState)
    {
        CSingleLock lock(&m_pState->m_mutex, TRUE);
        m_pState->m_bStop = TRUE;
        m_pState->m_pDoc = nullptr;
    }
    m_pFrame = nullptr;
    if (m_hWorker.IsValid())
    {
        // The worker may be waiting for this thread to copy notes out for
        // it: its calls are answered while waiting.
        CUiChannel::WaitPumping(m_hWorker, kJoinWait);
        m_hWorker.Reset();
    }
}

// ---------------------------------------------------------------------------
// Searching

void CFindNodesDlg::OnOK()
{
    if (CWnd::GetFocus() == &m_wndList)
        GoToResult(dirForward);
    else
        OnFindNow();
}

void CFindNodesDlg::OnFindNow()
{
    if (m_nTimer != 0)
        return; // a search runs
    CChildFrame* pFrame = ActiveNotebookFrame();
    CQuillcrestDoc* pDoc = pFrame ? pFrame->GetNotebook() : nullptr;
    if (pDoc == nullptr)
    {
        ShowMessage(IDS_FIND_NO_DATA);
        return;
    }
    CQlcApp* pApp = QlcGetApp();

    CString strQuery;
    m_wndQuery.GetWindowText(strQuery);
    GotoDlgCtrl(&m_wndQuery);
    m_wndQuery.SetEditSel(0, -1);
    strQuery.Trim();
    // Only a query with something in it is worth keeping.
    if (strQuery.IsEmpty())
    {
        ShowMessage(IDS_FIND_NO_QUERY);
        return;
    }
    const int nMode = std::max(0, m_wndMode.GetCurSel());
    if (pApp != nullptr)
    {
        pApp->AddToHistoryList(strQuery);
        pApp->m_settings.m_nSearchMode = nMode;
    }
    FillQueryHistory();
    m_wndQuery.SetWindowText(strQuery);
    m_wndQuery.SetEditSel(0, -1);

    UpdateData(TRUE);
    m_wndList.DeleteAllItems();
    GetDlgItem(IDC_FIND_NOW)->EnableWindow(FALSE);
    GetDlgItem(IDCANCEL)->EnableWindow(FALSE);
    GetDlgItem(IDC_FIND_STOP)->EnableWindow(TRUE);

    m_hWorker.Reset();
    {
        CSingleLock lock(&m_pState->m_mutex, TRUE);
        m_pState->m_strQuery = strQuery;
        m_pState->m_bDone = FALSE;
        m_pState->m_bStop = FALSE;
        m_pState->m_bStatusPending = FALSE;
        m_pState->m_nProgress = 0;
        m_pState->m_found.RemoveAll();
        m_pState->m_pDoc = pDoc;
        m_pState->m_nMode = nMode;
        m_pState->m_nScopes = (m_bTitles ? CFindNodesState::scopeTitles : 0) |
                              (m_bKeywords ? CFindNodesState::scopeKeywords : 0) |
                              (m_bContent ? CFindNodesState::scopeContent : 0);
    }
    m_pFrame = pFrame;
    CString strStatus;
    strStatus.Format(AfxLoadText(IDS_FIND_PERCENT), 0);
    SetStatusText(strStatus);
    m_nTimer = SetTimer(kTimerId, kTimerInterval, nullptr);

    CFindNodesStatePtr* pParam = new CFindNodesStatePtr(m_pState);
    CWinThread* pThread = AfxBeginThread(FindNodesThreadProc, pParam, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (pThread == nullptr)
    {
        delete pParam;
        CSingleLock lock(&m_pState->m_mutex, TRUE);
        m_pState->m_bDone = TRUE; // the next tick ends the search
        return;
    }
    // A handle of the window's own, to wait for the worker when it closes
    // (the thread object goes with the thread).
    HANDLE hThread = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), pThread->m_hThread, ::GetCurrentProcess(), &hThread, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    m_hWorker.Reset(hThread);
    pThread->ResumeThread();
}

void CFindNodesDlg::OnStop()
{
    {
        CSingleLock lock(&m_pState->m_mutex, TRUE);
        m_pState->m_bStop = TRUE;
    }
    SetStatusText(AfxLoadText(IDS_FIND_CANCELLING));
}

void CFindNodesDlg::SetStatusText(LPCSTR lpszText)
{
    if (m_nTimer != 0)
    {
        CSingleLock lock(&m_pState->m_mutex, TRUE);
        m_pState->m_strStatus = lpszText;
        m_pState->m_bStatusPending = TRUE;
        return;
    }
    if (m_pProgress != nullptr)
        m_pProgress->SetText(lpszText);
}

void CFindNodesDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTimerId || m_nTimer == 0)
    {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    CFindNodesState& state = *m_pState;
    CSingleLock lock(&state.m_mutex);
    if (!lock.Lock(kLockWait))
        return; // the next tick
    if (state.m_bStatusPending)
    {
        state.m_bStatusPending = FALSE;
        if (m_pProgress != nullptr)
            m_pProgress->SetText(state.m_strStatus);
    }
    if (state.m_pDoc != nullptr && !state.m_bStop)
    {
        ListFound(state);
        if (m_pProgress != nullptr)
        {
            m_pProgress->SetPos(state.m_nProgress);
            CString strStatus;
            strStatus.Format(AfxLoadText(IDS_FIND_PERCENT), state.m_nProgress * 100 / 1000);
            m_pProgress->SetText(strStatus);
        }
    }
    if (!state.m_bDone)
        return;
    const BOOL bStopped = state.m_bStop;
    const BOOL bDocumentGone = state.m_pDoc == nullptr;
    lock.Unlock();
    EndSearch(bStopped, bDocumentGone);
}

void CFindNodesDlg::ListFound(CFindNodesState& state)
{
    if (state.m_found.IsEmpty())
        return;
    const BOOL bMany = state.m_found.GetCount() > 50;
    if (bMany)
        m_wndList.SetRedraw(FALSE);
    while (!state.m_found.IsEmpty())
    {
        const DWORD dwNodeId = state.m_found.RemoveHead();
        // A node deleted since it was found has no row.
        CQlcNode node(state.m_pDoc, dwNodeId);
        if (!node.IsValid())
            continue;
        LVITEMA item = {};
        node.GetListItem(item);
        item.iItem = m_wndList.GetItemCount();
        item.iSubItem = 0;
        m_wndList.InsertItem(&item);
    }
    if (bMany)
    {
        m_wndList.SetRedraw(TRUE);
        m_wndList.Invalidate();
    }
}

void CFindNodesDlg::EndSearch(BOOL bStopped, BOOL bDocumentGone)
{
    if (!bStopped && m_pProgress != nullptr)
    {
        m_pProgress->SetPos(1000);
        m_pProgress->UpdateWindow();
    }
    KillTimer(m_nTimer);
    m_nTimer = 0;
    SetStatusText(AfxLoadText(IDS_FIND_READY));
    if (m_pProgress != nullptr)
        m_pProgress->SetPos(0);
    GetDlgItem(IDC_FIND_NOW)->EnableWindow(TRUE);
    GetDlgItem(IDCANCEL)->EnableWindow(TRUE);
    GetDlgItem(IDC_FIND_STOP)->EnableWindow(FALSE);
    if (bDocumentGone)
        m_wndList.DeleteAllItems();
}

void CFindNodesDlg::OnDocumentClosing(CChildFrame* pFrame)
{
    if (pFrame == nullptr || pFrame != m_pFrame)
        return;
    m_pFrame = nullptr;
    BOOL bRunning = FALSE;
    {
        CSingleLock lock(&m_pState->m_mutex, TRUE);
        m_pState->m_pDoc = nullptr;
        m_pState->m_bStop = TRUE;
        bRunning = !m_pState->m_bDone;
    }
    // A running search empties the list when it ends.
    if (!bRunning && m_hWnd != nullptr)
        m_wndList.DeleteAllItems();
}

// ---------------------------------------------------------------------------
// Results

void CFindNodesDlg::GoToResult(int nDirection)
{
    const int nItem = m_wndList.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return;
    const DWORD dwNodeId = (DWORD)m_wndList.GetItemData(nItem);
    CChildFrame* pFrame = nullptr;
    BOOL bFound = FALSE;
    BOOL bFolder = FALSE;
    {
        CSingleLock lock(&m_pState->m_mutex, TRUE);
        pFrame = m_pFrame;
        CQlcNode node;
        bFound = pFrame != nullptr && m_pState->m_pDoc != nullptr && node.Open(m_pState->m_pDoc, dwNodeId);
        bFolder = node.IsFolder();
    }
    // The lock is gone before the notebook window opens the node: that may
    // ask for a password.
    if (!bFound)
    {
        ShowMessage(IDS_FIND_NODE_GONE, m_wndList.GetItemText(nItem, 0));
        return;
    }
    pFrame->GotoNode(dwNodeId, !bFolder);
    // The notebook (or this window) may have closed while a password was
    // asked for.
    if (m_hWnd == nullptr || m_pFrame != pFrame)
        return;
    if (pFrame->GetShownNodeId() == dwNodeId && pFrame->GetRichEditView() != nullptr)
        HighlightQueryInNode(pFrame->GetRichEditView()->GetRichEditCtrl(), nDirection);
    m_wndList.SetFocus();
}

void CFindNodesDlg::SelectNextResult(int nDirection)
{
    const int nCount = m_wndList.GetItemCount();
    if (nCount == 0)
        return;
    const int nCurrent = m_wndList.GetNextItem(-1, LVNI_SELECTED);
    int nNext = 0;
    if (nDirection == dirBackward)
        nNext = nCurrent <= 0 ? nCount - 1 : nCurrent - 1;
    else
        nNext = nCurrent < 0 || nCurrent >= nCount - 1 ? 0 : nCurrent + 1;
    m_wndList.SetItemState(nNext, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_wndList.EnsureVisible(nNext, FALSE);
    GoToResult(dirForward);
}

BOOL CFindNodesDlg::HighlightQueryInNode(CRichEditCtrl& ctrl, int nDirection)
{
    CString strQuery;
    int nMode = 0;
    {
        CSingleLock lock(&m_pState->m_mutex, TRUE);
        strQuery = m_pState->m_strQuery;
        nMode = m_pState->m_nMode;
    }
    const std::vector<std::string> words = CFindNodesQuery::SplitWords(strQuery, nMode);
    if (words.empty())
        return FALSE;
    const BOOL bForward = nDirection != dirBackward;
    CHARRANGE sel = {};
    ctrl.GetSel(sel);
    const long nEnd = ctrl.GetTextLength();

    // The nearest hit of any word in the direction: forward the lowest
    // position after the selection, backward the highest before it.
    auto findNearest = [&](long nFrom, long nTo, CHARRANGE& hit) {
        BOOL bHit = FALSE;
        for (const std::string& word : words)
        {
            FINDTEXTEXA ft = {};
            ft.lpstrText = word.c_str();
            if (bForward)
            {
                ft.chrg.cpMin = nFrom;
                ft.chrg.cpMax = nTo;
                if (ctrl.FindText(FR_DOWN, &ft) >= 0 && (!bHit || ft.chrgText.cpMin < hit.cpMin))
                {
                    hit = ft.chrgText;
                    bHit = TRUE;
                }
                continue;
            }
            // Backward: the last hit that ends by nTo, found going forward.
            for (long nPos = nFrom; nPos <= nTo;)
            {
                ft.chrg.cpMin = nPos;
                ft.chrg.cpMax = nTo;
                if (ctrl.FindText(FR_DOWN, &ft) < 0)
                    break;
                if (!bHit || ft.chrgText.cpMin > hit.cpMin)
                {
                    hit = ft.chrgText;
                    bHit = TRUE;
                }
                nPos = ft.chrgText.cpMin + 1;
            }
        }
        return bHit;
    };

    CHARRANGE hit = {};
    BOOL bHit = bForward ? findNearest(sel.cpMax, nEnd, hit) : findNearest(0, sel.cpMin, hit);
    // Once round: from the start, or from the end.
    if (!bHit)
        bHit = findNearest(0, nEnd, hit);
    if (!bHit)
        return FALSE;
    ctrl.SetSel(hit);
    ctrl.SendMessage(EM_SCROLLCARET);
    return TRUE;
}

void CFindNodesDlg::OnListDblClk(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    GoToResult(dirForward);
    *pResult = 0;
}

void CFindNodesDlg::OnListReturn(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    GoToResult(dirForward);
    *pResult = 0;
}

void CFindNodesDlg::OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLVKEYDOWN* pKey = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    *pResult = 0;
    if (pKey->wVKey == VK_SPACE)
        GoToResult(dirForward);
    else if ((pKey->wVKey == VK_LEFT || pKey->wVKey == VK_RIGHT) && ::GetKeyState(VK_SHIFT) < 0)
        GoToResult(pKey->wVKey == VK_LEFT ? dirBackward : dirForward);
}

// ---------------------------------------------------------------------------
// History, layout, messages

void CFindNodesDlg::FillQueryHistory()
{
    CQlcApp* pApp = QlcGetApp();
    m_wndQuery.ResetContent();
    if (pApp != nullptr)
        AddSearchHistoryToCombo(m_wndQuery, pApp->m_searchHistory);
}

void CFindNodesDlg::AddSearchHistoryToCombo(CComboBox& combo, const CStringList& history)
{
    for (POSITION pos = history.GetHeadPosition(); pos != nullptr;)
        combo.AddString(history.GetNext(pos));
}

void CFindNodesDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    LayoutControls();
}

void CFindNodesDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    lpMMI->ptMinTrackSize.x = m_sizeMin.cx;
    lpMMI->ptMinTrackSize.y = m_sizeMin.cy;
}

void CFindNodesDlg::LayoutControls()
{
    if (!m_bLayoutReady || m_hWnd == nullptr)
        return;
    CRect rectClient;
    GetClientRect(rectClient);

    int nStatusTop = rectClient.bottom;
    if (m_wndStatusBar.m_hWnd != nullptr)
    {
        const int cyStatus = m_wndStatusBar.CalcFixedLayout(TRUE, TRUE).cy;
        nStatusTop = rectClient.bottom - cyStatus;
        m_wndStatusBar.MoveWindow(0, nStatusTop, rectClient.Width(), cyStatus);
    }

    // The buttons move together, the rightmost edge 5 pixels inside.
    int nRight = INT_MIN;
    for (UINT nID : kButtons)
    {
        CRect rect;
        GetDlgItem(nID)->GetWindowRect(rect);
        ScreenToClient(rect);
        nRight = std::max<int>(nRight, rect.right);
    }
    const int dx = rectClient.right - kButtonMargin - nRight;
    int nButtonsLeft = INT_MAX;
    for (UINT nID : kButtons)
    {
        CWnd* pButton = GetDlgItem(nID);
        CRect rect;
        pButton->GetWindowRect(rect);
        ScreenToClient(rect);
        rect.OffsetRect(dx, 0);
        if (dx != 0)
            pButton->MoveWindow(rect);
        nButtonsLeft = std::min<int>(nButtonsLeft, rect.left);
    }

    CRect rectQuery;
    m_wndQuery.GetWindowRect(rectQuery);
    ScreenToClient(rectQuery);
    rectQuery.right = std::max<int>(rectQuery.left, nButtonsLeft - kComboGap);
    // A combo's window is as tall as its dropped list.
    CRect rectDrop;
    m_wndQuery.GetDroppedControlRect(rectDrop);
    m_wndQuery.MoveWindow(rectQuery.left, rectQuery.top, rectQuery.Width(), std::max<int>(rectDrop.Height(), rectQuery.Height()));

    const int nListBottom = std::max(m_nListTop, nStatusTop - kListGap);
    m_wndList.MoveWindow(0, m_nListTop, rectClient.Width(), nListBottom - m_nListTop);
    CRect rectList;
    m_wndList.GetClientRect(rectList);
    m_wndList.SetColumnWidth(0, rectList.Width());

    if (m_pProgress != nullptr)
        m_pProgress->Resize();
    // The window paints its background under the group box and where the
    // controls were, then every control over it, in that order.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CFindNodesDlg::ShowMessage(UINT nIDText, LPCSTR lpszArgument)
{
    CString strText = AfxLoadText(nIDText);
    if (lpszArgument != nullptr)
    {
        CString strFormat = strText;
        strText.Format(strFormat, lpszArgument);
    }
    AfxShowMessageBox(m_hWnd, strText, AfxLoadText(IDS_FIND_CAPTION), MB_OK | MB_ICONWARNING);
}
