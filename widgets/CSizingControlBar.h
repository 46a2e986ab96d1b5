// A resizable docking pane: a control bar that hosts one child window,
// docks to a side of its frame or floats in a small frame of its own, is
// resized by dragging its inner edge, shares its dock row with other sizing
// bars and keeps its three sizes (docked horizontally, docked vertically,
// floating) in the profile.
//
// The owner frame creates it (Create), sets its style (SetSCBStyle, usually
// SCBS_SIZECHILD), creates the child inside it, enables docking on it and on
// itself, docks it, and restores the sizes (RestoreAllBarStates) before its
// own dock state; it stores them (StoreAllBarStates) before its dock state
// when it goes. Showing and hiding go through the frame's ShowControlBar.
#pragma once

#include "framework/ui/CControlBar.h"

#include <vector>

// Bar styles. The four edges are computed (which sides resize); the owner
// sets SCBS_SIZECHILD to have the first child fill the client area.
#define SCBS_EDGELEFT    0x00000001
#define SCBS_EDGERIGHT   0x00000002
#define SCBS_EDGETOP     0x00000004
#define SCBS_EDGEBOTTOM  0x00000008
#define SCBS_EDGEALL     0x0000000F
#define SCBS_SIZECHILD   0x00000020

class CSizingControlBar;
typedef std::vector<CSizingControlBar*> CSCBArray;

class CSizingControlBar : public CControlBar
{
    DECLARE_DYNAMIC(CSizingControlBar)
public:
    CSizingControlBar();
    ~CSizingControlBar() override;

    // The CBRS_ bits of dwStyle become the bar style, the rest (with
    // WS_CLIPCHILDREN) the window style. FALSE when the window cannot be made.
    virtual BOOL Create(LPCSTR lpszWindowName, CWnd* pParentWnd, UINT nID,
                        DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP);
    // The same with all three sizes set to sizeDefault first.
    virtual BOOL Create(LPCSTR lpszWindowName, CWnd* pParentWnd, CSize sizeDefault, BOOL bHasGripper, UINT nID,
                        DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP);

    // --- State in the profile (section "<profile>-SCBar-<id>") --------------------
    virtual void RestoreBarState(LPCSTR lpszProfileName);
    virtual void StoreBarState(LPCSTR lpszProfileName);
    static void RestoreAllBarStates(CFrameWnd* pFrame, LPCSTR lpszProfileName);
    static void StoreAllBarStates(CFrameWnd* pFrame, LPCSTR lpszProfileName);

    // --- Resizing by an edge (screen points) ----------------------------------------
    virtual void BeginResizeTrack(UINT nHitTest, CPoint point);
    virtual void EndResizeTrack();
    virtual void TrackResize(CPoint point);
    virtual void ToggleTrackerLine();

    // --- Non-client area --------------------------------------------------------------
    // Paints what lies between the edges and the client rectangle (window
    // coordinates); nothing in this class.
    virtual void PaintGripperArea(CDC* pDC, const CRect& rcClient);
    // The client rectangle within the window rectangle rc (the parent's
    // coordinates), for a bar in the dock bar nDockBarID; sets the edge bit
    // of the dock side.
    virtual void ComputeClientArea(CRect& rc, UINT nDockBarID);
    // Moves the bars of this row to follow one another.
    virtual void LineUpRowBars();

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    CSize CalcDynamicLayout(int nLength, DWORD nMode) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    // Stores the sides it may dock to and makes its drag context.
    void EnableDocking(DWORD dwDockStyle);
    DWORD GetSCBStyle() const { return m_dwSCBStyle; }
    // Sets the owner's bits; the edge bits are computed.
    void SetSCBStyle(DWORD dwSCBStyle) { m_dwSCBStyle = dwSCBStyle & ~SCBS_EDGEALL; }

    // Where it is, by the control id of the dock bar it sits in.
    UINT GetDockBarID() const { return m_nDockBarID; }
    BOOL IsHorzDocked() const;
    BOOL IsVertDocked() const;
    BOOL IsFloating() const;
    BOOL IsTracking() const { return m_bTracking; }
    // The rectangle of an edge (HTLEFT..HTBOTTOM) within the window
    // rectangle rcWnd; FALSE when the bar has no such edge now.
    BOOL GetEdgeRect(const CRect& rcWnd, UINT nHitTest, CRect& rcEdge) const;
    // The visible sizing bars of this bar's row, in order, and this bar's
    // place among them (-1 when it is not in a row).
    void GetRowSizingBars(CSCBArray& arrSCBars, int& nThis) const;

    // --- Handlers ------------------------------------------------------------------------
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnSettingChange(UINT uFlags, LPCSTR lpszSection);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    LRESULT OnNcHitTest(CPoint point);
    void OnNcPaint();
    void OnPaint();
    void OnNcLButtonDown(UINT nHitTest, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnCaptureChanged(CWnd* pWnd);
    void OnSize(UINT nType, int cx, int cy);
    void OnWindowPosChanged(WINDOWPOS* lpwndpos);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    void OnNcMouseMove(UINT nHitTest, CPoint point);
    void OnClose();

    // Sizes (signed pixels) and their fixed minimums.
    CSize m_szHorz;
    CSize m_szVert;
    CSize m_szFloat;
    const CSize m_szMinHorz;
    const CSize m_szMinVert;
    const CSize m_szMinFloat;

protected:
    // The entries of the dock bar's list that form this bar's row.
    void GetRowInfo(int& nFirst, int& nLast, int& nThis) const;
    // Deals the row's length out among its sizing bars (TRUE: line them up).
    BOOL NegotiateSpace(int nLengthTotal, BOOL bHorz);
    BOOL IsSideTracking() const;
    // The first child covers the client area (SCBS_SIZECHILD).
    void SizeChild(int cx, int cy);
    // The frame this bar lays out in (its dock site).
    CFrameWnd* GetSite() const;

    DWORD m_dwSCBStyle;
    UINT m_htEdge;
    int m_nTrackPosMin;
    int m_nTrackPosMax;
    int m_nTrackPosOld;
    int m_nTrackEdgeOfs;
    BOOL m_bTracking;
    BOOL m_bKeepSize;
    BOOL m_bParentSizing;
    BOOL m_bDragShowContent;
    UINT m_nDockBarID;
    int m_cxEdge;

    DECLARE_MESSAGE_MAP()
};
