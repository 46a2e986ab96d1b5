// The program's preferences and remembered window geometry, as the
// application object holds them. Read once at start-up, written once at
// exit, from and to HKEY_CURRENT_USER\Software\<company>\<title>\Settings.
#pragma once

#include "framework/base/CString.h"

class CQlcSettings
{
public:
    CQlcSettings();

    // Reads every value; anything missing, of the wrong type or of the wrong
    // size leaves the default (opening each level of the key to read only).
    void Load(HKEY hRoot, LPCSTR lpszKeyPath);
    // Writes every value (creating each level of the key). FALSE when the
    // key cannot be created or a value cannot be written.
    BOOL Save(HKEY hRoot, LPCSTR lpszKeyPath) const;

    // "Software\<company>\<title>\<section>"
    static CString BuildKeyPath(LPCSTR lpszCompany, LPCSTR lpszTitle, LPCSTR lpszSection);

    int m_nPromptDelete;
    int m_nPromptMove;
    int m_nResizeBilinear;
    int m_nShowHelpBar;
    WINDOWPLACEMENT m_wpLastPlacement;      // length 0 while none is stored
    int m_nStartInTray;
    int m_nReloadLast;
    int m_nDefaultFontSize;
    int m_nImportFontSize;
    CString m_strDefaultFontName;
    CString m_strImportFontName;
    CString m_strSpellLang;
    int m_nWordWrap;
    int m_nSingleClick;
    int m_nShowSplash;
    int m_nAutoWordSelection;
    int m_nImageScaleToFit;
    int m_nZoomMode;                        // image views' zoom mode; not stored
    WINDOWPLACEMENT m_wpLastChildPlacement; // length 0 while none is stored
    int m_nAlwaysOnTop;
    int m_nSearchMode;                      // 0 all words, 1 any word, 2 exact phrase
    int m_nDataSearchOptions;               // 1 titles, 2 keywords, 4 content
    RECT m_rcFindInNodes;                   // all zero: none
    CString m_strCustomColours;
};
