// The settings block: defaults, what a damaged or odd registry value gives,
// and a round trip of every value.
#include "app/CQlcSettings.h"

#include <gtest/gtest.h>

namespace {

const char kKey[] = "Software\\QuillcrestTests\\Settings";

struct SettingsKey
{
    SettingsKey() { ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuillcrestTests"); }
    ~SettingsKey() { ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuillcrestTests"); }
    HKEY Open()
    {
        HKEY h = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
        return h;
    }
    void SetDword(LPCSTR name, DWORD v)
    {
        HKEY h = Open();
        ::RegSetValueExA(h, name, 0, REG_DWORD, (const BYTE*)&v, sizeof(v));
        ::RegCloseKey(h);
    }
    void SetString(LPCSTR name, LPCSTR v)
    {
        HKEY h = Open();
        ::RegSetValueExA(h, name, 0, REG_SZ, (const BYTE*)v, (DWORD)strlen(v) + 1);
        ::RegCloseKey(h);
    }
    void SetBinary(LPCSTR name, const void* p, DWORD n)
    {
        HKEY h = Open();
        ::RegSetValueExA(h, name, 0, REG_BINARY, (const BYTE*)p, n);
        ::RegCloseKey(h);
    }
    DWORD BinarySize(LPCSTR name)
    {
        HKEY h = Open();
        DWORD type = 0, size = 0;
        ::RegQueryValueExA(h, name, nullptr, &type, nullptr, &size);
        ::RegCloseKey(h);
        return size;
    }
};

} // namespace

TEST(SettingsTest, WithoutAKeyEveryValueHasItsDefault)
{
    SettingsKey key;
    CQlcSettings s;
    EXPECT_EQ(-1, s.m_nSearchMode); // until read
    s.Load(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(1, s.m_nPromptDelete);
    EXPECT_EQ(0, s.m_nPromptMove);
    EXPECT_EQ(0, s.m_nResizeBilinear);
    EXPECT_EQ(1, s.m_nShowHelpBar);
    EXPECT_EQ(0u, s.m_wpLastPlacement.length);
    EXPECT_EQ(0, s.m_nStartInTray);
    EXPECT_EQ(0, s.m_nReloadLast);
    EXPECT_EQ(12, s.m_nDefaultFontSize);
    EXPECT_EQ(11, s.m_nImportFontSize);
    EXPECT_EQ("Arial", s.m_strDefaultFontName);
    EXPECT_EQ("Courier New", s.m_strImportFontName);
    EXPECT_EQ("", s.m_strSpellLang);
    EXPECT_EQ(1, s.m_nWordWrap);
    EXPECT_EQ(0, s.m_nSingleClick);
    EXPECT_EQ(1, s.m_nShowSplash);
    EXPECT_EQ(1, s.m_nAutoWordSelection);
    EXPECT_EQ(1, s.m_nImageScaleToFit);
    EXPECT_EQ(0u, s.m_wpLastChildPlacement.length);
    EXPECT_EQ(0, s.m_nAlwaysOnTop);
    EXPECT_EQ(0, s.m_nSearchMode);
    EXPECT_EQ(7, s.m_nDataSearchOptions);
    EXPECT_TRUE(::IsRectEmpty(&s.m_rcFindInNodes) && s.m_rcFindInNodes.left == 0 && s.m_rcFindInNodes.right == 0);
    EXPECT_EQ("", s.m_strCustomColours);
}

TEST(SettingsTest, OddStoredValuesGiveTheDefaults)
{
    SettingsKey key;
    key.SetString("DefaultFontName", "");
    key.SetDword("DefaultFontSize", 0);
    key.SetDword("ImportFontSize", 0);
    key.SetDword("SearchMode", 3);
    RECT rc = { 1, 2, 3, 4 };
    key.SetBinary("FindInNodesRect", &rc, 15);          // one byte short
    key.SetString("PromptDelete", "0");                 // a string where a number belongs
    WINDOWPLACEMENT wp = {};
    wp.length = 1000;                                   // a length field that lies
    key.SetBinary("LastPlacement", &wp, sizeof(wp));
    BYTE big[80] = {};
    key.SetBinary("LastChildPlacement", big, sizeof(big)); // too many bytes

    CQlcSettings s;
    s.m_strSpellLang = "kept";
    s.Load(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ("Arial", s.m_strDefaultFontName);
    EXPECT_EQ(12, s.m_nDefaultFontSize);
    EXPECT_EQ(11, s.m_nImportFontSize);
    EXPECT_EQ(0, s.m_nSearchMode);
    EXPECT_EQ(0, s.m_rcFindInNodes.left);
    EXPECT_EQ(0, s.m_rcFindInNodes.bottom);
    EXPECT_EQ(1, s.m_nPromptDelete);
    EXPECT_EQ(0u, s.m_wpLastPlacement.length);
    EXPECT_EQ(0u, s.m_wpLastChildPlacement.length);
    EXPECT_EQ("kept", s.m_strSpellLang); // nothing stored: the old value stays

    key.SetDword("SearchMode", 0xFFFFFFFF);
    s.Load(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(0, s.m_nSearchMode);
}

TEST(SettingsTest, EveryValueRoundTrips)
{
    SettingsKey key;
    CQlcSettings out;
    out.m_nPromptDelete = 0;
    out.m_nPromptMove = 1;
    out.m_nResizeBilinear = 1;
    out.m_nShowHelpBar = 0;
    out.m_wpLastPlacement.length = sizeof(WINDOWPLACEMENT);
    out.m_wpLastPlacement.showCmd = SW_SHOWMAXIMIZED;
    out.m_wpLastPlacement.rcNormalPosition = { 10, 20, 610, 420 };
    out.m_nStartInTray = 1;
    out.m_nReloadLast = 1;
    out.m_nDefaultFontSize = 14;
    out.m_nImportFontSize = 9;
    out.m_strDefaultFontName = "Tahoma";
    out.m_strImportFontName = "Lucida Console";
    out.m_strSpellLang = "English (UK)";
    out.m_nWordWrap = 0;
    out.m_nSingleClick = 1;
    out.m_nShowSplash = 0;
    out.m_nAutoWordSelection = 0;
    out.m_nImageScaleToFit = 0;
    out.m_wpLastChildPlacement.length = sizeof(WINDOWPLACEMENT);
    out.m_wpLastChildPlacement.showCmd = SW_SHOWNORMAL;
    out.m_wpLastChildPlacement.rcNormalPosition = { 1, 2, 301, 202 };
    out.m_nAlwaysOnTop = 1;
    out.m_nSearchMode = 2;
    out.m_nDataSearchOptions = 5;
    out.m_rcFindInNodes = { 5, 6, 7, 8 };
    out.m_strCustomColours = "FF0000,00FF00";
    out.m_nZoomMode = 1; // not stored
    ASSERT_TRUE(out.Save(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(sizeof(WINDOWPLACEMENT), key.BinarySize("LastPlacement"));
    EXPECT_EQ(16u, key.BinarySize("FindInNodesRect"));

    CQlcSettings in;
    in.Load(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(0, in.m_nPromptDelete);
    EXPECT_EQ(1, in.m_nPromptMove);
    EXPECT_EQ(1, in.m_nResizeBilinear);
    EXPECT_EQ(0, in.m_nShowHelpBar);
    EXPECT_EQ(0, memcmp(&out.m_wpLastPlacement, &in.m_wpLastPlacement, sizeof(WINDOWPLACEMENT)));
    EXPECT_EQ(1, in.m_nStartInTray);
    EXPECT_EQ(1, in.m_nReloadLast);
    EXPECT_EQ(14, in.m_nDefaultFontSize);
    EXPECT_EQ(9, in.m_nImportFontSize);
    EXPECT_EQ("Tahoma", in.m_strDefaultFontName);
    EXPECT_EQ("Lucida Console", in.m_strImportFontName);
    EXPECT_EQ("English (UK)", in.m_strSpellLang);
    EXPECT_EQ(0, in.m_nWordWrap);
    EXPECT_EQ(1, in.m_nSingleClick);
    EXPECT_EQ(0, in.m_nShowSplash);
    EXPECT_EQ(0, in.m_nAutoWordSelection);
    EXPECT_EQ(0, in.m_nImageScaleToFit);
    EXPECT_EQ(0, memcmp(&out.m_wpLastChildPlacement, &in.m_wpLastChildPlacement, sizeof(WINDOWPLACEMENT)));
    EXPECT_EQ(1, in.m_nAlwaysOnTop);
    EXPECT_EQ(2, in.m_nSearchMode);
    EXPECT_EQ(5, in.m_nDataSearchOptions);
    EXPECT_EQ(5, in.m_rcFindInNodes.left);
    EXPECT_EQ(8, in.m_rcFindInNodes.bottom);
    EXPECT_EQ("FF0000,00FF00", in.m_strCustomColours);
    EXPECT_EQ(0, in.m_nZoomMode);

    // No placement stored: nothing but an empty value is written.
    out.m_wpLastPlacement.length = 0;
    ASSERT_TRUE(out.Save(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(0u, key.BinarySize("LastPlacement"));
    in.Load(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(0u, in.m_wpLastPlacement.length);
}
