// What the windows showing these menus call: ownership of a menu handle,
// records refreshed after the framework's updates, mnemonics, and the
// system facts the look depends on (Windows version, classic theme).
#include "widgets/GlyphMenu.h"

#include <cstring>
#include <new>
#include <vector>

int GlyphMenu::s_versionCode = GlyphMenu::GetWindowsVersionCode();
BOOL GlyphMenu::s_classicThemeCache[2] = { FALSE, FALSE };

namespace {

// A theme file's path; anything longer is not a path.
const DWORD kMaxThemePath = 32768;

} // namespace

BOOL GlyphMenu::OwnsMenuHandle(HMENU hMenu)
{
    if (hMenu == nullptr)
        return FALSE;
    for (INT_PTR i = 0; i < s_allMenus.GetSize(); i++)
        if (s_allMenus[i] == hMenu)
            return TRUE;
    return FALSE;
}

BOOL GlyphMenu::OwnsMenuHandle(CMenu* pMenu)
{
    return pMenu != nullptr && OwnsMenuHandle(pMenu->m_hMenu);
}

BOOL GlyphMenu::OwnsMenuItemID(UINT nItemID)
{
    // WM_MEASUREITEM carries a popup item's menu handle cut to 32 bits.
    if (nItemID == 0)
        return FALSE;
    for (INT_PTR i = 0; i < s_allMenus.GetSize(); i++)
        if ((UINT)(UINT_PTR)s_allMenus[i] == nItemID)
            return TRUE;
    return FALSE;
}

void GlyphMenu::RefreshDrawnMenu(CMenu* pMenu)
{
    if (GlyphMenu* p = DYNAMIC_DOWNCAST(GlyphMenu, pMenu))
        p->SyncItemRecords();
}

LRESULT GlyphMenu::FindMnemonicItem(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    GlyphMenu* p = DYNAMIC_DOWNCAST(GlyphMenu, pMenu);
    if (p == nullptr || !(nFlags & MF_POPUP))
        return 0;
    char szKey[2] = { (char)nChar, 0 };
    ::CharLowerBuffA(szKey, 1);
    if ((INT_PTR)p->GetMenuItemCount() != p->m_itemData.GetSize())
        p->SyncItemRecords();
    const int nCount = (int)p->m_itemData.GetSize();
    for (int nPos = 0; nPos < nCount; nPos++)
    {
        CString strText;
        p->GetItemText((UINT)nPos, strText, MF_BYPOSITION);
        strText.MakeLower();
        // An ampersand marks the mnemonic; a doubled one is a plain '&'.
        for (int i = 0; i + 1 < strText.GetLength(); i++)
        {
            if (strText[i] != '&')
                continue;
            if (strText[i + 1] == '&')
            {
                i++;
                continue;
            }
            if (strText[i + 1] == szKey[0])
                return MAKELRESULT(nPos, MNC_EXECUTE);
        }
    }
    return 0;
}

BOOL GlyphMenu::MeasurePopupItem(LPMEASUREITEMSTRUCT lpMIS, GlyphMenu* pAny)
{
    if (lpMIS == nullptr || lpMIS->CtlType != ODT_MENU || !OwnsMenuItemID(lpMIS->itemID))
        return FALSE;
    // Measuring depends on the item's record only: any object answers.
    GlyphMenu measurer;
    (pAny != nullptr ? pAny : &measurer)->MeasureItem(lpMIS);
    return TRUE;
}

BOOL GlyphMenu::AnswerMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu, LRESULT& lResult)
{
    if (!OwnsMenuHandle(pMenu))
        return FALSE;
    lResult = FindMnemonicItem(nChar, nFlags, pMenu);
    return TRUE;
}

void GlyphMenu::AfterInitMenuPopup(CMenu* pPopupMenu, BOOL bSysMenu)
{
    if (!bSysMenu && OwnsMenuHandle(pPopupMenu))
        RefreshDrawnMenu(pPopupMenu);
}

BOOL GlyphMenu::ClassicThemeActive()
{
    if (s_classicThemeCache[1])
        return s_classicThemeCache[0];
    s_classicThemeCache[1] = TRUE;
    s_classicThemeCache[0] = FALSE;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", 0, KEY_READ, &hKey) !=
        ERROR_SUCCESS)
        return FALSE;
    // The registry does not promise a terminator: the value is read whole
    // (its size asked first) into a buffer one byte longer, ended by us.
    DWORD cb = 0;
    DWORD dwType = 0;
    if (::RegQueryValueExA(hKey, nullptr, nullptr, &dwType, nullptr, &cb) == ERROR_SUCCESS &&
        (dwType == REG_SZ || dwType == REG_EXPAND_SZ) && cb > 0 && cb <= kMaxThemePath)
    {
        std::vector<char> path(cb + 1, '\0');
        if (::RegQueryValueExA(hKey, nullptr, nullptr, &dwType, (LPBYTE)path.data(), &cb) == ERROR_SUCCESS &&
            cb < path.size())
        {
            path[cb] = '\0';
            static const char kClassic[] = "Windows Classic.theme";
            const size_t nLen = std::strlen(path.data());
            const size_t nName = sizeof(kClassic) - 1;
            if (nLen >= nName && ::lstrcmpiA(path.data() + nLen - nName, kClassic) == 0)
                s_classicThemeCache[0] = TRUE;
        }
    }
    ::RegCloseKey(hKey);
    return s_classicThemeCache[0];
}

int GlyphMenu::GetWindowsVersionCode()
{
    const DWORD dwVersion = ::GetVersion();
    const bool bNT = (dwVersion & 0x80000000u) == 0;
    if (!bNT && LOBYTE(LOWORD(dwVersion)) < 4)
        return 0; // Win32s
    OSVERSIONINFOA* pInfo = new (std::nothrow) OSVERSIONINFOA;
    if (pInfo == nullptr)
        return bNT ? 1 : 2;
    std::memset(pInfo, 0, sizeof(*pInfo));
    pInfo->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL bGot = ::GetVersionExA(pInfo);
#pragma GCC diagnostic pop
    const DWORD dwMajor = bGot ? pInfo->dwMajorVersion : LOBYTE(LOWORD(dwVersion));
    const DWORD dwMinor = bGot ? pInfo->dwMinorVersion : HIBYTE(LOWORD(dwVersion));
    delete pInfo;
    if (!bNT)
    {
        if (dwMajor == 4 && dwMinor == 10)
            return 3;
        if (dwMajor == 4 && dwMinor == 90)
            return 4;
        return 2;
    }
    if (dwMajor == 4)
        return 5;
    if (dwMajor == 5 && dwMinor == 0)
        return 6;
    if (dwMajor == 5 && dwMinor == 1)
        return 7;
    return 1;
}

BOOL GlyphMenu::IsXPThemed()
{
    return s_versionCode == 7 && !ClassicThemeActive();
}

BOOL GlyphMenu::XPLookActive()
{
    return (IsXPThemed() ? s_drawModeXP : s_drawModeOther) == 1;
}

void GlyphMenu::ForceSystemLook(int nVersionCode, BOOL bClassicTheme)
{
    s_versionCode = nVersionCode;
    s_classicThemeCache[0] = bClassicTheme;
    s_classicThemeCache[1] = TRUE;
}

void GlyphMenu::ResetSystemLook()
{
    s_versionCode = GetWindowsVersionCode();
    s_classicThemeCache[0] = FALSE;
    s_classicThemeCache[1] = FALSE;
}
