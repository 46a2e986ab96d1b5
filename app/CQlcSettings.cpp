#include "app/CQlcSettings.h"

#include <vector>

CQlcSettings::CQlcSettings()
    : m_nPromptDelete(1), m_nPromptMove(0), m_nResizeBilinear(0), m_nShowHelpBar(1), m_wpLastPlacement(),
      m_nStartInTray(0), m_nReloadLast(0), m_nDefaultFontSize(12), m_nImportFontSize(11),
      m_strDefaultFontName("Arial"), m_strImportFontName("Courier New"), m_nWordWrap(1), m_nSingleClick(0),
      m_nShowSplash(1), m_nAutoWordSelection(1), m_nImageScaleToFit(1), m_nZoomMode(0), m_wpLastChildPlacement(),
      m_nAlwaysOnTop(0), m_nSearchMode(-1), m_nDataSearchOptions(7), m_rcFindInNodes()
{
}

CString CQlcSettings::BuildKeyPath(LPCSTR lpszCompany, LPCSTR lpszTitle, LPCSTR lpszSection)
{
    CString s = "Software\\";
    s += lpszCompany;
    s += '\\';
    s += lpszTitle;
    s += '\\';
    s += lpszSection;
    return s;
}

namespace {

// Opens the key one level at a time, as the settings were always read.
HKEY OpenForReading(HKEY hRoot, LPCSTR lpszKeyPath)
{
    HKEY hKey = hRoot;
    CString strRest = lpszKeyPath;
    while (!strRest.IsEmpty())
    {
        const int i = strRest.Find('\\');
        const CString strLevel = i >= 0 ? strRest.Left(i) : strRest;
        strRest = i >= 0 ? strRest.Mid(i + 1) : CString();
        HKEY hNext = nullptr;
        const LONG l = ::RegOpenKeyExA(hKey, strLevel, 0, KEY_READ, &hNext);
        if (hKey != hRoot)
            ::RegCloseKey(hKey);
        if (l != ERROR_SUCCESS)
            return nullptr;
        hKey = hNext;
    }
    return hKey == hRoot ? nullptr : hKey;
}

HKEY CreateForWriting(HKEY hRoot, LPCSTR lpszKeyPath)
{
    HKEY hKey = hRoot;
    CString strRest = lpszKeyPath;
    while (!strRest.IsEmpty())
    {
        const int i = strRest.Find('\\');
        const CString strLevel = i >= 0 ? strRest.Left(i) : strRest;
        strRest = i >= 0 ? strRest.Mid(i + 1) : CString();
        HKEY hNext = nullptr;
        const LONG l = ::RegCreateKeyExA(hKey, strLevel, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                         &hNext, nullptr);
        if (hKey != hRoot)
            ::RegCloseKey(hKey);
        if (l != ERROR_SUCCESS)
            return nullptr;
        hKey = hNext;
    }
    return hKey == hRoot ? nullptr : hKey;
}

// A 4-byte REG_DWORD; anything else counts as missing.
BOOL ReadDword(HKEY hKey, LPCSTR lpszName, int& nValue)
{
    if (hKey == nullptr)
        return FALSE;
    DWORD dwType = 0, dwValue = 0, dwSize = sizeof(dwValue);
    if (::RegQueryValueExA(hKey, lpszName, nullptr, &dwType, (LPBYTE)&dwValue, &dwSize) != ERROR_SUCCESS ||
        dwType != REG_DWORD || dwSize != sizeof(DWORD))
        return FALSE;
    nValue = (int)dwValue;
    return TRUE;
}

void ReadDwordOr(HKEY hKey, LPCSTR lpszName, int& nValue, int nDefault)
{
    if (!ReadDword(hKey, lpszName, nValue))
        nValue = nDefault;
}

// A string is taken only when more than its terminator is stored.
BOOL ReadString(HKEY hKey, LPCSTR lpszName, CString& strValue)
{
    if (hKey == nullptr)
        return FALSE;
    DWORD dwType = 0, dwSize = 0;
    if (::RegQueryValueExA(hKey, lpszName, nullptr, &dwType, nullptr, &dwSize) != ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ) || dwSize <= 1)
        return FALSE;
    std::vector<char> buf((size_t)dwSize + 1, '\0');
    DWORD dwRead = dwSize;
    if (::RegQueryValueExA(hKey, lpszName, nullptr, &dwType, (LPBYTE)buf.data(), &dwRead) != ERROR_SUCCESS)
        return FALSE;
    buf[(size_t)dwSize] = 0;
    strValue = buf.data();
    return TRUE;
}

// Binary values of exactly the expected size; anything else is refused.
BOOL ReadBinary(HKEY hKey, LPCSTR lpszName, void* pData, DWORD dwExpected)
{
    if (hKey == nullptr)
        return FALSE;
    DWORD dwType = 0, dwSize = 0;
    if (::RegQueryValueExA(hKey, lpszName, nullptr, &dwType, nullptr, &dwSize) != ERROR_SUCCESS ||
        dwType != REG_BINARY || dwSize != dwExpected)
        return FALSE;
    std::vector<BYTE> buf(dwSize);
    if (::RegQueryValueExA(hKey, lpszName, nullptr, &dwType, buf.data(), &dwSize) != ERROR_SUCCESS ||
        dwSize != dwExpected)
        return FALSE;
    memcpy(pData, buf.data(), dwExpected);
    return TRUE;
}

// A stored placement counts only with its length field equal to the
// structure's size; otherwise none is stored.
void ReadPlacement(HKEY hKey, LPCSTR lpszName, WINDOWPLACEMENT& wp)
{
    WINDOWPLACEMENT read = {};
    if (ReadBinary(hKey, lpszName, &read, sizeof(read)) && read.length == sizeof(WINDOWPLACEMENT))
        wp = read;
    else
        wp.length = 0;
}

BOOL WriteDword(HKEY hKey, LPCSTR lpszName, int nValue)
{
    const DWORD dw = (DWORD)nValue;
    return ::RegSetValueExA(hKey, lpszName, 0, REG_DWORD, (const BYTE*)&dw, sizeof(dw)) == ERROR_SUCCESS;
}

BOOL WriteString(HKEY hKey, LPCSTR lpszName, const CString& strValue)
{
    return ::RegSetValueExA(hKey, lpszName, 0, REG_SZ, (const BYTE*)(LPCSTR)strValue,
                            (DWORD)strValue.GetLength() + 1) == ERROR_SUCCESS;
}

BOOL WritePlacement(HKEY hKey, LPCSTR lpszName, const WINDOWPLACEMENT& wp)
{
    // As many bytes as the length field says, which is the size or nothing.
    const DWORD dwBytes = wp.length == sizeof(WINDOWPLACEMENT) ? (DWORD)sizeof(WINDOWPLACEMENT) : 0;
    return ::RegSetValueExA(hKey, lpszName, 0, REG_BINARY, (const BYTE*)&wp, dwBytes) == ERROR_SUCCESS;
}

} // namespace

void CQlcSettings::Load(HKEY hRoot, LPCSTR lpszKeyPath)
{
    HKEY hKey = OpenForReading(hRoot, lpszKeyPath);

    ReadDwordOr(hKey, "PromptDelete", m_nPromptDelete, 1);
    ReadDwordOr(hKey, "PromptMove", m_nPromptMove, 0);
    ReadDwordOr(hKey, "ResizeBilinear", m_nResizeBilinear, 0);
    ReadDwordOr(hKey, "ShowHelpBar", m_nShowHelpBar, 1);
    ReadPlacement(hKey, "LastPlacement", m_wpLastPlacement);
    ReadDwordOr(hKey, "StartInTray", m_nStartInTray, 0);
    ReadDwordOr(hKey, "ReloadLast", m_nReloadLast, 0);

    m_nDefaultFontSize = 12;
    ReadDword(hKey, "DefaultFontSize", m_nDefaultFontSize);
    if (m_nDefaultFontSize == 0)
        m_nDefaultFontSize = 12;
    m_nImportFontSize = 0;
    ReadDword(hKey, "ImportFontSize", m_nImportFontSize);
    if (m_nImportFontSize == 0)
        m_nImportFontSize = 11;

    m_strDefaultFontName.Empty();
    ReadString(hKey, "DefaultFontName", m_strDefaultFontName);
    if (m_strDefaultFontName.IsEmpty())
        m_strDefaultFontName = "Arial";
    m_strImportFontName.Empty();
    ReadString(hKey, "ImportFontName", m_strImportFontName);
    if (m_strImportFontName.IsEmpty())
        m_strImportFontName = "Courier New";
    ReadString(hKey, "SpellLang", m_strSpellLang);

    ReadDwordOr(hKey, "WordWrap", m_nWordWrap, 1);
    ReadDwordOr(hKey, "SingleClick", m_nSingleClick, 0);
    ReadDwordOr(hKey, "ShowSplash", m_nShowSplash, 1);
    ReadDwordOr(hKey, "AutoWordSelection", m_nAutoWordSelection, 1);
    ReadDwordOr(hKey, "ImageScaleToFit", m_nImageScaleToFit, 1);
    m_wpLastChildPlacement.length = 0;
    ReadPlacement(hKey, "LastChildPlacement", m_wpLastChildPlacement);
    ReadDwordOr(hKey, "AlwaysOnTop", m_nAlwaysOnTop, 0);

    m_nSearchMode = 0;
    ReadDword(hKey, "SearchMode", m_nSearchMode);
    if (m_nSearchMode < 0 || m_nSearchMode > 2)
        m_nSearchMode = 0;
    ReadDwordOr(hKey, "DataSearchOptions", m_nDataSearchOptions, 7);
    RECT rc = {};
    if (ReadBinary(hKey, "FindInNodesRect", &rc, sizeof(rc)))
        m_rcFindInNodes = rc;
    else
        ::SetRectEmpty(&m_rcFindInNodes);
    ReadString(hKey, "CustomColours", m_strCustomColours);

    if (hKey != nullptr)
        ::RegCloseKey(hKey);
}

BOOL CQlcSettings::Save(HKEY hRoot, LPCSTR lpszKeyPath) const
{
    HKEY hKey = CreateForWriting(hRoot, lpszKeyPath);
    if (hKey == nullptr)
        return FALSE;
    BOOL b = TRUE;
    b &= WriteDword(hKey, "PromptDelete", m_nPromptDelete);
    b &= WriteDword(hKey, "PromptMove", m_nPromptMove);
    b &= WriteDword(hKey, "ResizeBilinear", m_nResizeBilinear);
    b &= WriteDword(hKey, "ShowHelpBar", m_nShowHelpBar);
    b &= WritePlacement(hKey, "LastPlacement", m_wpLastPlacement);
    b &= WriteDword(hKey, "StartInTray", m_nStartInTray);
    b &= WriteDword(hKey, "ReloadLast", m_nReloadLast);
    b &= WriteDword(hKey, "DefaultFontSize", m_nDefaultFontSize);
    b &= WriteDword(hKey, "ImportFontSize", m_nImportFontSize);
    b &= WriteString(hKey, "DefaultFontName", m_strDefaultFontName);
    b &= WriteString(hKey, "ImportFontName", m_strImportFontName);
    b &= WriteString(hKey, "SpellLang", m_strSpellLang);
    b &= WriteDword(hKey, "WordWrap", m_nWordWrap);
    b &= WriteDword(hKey, "SingleClick", m_nSingleClick);
    b &= WriteDword(hKey, "ShowSplash", m_nShowSplash);
    b &= WriteDword(hKey, "AutoWordSelection", m_nAutoWordSelection);
    b &= WriteDword(hKey, "ImageScaleToFit", m_nImageScaleToFit);
    b &= WritePlacement(hKey, "LastChildPlacement", m_wpLastChildPlacement);
    b &= WriteDword(hKey, "AlwaysOnTop", m_nAlwaysOnTop);
    b &= WriteDword(hKey, "SearchMode", m_nSearchMode);
    b &= WriteDword(hKey, "DataSearchOptions", m_nDataSearchOptions);
    b &= ::RegSetValueExA(hKey, "FindInNodesRect", 0, REG_BINARY, (const BYTE*)&m_rcFindInNodes,
                          sizeof(m_rcFindInNodes)) == ERROR_SUCCESS;
    b &= WriteString(hKey, "CustomColours", m_strCustomColours);
    ::RegCloseKey(hKey);
    return b;
}
