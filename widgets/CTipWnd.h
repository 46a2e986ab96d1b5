// A one-line popup that shows a font name in its own face, beside the font
// list of the Formatting bar. The owner hides it with ShowWindow(SW_HIDE).
#pragma once

#include "framework/gdi/CFont.h"
#include "framework/ui/CWnd.h"

class CTipWnd : public CWnd
{
    DECLARE_DYNAMIC(CTipWnd)
public:
    CTipWnd();

    // A hidden, empty popup owned by pOwner (made again after a destroy,
    // it starts empty again).
    BOOL Create(CWnd* pOwner);
    // Shows the name in its face at the screen point, sized to the text. The
    // name already shown is left alone (no move, no repaint).
    void ShowFontName(int x, int y, LPCSTR lpszName);
    const CString& GetText() const { return m_strText; }

    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();

protected:
    CFont m_font;
    CString m_strText;

    DECLARE_MESSAGE_MAP()
};
