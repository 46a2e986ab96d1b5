// A sizing bar with a caption in place of the gripper: the bar's title on a
// strip in the system's caption colours (active while the focus is inside
// the bar), with the close button.
#pragma once

#include "widgets/CSizingControlBarG.h"

class CSizingControlBarCF : public CSizingControlBarG
{
    DECLARE_DYNAMIC(CSizingControlBarCF)
public:
    CSizingControlBarCF();

    void PaintGripperArea(CDC* pDC, const CRect& rcClient) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    BOOL IsActive() const { return m_bActive; }
    const CString& GetCaptionFace() const { return m_strFontFace; }
    // The caption strip in window coordinates.
    CRect GetCaptionRect(const CRect& rcClient) const;

    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

protected:
    BOOL m_bActive;
    CString m_strFontFace;

    DECLARE_MESSAGE_MAP()
};
