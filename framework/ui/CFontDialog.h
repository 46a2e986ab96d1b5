// The common Font dialog, filled from and read back into a rich-edit
// character format. DoModal asks the common-dialog hook first.
#pragma once

#include "framework/ui/CCommonDialog.h"

#include <commdlg.h>
#include <richedit.h>

class CFontDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(CFontDialog)
public:
    explicit CFontDialog(LPLOGFONTA lplfInitial = nullptr, DWORD dwFlags = CF_EFFECTS | CF_SCREENFONTS,
                         HDC hdcPrinter = nullptr, CWnd* pParentWnd = nullptr);
    CFontDialog(const CHARFORMAT2A& charformat, DWORD dwFlags = CF_SCREENFONTS, HDC hdcPrinter = nullptr,
                CWnd* pParentWnd = nullptr);

    virtual INT_PTR DoModal();

    // The chosen font as a character format: face, size, effects and colour
    // (only what the dialog could show goes into the mask).
    void GetCharFormat(CHARFORMAT2A& cf) const;
    CString GetFaceName() const { return CString(m_lf.lfFaceName); }
    int GetSize() const { return m_cf.iPointSize; } // tenths of a point
    COLORREF GetColor() const { return m_cf.rgbColors; }
    BOOL IsBold() const { return m_lf.lfWeight >= FW_SEMIBOLD; }
    BOOL IsItalic() const { return m_lf.lfItalic != 0; }
    BOOL IsUnderline() const { return m_lf.lfUnderline != 0; }
    BOOL IsStrikeOut() const { return m_lf.lfStrikeOut != 0; }

    // Converts between a character format and a logical font (heights in
    // twips become pixels of the screen).
    static DWORD FillInLogFont(const CHARFORMAT2A& cf, LOGFONTA& lf);

    CHOOSEFONTA m_cf;
    LOGFONTA m_lf;
};
