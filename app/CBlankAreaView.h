// The content pane while no node is shown: the notebook's logo (or the
// program's default one) centred in a sunken frame on the button face.
#pragma once

#include "framework/docview/CView.h"

class PLWinBmp;
class CQuillcrestDoc;

class CBlankAreaView : public CView
{
    DECLARE_DYNCREATE(CBlankAreaView)
public:
    CBlankAreaView();

    CQuillcrestDoc* GetDocument() const;

    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
    // Takes the document's logo again and repaints.
    void RefreshLogo();
    PLWinBmp* GetLogo() const { return m_pLogo; }
    // Where the framed logo goes for a client area: the logo 4 pixels wider
    // and higher, centred. Empty without a logo or an area.
    static CRect GetLogoRect(const CRect& rcClient, const PLWinBmp* pLogo);

    BOOL OnEraseBkgnd(CDC* pDC);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    UINT OnGetDlgCode();

protected:
    PLWinBmp* m_pLogo;

    DECLARE_MESSAGE_MAP()
};
