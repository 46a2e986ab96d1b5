#include "framework/ui/CToolBar.h"

#include "framework/ui/CDockBar.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_NOTIFY_REFLECT_EX(TBN_HOTITEMCHANGE, OnHotItemChange)
END_MESSAGE_MAP()

namespace {

// Update of one toolbar button.
class CToolCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        const LRESULT lState = ::SendMessageA(m_hWndOther, TB_GETSTATE, m_nID, 0);
        if (lState == -1)
            return;
        if (((lState & TBSTATE_ENABLED) != 0) != (bOn != FALSE))
            ::SendMessageA(m_hWndOther, TB_ENABLEBUTTON, m_nID, MAKELONG(bOn ? TRUE : FALSE, 0));
    }
    void SetCheck(int nCheck) override
    {
        const LRESULT lState = ::SendMessageA(m_hWndOther, TB_GETSTATE, m_nID, 0);
        if (lState == -1)
            return;
        const BOOL bChecked = nCheck == 1;
        const BOOL bIndeterminate = nCheck == 2;
        if (((lState & TBSTATE_CHECKED) != 0) != bChecked)
            ::SendMessageA(m_hWndOther, TB_CHECKBUTTON, m_nID, MAKELONG(bChecked, 0));
        if (((lState & TBSTATE_INDETERMINATE) != 0) != bIndeterminate)
            ::SendMessageA(m_hWndOther, TB_INDETERMINATE, m_nID, MAKELONG(bIndeterminate, 0));
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCSTR) override {}
};

#pragma pack(push, 2)
struct TOOLBARDATA
{
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
    // WORD aItems[wItemCount]
};
#pragma pack(pop)

} // namespace

CToolBar::CToolBar()
    : m_sizeButton(23, 22), m_sizeImage(16, 15), m_cyHeight(0), m_hImageList(nullptr), m_bVertical(FALSE)
{
    m_bForwardToOwner = FALSE;
    m_cxLeftBorder = 2;
    m_cxRightBorder = 2;
    m_cyTopBorder = 2;
    m_cyBottomBorder = 2;
}

CToolBar::~CToolBar()
{
    if (m_hImageList != nullptr)
        ImageList_Destroy(m_hImageList);
}

BOOL CToolBar::PreCreateWindow(CREATESTRUCTA& cs)
{
    return CControlBar::PreCreateWindow(cs);
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    if (!rcBorders.IsRectNull())
    {
        m_cxLeftBorder = rcBorders.left;
        m_cyTopBorder = rcBorders.top;
        m_cxRightBorder = rcBorders.right;
        m_cyBottomBorder = rcBorders.bottom;
    }
    m_dwStyle = dwStyle & CBRS_ALL;
    m_pDockSite = pParentWnd ? DYNAMIC_DOWNCAST(CFrameWnd, pParentWnd) : nullptr;
    SetOwner(pParentWnd);

    DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | WS_CHILD | dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NOMOVEY |
                       CCS_NODIVIDER | CCS_NORESIZE;
    if (m_dwStyle & CBRS_TOOLTIPS)
        dwWndStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, dwWndStyle, 0, 0, 0, 0, AfxGetSafeHwnd(pParentWnd),
                        (HMENU)(UINT_PTR)nID))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SetSizes(m_sizeButton, m_sizeImage);
    if (m_pDockSite != nullptr)
        m_pDockSite->AddControlBar(this);
    return TRUE;
}

void CToolBar::SetBarStyle(DWORD dwStyle)
{
    const BOOL bChangedOrientation = (dwStyle & CBRS_ORIENT_ANY) != (m_dwStyle & CBRS_ORIENT_ANY);
    CControlBar::SetBarStyle(dwStyle);
    if (bChangedOrientation && m_hWnd != nullptr)
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

BOOL PASCAL CToolBar::ReadToolBarResource(HINSTANCE hInst, UINT nIDResource, CSize& sizeImage, std::vector<UINT>& ids)
{
    ids.clear();
    HRSRC hRsrc = ::FindResourceA(hInst, MAKEINTRESOURCEA(nIDResource), RT_TOOLBAR);
    if (hRsrc == nullptr)
        return FALSE;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const DWORD dwSize = ::SizeofResource(hInst, hRsrc);
    const TOOLBARDATA* pData = hGlobal ? (const TOOLBARDATA*)::LockResource(hGlobal) : nullptr;
    if (pData == nullptr || dwSize < sizeof(TOOLBARDATA) || pData->wVersion != 1)
        return FALSE;
    if (dwSize < sizeof(TOOLBARDATA) + (DWORD)pData->wItemCount * sizeof(WORD))
        return FALSE; // damaged: fewer items than it says
    const WORD* pItems = (const WORD*)(pData + 1);
    for (WORD i = 0; i < pData->wItemCount; i++)
        ids.push_back(pItems[i]);
    sizeImage = CSize(pData->wWidth, pData->wHeight);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    CSize sizeImage;
    std::vector<UINT> ids;
    if (!ReadToolBarResource(AfxGetResourceHandle(), nIDResource, sizeImage, ids))
        return FALSE;
    SetSizes(CSize(sizeImage.cx + 7, sizeImage.cy + 7), sizeImage);
    if (!SetButtons(ids.empty() ? nullptr : ids.data(), (int)ids.size()))
        return FALSE;
    return LoadBitmap(nIDResource);
}

BOOL CToolBar::LoadBitmap(UINT nIDResource)
{
    HBITMAP hbm = (HBITMAP)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource), IMAGE_BITMAP, 0, 0,
                                        LR_CREATEDIBSECTION);
    if (hbm == nullptr)
        return FALSE;
    HIMAGELIST hList = ImageList_Create(m_sizeImage.cx, m_sizeImage.cy, ILC_COLOR24 | ILC_MASK, 8, 4);
    BOOL bOK = hList != nullptr && ImageList_AddMasked(hList, hbm, AFX_TOOLBAR_MASK_COLOR) >= 0;
    ::DeleteObject(hbm);
    if (!bOK)
    {
        if (hList != nullptr)
            ImageList_Destroy(hList);
        return FALSE;
    }
    SendMessage(TB_SETIMAGELIST, 0, (LPARAM)hList);
    if (m_hImageList != nullptr)
        ImageList_Destroy(m_hImageList);
    m_hImageList = hList;
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    while (SendMessage(TB_BUTTONCOUNT) > 0)
        SendMessage(TB_DELETEBUTTON, 0);
    int iImage = 0;
    for (int i = 0; i < nIDCount; i++)
    {
        TBBUTTON button = {};
        if (lpIDArray == nullptr || lpIDArray[i] == ID_SEPARATOR)
        {
            button.iBitmap = 8; // separator width
            button.fsStyle = TBSTYLE_SEP;
        }
        else
        {
            button.iBitmap = iImage++;
            button.idCommand = (int)lpIDArray[i];
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_BUTTON;
        }
        if (!SendMessage(TB_ADDBUTTONSA, 1, (LPARAM)&button))
            return FALSE;
    }
    return TRUE;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    m_sizeButton = sizeButton;
    m_sizeImage = sizeImage;
    if (m_hWnd == nullptr)
        return;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(sizeImage.cx, sizeImage.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(sizeButton.cx, sizeButton.cy));
}

void CToolBar::SetHeight(int cyHeight)
{
    m_cyHeight = cyHeight;
    if (m_hWnd != nullptr)
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

int CToolBar::GetCount() const
{
    return (int)::SendMessageA(m_hWnd, TB_BUTTONCOUNT, 0, 0);
}

int CToolBar::CommandToIndex(UINT nIDFind) const
{
    return (int)::SendMessageA(m_hWnd, TB_COMMANDTOINDEX, nIDFind, 0);
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button = {};
    if (!::SendMessageA(m_hWnd, TB_GETBUTTON, (WPARAM)nIndex, (LPARAM)&button))
        return ID_SEPARATOR;
    return (button.fsStyle & TBSTYLE_SEP) ? ID_SEPARATOR : (UINT)button.idCommand;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!::SendMessageA(m_hWnd, TB_GETITEMRECT, (WPARAM)nIndex, (LPARAM)lpRect))
        ::SetRectEmpty(lpRect);
}

UINT CToolBar::GetButtonStyle(int nIndex) const
{
    TBBUTTON button = {};
    if (!::SendMessageA(m_hWnd, TB_GETBUTTON, (WPARAM)nIndex, (LPARAM)&button))
        return 0;
    return MAKELONG(button.fsStyle, button.fsState);
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle)
{
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_STATE;
    info.fsStyle = (BYTE)LOWORD(nStyle);
    info.fsState = (BYTE)HIWORD(nStyle);
    if (info.fsState == 0)
        info.fsState = TBSTATE_ENABLED;
    SendMessage(TB_SETBUTTONINFOA, (WPARAM)nIndex, (LPARAM)&info);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const
{
    TBBUTTON button = {};
    ::SendMessageA(m_hWnd, TB_GETBUTTON, (WPARAM)nIndex, (LPARAM)&button);
    nID = (UINT)button.idCommand;
    nStyle = MAKELONG(button.fsStyle, button.fsState);
    iImage = button.iBitmap;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage)
{
    // For a separator, iImage is its width.
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_STYLE;
    info.idCommand = (int)nID;
    info.fsStyle = (BYTE)LOWORD(nStyle);
    if (info.fsStyle & TBSTYLE_SEP)
    {
        info.dwMask |= TBIF_SIZE;
        info.cx = (WORD)iImage;
    }
    else
    {
        info.dwMask |= TBIF_IMAGE;
        info.iImage = iImage;
    }
    SendMessage(TB_SETBUTTONINFOA, (WPARAM)nIndex, (LPARAM)&info);
}

void CToolBar::CalcInsideRect(CRect& rect, BOOL bHorz) const
{
    CControlBar::CalcInsideRect(rect, bHorz);
    // A set height centres the buttons in it.
    if (bHorz && m_cyHeight > 0)
    {
        const int cyInside = rect.Height();
        const int cyExtra = cyInside - m_sizeButton.cy;
        if (cyExtra > 0)
        {
            rect.top += cyExtra / 2;
            rect.bottom = rect.top + m_sizeButton.cy;
        }
    }
}

void CToolBar::LayoutOrientation(BOOL bHorz)
{
    const BOOL bVertical = !bHorz;
    const int nCount = GetCount();
    for (int i = 0; i < nCount; i++)
    {
        TBBUTTON button = {};
        SendMessage(TB_GETBUTTON, (WPARAM)i, (LPARAM)&button);
        const BYTE fsOld = button.fsState;
        BYTE fsNew = (BYTE)(fsOld & ~TBSTATE_WRAP);
        if (bVertical)
            fsNew |= TBSTATE_WRAP;
        if (fsNew != fsOld)
        {
            TBBUTTONINFOA info = {};
            info.cbSize = sizeof(info);
            info.dwMask = TBIF_BYINDEX | TBIF_STATE;
            info.fsState = fsNew;
            SendMessage(TB_SETBUTTONINFOA, (WPARAM)i, (LPARAM)&info);
        }
    }
    m_bVertical = bVertical;
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    LayoutOrientation(bHorz);
    SendMessage(TB_AUTOSIZE);
    int cx = 0, cy = 0;
    const int nCount = GetCount();
    for (int i = 0; i < nCount; i++)
    {
        CRect rect;
        GetItemRect(i, rect);
        cx = std::max<int>(cx, rect.right);
        cy = std::max<int>(cy, rect.bottom);
    }
    if (nCount == 0)
        cy = m_sizeButton.cy;
    // Add what the borders and gripper take.
    CRect rectInside(0, 0, 1000, 1000);
    CControlBar::CalcInsideRect(rectInside, bHorz);
    CSize size(cx + (1000 - rectInside.Width()), cy + (1000 - rectInside.Height()));
    if (bHorz && m_cyHeight > size.cy)
        size.cy = m_cyHeight;
    if (bStretch)
    {
        if (bHorz)
            size.cx = 32767;
        else
            size.cy = 32767;
    }
    return size;
}

CSize CToolBar::CalcDynamicLayout(int /*nLength*/, DWORD nMode)
{
    if (nMode & LM_VERTDOCK)
        return CalcFixedLayout((nMode & LM_STRETCH) != 0, FALSE);
    return CalcFixedLayout((nMode & LM_STRETCH) != 0, TRUE);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CToolCmdUI state;
    state.m_hWndOther = m_hWnd;
    const int nCount = GetCount();
    state.m_nIndexMax = (UINT)nCount;
    for (int i = 0; i < nCount; i++)
    {
        TBBUTTON button = {};
        SendMessage(TB_GETBUTTON, (WPARAM)i, (LPARAM)&button);
        if (button.fsStyle & TBSTYLE_SEP)
            continue;
        state.m_nIndex = (UINT)i;
        state.m_nID = (UINT)button.idCommand;
        // The toolbar's own handlers first, then the frame's.
        if (CWnd::OnCmdMsg(state.m_nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr))
            continue;
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
    // Controls placed on the toolbar (combo boxes) update like dialog controls.
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

BOOL CToolBar::OnHotItemChange(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (!(m_dwStyle & CBRS_FLYBY))
        return FALSE;
    NMTBHOTITEM* pHot = (NMTBHOTITEM*)pNMHDR;
    CWnd* pOwner = GetOwner();
    CFrameWnd* pFrame = pOwner ? DYNAMIC_DOWNCAST(CFrameWnd, pOwner) : nullptr;
    if (pFrame == nullptr)
        pFrame = m_pDockSite;
    if (pFrame == nullptr)
        return FALSE;
    if (pHot->dwFlags & HICF_LEAVING)
        pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    else
        pFrame->SetMessageText((UINT)pHot->idNew);
    return FALSE; // others may want it too
}
