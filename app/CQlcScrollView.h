// The content view of an image node: the node's stored picture decoded by
// the image layer, shown centred on a hatched background, fitted to the
// window and zoomed in powers of two, turned by quarter turns, scrolled, and
// painted from a back buffer. The view only shows: it never writes the node.
#pragma once

#include "framework/docview/CScrollView.h"
#include "framework/gdi/CRect.h"

#include "imaging/PLWinBmp.h"

#include <memory>

class CQuillcrestDoc;

class CQlcScrollView : public CScrollView
{
    DECLARE_DYNCREATE(CQlcScrollView)
public:
    CQlcScrollView();
    ~CQlcScrollView() override;

    // The highest zoom level (a factor of 2 to this power).
    static constexpr unsigned int kMaxZoomLevel = 5;

    // Decodes the node's picture. FALSE (nothing shown) when the payload
    // cannot be read or does not decode.
    BOOL LoadNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, BOOL bPasswordKnown, LPCSTR lpszPassword);

    void RotateClockwise();
    void RotateAnticlockwise();
    // Recomputes the scroll sizes for the fit factor and zoom, scrolls to a
    // pending zoom point and repaints with a new back buffer.
    void DoZoomUpdate();
    // One zoom step about a point of the shown image (image pixels).
    void ImageZoomMore(CPoint ptImage);
    void ImageZoomLess(CPoint ptImage);

    // The scale that fits an image into an area, never above 1; 0 when any
    // size is 0 or negative.
    static double GetFitFactor(int cxAvail, int cyAvail, int cxImage, int cyImage);
    // Fit factor from the window's outer size, for the shown image.
    void UpdateFitFactor();
    // Drops the back buffer and repaints at once.
    void Invalidate();
    // Draws the picture: on the screen through the back buffer; on a printer
    // straight onto its page (the page is the target, centred, no background).
    void DrawImage(CDC* pDC, BOOL bPrinter);
    // Zoom clicks and the zoom cursor.
    void ImageHitTest(UINT nFlags, CPoint point);

    // The scale the picture is shown at (fit factor when fitting, times the
    // zoom).
    double GetScale() const;

    BOOL IsLoaded() const { return m_bLoaded; }
    BOOL GetZoomMode() const { return m_bZoomMode; }
    void SetZoomMode(BOOL bZoomMode) { m_bZoomMode = bZoomMode; }
    unsigned int GetZoomLevel() const { return m_nZoomLevel; }
    double GetFitFactorValue() const { return m_dFitFactor; }
    double GetRotationAngle() const { return m_dRotationAngle; }
    const CRect& GetShownRect() const { return m_rcShown; }
    const PLWinBmp& GetDecodedImage() const { return m_bmpDecoded; }
    const PLWinBmp& GetDisplayImage() const { return m_bmpDisplay; }
    HBITMAP GetBackBuffer() const { return m_hBackBuffer; }
    // How many times the back buffer was drawn anew.
    int GetRebuildCount() const { return m_nRebuildCount; }

    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
    // One page: the picture centred on the printer's page at the window's
    // scale, with no background.
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    // Left and right button down and double click: zoom clicks.
    LRESULT OnZoomClick(WPARAM wParam, LPARAM lParam);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    UINT OnGetDlgCode();
    LRESULT OnOptionsChanged(WPARAM wParam, LPARAM lParam);

protected:
    // Rebuilds the display image when the angle changed since it was made.
    void ApplyRotation();
    // The picture scaled to (cx, cy) at (x, y) onto hDC, only the part that
    // falls inside rcClip.
    void DrawScaledPart(HDC hDC, int x, int y, int cx, int cy, const CRect& rcClip, BOOL bBilinear);
    // Paints the picture (at rcPicture of the drawing surface) and its
    // background into rcTarget, which shows the surface from ptOrigin on.
    void PaintPicture(HDC hDC, const CRect& rcTarget, CPoint ptOrigin, BOOL bBackground, BOOL bBilinear,
                      const CRect& rcPicture);
    void DeleteBackBuffer();
    // Whether the point of the client area lies on the shown image.
    BOOL IsOverImage(CPoint ptClient) const;
    // Snaps an angle to its quarter turn and brings it into -pi..pi.
    static double NormaliseAngle(double dAngle);

    BOOL m_bZoomMode;
    BOOL m_bLoaded;
    BOOL m_bInUpdate;
    double m_dFitFactor;
    unsigned int m_nZoomLevel;
    BOOL m_bScrollToPoint;
    CPoint m_ptZoom;
    HCURSOR m_hZoomCursor;
    double m_dRotationAngle;
    double m_dAppliedAngle;
    HBITMAP m_hBackBuffer;
    CRect m_rcBackBuffer;
    // The scroll position the back buffer was drawn for (it holds only the
    // visible part of the picture).
    CPoint m_ptBackBuffer;
    CRect m_rcShown;
    PLWinBmp m_bmpDecoded;
    PLWinBmp m_bmpDisplay;
    // The last bilinear shrink of the display image, kept so that scrolling
    // does not resize again.
    std::unique_ptr<PLWinBmp> m_pResized;
    int m_nRebuildCount;

    DECLARE_MESSAGE_MAP()
};
