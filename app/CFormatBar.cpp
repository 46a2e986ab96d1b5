#include "app/CFormatBar.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CQlcApp.h"
#include "app/CQlcRichEditViewEx.h"
#include "app/res/Resource.h"

#include "widgets/VarloColourPopup.h"

#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/CMenu.h"

#include <vector>

IMPLEMENT_DYNAMIC(CFormatBar, CQlcToolBar)

BEGIN_MESSAGE_MAP(CFormatBar, CQlcToolBar)
    ON_WM_CREATE()
    ON_WM_SYSCOLORCHANGE()
    ON_UPDATE_COMMAND_UI(ID_FORMAT_FONTCOLOUR, OnUpdateFontColour)
    ON_UPDATE_COMMAND_UI(ID_FORMAT_HIGHLIGHT, OnUpdateHighlight)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

namespace {

const int kFontNameWidth = 190;
const int kFontSizeWidth = 60;
const int kComboDropHeight = 250;
const int kComboFieldHeight = 14;
// The colour bar at the foot of a colour button's picture.
const CRect kColourBarRect(0, 12, 16, 15);
const int kFontButton = 0;
const int kHighlightButton = 1;

// The buttons greyed while no note has the focus.
const UINT s_disabledButtons[] = {
    ID_FORMAT_FONTCOLOUR, ID_FORMAT_HIGHLIGHT, ID_CHAR_BOLD,  ID_CHAR_ITALIC,     ID_CHAR_UNDERLINE,   ID_PARA_CENTER,
    ID_PARA_LEFT,         ID_PARA_RIGHT,       ID_PARA_BULLETS, ID_PARA_INDENTLESS, ID_PARA_INDENTMORE,
};
const UINT s_enabledButtons[] = { ID_FORMAT_FONTCOLOUR, ID_FORMAT_HIGHLIGHT, ID_PARA_INDENTLESS, ID_PARA_INDENTMORE };
const UINT s_checkButtons[] = {
    ID_CHAR_BOLD, ID_CHAR_ITALIC, ID_CHAR_UNDERLINE, ID_CHAR_STRIKEOUT, ID_PARA_LEFT,
    ID_PARA_CENTER, ID_PARA_RIGHT, ID_PARA_JUSTIFY, ID_PARA_BULLETS,
};

int RunPopupModal(VarloColourPopup& popup)
{
    return popup.RunModalLoop();
}

} // namespace

int (*CFormatBar::s_pfnRunColourPopup)(VarloColourPopup& popup) = &RunPopupModal;

CFormatBar::CFormatBar()
    : m_clrFont(::GetSysColor(COLOR_WINDOWTEXT)),
      m_clrHighlight(RGB(255, 255, 0)),
      m_hbmColour{ nullptr, nullptr },
      m_clrDrawn{ 0, 0 },
      m_bDrawn{ FALSE, FALSE },
      m_bFormattingEnabled(FALSE)
{
}

CFormatBar::~CFormatBar()
{
    for (HBITMAP hbm : m_hbmColour)
    {
        if (hbm != nullptr)
            ::DeleteObject(hbm);
    }
}

// ---------------------------------------------------------------------------
// The open note

CFormatBar* CFormatBar::GetMainFormatBar()
{
    CMainFrame* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (pFrame == nullptr || pFrame->GetFormatBar().m_hWnd == nullptr)
        return nullptr;
    return &pFrame->GetFormatBar();
}

CQlcRichEditViewEx* CFormatBar::GetOpenNoteView()
{
    CMainFrame* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (pFrame == nullptr || pFrame->m_hWnd == nullptr)
        return nullptr;
    CChildFrame* pChild = dynamic_cast<CChildFrame*>(pFrame->MDIGetActive());
    if (pChild == nullptr)
        return nullptr;
    CQlcRichEditViewEx* pView = pChild->GetRichEditView();
    return pView != nullptr && pView->m_hWnd != nullptr ? pView : nullptr;
}

BOOL CFormatBar::ApplyToNote(CHARFORMAT2A& cf)
{
    CQlcRichEditViewEx* pView = GetOpenNoteView();
    if (pView == nullptr)
        return FALSE;
    cf.cbSize = sizeof(cf);
    pView->SetCharFormat(cf);
    pView->SetFocus();
    return TRUE;
}

// ---------------------------------------------------------------------------
// Creation

int CFormatBar::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CQlcToolBar::OnCreate(lpcs) == -1)
        return -1;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (!LoadToolBar(IDR_FORMATBAR))
        return -1;
    SendMessage(TB_SETEXTENDEDSTYLE, 0, SendMessage(TB_GETEXTENDEDSTYLE) | TBSTYLE_EX_DRAWDDARROWS);

    // The two lists take the place of their placeholders.
    SetButtonInfo(CommandToIndex(ID_FORMAT_FONTNAME), ID_FORMAT_FONTNAME, TBSTYLE_SEP, kFontNameWidth);
    SetButtonInfo(CommandToIndex(ID_FORMAT_FONTSIZE), ID_FORMAT_FONTSIZE, TBSTYLE_SEP, kFontSizeWidth);
    for (UINT nID : s_checkButtons)
        SetButtonStyle(CommandToIndex(nID), TBSTYLE_CHECK);
    // Underline offers its other kinds on its arrow.
    SetButtonStyle(CommandToIndex(ID_CHAR_UNDERLINE), TBSTYLE_CHECK | TBSTYLE_DROPDOWN);
    SetButtonStyle(CommandToIndex(ID_FORMAT_FONTCOLOUR), TBSTYLE_DROPDOWN);
    SetButtonStyle(CommandToIndex(ID_FORMAT_HIGHLIGHT), TBSTYLE_DROPDOWN);
    // The Font... picture is kept for the menus only.
    const int iFont = CommandToIndex(ID_FORMAT_FONT);
    if (iFont >= 0)
        SendMessage(TB_DELETEBUTTON, (WPARAM)iFont);

    CRect rect;
    GetItemRect(CommandToIndex(ID_FORMAT_FONTNAME), rect);
    rect.left += 2;
    rect.top = 0;
    rect.bottom = kComboDropHeight;
    const DWORD dwComboStyle = WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN;
    if (!m_wndFontName.Create(dwComboStyle | CBS_SORT, rect, this, ID_FORMAT_FONTNAME))
        return -1;
    GetItemRect(CommandToIndex(ID_FORMAT_FONTSIZE), rect);
    rect.left += 2;
    rect.top = 0;
    rect.bottom = kComboDropHeight;
    if (!m_wndFontSize.Create(dwComboStyle, rect, this, ID_FORMAT_FONTSIZE))
        return -1;
    // The lists' font: the system font where double-byte text is shown.
    if (::GetSystemMetrics(SM_DBCSENABLED))
    {
        m_font.Attach(::GetStockObject(SYSTEM_FONT));
    }
    else
    {
        LOGFONTA lf = {};
        lf.lfHeight = -12;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        lstrcpyA(lf.lfFaceName, "MS Sans Serif");
        m_font.CreateFontIndirect(&lf);
    }
    m_wndFontName.SetFont(&m_font);
    m_wndFontSize.SetFont(&m_font);
    // The field's height after the font (a new font sizes the field anew).
    m_wndFontName.SetItemHeight(-1, kComboFieldHeight);
    m_wndFontSize.SetItemHeight(-1, kComboFieldHeight);

    m_wndFontName.EnableWindow(FALSE);
    m_wndFontSize.EnableWindow(FALSE);
    EnableFormatting(FALSE);
    CString strTitle;
    strTitle.LoadString(IDS_TOOLBAR_FORMATTING);
    SetWindowText(strTitle);
    EnableDocking(CBRS_ALIGN_TOP);
    return 0;
}

// ---------------------------------------------------------------------------
// State

void CFormatBar::EnableFormatting(BOOL bEnable)
{
    if (m_wndFontName.m_hWnd != nullptr)
        m_wndFontName.EnableWindow(bEnable);
    if (m_wndFontSize.m_hWnd != nullptr)
        m_wndFontSize.EnableWindow(bEnable);
    m_bFormattingEnabled = bEnable;
    if (m_hWnd == nullptr)
        return;
    if (bEnable)
    {
        for (UINT nID : s_enabledButtons)
            SendMessage(TB_SETSTATE, nID, MAKELONG(TBSTATE_ENABLED, 0));
    }
    else
    {
        for (UINT nID : s_disabledButtons)
            SendMessage(TB_SETSTATE, nID, MAKELONG(TBSTATE_INDETERMINATE, 0));
    }
}

void CFormatBar::OnUpdateFontColour(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_bFormattingEnabled);
}

void CFormatBar::OnUpdateHighlight(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_bFormattingEnabled);
}

void CFormatBar::ShowCharFormat(const CHARFORMATA& cf)
{
    m_wndFontName.SelectFontName((cf.dwMask & CFM_FACE) ? cf.szFaceName : "");
    m_wndFontSize.ShowTwipHeight((cf.dwMask & CFM_SIZE) ? (int)cf.yHeight : 0);
}

// ---------------------------------------------------------------------------
// Colours

BOOL CFormatBar::PickColour(UINT nID, COLORREF clrInitial, COLORREF& clrChosen)
{
    CRect rect;
    GetItemRect(CommandToIndex(nID), rect);
    ClientToScreen(rect);
    CQlcApp* pApp = QlcGetApp();
    CString strDefault, strCustom;
    strDefault.LoadString(IDS_COLOUR_AUTOMATIC);
    strCustom.LoadString(IDS_COLOUR_MORE);
    VarloColourPopup popup(rect.left, rect.bottom, clrInitial, this, strDefault, strCustom,
                           pApp != nullptr ? (LPCSTR)pApp->m_settings.m_strCustomColours : "");
    const int nResult = s_pfnRunColourPopup(popup);
    // Colours edited in the colour dialog are kept, also when cancelled.
    if (pApp != nullptr)
    {
        const int nSize = popup.GetCustomColours(nullptr, 0);
        std::vector<char> buffer((size_t)nSize, '\0');
        if (popup.GetCustomColours(buffer.data(), nSize) == 0)
            pApp->m_settings.m_strCustomColours = buffer.data();
    }
    if (nResult != 0)
        return FALSE;
    const COLORREF clr = popup.GetColour();
    clrChosen = clr == VarloColourPopup::kAutomatic ? kAutoColour : clr;
    return TRUE;
}

LRESULT CFormatBar::OnColourDropDown(BOOL bHighlight)
{
    CQlcRichEditViewEx* pView = GetOpenNoteView();
    if (pView == nullptr)
        return TBDDRET_DEFAULT;
    // The popup starts at the selection's own colour.
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    pView->GetRichEditCtrl().SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    COLORREF clrInitial = 0;
    if (bHighlight)
        clrInitial = (cf.dwEffects & CFE_AUTOBACKCOLOR) ? VarloColourPopup::kAutomatic : cf.crBackColor;
    else
        clrInitial = (cf.dwEffects & CFE_AUTOCOLOR) ? VarloColourPopup::kAutomatic : cf.crTextColor;
    COLORREF clr = 0;
    if (PickColour(bHighlight ? ID_FORMAT_HIGHLIGHT : ID_FORMAT_FONTCOLOUR, clrInitial, clr))
    {
        (bHighlight ? m_clrHighlight : m_clrFont) = clr;
        ApplyColour(bHighlight);
    }
    return TBDDRET_DEFAULT;
}

LRESULT CFormatBar::OnUnderlineDropDown()
{
    CQlcRichEditViewEx* pView = GetOpenNoteView();
    if (pView == nullptr)
        return TBDDRET_DEFAULT;
    CMenu menu;
    if (!menu.LoadMenu(IDR_UNDERLINE_POPUP))
        return TBDDRET_DEFAULT;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr)
        return TBDDRET_DEFAULT;
    CRect rect;
    GetItemRect(CommandToIndex(ID_CHAR_UNDERLINE), rect);
    ClientToScreen(rect);
    const UINT nCommand = (UINT)::TrackPopupMenu(pPopup->GetSafeHmenu(), TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                                 rect.left, rect.bottom, 0, m_hWnd, nullptr);
    if (nCommand != 0 && GetOpenNoteView() == pView)
        pView->SendMessage(WM_COMMAND, nCommand, 0);
    return TBDDRET_DEFAULT;
}

void CFormatBar::ApplyColour(BOOL bHighlight)
{
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    const COLORREF clr = bHighlight ? m_clrHighlight : m_clrFont;
    cf.dwMask = bHighlight ? CFM_BACKCOLOR : CFM_COLOR;
    cf.dwEffects = 0;
    if (clr == kAutoColour)
        cf.dwEffects = bHighlight ? CFE_AUTOBACKCOLOR : CFE_AUTOCOLOR;
    else if (bHighlight)
        cf.crBackColor = clr;
    else
        cf.crTextColor = clr;
    ApplyToNote(cf);
}

void CFormatBar::ApplyFontColour()
{
    ApplyColour(FALSE);
}

void CFormatBar::ApplyHighlightColour()
{
    ApplyColour(TRUE);
}

// ---------------------------------------------------------------------------
// The colour buttons' pictures

COLORREF CFormatBar::ButtonBarColour(COLORREF clr, BOOL bHighlight)
{
    if (clr == kAutoColour)
        return ::GetSysColor(bHighlight ? COLOR_WINDOW : COLOR_WINDOWTEXT);
    // The picture's transparent colour would show the button through.
    if (clr == AFX_TOOLBAR_MASK_COLOR)
        return RGB(191, 191, 191);
    return clr;
}

int CFormatBar::ImageIndexOf(UINT nID) const
{
    const int nIndex = CommandToIndex(nID);
    if (nIndex < 0)
        return -1;
    TBBUTTON button = {};
    if (!::SendMessageA(m_hWnd, TB_GETBUTTON, (WPARAM)nIndex, (LPARAM)&button))
        return -1;
    return button.iBitmap;
}

void CFormatBar::UpdateColourImage(UINT nID, HDC hdcTarget)
{
    const BOOL bHighlight = nID == ID_FORMAT_HIGHLIGHT;
    const int i = bHighlight ? kHighlightButton : kFontButton;
    const COLORREF clr = bHighlight ? m_clrHighlight : m_clrFont;
    if (m_bDrawn[i] && m_clrDrawn[i] == clr)
        return;
    HIMAGELIST hList = (HIMAGELIST)SendMessage(TB_GETIMAGELIST);
    const int iImage = ImageIndexOf(nID);
    if (hList == nullptr || iImage < 0)
        return;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(hList, &cx, &cy);

    // The picture is one image of the list, so the list never grows.
    HDC hdcScreen = hdcTarget != nullptr ? hdcTarget : ::GetDC(nullptr);
    HDC hdcMem = ::CreateCompatibleDC(hdcScreen);
    HBITMAP hbm = ::CreateCompatibleBitmap(hdcScreen, cx, cy);
    if (hdcTarget == nullptr)
        ::ReleaseDC(nullptr, hdcScreen);
    if (hdcMem == nullptr || hbm == nullptr)
    {
        if (hdcMem != nullptr)
            ::DeleteDC(hdcMem);
        if (hbm != nullptr)
            ::DeleteObject(hbm);
        return;
    }
    HBITMAP hbmBase = (HBITMAP)::LoadImageA(AfxGetResourceHandle(),
                                            MAKEINTRESOURCEA(bHighlight ? IDB_HIGHLIGHT_BASE : IDB_FONTCOLOUR_BASE),
                                            IMAGE_BITMAP, 0, 0, 0);
    {
        CScopedSelect select(hdcMem, hbm);
        HBRUSH hMask = ::CreateSolidBrush(AFX_TOOLBAR_MASK_COLOR);
        const RECT rectAll = { 0, 0, cx, cy };
        ::FillRect(hdcMem, &rectAll, hMask);
        ::DeleteObject(hMask);
        if (hbmBase != nullptr)
        {
            HDC hdcBase = ::CreateCompatibleDC(hdcMem);
            {
                CScopedSelect selectBase(hdcBase, hbmBase);
                ::BitBlt(hdcMem, 0, 0, 16, 15, hdcBase, 0, 0, SRCCOPY);
            }
            ::DeleteDC(hdcBase);
        }
        HBRUSH hBar = ::CreateSolidBrush(ButtonBarColour(clr, bHighlight));
        ::FillRect(hdcMem, kColourBarRect, hBar);
        ::DeleteObject(hBar);
    }
    ::DeleteDC(hdcMem);
    if (hbmBase != nullptr)
        ::DeleteObject(hbmBase);

    const int iNew = ImageList_AddMasked(hList, hbm, AFX_TOOLBAR_MASK_COLOR);
    if (iNew >= 0)
    {
        ImageList_Copy(hList, iImage, hList, iNew, ILCF_SWAP);
        ImageList_Remove(hList, iNew);
    }
    if (m_hbmColour[i] != nullptr)
        ::DeleteObject(m_hbmColour[i]);
    m_hbmColour[i] = hbm;
    m_clrDrawn[i] = clr;
    m_bDrawn[i] = TRUE;
}

void CFormatBar::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTBCUSTOMDRAW* pDraw = (NMTBCUSTOMDRAW*)pNMHDR;
    *pResult = CDRF_DODEFAULT;
    switch (pDraw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT:
    {
        const UINT nID = (UINT)pDraw->nmcd.dwItemSpec;
        if (nID == ID_FORMAT_FONTCOLOUR || nID == ID_FORMAT_HIGHLIGHT)
            UpdateColourImage(nID, pDraw->nmcd.hdc);
        break;
    }
    default:
        break;
    }
}

void CFormatBar::OnSysColorChange()
{
    // The automatic colours follow the system's: draw both again.
    m_bDrawn[kFontButton] = m_bDrawn[kHighlightButton] = FALSE;
    CQlcToolBar::OnSysColorChange();
}
