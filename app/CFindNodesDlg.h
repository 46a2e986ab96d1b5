// "Find in Nodes": a modeless, resizable window that searches the notebook
// of the active notebook window for nodes whose title, keywords or note text
// hold the words of a query. The search runs on a worker over a shared state
// (CFindNodesState); the window polls it every 50 ms, lists the nodes found
// as they come with the progress in its status bar, and opens a found node
// in its notebook window with the query's first hit selected.
#pragma once

#include "app/CFindNodesState.h"
#include "widgets/CProgressBar.h"

#include "framework/base/CScopedHandle.h"
#include "framework/ui/CComboBox.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CListCtrl.h"
#include "framework/ui/CStatusBar.h"

class CChildFrame;
class CRichEditCtrl;
class CStringList;

class CFindNodesDlg : public CDialog
{
    DECLARE_DYNAMIC(CFindNodesDlg)
public:
    CFindNodesDlg();
    ~CFindNodesDlg() override;

    // Directions of GoToResult and SelectNextResult.
    enum { dirBackward = 1, dirForward = 2 };
    enum { kTimerId = 1, kTimerInterval = 50, kLockWait = 100 };

    // Creates the window modelessly from its template.
    BOOL Create(CWnd* pParentWnd);

    BOOL OnInitDialog() override;
    // Enter: opens the selected result while the list has the focus, else
    // starts a search.
    void OnOK() override;
    // Close and Escape destroy the window; the object stays.
    void OnCancel() override;
    // Stores the window's place, scopes and mode in the settings, stops a
    // running search, then destroys the window.
    BOOL DestroyWindow() override;

    void OnFindNow();
    void OnStop();
    void OnTimer(UINT_PTR nIDEvent);
    void GoToResult(int nDirection);
    void SelectNextResult(int nDirection);
    // A notebook window closes (the main frame tells): when it is the one
    // searched, the search stops and its results go.
    void OnDocumentClosing(CChildFrame* pFrame);
    // Puts a text on the progress bar, at the next tick while one runs.
    void SetStatusText(LPCSTR lpszText);
    void LayoutControls();
    // Selects the next hit of the query in a note (wrapping once); FALSE
    // when the note holds none.
    BOOL HighlightQueryInNode(CRichEditCtrl& ctrl, int nDirection);

    // The query combo's list: the search history, most recent first.
    void FillQueryHistory();
    static void AddSearchHistoryToCombo(CComboBox& combo, const CStringList& history);

    // A window rectangle kept from an earlier run, as it is restored: never
    // smaller than the minimum size, and on a present monitor.
    static CRect FitStoredRect(const RECT& rcStored, CSize sizeMin);

    // --- For the main frame and tests ---------------------------------------------------
    BOOL IsSearching() const { return m_nTimer != 0; }
    const CFindNodesStatePtr& GetState() const { return m_pState; }
    // The worker of the running (or last) search, or null.
    HANDLE GetWorkerHandle() const { return m_hWorker.Get(); }
    CListCtrl& GetResultList() { return m_wndList; }
    CChildFrame* GetSearchedFrame() const { return m_pFrame; }
    CProgressBar* GetProgressBar() const { return m_pProgress; }
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }

    // --- Handlers --------------------------------------------------------------------------
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnDestroy();
    void OnPrevResult() { SelectNextResult(dirBackward); }
    void OnNextResult() { SelectNextResult(dirForward); }
    void OnPrevHit() { GoToResult(dirBackward); }
    void OnNextHit() { GoToResult(dirForward); }
    void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListReturn(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult);

    // Scope flags, exchanged with the check boxes.
    BOOL m_bContent;
    BOOL m_bKeywords;
    BOOL m_bTitles;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Asks the running worker to stop and forgets the notebook, then waits
    // for the worker (answering its calls meanwhile).
    void StopWorker();
    // The search has ended: buttons, status text and bar back to idle.
    void EndSearch(BOOL bStopped, BOOL bDocumentGone);
    // The rows of the found ids, oldest first (under the lock).
    void ListFound(CFindNodesState& state);
    void ShowMessage(UINT nIDText, LPCSTR lpszArgument = nullptr);

    UINT_PTR m_nTimer;
    CProgressBar* m_pProgress;
    CChildFrame* m_pFrame;
    CSize m_sizeMin;
    int m_nListTop;
    BOOL m_bLayoutReady;

    CFindNodesStatePtr m_pState;
    CScopedHandle m_hWorker;
    CStatusBar m_wndStatusBar;
    CComboBox m_wndQuery;
    CComboBox m_wndMode;
    CListCtrl m_wndList;

    DECLARE_MESSAGE_MAP()
};
