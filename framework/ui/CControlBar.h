// A bar along an edge of a frame (toolbar, status bar, dock rows, sizing
// bars later): it takes its piece of the frame in the layout pass
// (WM_SIZEPARENT), updates its items from the frame's command handlers at
// idle time, forwards its controls' notifications to its owner frame, and
// with a dock context can be dragged by its gripper to another edge or
// into a floating frame.
#pragma once

#include "framework/ui/CFrameWnd.h"

class CDockBar;
class CDockContext;
class CControlBarInfo;

// CalcDynamicLayout modes.
#define LM_STRETCH   0x01
#define LM_HORZ      0x02
#define LM_MRUWIDTH  0x04
#define LM_HORZDOCK  0x08
#define LM_VERTDOCK  0x10
#define LM_LENGTHY   0x20
#define LM_COMMIT    0x40

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();
    ~CControlBar() override;

    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    virtual CSize CalcDynamicLayout(int nLength, DWORD nMode);
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
    // The client rectangle less the bar's borders and gripper.
    virtual void CalcInsideRect(CRect& rect, BOOL bHorz) const;
    virtual void DrawBorders(CDC* pDC, CRect& rect);
    virtual void DrawGripper(CDC* pDC, const CRect& rect);

    void EnableDocking(DWORD dwDockStyle);
    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD dwStyle);
    BOOL IsFloating() const;
    BOOL IsHorzDocked() const;
    // Visible, or about to be shown by the next layout pass (and not about
    // to be hidden by it).
    BOOL IsVisible() const;
    // Shows or hides the bar at the next layout pass of its frame.
    void DelayShow(BOOL bShow);
    // Carries out a pending delayed show or hide, in the layout's batch of
    // moves; a layout that only measures (no batch) changes nothing. The
    // window style the bar has (or will have) afterwards.
    DWORD RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout);
    BOOL IsDockBar() const { return m_bDockBar; }
    CFrameWnd* GetDockingFrame() const;
    virtual void GetBarInfo(CControlBarInfo* pInfo);
    virtual void SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd);
    // The gripper strip in window coordinates (empty when none).
    CRect GetGripperRect() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

    void OnDestroy();
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnNcLButtonDown(UINT nHitTest, CPoint point);
    void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    LRESULT OnNcHitTest(CPoint point);
    void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    void OnNcPaint();

    enum StateFlags { delayHide = 1, delayShow = 2 };

    DWORD m_dwStyle;          // CBRS_ styles
    UINT m_nStateFlags;       // StateFlags
    DWORD m_dwDockStyle;      // edges it may dock to
    CFrameWnd* m_pDockSite;   // frame whose edges it docks to
    CDockBar* m_pDockBar;     // dock row holder it sits in, or null
    CDockContext* m_pDockContext;
    BOOL m_bAutoDelete;
    BOOL m_bDockBar;
    int m_cxLeftBorder, m_cxRightBorder, m_cyTopBorder, m_cyBottomBorder;
    // Plain bars pass their controls' notifications to the owner; a bar that
    // is itself a common control relays them through its own procedure.
    BOOL m_bForwardToOwner;

protected:
    DECLARE_MESSAGE_MAP()
};
