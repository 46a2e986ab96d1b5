#include "widgets/VarloColourPopup.h"

#include "widgets/res/WidgetRes.h"

#include "framework/base/AfxHex.h"
#include "framework/gdi/CPaintDC.h"
#include "framework/gdi/CClientDC.h"
#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/CColorDialog.h"
#include "framework/ui/CFrameWnd.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(VarloColourPopup, CWnd)

BEGIN_MESSAGE_MAP(VarloColourPopup, CWnd)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_ACTIVATEAPP()
    ON_WM_KILLFOCUS()
    ON_WM_PAINT()
    ON_WM_QUERYNEWPALETTE()
    ON_WM_PALETTECHANGED()
END_MESSAGE_MAP()

namespace {

// The palette, row by row (8 to a row); the names are strings 22700 on.
const COLORREF s_palette[VarloColourPopup::kPaletteCount] = {
    RGB(0, 0, 0),       RGB(165, 42, 0),    RGB(0, 64, 64),     RGB(0, 85, 0),
    RGB(0, 0, 94),      RGB(0, 0, 139),     RGB(75, 0, 130),    RGB(40, 40, 40),
    RGB(139, 0, 0),     RGB(255, 104, 32),  RGB(139, 139, 0),   RGB(0, 147, 0),
    RGB(56, 142, 142),  RGB(0, 0, 255),     RGB(123, 123, 192), RGB(102, 102, 102),
    RGB(255, 0, 0),     RGB(255, 173, 91),  RGB(50, 205, 50),   RGB(60, 179, 113),
    RGB(127, 255, 212), RGB(125, 158, 192), RGB(128, 0, 128),   RGB(127, 127, 127),
    RGB(255, 192, 203), RGB(255, 215, 0),   RGB(255, 255, 0),   RGB(0, 255, 0),
    RGB(64, 224, 208),  RGB(192, 255, 255), RGB(72, 0, 72),     RGB(192, 192, 192),
    RGB(255, 228, 225), RGB(210, 180, 140), RGB(255, 255, 224), RGB(152, 251, 152),
    RGB(175, 238, 238), RGB(104, 131, 139), RGB(230, 230, 250), RGB(255, 255, 255),
};

const COLORREF kWhite = RGB(255, 255, 255);
const int kGap = 9;           // between the parts, the separator band's height
const int kLineOffset = 4;    // the etched line below a part
const int kSwatchInset = 3;
const int kPaletteRows = VarloColourPopup::kPaletteCount / VarloColourPopup::kColumns;
const int kCustomRows = VarloColourPopup::kCustomCount / VarloColourPopup::kColumns;
// A colour in the custom-colour string has 8 hexadecimal digits.
const int kMaxHexDigits = 8;

// Palette cells are tools 1-40 (tool id 0 would name the whole window).
UINT_PTR PaletteToolId(int nIndex)
{
    return (UINT_PTR)nIndex + 1;
}

} // namespace

VarloColourPopup::VarloColourPopup(int x, int y, COLORREF clrInitial, CWnd* pParent, LPCSTR lpszDefaultText,
                                   LPCSTR lpszCustomText, LPCSTR lpszCustomColours)
    : m_strDefaultText(lpszDefaultText ? lpszDefaultText : ""),
      m_strCustomText(lpszCustomText ? lpszCustomText : ""),
      m_clrInitial(clrInitial),
      m_clrCurrent(clrInitial),
      m_pParent(pParent),
      m_nHot(kNothing),
      m_nSelected(kNothing),
      m_bPressed(FALSE)
{
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof(ncm);
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        m_font.CreateFontIndirect(&ncm.lfMessageFont);
    if (m_font.m_hObject == nullptr)
        m_font.Attach(::GetStockObject(DEFAULT_GUI_FONT));

    std::vector<BYTE> logPalette(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * kPaletteCount);
    LOGPALETTE* pLogPalette = (LOGPALETTE*)logPalette.data();
    pLogPalette->palVersion = 0x300;
    pLogPalette->palNumEntries = kPaletteCount;
    for (int i = 0; i < kPaletteCount; i++)
    {
        pLogPalette->palPalEntry[i].peRed = GetRValue(s_palette[i]);
        pLogPalette->palPalEntry[i].peGreen = GetGValue(s_palette[i]);
        pLogPalette->palPalEntry[i].peBlue = GetBValue(s_palette[i]);
        pLogPalette->palPalEntry[i].peFlags = 0;
    }
    m_palette.CreatePalette(pLogPalette);

    for (COLORREF& clr : m_clrCustom)
        clr = kWhite;
    SetCustomColours(lpszCustomColours);

    LPCSTR lpszClass = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS, nullptr,
                                           (HBRUSH)(COLOR_BTNFACE + 1));
    if (!CreateEx(WS_EX_DLGMODALFRAME, lpszClass, "", WS_POPUP | WS_VISIBLE, x, y, 100, 100,
                  AfxGetSafeHwnd(pParent), nullptr))
        return;

    // The frame of the window the popup drops from keeps its active caption.
    if (pParent != nullptr && pParent->m_hWnd != nullptr)
    {
        CWnd* pFrame = pParent->GetTopLevelFrame();
        if (pFrame == nullptr)
            pFrame = pParent->GetTopLevelParent();
        if (pFrame != nullptr)
            pFrame->SendMessage(WM_NCACTIVATE, TRUE);
    }
    ComputeLayout();
    AddTooltips();
    SelectInitialColour();
    SetCapture();
}

VarloColourPopup::~VarloColourPopup()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

// ---------------------------------------------------------------------------
// Palette and custom colours

COLORREF VarloColourPopup::GetPaletteColour(int nIndex)
{
    return nIndex >= 0 && nIndex < kPaletteCount ? s_palette[nIndex] : kWhite;
}

CString VarloColourPopup::GetPaletteName(int nIndex)
{
    CString strName;
    if (nIndex >= 0 && nIndex < kPaletteCount)
        strName.LoadString(IDS_COLOUR_NAME_FIRST + nIndex);
    return strName;
}

CString VarloColourPopup::MakeCustomTip(COLORREF clr)
{
    CString strFormat, strTip;
    strFormat.LoadString(IDS_COLOUR_TIP_FORMAT);
    const int r = GetRValue(clr), g = GetGValue(clr), b = GetBValue(clr);
    strTip.Format(strFormat, r, g, b, r, g, b);
    return strTip;
}

void VarloColourPopup::SetCustomColours(LPCSTR lpszColours)
{
    for (COLORREF& clr : m_clrCustom)
        clr = kWhite;
    if (lpszColours == nullptr)
        return;
    // The string comes from the registry: every value is kept to a colour
    // (24 bits) and a number longer than a colour's 8 digits ends the reading.
    const char* p = lpszColours;
    for (int nRead = 0; nRead < kCustomCount; nRead++)
    {
        if (*p != '#')
            return;
        p++;
        DWORD dwValue = 0;
        int nDigits = 0;
        while (nDigits < kMaxHexDigits && AfxHexValue(*p) >= 0)
        {
            dwValue = (dwValue << 4) | (DWORD)AfxHexValue(*p);
            p++;
            nDigits++;
        }
        if (nDigits == 0)
            return;
        m_clrCustom[nRead] = dwValue & 0x00FFFFFF;
        if (*p != ';')
            return;
        p++;
    }
}

int VarloColourPopup::GetCustomColours(LPSTR lpszBuffer, int nSize) const
{
    if (lpszBuffer == nullptr || nSize < kCustomStringSize)
        return kCustomStringSize;
    char* p = lpszBuffer;
    for (COLORREF clr : m_clrCustom)
    {
        wsprintfA(p, "#%08lx;", (unsigned long)clr);
        p += 10;
    }
    *p = 0;
    return 0;
}

// ---------------------------------------------------------------------------
// Layout

CRect VarloColourPopup::PlaceOnMonitor(const CRect& rectWindow, const CRect& rectMonitor, int cyParent)
{
    CRect rect = rectWindow;
    if (rect.right > rectMonitor.right)
        rect.OffsetRect(rectMonitor.right - rect.right, 0);
    if (rect.left < rectMonitor.left)
        rect.OffsetRect(rectMonitor.left - rect.left, 0);
    if (rect.bottom > rectMonitor.bottom)
    {
        // Open above the window it drops from.
        rect.OffsetRect(0, -(rect.Height() + cyParent));
        if (rect.top < rectMonitor.top)
            rect.OffsetRect(0, rectMonitor.top - rect.top);
    }
    return rect;
}

void VarloColourPopup::KeepOnMonitor(CRect& rect) const
{
    // The monitor the popup opens on, not the primary screen.
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    HMONITOR hMonitor = ::MonitorFromPoint(rect.TopLeft(), MONITOR_DEFAULTTONEAREST);
    CRect rectScreen(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    if (hMonitor != nullptr && ::GetMonitorInfoA(hMonitor, &mi))
        rectScreen = mi.rcMonitor;
    int cyParent = 0;
    if (m_pParent != nullptr && m_pParent->m_hWnd != nullptr)
    {
        CRect rectParent;
        m_pParent->GetWindowRect(rectParent);
        cyParent = rectParent.Height();
    }
    rect = PlaceOnMonitor(rect, rectScreen, cyParent);
}

void VarloColourPopup::ComputeLayout()
{
    CClientDC dc(this);
    CScopedSelect selectFont(dc.GetSafeHdc(), m_font.m_hObject);
    const int cxGrid = kColumns * kCellSize;

    int cy = 0, cx = cxGrid;
    // A text button (none for no text) is its text and 8 pixels more.
    auto stackButton = [&](const CString& strText, CRect& rect) {
        rect.SetRectEmpty();
        if (strText.IsEmpty())
            return;
        const CSize size = dc.GetTextExtent(strText);
        rect = CRect(0, cy, size.cx + 8, cy + size.cy + 8);
        cx = std::max<int>(cx, rect.Width());
        cy += rect.Height() + kGap;
    };
    stackButton(m_strDefaultText, m_rectDefault);
    m_rectPalette = CRect(0, cy, cxGrid, cy + kPaletteRows * kCellSize);
    cy += m_rectPalette.Height() + kGap;
    stackButton(m_strCustomText, m_rectCustom);
    m_rectCustomGrid = CRect(0, cy, cxGrid, cy + kCustomRows * kCellSize);
    cy += m_rectCustomGrid.Height();
    if (!m_rectDefault.IsRectEmpty())
        m_rectDefault.right = cx;
    if (!m_rectCustom.IsRectEmpty())
        m_rectCustom.right = cx;
    m_rectSeparator = CRect(0, 0, cx, kGap);

    // One frame thickness inside the frame on every side.
    CRect rectWindow, rectClient;
    GetWindowRect(rectWindow);
    GetClientRect(rectClient);
    const int cxFrame = (rectWindow.Width() - rectClient.Width()) / 2;
    const int cyFrame = (rectWindow.Height() - rectClient.Height()) / 2;
    for (CRect* pRect : { &m_rectDefault, &m_rectCustom, &m_rectPalette, &m_rectCustomGrid, &m_rectSeparator })
    {
        if (!pRect->IsRectEmpty())
            pRect->OffsetRect(cxFrame, cyFrame);
    }
    CRect rect(rectWindow.TopLeft(), CSize(cx + 4 * cxFrame, cy + 4 * cyFrame));
    KeepOnMonitor(rect);
    SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void VarloColourPopup::AddTooltips()
{
    if (!m_tooltip.Create(this))
        return;
    for (int i = 0; i < kPaletteCount; i++)
    {
        const CRect rect = GetItemRect(i);
        m_tooltip.AddTool(this, GetPaletteName(i), rect, PaletteToolId(i));
    }
    for (int i = 0; i < kCustomCount; i++)
    {
        const CRect rect = GetItemRect(kCustomCell + i);
        m_tooltip.AddTool(this, LPSTR_TEXTCALLBACKA, rect, (UINT_PTR)(kCustomCell + i));
    }
}

CRect VarloColourPopup::GetItemRect(int nIndex) const
{
    if (nIndex == kDefaultButton)
        return m_rectDefault;
    if (nIndex == kCustomButton)
        return m_rectCustom;
    const CRect* pGrid = nullptr;
    int nCell = 0;
    if (nIndex >= 0 && nIndex < kPaletteCount)
    {
        pGrid = &m_rectPalette;
        nCell = nIndex;
    }
    else if (nIndex >= kCustomCell && nIndex < kCustomCell + kCustomCount)
    {
        pGrid = &m_rectCustomGrid;
        nCell = nIndex - kCustomCell;
    }
    if (pGrid == nullptr)
        return CRect(0, 0, 0, 0);
    const int x = pGrid->left + (nCell % kColumns) * kCellSize;
    const int y = pGrid->top + (nCell / kColumns) * kCellSize;
    return CRect(x, y, x + kCellSize, y + kCellSize);
}

int VarloColourPopup::HitTest(CPoint point) const
{
    if (!m_rectDefault.IsRectEmpty() && m_rectDefault.PtInRect(point))
        return kDefaultButton;
    if (m_rectPalette.PtInRect(point))
        return (point.x - m_rectPalette.left) / kCellSize + ((point.y - m_rectPalette.top) / kCellSize) * kColumns;
    if (!m_rectCustom.IsRectEmpty() && m_rectCustom.PtInRect(point))
        return kCustomButton;
    if (m_rectCustomGrid.PtInRect(point))
        return kCustomCell + (point.x - m_rectCustomGrid.left) / kCellSize +
               ((point.y - m_rectCustomGrid.top) / kCellSize) * kColumns;
    return kNothing;
}

COLORREF VarloColourPopup::GetIndexColour(int nIndex) const
{
    if (nIndex == kDefaultButton)
        return kAutomatic;
    if (nIndex >= 0 && nIndex < kPaletteCount)
        return s_palette[nIndex];
    if (nIndex >= kCustomCell && nIndex < kCustomCell + kCustomCount)
        return m_clrCustom[nIndex - kCustomCell];
    return m_clrInitial;
}

// ---------------------------------------------------------------------------
// Selection

void VarloColourPopup::SelectInitialColour()
{
    if (m_clrInitial == kAutomatic && !m_strDefaultText.IsEmpty())
    {
        m_nSelected = kDefaultButton;
        return;
    }
    for (int i = 0; i < kPaletteCount; i++)
    {
        if (s_palette[i] == m_clrInitial)
        {
            m_nSelected = i;
            return;
        }
    }
    for (int i = 0; i < kCustomCount; i++)
    {
        if (m_clrCustom[i] == m_clrInitial)
        {
            m_nSelected = kCustomCell + i;
            return;
        }
    }
    m_nSelected = m_strCustomText.IsEmpty() ? kNothing : kCustomButton;
}

void VarloColourPopup::InvalidateItem(int nIndex)
{
    const CRect rect = GetItemRect(nIndex);
    if (!rect.IsRectEmpty())
        InvalidateRect(rect, FALSE);
}

void VarloColourPopup::MoveHighlight(int nIndex)
{
    if (nIndex == m_nHot)
        return;
    const int nOld = m_nHot;
    m_nHot = nIndex;
    // Over a colour the current colour follows the pointer; over nothing (or
    // the custom button) it stays the last colour pointed at.
    const COLORREF clr = GetIndexColour(nIndex);
    if (nIndex != kNothing && nIndex != kCustomButton)
        m_clrCurrent = clr;
    if (m_pParent != nullptr && m_pParent->m_hWnd != nullptr)
        m_pParent->SendMessage(NM_COLOUR_SELCHANGE, (WPARAM)clr, 0);
    if (m_hWnd != nullptr)
    {
        InvalidateItem(nOld);
        InvalidateItem(nIndex);
    }
}

void VarloColourPopup::FinishPick(int nMessage)
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (nMessage == NM_COLOUR_CANCELLED)
    {
        m_clrCurrent = m_clrInitial;
    }
    else if (m_nHot == kCustomButton)
    {
        CColorDialog dlg(m_clrInitial, CC_FULLOPEN | CC_ANYCOLOR, this);
        // The dialog edits the popup's own custom colours, so they persist.
        dlg.m_cc.lpCustColors = m_clrCustom;
        if (dlg.DoModal() == IDOK)
        {
            m_clrCurrent = dlg.GetColor();
        }
        else
        {
            nMessage = NM_COLOUR_CANCELLED;
            m_clrCurrent = m_clrInitial;
        }
    }
    if (m_pParent != nullptr && m_pParent->m_hWnd != nullptr)
        m_pParent->SendMessage((UINT)nMessage, (WPARAM)m_clrCurrent, 0);
    EndModalLoop(nMessage == NM_COLOUR_CHOSEN ? 0 : -1);
}

// ---------------------------------------------------------------------------
// Messages

BOOL VarloColourPopup::PreTranslateMessage(MSG* pMsg)
{
    if (m_tooltip.m_hWnd != nullptr)
        m_tooltip.RelayEvent(pMsg);
    // The popup keeps the mouse while it is up (a click anywhere ends it).
    if (m_hWnd != nullptr && ContinueModal())
    {
        HWND hCapture = ::GetCapture();
        if (hCapture != nullptr && hCapture != m_hWnd)
            SetCapture();
    }
    return CWnd::PreTranslateMessage(pMsg);
}

void VarloColourPopup::OnMouseMove(UINT nFlags, CPoint point)
{
    MoveHighlight(HitTest(point));
    CWnd::OnMouseMove(nFlags, point);
}

void VarloColourPopup::OnLButtonDown(UINT nFlags, CPoint point)
{
    CWnd::OnLButtonDown(nFlags, point);
    Invalidate(FALSE);
    m_bPressed = TRUE;
}

void VarloColourPopup::OnLButtonUp(UINT nFlags, CPoint point)
{
    CWnd::OnLButtonUp(nFlags, point);
    // The release of the click that opened the popup is not a choice.
    if (!m_bPressed)
        return;
    CPoint ptScreen = point;
    ClientToScreen(&ptScreen);
    CRect rectWindow;
    GetWindowRect(rectWindow);
    FinishPick(rectWindow.PtInRect(ptScreen) ? NM_COLOUR_CHOSEN : NM_COLOUR_CANCELLED);
}

void VarloColourPopup::OnActivateApp(BOOL bActive, DWORD dwThreadID)
{
    CWnd::OnActivateApp(bActive, dwThreadID);
    if (!bActive && ContinueModal())
        FinishPick(NM_COLOUR_CANCELLED);
}

void VarloColourPopup::OnKillFocus(CWnd* pNewWnd)
{
    CWnd::OnKillFocus(pNewWnd);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

BOOL VarloColourPopup::OnQueryNewPalette()
{
    Invalidate(FALSE);
    return CWnd::OnQueryNewPalette();
}

void VarloColourPopup::OnPaletteChanged(CWnd* pFocusWnd)
{
    CWnd::OnPaletteChanged(pFocusWnd);
    if (pFocusWnd == nullptr || pFocusWnd->m_hWnd != m_hWnd)
        Invalidate(FALSE);
}

BOOL VarloColourPopup::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pNMHDR = (NMHDR*)lParam;
    if (pNMHDR != nullptr && pNMHDR->code == TTN_GETDISPINFOA && pNMHDR->hwndFrom == m_tooltip.m_hWnd)
    {
        NMTTDISPINFOA* pInfo = (NMTTDISPINFOA*)pNMHDR;
        m_tooltip.SetMaxTipWidth(300);
        const int nId = (int)pNMHDR->idFrom;
        if (nId < kCustomCell || nId >= kCustomCell + kCustomCount)
            return FALSE;
        m_strTip = MakeCustomTip(m_clrCustom[nId - kCustomCell]);
        pInfo->lpszText = const_cast<LPSTR>((LPCSTR)m_strTip);
        pInfo->hinst = nullptr;
        *pResult = 0;
        return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}

// ---------------------------------------------------------------------------
// Painting

int VarloColourPopup::GetCellState(int nIndex) const
{
    const BOOL bButtonDown = (::GetKeyState(::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000) != 0;
    if (nIndex == m_nHot)
        return bButtonDown ? 2 : 1;
    if (nIndex == m_nSelected)
        return 2;
    return 0;
}

void VarloColourPopup::DrawCell(CDC* pDC, int nIndex)
{
    CRect rect = GetItemRect(nIndex);
    const int nState = GetCellState(nIndex);
    pDC->FillSolidRect(rect, ::GetSysColor(nState == 2 ? COLOR_BTNHIGHLIGHT : COLOR_BTNFACE));
    if (nState == 1)
        pDC->DrawEdge(rect, BDR_RAISEDINNER, BF_RECT);
    else if (nState == 2)
        pDC->DrawEdge(rect, BDR_SUNKENOUTER, BF_RECT);

    const COLORREF clr = GetIndexColour(nIndex);
    CRect rectSwatch = rect;
    rectSwatch.DeflateRect(kSwatchInset, kSwatchInset);
    HPALETTE hOldPalette = nullptr;
    const BOOL bPaletteDevice = (pDC->GetDeviceCaps(RASTERCAPS) & RC_PALETTE) != 0;
    if (bPaletteDevice && m_palette.m_hObject != nullptr)
    {
        hOldPalette = ::SelectPalette(pDC->GetSafeHdc(), (HPALETTE)m_palette.m_hObject, FALSE);
        ::RealizePalette(pDC->GetSafeHdc());
    }
    HBRUSH hBrush = ::CreateSolidBrush(PALETTERGB(GetRValue(clr), GetGValue(clr), GetBValue(clr)));
    HPEN hPen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
    {
        CScopedSelect selectBrush(pDC->GetSafeHdc(), hBrush);
        CScopedSelect selectPen(pDC->GetSafeHdc(), hPen);
        pDC->Rectangle(rectSwatch);
    }
    ::DeleteObject(hBrush);
    ::DeleteObject(hPen);
    if (hOldPalette != nullptr)
        ::SelectPalette(pDC->GetSafeHdc(), hOldPalette, FALSE);
}

void VarloColourPopup::DrawTextButton(CDC* pDC, int nIndex)
{
    CRect rect = GetItemRect(nIndex);
    if (rect.IsRectEmpty())
        return;
    int nState = 0;
    if (nIndex == m_nHot)
        nState = GetCellState(nIndex);
    else if (nIndex == kDefaultButton && m_nSelected == kDefaultButton)
        nState = 2;

    CRect rectFill = rect;
    rectFill.DeflateRect(1, 1);
    pDC->FillSolidRect(rectFill, ::GetSysColor(COLOR_BTNFACE));
    CRect rectText = rect;
    if (nState == 1)
    {
        pDC->DrawEdge(rect, BDR_RAISEDINNER, BF_RECT);
        rectText.OffsetRect(-1, -1);
    }
    else if (nState == 2)
    {
        pDC->DrawEdge(rect, BDR_SUNKENOUTER, BF_RECT);
        rectText.OffsetRect(1, 1);
    }
    CScopedSelect selectFont(pDC->GetSafeHdc(), m_font.m_hObject);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    pDC->DrawText(nIndex == kDefaultButton ? m_strDefaultText : m_strCustomText, rectText,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void VarloColourPopup::OnPaint()
{
    CPaintDC dc(this);
    CRect rectClient;
    GetClientRect(rectClient);
    dc.FillSolidRect(rectClient, ::GetSysColor(COLOR_BTNFACE));
    const CRect rectPaint = dc.m_ps.rcPaint;
    const int cxContent = m_rectSeparator.Width();

    auto drawLineBelow = [&](const CRect& rectPart) {
        CRect rectLine(m_rectSeparator.left, rectPart.bottom + kLineOffset, m_rectSeparator.left + cxContent,
                       rectPart.bottom + kLineOffset + 2);
        dc.DrawEdge(rectLine, EDGE_ETCHED, BF_TOP);
    };
    CRect rectHit;
    if (!m_rectDefault.IsRectEmpty() && rectHit.IntersectRect(m_rectDefault, rectPaint))
        DrawTextButton(&dc, kDefaultButton);
    if (rectHit.IntersectRect(m_rectPalette, rectPaint))
    {
        for (int i = 0; i < kPaletteCount; i++)
            DrawCell(&dc, i);
    }
    if (!m_rectCustom.IsRectEmpty() && rectHit.IntersectRect(m_rectCustom, rectPaint))
        DrawTextButton(&dc, kCustomButton);
    if (rectHit.IntersectRect(m_rectCustomGrid, rectPaint))
    {
        for (int i = 0; i < kCustomCount; i++)
            DrawCell(&dc, kCustomCell + i);
    }
    if (!m_rectDefault.IsRectEmpty())
        drawLineBelow(m_rectDefault);
    drawLineBelow(m_rectPalette);
    if (!m_rectCustom.IsRectEmpty())
        drawLineBelow(m_rectCustom);
    drawLineBelow(m_rectCustomGrid);
}
