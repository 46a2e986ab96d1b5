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
    // Only what the user changed from what the dialog showed at first (for
    // the character-format constructor); a face the system lacks, shown as
    // the face it is drawn in, stays as it was unless another is chosen.
    void GetChangedCharFormat(CHARFORMAT2A& cf) const;
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
    // The face name as the dialog can list it: the face itself when the
    // system has it, else the face the system draws in its place.
    static CString GetListedFace(LPCSTR lpszFace, BYTE nCharSet);

    CHOOSEFONTA m_cf;
    LOGFONTA m_lf;
    // Screen rectangle the dialog opens clear of (the text it formats);
    // empty: where the system puts it.
    RECT m_rcKeepClear;

private:
    static UINT_PTR CALLBACK HookProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

    // What the dialog was opened with.
    LOGFONTA m_lfShown;
    DWORD m_dwShownFlags;
    COLORREF m_crShown;
};
