// A toolbar: the common toolbar control as a control bar. Its buttons come
// from a toolbar resource (type 241: version, image width and height, count,
// command ids; 0 is a separator) and the bitmap of the same id, whose
// RGB(192,192,192) pixels are transparent. Buttons are enabled and checked
// from the frame's update handlers at idle time; tooltips and fly-by texts
// come from the command's string ("fly-by\ntooltip").
#pragma once

#include "framework/ui/CControlBar.h"

#include <commctrl.h>

#include <vector>

#define RT_TOOLBAR MAKEINTRESOURCEA(241)

// The colour a toolbar bitmap leaves transparent.
#define AFX_TOOLBAR_MASK_COLOR RGB(192, 192, 192)

class CToolBar : public CControlBar
{
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar();
    ~CToolBar() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                  UINT nID = AFX_IDW_TOOLBAR);

    BOOL LoadToolBar(UINT nIDResource);
    BOOL LoadBitmap(UINT nIDResource);
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);
    // The bar's height when docked horizontally (buttons centred in it).
    void SetHeight(int cyHeight);

    int GetCount() const;
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    UINT GetButtonStyle(int nIndex) const;
    void SetButtonStyle(int nIndex, UINT nStyle);
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
    CSize GetButtonSize() const { return m_sizeButton; }
    CSize GetImageSize() const { return m_sizeImage; }
    HIMAGELIST GetImageList() const { return m_hImageList; }

    // Reads a toolbar resource: image size and command ids.
    static BOOL PASCAL ReadToolBarResource(HINSTANCE hInst, UINT nIDResource, CSize& sizeImage,
                                           std::vector<UINT>& ids);

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    CSize CalcDynamicLayout(int nLength, DWORD nMode) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    void SetBarStyle(DWORD dwStyle) override;
    void CalcInsideRect(CRect& rect, BOOL bHorz) const override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    BOOL OnHotItemChange(NMHDR* pNMHDR, LRESULT* pResult);

protected:
    CSize m_sizeButton;
    CSize m_sizeImage;
    int m_cyHeight;           // 0: natural height
    HIMAGELIST m_hImageList;
    BOOL m_bVertical;         // buttons laid out one per row

    void LayoutOrientation(BOOL bHorz);

    DECLARE_MESSAGE_MAP()
};
