#include "widgets/CHyperLink.h"

#include "widgets/res/WidgetRes.h"

#include "framework/base/AfxPrompt.h"
#include "framework/gdi/CClientDC.h"
#include "framework/gdi/CScopedSelect.h"

#include <shellapi.h>

IMPLEMENT_DYNAMIC(CHyperLink, CStatic)

BEGIN_MESSAGE_MAP(CHyperLink, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_SETCURSOR()
    ON_WM_MOUSEMOVE()
    ON_CONTROL_REFLECT(STN_CLICKED, OnClicked)
END_MESSAGE_MAP()

HINSTANCE(WINAPI* CHyperLink::s_pfnShellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = &::ShellExecuteA;
UINT(WINAPI* CHyperLink::s_pfnWinExec)(LPCSTR, UINT) = &::WinExec;

namespace {

const UINT_PTR kTooltipId = 1;
// The hand cursor of the system's help program.
const WORD kHandCursorId = 106;

} // namespace

CHyperLink::CHyperLink()
    : m_clrLink(RGB(0, 0, 128)),
      m_clrVisited(RGB(128, 0, 128)),
      m_clrHover(RGB(0, 0, 255)),
      m_bHover(FALSE),
      m_bVisited(FALSE),
      m_bUnderline(TRUE),
      m_bAdjustToFit(TRUE),
      m_hLinkCursor(nullptr)
{
}

CHyperLink::~CHyperLink()
{
    if (m_hLinkCursor != nullptr)
        ::DestroyCursor(m_hLinkCursor);
}

// ---------------------------------------------------------------------------
// Set-up

void CHyperLink::PreSubclassWindow()
{
    ModifyStyle(0, SS_NOTIFY);
    CString strText;
    GetWindowText(strText);
    if (m_strURL.IsEmpty())
        m_strURL = strText;
    if (strText.IsEmpty())
        SetWindowText(m_strURL);

    MakeLinkFont();
    FitWindowToText();
    LoadHandCursor();

    if (m_tooltip.Create(this))
    {
        CRect rect;
        GetClientRect(rect);
        m_tooltip.AddTool(this, m_strURL, rect, kTooltipId);
    }
    CStatic::PreSubclassWindow();
}

void CHyperLink::MakeLinkFont()
{
    if (m_hWnd == nullptr)
        return;
    LOGFONTA lf = {};
    HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
    if (hFont == nullptr)
        hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
    ::GetObjectA(hFont, sizeof(lf), &lf);
    lf.lfUnderline = (BYTE)(m_bUnderline ? TRUE : FALSE);
    m_font.DeleteObject();
    if (m_font.CreateFontIndirect(&lf))
        SendMessage(WM_SETFONT, (WPARAM)m_font.m_hObject, FALSE);
}

void CHyperLink::FitWindowToText()
{
    if (!m_bAdjustToFit || m_hWnd == nullptr)
        return;
    CRect rect;
    GetWindowRect(rect);
    CWnd* pParent = GetParent();
    if (pParent != nullptr)
        pParent->ScreenToClient(rect);

    CString strText;
    GetWindowText(strText);
    CSize size;
    {
        CClientDC dc(this);
        CScopedSelect selectFont(dc.GetSafeHdc(), m_font.m_hObject);
        size = dc.GetTextExtent(strText);
    }
    const DWORD dwStyle = GetStyle();
    if (dwStyle & SS_CENTERIMAGE)
    {
        const int cyExtra = rect.Height() - size.cy;
        rect.top += cyExtra / 2;
        rect.bottom = rect.top + size.cy;
    }
    else
    {
        rect.bottom = rect.top + size.cy;
    }
    const DWORD dwAlign = dwStyle & SS_TYPEMASK;
    if (dwAlign == SS_CENTER)
    {
        const int cxExtra = rect.Width() - size.cx;
        rect.left += cxExtra / 2;
        rect.right = rect.left + size.cx;
    }
    else if (dwAlign == SS_RIGHT)
    {
        rect.left = rect.right - size.cx;
    }
    else
    {
        rect.right = rect.left + size.cx;
    }
    SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHyperLink::LoadHandCursor()
{
    if (m_hLinkCursor != nullptr)
        return;
    char szPath[MAX_PATH] = "";
    const UINT nLength = ::GetWindowsDirectoryA(szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH - 16)
        return;
    lstrcatA(szPath, "\\winhlp32.exe");
    HMODULE hModule = ::LoadLibraryExA(szPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (hModule == nullptr)
        return;
    HCURSOR hCursor = ::LoadCursorA(hModule, MAKEINTRESOURCEA(kHandCursorId));
    if (hCursor != nullptr)
        m_hLinkCursor = (HCURSOR)::CopyImage(hCursor, IMAGE_CURSOR, 0, 0, 0);
    ::FreeLibrary(hModule);
}

// ---------------------------------------------------------------------------
// Properties

void CHyperLink::SetLinkTarget(LPCSTR lpszURL)
{
    m_strURL = lpszURL ? lpszURL : "";
    if (m_hWnd == nullptr)
        return;
    FitWindowToText();
    if (m_tooltip.m_hWnd != nullptr)
        m_tooltip.UpdateTipText(m_strURL, this, kTooltipId);
}

void CHyperLink::SetLinkColours(COLORREF clrLink, COLORREF clrVisited, COLORREF clrHover)
{
    m_clrLink = clrLink;
    m_clrVisited = clrVisited;
    m_clrHover = clrHover == (COLORREF)-1 ? ::GetSysColor(COLOR_HIGHLIGHT) : clrHover;
    if (m_hWnd != nullptr)
        Invalidate();
}

void CHyperLink::SetVisited(BOOL bVisited)
{
    m_bVisited = bVisited;
    if (m_hWnd != nullptr)
        Invalidate();
}

void CHyperLink::SetLinkCursor(HCURSOR hCursor)
{
    if (m_hLinkCursor != nullptr)
        ::DestroyCursor(m_hLinkCursor);
    m_hLinkCursor = nullptr;
    if (hCursor != nullptr)
        m_hLinkCursor = (HCURSOR)::CopyImage(hCursor, IMAGE_CURSOR, 0, 0, 0);
    else
        LoadHandCursor();
}

void CHyperLink::SetUnderlined(BOOL bUnderline)
{
    m_bUnderline = bUnderline;
    if (m_hWnd == nullptr)
        return;
    MakeLinkFont();
    Invalidate();
}

void CHyperLink::SetAutoSize(BOOL bAutoSize)
{
    m_bAdjustToFit = bAutoSize;
    FitWindowToText();
}

COLORREF CHyperLink::GetCurrentColour() const
{
    if (m_bHover)
        return m_clrHover;
    return m_bVisited ? m_clrVisited : m_clrLink;
}

// ---------------------------------------------------------------------------
// Messages

BOOL CHyperLink::PreTranslateMessage(MSG* pMsg)
{
    if (m_tooltip.m_hWnd != nullptr)
        m_tooltip.RelayEvent(pMsg);
    return CStatic::PreTranslateMessage(pMsg);
}

HBRUSH CHyperLink::CtlColor(CDC* pDC, UINT /*nCtlColor*/)
{
    pDC->SetTextColor(GetCurrentColour());
    pDC->SetBkMode(TRANSPARENT);
    return (HBRUSH)::GetStockObject(NULL_BRUSH);
}

BOOL CHyperLink::OnSetCursor(CWnd* /*pWnd*/, UINT /*nHitTest*/, UINT /*message*/)
{
    if (m_hLinkCursor == nullptr)
        return FALSE;
    ::SetCursor(m_hLinkCursor);
    return TRUE;
}

void CHyperLink::OnMouseMove(UINT nFlags, CPoint point)
{
    CStatic::OnMouseMove(nFlags, point);
    if (!m_bHover)
    {
        m_bHover = TRUE;
        Invalidate();
        SetCapture();
        return;
    }
    CRect rect;
    GetClientRect(rect);
    if (!rect.PtInRect(point))
    {
        m_bHover = FALSE;
        if (::GetCapture() == m_hWnd)
            ::ReleaseCapture();
        Invalidate();
    }
}

void CHyperLink::OnClicked()
{
    const INT_PTR nResult = OpenLinkTarget(m_strURL, SW_SHOW);
    m_bHover = FALSE;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (nResult > 32)
    {
        SetVisited(TRUE);
        return;
    }
    SetVisited(FALSE);
    ::MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenError(nResult);
}

// ---------------------------------------------------------------------------
// Opening

BOOL CHyperLink::MakeOpenCommand(LPCSTR lpszCommandTemplate, LPCSTR lpszURL, CString& strCommand)
{
    strCommand.Empty();
    CString strTemplate = lpszCommandTemplate ? lpszCommandTemplate : "";
    // The command's place for the URL: a quoted "%1" (quote included), else
    // the first "%1"; without one the URL goes after the whole command.
    int iCut = strTemplate.Find("\"%1\"");
    if (iCut < 0)
        iCut = strTemplate.Find("%1");
    if (iCut >= 0)
        strTemplate = strTemplate.Left(iCut);
    strTemplate.TrimRight();
    const CString strURL = lpszURL ? lpszURL : "";
    // The command line, its blank, the URL and the terminator must fit.
    if (strTemplate.GetLength() + 1 + strURL.GetLength() + 1 > kCommandLineSize)
        return FALSE;
    strCommand = strTemplate + " " + strURL;
    return TRUE;
}

INT_PTR CHyperLink::OpenLinkTarget(LPCSTR lpszURL, int nShowCmd)
{
    const INT_PTR nResult = (INT_PTR)s_pfnShellExecute(nullptr, "open", lpszURL, nullptr, nullptr, nShowCmd);
    if (nResult > 32)
        return nResult;

    // The browser registered for ".htm", started with the URL.
    char szClass[MAX_PATH + 1] = "";
    LONG lSize = MAX_PATH;
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", szClass, &lSize) != ERROR_SUCCESS || szClass[0] == 0)
        return nResult;
    szClass[MAX_PATH] = 0;
    CString strKey = szClass;
    strKey += "\\shell\\open\\command";
    char szTemplate[MAX_PATH + 1] = "";
    lSize = MAX_PATH;
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, strKey, szTemplate, &lSize) != ERROR_SUCCESS || szTemplate[0] == 0)
        return nResult;
    szTemplate[MAX_PATH] = 0;
    CString strCommand;
    if (!MakeOpenCommand(szTemplate, lpszURL, strCommand))
        return nResult; // too long to run: refused
    return (INT_PTR)s_pfnWinExec(strCommand, (UINT)nShowCmd);
}

CString CHyperLink::GetOpenErrorText(INT_PTR nError)
{
    UINT nID = 0;
    switch (nError)
    {
    case 0: nID = IDS_LINK_ERR_OUT_OF_RESOURCES; break;
    case SE_ERR_FNF: nID = IDS_LINK_ERR_FILE_NOT_FOUND; break;
    case SE_ERR_PNF: nID = IDS_LINK_ERR_PATH_NOT_FOUND; break;
    case SE_ERR_ACCESSDENIED: nID = IDS_LINK_ERR_ACCESS_DENIED; break;
    case SE_ERR_OOM: nID = IDS_LINK_ERR_OUT_OF_MEMORY; break;
    case ERROR_BAD_FORMAT: nID = IDS_LINK_ERR_BAD_FORMAT; break;
    case SE_ERR_SHARE: nID = IDS_LINK_ERR_SHARING; break;
    case SE_ERR_ASSOCINCOMPLETE: nID = IDS_LINK_ERR_ASSOC_INCOMPLETE; break;
    case SE_ERR_DDETIMEOUT: nID = IDS_LINK_ERR_DDE_TIMEOUT; break;
    case SE_ERR_DDEFAIL: nID = IDS_LINK_ERR_DDE_FAIL; break;
    case SE_ERR_DDEBUSY: nID = IDS_LINK_ERR_DDE_BUSY; break;
    case SE_ERR_NOASSOC: nID = IDS_LINK_ERR_NO_ASSOC; break;
    case SE_ERR_DLLNOTFOUND: nID = IDS_LINK_ERR_DLL_NOT_FOUND; break;
    default: break;
    }
    CString strText;
    strText.LoadString(IDS_LINK_OPEN_FAILED);
    CString strReason;
    if (nID != 0)
    {
        strReason.LoadString(nID);
    }
    else
    {
        CString strFormat;
        strFormat.LoadString(IDS_LINK_ERR_UNKNOWN);
        strReason.Format(strFormat, (int)nError);
    }
    return strText + strReason;
}

void CHyperLink::ShowOpenError(INT_PTR nError)
{
    AfxMessageBox(GetOpenErrorText(nError), MB_ICONEXCLAMATION);
}
