// The Formatting bar's list of font faces: every screen family (TrueType
// marked), then the default printer's, sorted; while the list is dropped
// down a tip shows the selected face in itself.
#pragma once

#include "app/CFontObj.h"

#include "widgets/CTipWnd.h"

#include "framework/base/CMapStringToPtr.h"
#include "framework/base/CTypedPtrMap.h"
#include "framework/gdi/CImageList.h"
#include "framework/ui/CComboBoxEx.h"

class CFontNameCombo : public CComboBoxEx
{
    DECLARE_DYNAMIC(CFontNameCombo)
public:
    // Images of the list.
    enum { kImagePrinter = 0, kImageTrueType = 1 };

    CFontNameCombo();
    ~CFontNameCombo() override;

    // Shows a face in the edit field (empty when not in the list).
    void SelectFontName(LPCSTR lpszName);
    const CString& GetCurrentName() const { return m_strCurrent; }
    // The kind a face was found as, -1 when it is not in the list.
    int GetFontKind(LPCSTR lpszName) const;
    // Adds a face; a face already known keeps its first kind.
    void AddFont(LPCSTR lpszName, int nKind);
    // The list again from the font map, sorted.
    void FillFromMap();
    CTipWnd& GetTip() { return m_tip; }

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnDestroy();
    void OnTimer(UINT_PTR nIDEvent);
    void OnDropDown();
    void OnCloseUp();
    // A face picked in the list goes to the open note.
    void OnSelChange();
    // The face of the tip: shown while the list is down.
    void UpdateTip();

protected:
    void FillFontList();
    void EnumerateFonts();
    void EnumerateFontsOf(HDC hdc, BOOL bPrinter);
    void DeleteFonts();
    static int CALLBACK EnumFamilyProc(const LOGFONTA* pLogFont, const TEXTMETRICA* pMetrics, DWORD dwType,
                                       LPARAM lParam);

    CTypedPtrMap<CMapStringToPtr, CString, CFontObj*> m_fonts;
    CString m_strCurrent;
    CImageList m_images;
    CTipWnd m_tip;
    UINT_PTR m_nTimer;
    BOOL m_bEnumPrinter;

    DECLARE_MESSAGE_MAP()
};
