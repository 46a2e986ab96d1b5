// The Formatting bar's font sizes in points. Enter in its field applies
// what was typed; only whole sizes from 1 to 1638 points are applied.
#pragma once

#include "framework/ui/CComboBoxEx.h"

class CFontSizeCombo : public CComboBoxEx
{
    DECLARE_DYNAMIC(CFontSizeCombo)
public:
    CFontSizeCombo();

    // Shows a height in twips as points (empty for 0).
    void ShowTwipHeight(int nTwips);
    int GetShownHeight() const { return m_nTwipsLast; }
    // The size to apply in twips: the item picked in the list, or the text
    // of the field (bTyped, or nothing picked). 0 when it is not a size.
    int GetTwipsToApply(BOOL bTyped) const;
    // A text as a size in twips, 0 unless it is a whole number of points
    // from 1 to the largest the text control takes.
    static int ParseTwips(LPCSTR lpszText);
    enum { kMaxPoints = 1638 };

    // Applies the size to the open note (nothing when it is not a size);
    // FALSE when nothing was applied.
    BOOL ApplySize(BOOL bTyped);
    // Posted after Enter: the note takes the keyboard back.
    enum { WM_FOCUS_NOTE = WM_APP + 1 };
    LRESULT OnFocusNote(WPARAM wParam, LPARAM lParam);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSelChange();

protected:
    int m_nTwipsLast;

    DECLARE_MESSAGE_MAP()
};
