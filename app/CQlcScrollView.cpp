#include "app/CQlcScrollView.h"

#include "app/CChildFrame.h"
#include "app/CQlcApp.h"
#include "app/res/Resource.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQlcStatus.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/CException.h"
#include "framework/docview/CPrintInfo.h"
#include "framework/gdi/CDC.h"
#include "framework/gdi/CScopedDC.h"
#include "framework/gdi/CScopedGdiObject.h"
#include "framework/gdi/CScopedSelect.h"

#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLFilterResizeBilinear.h"
#include "imaging/PLFilterRotate90.h"
#include "imaging/PLTextException.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

IMPLEMENT_DYNCREATE(CQlcScrollView, CScrollView)

namespace {

const double kPi = 3.14159265358979323846;
const double kQuarterTurn = kPi / 2;
// Registered by name, the same message the main frame sends.
const UINT s_nOptionsChangedMsg = ::RegisterWindowMessageA("Options Changed");

} // namespace

BEGIN_MESSAGE_MAP(CQlcScrollView, CScrollView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_LBUTTONDOWN, OnZoomClick)
    ON_MESSAGE(WM_LBUTTONDBLCLK, OnZoomClick)
    ON_MESSAGE(WM_RBUTTONDOWN, OnZoomClick)
    ON_MESSAGE(WM_RBUTTONDBLCLK, OnZoomClick)
    ON_WM_KEYDOWN()
    ON_WM_GETDLGCODE()
    ON_REGISTERED_MESSAGE(s_nOptionsChangedMsg, OnOptionsChanged)
    ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrintDirect)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

CQlcScrollView::CQlcScrollView()
    : m_bZoomMode(FALSE), m_bLoaded(FALSE), m_bInUpdate(FALSE), m_dFitFactor(1.0), m_nZoomLevel(0),
      m_bScrollToPoint(FALSE), m_ptZoom(0, 0), m_hZoomCursor(nullptr), m_dRotationAngle(0.0),
      m_dAppliedAngle(0.0), m_hBackBuffer(nullptr), m_rcBackBuffer(0, 0, 0, 0), m_ptBackBuffer(0, 0),
      m_rcShown(0, 0, 0, 0), m_nRebuildCount(0)
{
    // Each new view starts in the zoom mode the program holds.
    if (CQlcApp* pApp = QlcGetApp())
        m_bZoomMode = pApp->m_settings.m_nZoomMode != 0;
}

CQlcScrollView::~CQlcScrollView()
{
    DeleteBackBuffer();
}

void CQlcScrollView::DeleteBackBuffer()
{
    if (m_hBackBuffer != nullptr)
        ::DeleteObject(m_hBackBuffer);
    m_hBackBuffer = nullptr;
    m_rcBackBuffer.SetRectEmpty();
}

// ---------------------------------------------------------------------------
// Loading

BOOL CQlcScrollView::LoadNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, BOOL /*bPasswordKnown*/,
                              LPCSTR /*lpszPassword*/)
{
    CQlcStatus status;
    status.SetText(AfxLoadText(IDS_STATUS_LOADING_IMAGE));
    m_bLoaded = FALSE;
    CQlcNode node(pDoc, dwNodeId);
    if (!node.IsValid())
        return FALSE;
    try
    {
        // The node's remembered password (set when it was entered) opens an
        // encrypted payload.
        CQlcNodeData* pData = node.GetDataForRead();
        const DWORD dwSize = node.GetPlainSize();
        if (pData == nullptr || pData->IsDamaged() || dwSize == 0 || dwSize > (DWORD)INT_MAX)
            return FALSE;
        std::vector<BYTE> buffer(dwSize);
        DWORD dwRead = 0;
        while (dwRead < dwSize)
        {
            const UINT n = pData->Get(buffer.data() + dwRead, (UINT)std::min<DWORD>(dwSize - dwRead, 1u << 20));
            if (n == 0)
                break;
            dwRead += n;
        }
        if (dwRead == 0 || pData->IsDamaged())
            return FALSE;

        PLAnyPicDecoder decoder;
        decoder.DecodeMemory(buffer.data(), (int)dwRead, &m_bmpDecoded);
        // The buffer goes before the display copy is made.
        std::vector<BYTE>().swap(buffer);
        m_bmpDisplay.CopyAtDepth(m_bmpDecoded, 32);
    }
    catch (PLTextException& e)
    {
        g_log.WriteLine(CString("WARNING: An image node could not be decoded: ") + e.GetText());
        return FALSE;
    }
    catch (CException&)
    {
        g_log.WriteLine("WARNING: An image node could not be read.");
        return FALSE;
    }
    catch (std::exception&)
    {
        g_log.WriteLine("WARNING: An image node could not be shown (out of memory).");
        return FALSE;
    }
    m_dRotationAngle = 0.0;
    m_dAppliedAngle = 0.0;
    m_pResized.reset();
    // A new picture is fitted to the window afresh.
    m_dFitFactor = 1.0;
    m_bLoaded = TRUE;
    DoZoomUpdate();
    return TRUE;
}

// ---------------------------------------------------------------------------
// Fitting and zooming

double CQlcScrollView::GetFitFactor(int cxAvail, int cyAvail, int cxImage, int cyImage)
{
    if (cxAvail <= 0 || cyAvail <= 0 || cxImage <= 0 || cyImage <= 0)
        return 0.0;
    if (cxImage <= cxAvail && cyImage <= cyAvail)
        return 1.0;
    return std::min((double)cxAvail / cxImage, (double)cyAvail / cyImage);
}

void CQlcScrollView::UpdateFitFactor()
{
    if (m_hWnd == nullptr)
        return;
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    m_dFitFactor = GetFitFactor(rcWindow.Width(), rcWindow.Height(), m_bmpDisplay.GetWidth(),
                                m_bmpDisplay.GetHeight());
}

double CQlcScrollView::GetScale() const
{
    const CQlcApp* pApp = QlcGetApp();
    const BOOL bFit = pApp == nullptr || pApp->m_settings.m_nImageScaleToFit != 0;
    return (bFit ? m_dFitFactor : 1.0) * (double)(1u << m_nZoomLevel);
}

void CQlcScrollView::DoZoomUpdate()
{
    if (m_hWnd == nullptr)
        return;
    m_bInUpdate = TRUE;
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    if (m_bLoaded && rcWindow.Width() != 0 && rcWindow.Height() != 0)
    {
        if (m_dFitFactor == 1.0)
            UpdateFitFactor();
        const double dScale = GetScale();
        SetRedraw(FALSE);
        const int cxScaled = (int)(m_bmpDisplay.GetWidth() * dScale);
        const int cyScaled = (int)(m_bmpDisplay.GetHeight() * dScale);
        if (cxScaled > rcWindow.Width() || cyScaled > rcWindow.Height())
        {
            SetScrollSizes(MM_TEXT, CSize(cxScaled, cyScaled));
            if (m_bScrollToPoint)
            {
                ScrollToPosition(CPoint((int)(m_ptZoom.x * dScale), (int)(m_ptZoom.y * dScale)));
                m_bScrollToPoint = FALSE;
            }
        }
        else
        {
            SetScrollSizes(MM_TEXT, CSize(0, 0));
        }
        SetRedraw(TRUE);
        Invalidate();
    }
    m_bInUpdate = FALSE;
}

void CQlcScrollView::Invalidate()
{
    m_rcBackBuffer.SetRectEmpty();
    if (m_hWnd != nullptr)
        RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void CQlcScrollView::ImageZoomMore(CPoint ptImage)
{
    if (m_nZoomLevel < kMaxZoomLevel)
        ++m_nZoomLevel;
    m_ptZoom = ptImage;
    m_bScrollToPoint = TRUE;
    ::OutputDebugStringA("Calling DoZoomUpdate from ImageZoomMore\n");
    DoZoomUpdate();
}

void CQlcScrollView::ImageZoomLess(CPoint ptImage)
{
    if (m_nZoomLevel > 0)
        --m_nZoomLevel;
    m_ptZoom = ptImage;
    m_bScrollToPoint = TRUE;
    DoZoomUpdate();
}

// ---------------------------------------------------------------------------
// Rotation

double CQlcScrollView::NormaliseAngle(double dAngle)
{
    // Whole quarter turns only: sums of pi/2 never drift from 0, pi/2, pi.
    double dTurns = std::round(dAngle / kQuarterTurn);
    double dSnapped = dTurns * kQuarterTurn;
    if (dSnapped > kPi + 1e-9)
        dSnapped -= 2 * kPi;
    else if (dSnapped < -kPi - 1e-9)
        dSnapped += 2 * kPi;
    dTurns = std::round(dSnapped / kQuarterTurn);
    return dTurns == 0 ? 0.0 : dTurns * kQuarterTurn;
}

void CQlcScrollView::RotateClockwise()
{
    m_dRotationAngle = NormaliseAngle(m_dRotationAngle + kQuarterTurn);
    ApplyRotation();
    DoZoomUpdate();
}

void CQlcScrollView::RotateAnticlockwise()
{
    m_dRotationAngle = NormaliseAngle(m_dRotationAngle - kQuarterTurn);
    ApplyRotation();
    DoZoomUpdate();
}

void CQlcScrollView::ApplyRotation()
{
    if (!m_bLoaded || m_dRotationAngle == m_dAppliedAngle)
        return;
    try
    {
        // Always from the decoded image: turns never add up errors.
        m_bmpDisplay.CopyAtDepth(m_bmpDecoded, 32);
        if (m_dRotationAngle != 0.0)
        {
            PLFilterRotate90 rotate(m_dRotationAngle, PLPixel32(255, 255, 255, 255));
            rotate.Apply(&m_bmpDisplay, &m_bmpDisplay);
        }
        m_dAppliedAngle = m_dRotationAngle;
    }
    catch (PLTextException&)
    {
        // Out of memory: the picture stays as it was shown before.
        g_log.WriteLine("WARNING: An image could not be rotated.");
        m_dRotationAngle = m_dAppliedAngle;
        return;
    }
    m_pResized.reset();
    UpdateFitFactor();
}

// ---------------------------------------------------------------------------
// Drawing

void CQlcScrollView::OnInitialUpdate()
{
    CScrollView::OnInitialUpdate();
    SetScrollSizes(MM_TEXT, CSize(0, 0));
}

void CQlcScrollView::OnDraw(CDC* pDC)
{
    DrawImage(pDC, FALSE);
}

BOOL CQlcScrollView::OnPreparePrinting(CPrintInfo* pInfo)
{
    pInfo->SetMinPage(1);
    pInfo->SetMaxPage(1);
    return DoPreparePrinting(pInfo);
}

void CQlcScrollView::OnPrint(CDC* pDC, CPrintInfo* /*pInfo*/)
{
    DrawImage(pDC, TRUE);
}

void CQlcScrollView::DrawScaledPart(HDC hDC, int x, int y, int cx, int cy, const CRect& rcClip, BOOL bBilinear)
{
    const PLWinBmp* pSource = &m_bmpDisplay;
    if (bBilinear)
    {
        // The shrink is made once per size and kept for the repaints that
        // scrolling asks for.
        if (m_pResized == nullptr || m_pResized->GetWidth() != cx || m_pResized->GetHeight() != cy)
        {
            CQlcStatus status;
            status.SetText(AfxLoadText(IDS_STATUS_RESIZING_IMAGE));
            m_pResized.reset();
            try
            {
                std::unique_ptr<PLWinBmp> pResized(new PLWinBmp);
                PLFilterResizeBilinear resize(cx, cy);
                resize.Apply(&m_bmpDisplay, pResized.get());
                m_pResized = std::move(pResized);
            }
            catch (PLTextException&)
            {
                // Too big to shrink smoothly: drawn stretched instead.
            }
            catch (std::bad_alloc&)
            {
            }
        }
        if (m_pResized != nullptr)
            pSource = m_pResized.get();
    }
    const int cxSource = pSource->GetWidth();
    const int cySource = pSource->GetHeight();
    if (cxSource <= 0 || cySource <= 0 || cx <= 0 || cy <= 0)
        return;

    // Only the part of the picture inside the clip is handed to GDI: a
    // picture zoomed far beyond the window never makes a bitmap of its size.
    const LONGLONG left = std::max<LONGLONG>(x, rcClip.left);
    const LONGLONG top = std::max<LONGLONG>(y, rcClip.top);
    const LONGLONG right = std::min<LONGLONG>((LONGLONG)x + cx, rcClip.right);
    const LONGLONG bottom = std::min<LONGLONG>((LONGLONG)y + cy, rcClip.bottom);
    if (left >= right || top >= bottom)
        return;
    // Source pixels that cover the part, and where they land.
    const LONGLONG sx0 = (left - x) * cxSource / cx;
    const LONGLONG sy0 = (top - y) * cySource / cy;
    const LONGLONG sx1 = std::min<LONGLONG>(((right - x) * cxSource + cx - 1) / cx, cxSource);
    const LONGLONG sy1 = std::min<LONGLONG>(((bottom - y) * cySource + cy - 1) / cy, cySource);
    const LONGLONG dx0 = x + sx0 * cx / cxSource;
    const LONGLONG dy0 = y + sy0 * cy / cySource;
    const LONGLONG dx1 = x + (sx1 * cx + cxSource - 1) / cxSource;
    const LONGLONG dy1 = y + (sy1 * cy + cySource - 1) / cySource;
    ::SetStretchBltMode(hDC, COLORONCOLOR);
    // The source rectangle of a bottom-up DIB counts its lines from the bottom.
    ::StretchDIBits(hDC, (int)dx0, (int)dy0, (int)(dx1 - dx0), (int)(dy1 - dy0), (int)sx0,
                    (int)(cySource - sy1), (int)(sx1 - sx0), (int)(sy1 - sy0), pSource->GetBits(),
                    reinterpret_cast<const BITMAPINFO*>(pSource->GetBitmapInfo()), DIB_RGB_COLORS, SRCCOPY);
}

void CQlcScrollView::PaintPicture(HDC hDC, const CRect& rcTarget, CPoint ptOrigin, BOOL bBackground,
                                  BOOL bBilinear, const CRect& rcPicture)
{
    if (bBackground)
    {
        CScopedGdiObject<HBRUSH> brush(::CreateHatchBrush(HS_DIAGCROSS, RGB(192, 192, 192)));
        // The hatch lines up with the drawing surface, not with the window.
        ::SetBrushOrgEx(hDC, -ptOrigin.x & 7, -ptOrigin.y & 7, nullptr);
        if (brush.Get() != nullptr)
            ::FillRect(hDC, rcTarget, brush);
        else
            ::FillRect(hDC, rcTarget, (HBRUSH)::GetStockObject(WHITE_BRUSH));
    }
    else
    {
        ::SetBkMode(hDC, TRANSPARENT);
    }
    DrawScaledPart(hDC, rcPicture.left - ptOrigin.x + rcTarget.left, rcPicture.top - ptOrigin.y + rcTarget.top,
                   rcPicture.Width(), rcPicture.Height(), rcTarget, bBilinear);
}

void CQlcScrollView::DrawImage(CDC* pDC, BOOL bPrinter)
{
    if (!m_bLoaded || pDC == nullptr)
        return;
    ApplyRotation();

    CRect rcTarget;
    if (bPrinter)
        rcTarget.SetRect(0, 0, pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
    else
        GetClientRect(&rcTarget);

    const double dScale = GetScale();
    const BOOL bShrinking = dScale < 1.0;
    const CQlcApp* pApp = QlcGetApp();
    const BOOL bBilinear = bShrinking && pApp != nullptr && pApp->m_settings.m_nResizeBilinear != 0;
    const int cxTarget = rcTarget.Width();
    const int cyTarget = rcTarget.Height();
    if (cxTarget <= 0 || cyTarget <= 0)
        return;
    const int cxScaled = (int)(m_bmpDisplay.GetWidth() * dScale);
    const int cyScaled = (int)(m_bmpDisplay.GetHeight() * dScale);
    // A picture that covers the whole target needs no background.
    const BOOL bBackground = !bPrinter && !(cxScaled > cxTarget && cyScaled > cyTarget);

    const int x = cxTarget > cxScaled ? cxTarget / 2 - cxScaled / 2 : 0;
    const int y = cyTarget > cyScaled ? cyTarget / 2 - cyScaled / 2 : 0;
    const CRect rcPicture(x, y, x + cxScaled, y + cyScaled);

    if (bPrinter)
    {
        // The screen's shown rectangle stays: zoom clicks keep using it.
        PaintPicture(pDC->GetSafeHdc(), rcTarget, CPoint(0, 0), FALSE, bBilinear, rcPicture);
        return;
    }
    m_rcShown = rcPicture;

    // The back buffer holds the visible part of the drawing surface: the
    // client area at the current scroll position.
    const CPoint ptScroll = GetDeviceScrollPosition();
    CScopedDC dcMem = CScopedDC::Compatible(pDC->GetSafeHdc());
    const BOOL bRebuild = m_hBackBuffer == nullptr || m_rcBackBuffer != rcTarget || m_ptBackBuffer != ptScroll;
    if (bRebuild)
    {
        DeleteBackBuffer();
        m_hBackBuffer = ::CreateCompatibleBitmap(pDC->GetSafeHdc(), cxTarget, cyTarget);
    }
    if (dcMem.Get() == nullptr || m_hBackBuffer == nullptr)
    {
        // No memory for the buffer: straight onto the screen.
        DeleteBackBuffer();
        PaintPicture(pDC->GetSafeHdc(), CRect(ptScroll.x, ptScroll.y, ptScroll.x + cxTarget, ptScroll.y + cyTarget),
                     ptScroll, bBackground, bBilinear, rcPicture);
        return;
    }
    CScopedSelect select(dcMem, m_hBackBuffer);
    if (bRebuild)
    {
        PaintPicture(dcMem, rcTarget, ptScroll, bBackground, bBilinear, rcPicture);
        m_rcBackBuffer = rcTarget;
        m_ptBackBuffer = ptScroll;
        ++m_nRebuildCount;
    }
    ::BitBlt(pDC->GetSafeHdc(), ptScroll.x, ptScroll.y, cxTarget, cyTarget, dcMem, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------
// Messages

int CQlcScrollView::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_hZoomCursor = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_ZOOM_CURSOR));
    return 0;
}

void CQlcScrollView::OnSize(UINT nType, int cx, int cy)
{
    CScrollView::OnSize(nType, cx, cy);
    // Without a picture there is nothing to fit yet.
    if (m_bInUpdate || !m_bLoaded)
        return;
    m_dFitFactor = GetFitFactor(cx, cy, m_bmpDisplay.GetWidth(), m_bmpDisplay.GetHeight());
    DoZoomUpdate();
}

BOOL CQlcScrollView::OnEraseBkgnd(CDC* /*pDC*/)
{
    // The painting covers the whole client area.
    return TRUE;
}

BOOL CQlcScrollView::IsOverImage(CPoint ptClient) const
{
    if (!m_bLoaded)
        return FALSE;
    // The shown rectangle lies in the scrolled drawing surface.
    const CPoint ptScroll = GetDeviceScrollPosition();
    return m_rcShown.PtInRect(CPoint(ptClient.x + ptScroll.x, ptClient.y + ptScroll.y));
}

BOOL CQlcScrollView::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest == HTCLIENT)
    {
        POINT pt;
        ::GetCursorPos(&pt);
        ScreenToClient(&pt);
        if (m_bZoomMode && m_hZoomCursor != nullptr && IsOverImage(CPoint(pt)))
        {
            if (::GetCursor() != m_hZoomCursor)
                ::SetCursor(m_hZoomCursor);
            return TRUE;
        }
        if (m_hZoomCursor != nullptr && ::GetCursor() == m_hZoomCursor)
            ::SetCursor(nullptr);
    }
    return CScrollView::OnSetCursor(pWnd, nHitTest, message);
}

void CQlcScrollView::ImageHitTest(UINT nFlags, CPoint point)
{
    if (!m_bZoomMode || !IsOverImage(point) || m_bmpDisplay.GetWidth() <= 0)
        return;
    const CPoint ptScroll = GetDeviceScrollPosition();
    // The shown image is the turned one: its width is the display image's.
    const double f = (double)m_rcShown.Width() / m_bmpDisplay.GetWidth();
    if (f <= 0)
        return;
    const CPoint ptImage((int)((point.x + ptScroll.x - m_rcShown.left) / f),
                         (int)((point.y + ptScroll.y - m_rcShown.top) / f));
    char szLine[96];
    std::snprintf(szLine, sizeof(szLine), "Image (size (%d, %d)) hit at (%d, %d)\n", m_bmpDisplay.GetWidth(),
                  m_bmpDisplay.GetHeight(), (int)ptImage.x, (int)ptImage.y);
    ::OutputDebugStringA(szLine);
    if (nFlags & MK_LBUTTON)
        ImageZoomMore(ptImage);
    else if (nFlags & MK_RBUTTON)
        ImageZoomLess(ptImage);
}

LRESULT CQlcScrollView::OnZoomClick(WPARAM wParam, LPARAM lParam)
{
    // Before the default handling of the button message.
    ImageHitTest((UINT)wParam, CPoint((short)LOWORD(lParam), (short)HIWORD(lParam)));
    return Default();
}

UINT CQlcScrollView::OnGetDlgCode()
{
    return DLGC_WANTTAB | DLGC_WANTARROWS;
}

void CQlcScrollView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_TAB)
    {
        if (CChildFrame* pFrame = DYNAMIC_DOWNCAST(CChildFrame, GetParentFrame()))
        {
            pFrame->FocusNextPane();
            return;
        }
    }
    CScrollView::OnKeyDown(nChar, nRepCnt, nFlags);
}

LRESULT CQlcScrollView::OnOptionsChanged(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    // The shrink setting may have changed.
    m_pResized.reset();
    Invalidate();
    return 0;
}
