// The menu model: building from a menu resource, the records, toolbar
// pictures in the shared image list, accelerator padding, resynchronisation
// and destruction.
#include "widgets/GlyphMenu.h"

#include "framework/gdi/AfxSysColorBitmap.h"
#include "framework/ui/CToolBar.h"
#include "framework/ui/CWnd.h"

#include <cstring>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(GlyphMenu, CMenu)

CImageList GlyphMenu::s_sharedImages;
CArray<int, int> GlyphMenu::s_sharedImageIds;
CTypedPtrArray<CPtrArray, HMENU> GlyphMenu::s_allMenus;
int GlyphMenu::s_imageWidth = 16;
int GlyphMenu::s_imageHeight = 15;
int GlyphMenu::s_drawModeXP = 1;
int GlyphMenu::s_drawModeOther = 0;
BOOL GlyphMenu::s_classicSelectDisabled = TRUE;
BOOL GlyphMenu::s_xpSelectDisabled = FALSE;
BOOL GlyphMenu::s_xpImageEffects = TRUE;
BOOL GlyphMenu::s_xpAccelAlignA = TRUE;
BOOL GlyphMenu::s_xpAccelAlignB = TRUE;
BOOL GlyphMenu::s_colorMappedBitmaps = FALSE;

namespace {

const UINT kToolbarStyle = 0x50002800; // WS_CHILD | WS_VISIBLE | CBRS_TOP

// Reads the template's words and texts, never past the resource's end.
class TemplateReader
{
public:
    TemplateReader(const BYTE* p, DWORD cb) : m_p(p), m_cb(cb), m_pos(0) {}
    bool Word(WORD& w)
    {
        if (m_cb - m_pos < sizeof(WORD))
            return false;
        std::memcpy(&w, m_p + m_pos, sizeof(WORD));
        m_pos += sizeof(WORD);
        return true;
    }
    bool Text(std::wstring& str)
    {
        str.clear();
        for (;;)
        {
            WORD ch;
            if (!Word(ch))
                return false; // no terminator before the end
            if (ch == 0)
                return true;
            str += (wchar_t)ch;
        }
    }
    bool Skip(DWORD cb)
    {
        if (m_cb - m_pos < cb)
            return false;
        m_pos += cb;
        return true;
    }

private:
    const BYTE* m_p;
    DWORD m_cb;
    DWORD m_pos;
};

std::wstring ToWide(LPCSTR psz)
{
    std::wstring str;
    if (psz == nullptr)
        return str;
    const int n = ::MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    if (n > 1)
    {
        str.resize((size_t)n);
        ::MultiByteToWideChar(CP_ACP, 0, psz, -1, &str[0], n);
        str.resize((size_t)n - 1);
    }
    return str;
}

HRSRC FindModuleResource(LPCSTR lpszName, LPCSTR lpszType, HINSTANCE& hInst)
{
    hInst = AfxGetResourceHandle();
    HRSRC hRsrc = hInst ? ::FindResourceA(hInst, lpszName, lpszType) : nullptr;
    if (hRsrc == nullptr)
    {
        hInst = ::GetModuleHandleA(nullptr);
        hRsrc = ::FindResourceA(hInst, lpszName, lpszType);
    }
    return hRsrc;
}

// A one-bit mask of a colour bitmap: set where the pixel is crTransparent.
HBITMAP MakeMask(HBITMAP hbm, COLORREF crTransparent)
{
    BITMAP bm;
    if (::GetObjectA(hbm, sizeof(bm), &bm) == 0)
        return nullptr;
    HBITMAP hMask = ::CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
    HDC hdcSrc = ::CreateCompatibleDC(nullptr);
    HDC hdcMask = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOldSrc = ::SelectObject(hdcSrc, hbm);
    HGDIOBJ hOldMask = ::SelectObject(hdcMask, hMask);
    ::SetBkColor(hdcSrc, crTransparent);
    ::BitBlt(hdcMask, 0, 0, bm.bmWidth, bm.bmHeight, hdcSrc, 0, 0, SRCCOPY);
    ::SelectObject(hdcMask, hOldMask);
    ::SelectObject(hdcSrc, hOldSrc);
    ::DeleteDC(hdcMask);
    ::DeleteDC(hdcSrc);
    return hMask;
}

int AddMaskedToList(HIMAGELIST hList, HBITMAP hbm, COLORREF crMask)
{
    return hbm != nullptr ? ImageList_AddMasked(hList, hbm, crMask) : -1;
}

BOOL ReplaceMaskedInList(HIMAGELIST hList, int nIndex, HBITMAP hbm, COLORREF crMask)
{
    if (hbm == nullptr)
        return FALSE;
    HBITMAP hMask = MakeMask(hbm, crMask);
    const BOOL b = ImageList_Replace(hList, nIndex, hbm, hMask);
    if (hMask != nullptr)
        ::DeleteObject(hMask);
    return b;
}

// The three derived pictures (faded, shadow, disabled) of one picture.
struct DerivedPictures
{
    HBITMAP hbm[3] = { nullptr, nullptr, nullptr };
    DerivedPictures() = default;
    DerivedPictures(const DerivedPictures&) = delete;
    DerivedPictures& operator=(const DerivedPictures&) = delete;
    ~DerivedPictures()
    {
        for (HBITMAP h : hbm)
            if (h != nullptr)
                ::DeleteObject(h);
    }
    void Make(HIMAGELIST hList, int nIndex)
    {
        HDC hdcScreen = ::GetDC(nullptr);
        for (HBITMAP& h : hbm)
            h = GlyphMenu::GetImageBitmap(hList, nIndex, hdcScreen);
        ::ReleaseDC(nullptr, hdcScreen);
        if (hbm[0] != nullptr)
            GlyphMenu::MakeFadedBitmap(hbm[0]);
        if (hbm[1] != nullptr)
            GlyphMenu::MakeShadowBitmap(hbm[1]);
        if (hbm[2] != nullptr)
            GlyphMenu::MakeDisabledBitmap(hbm[2], 0);
    }
};

} // namespace

HWND GlyphMenu::GetMeasuringWindow()
{
    CWnd* pMain = AfxGetMainWnd();
    return pMain != nullptr && pMain->m_hWnd != nullptr ? pMain->m_hWnd : ::GetDesktopWindow();
}

GlyphMenu::GlyphMenu()
    : m_maskColour(RGB(192, 192, 192)), m_useMaskColour(FALSE), m_altDisabledDraw(FALSE), m_checkImages(nullptr),
      m_sharedCheckImages(FALSE), m_checkedSelectedId(-1), m_checkedId(-1), m_iconMode(FALSE), m_isMenuBar(FALSE)
{
}

GlyphMenu::~GlyphMenu()
{
    DestroyMenu();
}

// ---------------------------------------------------------------------------
// Building

BOOL GlyphMenu::LoadMenu(UINT nIDResource)
{
    return BuildFromTemplate(MAKEINTRESOURCEW(nIDResource));
}

BOOL GlyphMenu::BuildFromTemplate(LPCSTR lpszResourceName)
{
    if (IS_INTRESOURCE(lpszResourceName))
        return BuildFromTemplate(MAKEINTRESOURCEW((UINT_PTR)lpszResourceName));
    const std::wstring name = ToWide(lpszResourceName);
    return BuildFromTemplate(name.c_str());
}

BOOL GlyphMenu::BuildFromTemplate(LPCWSTR lpszResourceName)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = hInst ? ::FindResourceW(hInst, lpszResourceName, MAKEINTRESOURCEW(4)) : nullptr;
    if (hRsrc == nullptr)
    {
        hInst = ::GetModuleHandleA(nullptr);
        hRsrc = ::FindResourceW(hInst, lpszResourceName, MAKEINTRESOURCEW(4)); // RT_MENU
    }
    if (hRsrc == nullptr)
        return FALSE;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const BYTE* pData = hGlobal ? (const BYTE*)::LockResource(hGlobal) : nullptr;
    if (pData == nullptr)
        return FALSE;
    const DWORD cbData = ::SizeofResource(hInst, hRsrc);

    DestroyMenu();
    if (!CreateMenu())
        return FALSE;

    // Header: version, then the offset of the first item from the header's
    // end. Extended templates (version 1) have another item layout.
    TemplateReader reader(pData, cbData);
    WORD wVersion = 0, wOffset = 0;
    bool bOK = reader.Word(wVersion) && reader.Word(wOffset) && wVersion == 0 && reader.Skip(wOffset);

    std::vector<GlyphMenu*> menus(1, this);
    std::vector<int> ends(1, 0);
    while (bOK && !menus.empty())
    {
        WORD wFlags = 0, wID = 0;
        std::wstring text;
        if (!reader.Word(wFlags) || (!(wFlags & MF_POPUP) && !reader.Word(wID)) || !reader.Text(text))
        {
            bOK = false; // truncated or unbalanced
            break;
        }
        const bool bEnd = (wFlags & MF_END) != 0;
        const UINT nFlags = wFlags & ~MF_END;
        GlyphMenu* pTop = menus.back();
        if (nFlags & MF_POPUP)
        {
            if (bEnd)
                ends.back() = 1;
            GlyphMenu* pPopup = new GlyphMenu;
            pPopup->m_checkedId = m_checkedId;
            pPopup->m_checkedSelectedId = m_checkedSelectedId;
            pPopup->m_checkImages = m_checkImages;
            pPopup->m_sharedCheckImages = TRUE;
            if (!pPopup->CreatePopupMenu())
            {
                delete pPopup;
                bOK = false;
                break;
            }
            // From here the parent owns the popup (through its handle).
            pTop->AppendDrawnItem(text.c_str(), nFlags, (UINT_PTR)pPopup->m_hMenu, -1);
            menus.push_back(pPopup);
            ends.push_back(0);
        }
        else
        {
            pTop->AppendDrawnItem(text.c_str(), nFlags, wID, -1);
            if (bEnd)
                ends.back() = 1;
            while (!menus.empty() && ends.back())
            {
                menus.back()->PadShortcutColumn();
                menus.pop_back();
                ends.pop_back();
            }
        }
    }
    if (!bOK)
    {
        DestroyMenu();
        return FALSE;
    }

    // The top level stays system-drawn: a menu bar of plain strings.
    for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
    {
        GlyphMenuData* pData = m_itemData[i];
        const UINT nKeep = pData->flags & (MF_GRAYED | MF_DISABLED | MF_MENUBREAK | MF_MENUBARBREAK | MF_HELP);
        const CString strText = pData->GetAnsiText();
        if (pData->flags & MF_POPUP)
            pData->flags = MF_BYPOSITION | MF_POPUP | nKeep;
        else if (pData->flags & MF_SEPARATOR)
            pData->flags = MF_BYPOSITION | MF_SEPARATOR;
        else
            pData->flags = MF_BYPOSITION | MF_STRING | nKeep;
        ::ModifyMenuA(m_hMenu, (UINT)i, pData->flags, pData->commandId,
                      (pData->flags & MF_SEPARATOR) ? nullptr : (LPCSTR)strText);
    }
    m_isMenuBar = TRUE;
    return TRUE;
}

BOOL GlyphMenu::AppendDrawnItem(LPCSTR lpszText, UINT nFlags, UINT_PTR nID, int nToolbarID)
{
    const std::wstring text = ToWide(lpszText);
    return AppendDrawnItem(lpszText ? text.c_str() : nullptr, nFlags, nID, nToolbarID);
}

BOOL GlyphMenu::AppendDrawnItem(LPCWSTR lpszText, UINT nFlags, UINT_PTR nID, int nToolbarID)
{
    if (nID != 0)
        nFlags |= MF_OWNERDRAW;
    else
        nFlags = (nFlags & MF_BYPOSITION) ? (MF_SEPARATOR | MF_BYPOSITION | MF_OWNERDRAW)
                                          : (MF_SEPARATOR | MF_OWNERDRAW);
    if (nFlags & MF_POPUP)
    {
        s_allMenus.Add((HMENU)nID);
        m_popupHandles.Add((HMENU)nID);
    }

    GlyphMenuData* pData = new GlyphMenuData;
    pData->SetWideText(lpszText);
    m_itemData.Add(pData);

    if (!(nFlags & MF_POPUP) && nID != 0)
    {
        if (nToolbarID == -1)
        {
            for (INT_PTR i = 0; i < s_sharedImageIds.GetSize(); i++)
            {
                if ((UINT)s_sharedImageIds[i] == (UINT)nID)
                {
                    pData->globalImageIndex = (int)i;
                    break;
                }
            }
        }
        else
        {
            CWnd* pParent = AfxGetMainWnd();
            if (pParent == nullptr || pParent->m_hWnd == nullptr)
                pParent = CWnd::FromHandle(::GetDesktopWindow());
            CToolBar bar;
            if (bar.Create(pParent, kToolbarStyle, AFX_IDW_TOOLBAR))
            {
                if (bar.LoadToolBar((UINT)nToolbarID))
                {
                    const int nButton = bar.CommandToIndex((UINT)nID);
                    if (nButton >= 0)
                    {
                        UINT nButtonID = 0, nStyle = 0;
                        int iImage = 0;
                        bar.GetButtonInfo(nButton, nButtonID, nStyle, iImage);
                        const int nImage = iImage > 0 ? iImage : nButton;
                        CImageList list;
                        if (list.Create(s_imageWidth, s_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1) &&
                            AppendPictureToList(&list, (UINT_PTR)nToolbarID))
                            pData->globalImageIndex = AddToSharedImages(&list, nImage, (UINT)nID);
                    }
                }
                bar.DestroyWindow();
            }
        }
    }

    pData->flags = nFlags;
    pData->commandId = nID;
    const BOOL bResult = ::AppendMenuA(m_hMenu, nFlags, nID, (LPCSTR)pData);
    if (m_isMenuBar)
        RestoreMenuBarItems();
    return bResult;
}

void GlyphMenu::RestoreMenuBarItems()
{
    if (!m_isMenuBar)
        return;
    const int nCount = ::GetMenuItemCount(m_hMenu);
    int nPos = GetMenuBarShift();
    for (INT_PTR i = 0; i < m_itemData.GetSize() && nPos < nCount; i++, nPos++)
    {
        GlyphMenuData* pData = m_itemData[i];
        HMENU hSub = ::GetSubMenu(m_hMenu, nPos);
        if (hSub == nullptr)
            continue;
        pData->flags = MF_BYPOSITION | MF_POPUP;
        ::ModifyMenuA(m_hMenu, (UINT)nPos, pData->flags, (UINT_PTR)hSub, pData->GetAnsiText());
    }
}

int GlyphMenu::GetMenuBarShift()
{
    if (!m_isMenuBar)
        return 0;
    const int nCount = ::GetMenuItemCount(m_hMenu);
    for (int nPos = 0; nPos < nCount; nPos++)
    {
        CString str;
        GetMenuString((UINT)nPos, str, MF_BYPOSITION);
        if (str.IsEmpty())
            continue;
        for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
        {
            if (m_itemData[i]->GetAnsiText().Compare(str) == 0)
                return nPos >= (int)i ? nPos - (int)i : 0;
        }
        return 0;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Pictures

BOOL GlyphMenu::TakeToolbarImageSets(const UINT* pToolbarIDs, int nCount)
{
    BOOL bAll = TRUE;
    for (int i = 0; i < nCount; i++)
    {
        if (!TakeToolbarImages(pToolbarIDs[i]))
            bAll = FALSE;
    }
    return bAll;
}

BOOL GlyphMenu::TakeToolbarImages(UINT nToolbarID)
{
    CWnd* pParent = AfxGetMainWnd();
    if (pParent == nullptr || pParent->m_hWnd == nullptr)
        pParent = CWnd::FromHandle(::GetDesktopWindow());
    CToolBar bar;
    if (!bar.Create(pParent, kToolbarStyle, AFX_IDW_TOOLBAR))
        return FALSE;
    BOOL bResult = FALSE;
    CImageList list;
    if (bar.LoadToolBar(nToolbarID) &&
        list.Create(s_imageWidth, s_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1) &&
        AppendPictureToList(&list, nToolbarID))
    {
        const int nButtons = bar.GetCount();
        for (int i = 0; i < nButtons; i++)
        {
            UINT nID = 0, nStyle = 0;
            int iImage = 0;
            bar.GetButtonInfo(i, nID, nStyle, iImage);
            if (nID == 0 || (nStyle & TBSTYLE_SEP))
                continue;
            if (::GetMenuState(m_hMenu, nID, MF_BYCOMMAND) == 0xFFFFFFFF)
                continue; // not in this menu
            SetCommandImage((LPCWSTR)nullptr, nID, &list, iImage > 0 ? iImage : i);
        }
        bResult = TRUE;
    }
    bar.DestroyWindow();
    return bResult;
}

BOOL GlyphMenu::SetCommandImage(LPCSTR lpszText, UINT nID, CImageList* pList, int nIndex)
{
    const std::wstring text = ToWide(lpszText);
    return SetCommandImage(lpszText ? text.c_str() : nullptr, nID, pList, nIndex);
}

void GlyphMenu::CollectCommandItems(UINT nID, std::vector<CommandHit>& hits, std::vector<GlyphMenu*>& visited)
{
    for (GlyphMenu* p : visited)
        if (p == this)
            return;
    visited.push_back(this);
    if (!m_isMenuBar && (INT_PTR)GetMenuItemCount() != m_itemData.GetSize())
        SyncItemRecords();
    const int nCount = (int)GetMenuItemCount();
    for (int nPos = 0; nPos < nCount; nPos++)
    {
        HMENU hSub = ::GetSubMenu(m_hMenu, nPos);
        if (hSub != nullptr)
        {
            if (GlyphMenu* pSub = DYNAMIC_DOWNCAST(GlyphMenu, CMenu::FromHandlePermanent(hSub)))
                pSub->CollectCommandItems(nID, hits, visited);
            continue;
        }
        if (::GetMenuItemID(m_hMenu, nPos) != nID)
            continue;
        // The item's own record: its item data when that is one of ours,
        // else the record at its position.
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_DATA;
        ::GetMenuItemInfoA(m_hMenu, (UINT)nPos, TRUE, &mii);
        GlyphMenuData* pData = nullptr;
        for (INT_PTR i = 0; i < m_itemData.GetSize() && pData == nullptr; i++)
            if ((ULONG_PTR)m_itemData[i] == mii.dwItemData)
                pData = m_itemData[i];
        if (pData == nullptr && nPos < m_itemData.GetSize() && m_itemData[nPos]->commandId == nID)
            pData = m_itemData[nPos];
        if (pData != nullptr)
            hits.push_back(CommandHit{ this, nPos, pData });
    }
}

BOOL GlyphMenu::SetCommandImage(LPCWSTR lpszText, UINT nID, CImageList* pList, int nIndex)
{
    std::vector<CommandHit> hits;
    std::vector<GlyphMenu*> visited;
    CollectCommandItems(nID, hits, visited);
    if (hits.empty())
        return FALSE; // the command is in none of these menus

    int nGlobal = -1;
    if (pList != nullptr)
        nGlobal = AddToSharedImages(pList, nIndex, nID);

    BOOL bResult = TRUE;
    for (const CommandHit& hit : hits)
    {
        GlyphMenuData* pData = hit.pData;
        if (lpszText != nullptr)
            pData->SetWideText(lpszText);
        pData->imageId = -1;
        pData->imageOffset = -1;
        if (pList != nullptr)
        {
            delete pData->ownImages;
            pData->ownImages = nullptr;
            pData->globalImageIndex = nGlobal;
        }
        pData->flags = (pData->flags & ~MF_BYPOSITION) | MF_OWNERDRAW;
        pData->commandId = nID;
        // Each item is modified where it stands, so every copy of the
        // command keeps its own record.
        if (!::ModifyMenuA(hit.pMenu->m_hMenu, (UINT)hit.nPos, pData->flags | MF_BYPOSITION, nID, (LPCSTR)pData))
            bResult = FALSE;
    }
    return bResult;
}

BOOL GlyphMenu::AppendPictureToList(CImageList* pList, UINT_PTR nResource)
{
    if (pList == nullptr || pList->m_hImageList == nullptr)
        return FALSE;
    BOOL bOK = FALSE;
    if (m_iconMode)
    {
        bOK = ImageList_ReplaceIcon(pList->m_hImageList, -1, (HICON)nResource) >= 0;
    }
    else
    {
        const COLORREF crMask = m_useMaskColour ? m_maskColour : ::GetSysColor(COLOR_BTNFACE);
        HINSTANCE hInst = nullptr;
        HRSRC hRsrc = FindModuleResource(MAKEINTRESOURCEA(nResource), (LPCSTR)RT_BITMAP, hInst);
        if (hRsrc == nullptr)
            return FALSE;
        int nColours = 0;
        HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
        const BYTE* pData = hGlobal ? (const BYTE*)::LockResource(hGlobal) : nullptr;
        if (pData != nullptr && ::SizeofResource(hInst, hRsrc) >= sizeof(BITMAPINFOHEADER))
        {
            BITMAPINFOHEADER bih;
            std::memcpy(&bih, pData, sizeof(bih));
            if (bih.biClrUsed != 0)
                nColours = (int)bih.biClrUsed;
            else if (bih.biBitCount == 1)
                nColours = 2;
            else if (bih.biBitCount == 4)
                nColours = 16;
            else if (bih.biBitCount == 8)
                nColours = 256;
        }
        HBITMAP hbm = nullptr;
        if (nColours == 16)
        {
            hbm = AfxLoadSysColorBitmap(hInst, hRsrc);
        }
        else
        {
            hbm = ::LoadBitmapA(hInst, MAKEINTRESOURCEA(nResource));
            if (hbm != nullptr)
            {
                s_colorMappedBitmaps = TRUE;
                ReplaceBackgroundColor(hbm);
            }
        }
        if (hbm == nullptr)
            return FALSE;
        bOK = ImageList_AddMasked(pList->m_hImageList, hbm, crMask) >= 0;
        ::DeleteObject(hbm);
    }
    if (bOK && XPLookActive() && s_xpImageEffects)
        AppendDerivedPictures(pList, 0);
    return bOK;
}

void GlyphMenu::AppendDerivedPictures(CImageList* pList, int nIndex)
{
    DerivedPictures derived;
    derived.Make(pList->m_hImageList, nIndex);
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    for (HBITMAP hbm : derived.hbm)
        AddMaskedToList(pList->m_hImageList, hbm, crFace);
}

int GlyphMenu::AddToSharedImages(CImageList* pList, int nIndex, UINT nID)
{
    if (s_sharedImages.m_hImageList == nullptr &&
        !s_sharedImages.Create(s_imageWidth, s_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1))
        return -1;
    HIMAGELIST hShared = s_sharedImages.m_hImageList;
    HICON hIcon = ImageList_GetIcon(pList->m_hImageList, nIndex, ILD_NORMAL);
    if (hIcon == nullptr)
        return -1;
    const BOOL bEffects = XPLookActive() && s_xpImageEffects;
    DerivedPictures derived;
    if (bEffects)
        derived.Make(pList->m_hImageList, nIndex);
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);

    int nResult = -1;
    const INT_PTR nIds = s_sharedImageIds.GetSize();
    for (INT_PTR i = 0; i < nIds; i++)
    {
        if (s_sharedImageIds[i] != (int)nID)
            continue;
        ImageList_ReplaceIcon(hShared, (int)i, hIcon);
        if (bEffects && i + 3 < nIds && s_sharedImageIds[i + 1] == (int)nID && s_sharedImageIds[i + 2] == (int)nID)
        {
            for (int k = 0; k < 3; k++)
                ReplaceMaskedInList(hShared, (int)i + 1 + k, derived.hbm[k], crFace);
        }
        nResult = (int)i;
        break;
    }
    if (nResult < 0)
    {
        const int nBefore = ImageList_GetImageCount(hShared);
        nResult = ImageList_ReplaceIcon(hShared, -1, hIcon);
        if (nResult >= 0)
        {
            s_sharedImageIds.Add((int)nID);
            if (bEffects)
            {
                int nAdded = 0;
                for (HBITMAP hbm : derived.hbm)
                    if (AddMaskedToList(hShared, hbm, crFace) >= 0)
                        nAdded++;
                if (nAdded == 3)
                {
                    for (int k = 0; k < 3; k++)
                        s_sharedImageIds.Add((int)nID);
                }
                else
                {
                    // Keep the list and its ids in step: the picture alone.
                    while (ImageList_GetImageCount(hShared) > nBefore + 1)
                        ImageList_Remove(hShared, ImageList_GetImageCount(hShared) - 1);
                }
            }
        }
    }
    ::DestroyIcon(hIcon);
    return nResult;
}

BOOL GlyphMenu::HasEffectImages(int i)
{
    const INT_PTR n = s_sharedImageIds.GetSize();
    if (i < 0 || i + 2 >= n)
        return FALSE;
    return s_sharedImageIds[i] == s_sharedImageIds[i + 1] && s_sharedImageIds[i] == s_sharedImageIds[i + 2];
}

// ---------------------------------------------------------------------------
// Accelerator column

void GlyphMenu::PadShortcutColumn()
{
    if (XPLookActive() && (!s_xpAccelAlignA || !s_xpAccelAlignB))
        return;
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof(ncm);
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    HFONT hFont = ::CreateFontIndirectA(&ncm.lfMenuFont);
    HWND hWnd = GetMeasuringWindow();
    HDC hdc = ::GetDC(hWnd);
    HGDIOBJ hOld = hFont ? ::SelectObject(hdc, hFont) : nullptr;

    auto width = [hdc](const CString& s) {
        SIZE size = { 0, 0 };
        ::GetTextExtentPoint32A(hdc, s, s.GetLength(), &size);
        return (int)size.cx;
    };
    int nWidest = -1;
    for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
    {
        const CString strText = m_itemData[i]->GetAnsiText();
        const int nTab = strText.Find('\t');
        const CString strLeft = (nTab >= 0 ? strText.Left(nTab) : strText) + " ";
        const int cx = width(strLeft);
        if (cx > nWidest)
            nWidest = cx;
    }
    for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
    {
        const CString strText = m_itemData[i]->GetAnsiText();
        const int nTab = strText.Find('\t');
        if (nTab < 0)
            continue;
        CString strLeft = strText.Left(nTab);
        // Bounded: a font whose space has no width cannot pad.
        for (int n = 0; n < 512 && width(strLeft) < nWidest; n++)
            strLeft += ' ';
        m_itemData[i]->SetAnsiText(strLeft + "\t" + strText.Mid(nTab + 1));
    }

    if (hOld != nullptr)
        ::SelectObject(hdc, hOld);
    ::ReleaseDC(hWnd, hdc);
    if (hFont != nullptr)
        ::DeleteObject(hFont);
}

// ---------------------------------------------------------------------------
// Records and the live menu

GlyphMenuData* GlyphMenu::TakeUnsyncedRecord(UINT_PTR nCommand)
{
    for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
    {
        GlyphMenuData* pData = m_itemData[i];
        if (!pData->synced && pData->commandId == nCommand)
        {
            pData->synced = TRUE;
            return pData;
        }
    }
    return nullptr;
}

void GlyphMenu::SyncItemRecords()
{
    if (m_hMenu == nullptr || m_isMenuBar)
        return; // a menu bar's items stay plain strings
    for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
        m_itemData[i]->synced = FALSE;

    CTypedPtrArray<CPtrArray, GlyphMenuData*> fresh;
    const int nCount = (int)GetMenuItemCount();
    for (int nPos = 0; nPos < nCount; nPos++)
    {
        const UINT nState = GetMenuState((UINT)nPos, MF_BYPOSITION);
        CString strText;
        GetMenuString((UINT)nPos, strText, MF_BYPOSITION);
        GlyphMenuData* pData = nullptr;
        if (nState & MF_POPUP)
        {
            HMENU hSub = ::GetSubMenu(m_hMenu, nPos);
            pData = TakeUnsyncedRecord((UINT_PTR)hSub);
            if (pData != nullptr)
            {
                if (!strText.IsEmpty())
                    pData->SetAnsiText(strText);
            }
            else
            {
                pData = new GlyphMenuData;
                pData->flags = (nState & 0xEF) | MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP;
                pData->commandId = (UINT_PTR)hSub;
                pData->SetAnsiText(strText);
                pData->synced = TRUE;
                ::ModifyMenuA(m_hMenu, (UINT)nPos, pData->flags, (UINT_PTR)hSub, (LPCSTR)pData);
            }
        }
        else if (nState & MF_SEPARATOR)
        {
            pData = TakeUnsyncedRecord(0);
            if (pData == nullptr)
            {
                pData = new GlyphMenuData;
                pData->flags = nState | MF_SEPARATOR | MF_BYPOSITION | MF_OWNERDRAW;
                pData->synced = TRUE;
            }
            ::ModifyMenuA(m_hMenu, (UINT)nPos, pData->flags | MF_BYPOSITION, 0, (LPCSTR)pData);
        }
        else
        {
            const UINT nID = GetMenuItemID(nPos);
            const UINT nFlags = nState | MF_BYPOSITION | MF_OWNERDRAW;
            pData = TakeUnsyncedRecord(nID);
            if (pData == nullptr)
            {
                pData = new GlyphMenuData;
                pData->commandId = nID;
                pData->synced = TRUE;
                for (INT_PTR i = 0; i < s_sharedImageIds.GetSize(); i++)
                {
                    if ((UINT)s_sharedImageIds[i] == nID)
                    {
                        pData->globalImageIndex = (int)i;
                        break;
                    }
                }
            }
            pData->flags = nFlags;
            if (!strText.IsEmpty())
                pData->SetAnsiText(strText);
            ::ModifyMenuA(m_hMenu, (UINT)nPos, nFlags, nID, (LPCSTR)pData);
        }
        fresh.Add(pData);
    }

    for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
    {
        if (!m_itemData[i]->synced)
            delete m_itemData[i];
    }
    m_itemData.RemoveAll();
    for (INT_PTR i = 0; i < fresh.GetSize(); i++)
    {
        fresh[i]->synced = FALSE;
        m_itemData.Add(fresh[i]);
    }
}

BOOL GlyphMenu::GetItemText(UINT nItem, CString& rText, UINT nFlags)
{
    rText.Empty();
    if (nFlags & MF_BYPOSITION)
    {
        if ((INT_PTR)nItem >= m_itemData.GetSize())
            return FALSE;
        rText = m_itemData[(INT_PTR)nItem]->GetAnsiText();
        return TRUE;
    }
    for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
    {
        GlyphMenuData* pData = m_itemData[i];
        if (!(pData->flags & MF_POPUP) && pData->commandId == nItem && nItem != 0)
        {
            rText = pData->GetAnsiText();
            return TRUE;
        }
    }
    for (INT_PTR i = 0; i < m_popupHandles.GetSize(); i++)
    {
        GlyphMenu* pSub = DYNAMIC_DOWNCAST(GlyphMenu, CMenu::FromHandlePermanent(m_popupHandles[i]));
        if (pSub != nullptr && pSub->GetItemText(nItem, rText, nFlags))
            return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------
// Destruction

BOOL GlyphMenu::DestroyMenu()
{
    auto forget = [](HMENU h) {
        for (INT_PTR i = s_allMenus.GetSize() - 1; i >= 0; i--)
            if (s_allMenus[i] == h)
                s_allMenus.RemoveAt(i);
    };
    if (m_hMenu != nullptr)
        forget(m_hMenu);
    for (INT_PTR i = m_popupHandles.GetSize() - 1; i >= 0; i--)
    {
        HMENU h = m_popupHandles[i];
        forget(h);
        if (GlyphMenu* pSub = DYNAMIC_DOWNCAST(GlyphMenu, CMenu::FromHandlePermanent(h)))
            delete pSub;
    }
    m_popupHandles.RemoveAll();
    for (INT_PTR i = 0; i < m_itemData.GetSize(); i++)
        delete m_itemData[i];
    m_itemData.RemoveAll();
    if (!m_sharedCheckImages)
    {
        delete m_checkImages;
        m_checkImages = nullptr;
    }
    m_isMenuBar = FALSE;
    return CMenu::DestroyMenu();
}
